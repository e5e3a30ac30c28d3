#include "tasks/ZipTask.h"

#include "tasks/FileHelpers.h"

#include <QDebug>
#include <QRegularExpression>
#include <QTimer>

ZipTask::ZipTask(QObject *parent) : QObject(parent) {}

void ZipTask::setUp(const QString &productId, const QString &zipPath, const QString &installDir,
                    QProcess *process)
{
    m_productId = productId;
    m_zipPath = zipPath;
    m_installDir = installDir;
    m_process = process;
    m_rateTimer = new QTimer(this);
    connect(m_rateTimer, &QTimer::timeout, this, &ZipTask::checkUnzipRate);
    m_rateTimer->start(400);
}

bool ZipTask::outputSaysSuccess(const QString &text)
{
    return text.contains(QLatin1String("Everything is Ok"));
}

quint64 ZipTask::outputArchiveSize(const QString &text)
{
    if (!text.contains(QLatin1String("bytes")))
        return 0;
    static const QRegularExpression pattern(QStringLiteral(", (\\d+) bytes"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toULongLong() : 0;
}

void ZipTask::zipFinish(QString productId, int code)
{
    Q_UNUSED(productId)
    Q_UNUSED(code)
}

void ZipTask::cmdOutSlots()
{
    if (!m_process)
        return;
    const QString text = QString::fromUtf8(m_process->readAllStandardOutput());
    qDebug() << "unzip" << text;
    // A line may arrive in two reads: look at it whole.
    const QString joined = m_pendingLine + text;
    const int lastBreak = joined.lastIndexOf(QLatin1Char('\n'));
    m_pendingLine = joined.mid(lastBreak + 1).right(4096);
    if (outputSaysSuccess(joined))
        m_succeeded = true;
    const quint64 size = outputArchiveSize(joined);
    if (size > 0)
        m_totalBytes = size;
}

void ZipTask::cmdErrorSlots()
{
    if (m_process)
        qDebug() << "cmderror ====" << QString::fromUtf8(m_process->readAllStandardError());
}

void ZipTask::checkUnzipRate()
{
    if (m_totalBytes == 0 || m_ended)
        return;
    emit zipThreadSigProgress(m_productId, uint64_t(tasks::dirSize(m_installDir)), uint64_t(m_totalBytes));
}

void ZipTask::slot_zipend(int code, QProcess::ExitStatus status)
{
    Q_UNUSED(code)
    Q_UNUSED(status)
    if (m_ended)
        return;
    // Output still buffered when the process ended counts too.
    if (m_process && m_process->bytesAvailable() > 0)
        cmdOutSlots();
    m_ended = true;
    if (m_rateTimer) {
        m_rateTimer->stop();
        m_rateTimer->deleteLater();
        m_rateTimer = nullptr;
    }
    emit unzipProcessHasEnd(m_productId, m_zipPath, m_succeeded);
}
