#include "tasks/InstallTask.h"

#include <QDebug>

InstallTask::InstallTask(QObject *parent) : QObject(parent) {}

void InstallTask::setUp(const QString &productId, const QString &savePath, QProcess *process)
{
    this->productId = productId;
    this->savePath = savePath;
    this->process = process;
}

void InstallTask::cmdout()
{
    if (process)
        qDebug() << "QProcess out " << QString::fromUtf8(process->readAllStandardOutput());
}

void InstallTask::cmderror()
{
    if (process)
        qDebug() << "QProcess error " << QString::fromUtf8(process->readAllStandardError());
}

void InstallTask::cmdend(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (m_ended)
        return;
    m_ended = true;
    qDebug() << "QProcess finish" << exitCode << exitStatus;
    emit installFinish(productId, exitCode);
    if (process)
        process->close();
}
