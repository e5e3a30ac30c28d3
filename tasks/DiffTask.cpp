#include "tasks/DiffTask.h"

#include <QDebug>

DiffTask::DiffTask(QObject *parent) : QObject(parent) {}

void DiffTask::setUp(const QString &productId, const QString &newPackage, const QString &installDir,
                     QProcess *process)
{
    m_productId = productId;
    m_newPackage = newPackage;
    m_installDir = installDir;
    m_process = process;
}

void DiffTask::zipFinish(QString productId, int code)
{
    Q_UNUSED(productId)
    Q_UNUSED(code)
}

void DiffTask::cmdOutSlots()
{
    if (!m_process)
        return;
    const QString text = QString::fromUtf8(m_process->readAllStandardOutput());
    qDebug() << "diff =====" << text;
    const QString joined = m_pending + text;
    m_pending = joined.right(16);
    if (joined.contains(QLatin1String("patch ok")))
        m_succeeded = true;
}

void DiffTask::cmdErrorSlots()
{
    if (m_process)
        qDebug() << "diff cmderror ====" << QString::fromUtf8(m_process->readAllStandardError());
}

void DiffTask::checkUnzipRate() {}

void DiffTask::slot_zipend(int code, QProcess::ExitStatus status)
{
    Q_UNUSED(code)
    Q_UNUSED(status)
    if (m_ended)
        return;
    if (m_process && m_process->bytesAvailable() > 0)
        cmdOutSlots();
    m_ended = true;
    emit unzipProcessHasEnd(m_productId, m_newPackage, m_succeeded);
}
