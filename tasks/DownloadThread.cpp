#include "tasks/DownloadThread.h"

#include "platform/InstallerShell.h"
#include "tasks/BandwidthLimiter.h"
#include "tasks/TaskFormat.h"
#include "tasks/TaskPaths.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>

namespace {

// Bytes moved from the reply to the file per read: large enough that a fast local transfer costs few
// calls, small enough to keep the limit's steps fine.
constexpr qint64 readChunk = 256 * 1024;

QString fileCannotOpen()
{
    return QStringLiteral("无法打开文件");
}

// The first byte offset of a "Content-Range: bytes first-last/total" answer, -1 when it has none.
qint64 contentRangeStart(const QByteArray &header)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*bytes\\s+(\\d+)\\s*-\\s*\\d+\\s*/"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(header));
    if (!match.hasMatch())
        return -1;
    bool ok = false;
    const qint64 first = match.captured(1).toLongLong(&ok);
    return ok ? first : -1;
}

} // namespace

DownloadThread::DownloadThread(QObject *parent) : QObject(parent) {}

DownloadThread::~DownloadThread()
{
    if (reply) {
        reply->disconnect(this);
        reply->abort();
        delete reply;
    }
}

bool DownloadThread::setUp(const QString &id, const QString &productId, const QString &url,
                           const QString &savePath, const QString &installcmd, const QString &startcmd)
{
    this->id = id;
    this->productId = productId;
    this->url = url;
    this->savePath = savePath;
    file = new QFile(savePath, this);
    // Unbuffered: every read chunk goes to the file in one call, without a second copy.
    m_fileOpened =
        !savePath.isEmpty() && file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);

    this->installcmd = installcmd.isEmpty() ? platform::defaultInstallerLine(savePath) : installcmd;
    this->startcmd = startcmd;
    this->installcmd.replace(tasks::appPathPlaceholder(), QDir::currentPath());
    this->startcmd.replace(tasks::appPathPlaceholder(), QDir::currentPath());
    return m_fileOpened;
}

void DownloadThread::setStartSize(qint64 size)
{
    startSize = qMax<qint64>(0, size);
}

void DownloadThread::setStoredTotalSize(qint64 totalSize)
{
    m_storedTotalSize = totalSize;
}

void DownloadThread::setTiming(const Timing &timing)
{
    m_timing = timing;
}

QString DownloadThread::rangeHeader() const
{
    if (startSize > 0 && m_storedTotalSize > startSize)
        return QStringLiteral("bytes=") + QString::number(startSize) + QLatin1Char('-') +
               QString::number(m_storedTotalSize);
    return QString();
}

void DownloadThread::start(QNetworkAccessManager *manager, BandwidthLimiter *limiter)
{
    if (m_ended || reply)
        return;
    m_manager = manager;
    m_limiter = limiter;
    // A slow check of the time since the last byte, instead of restarting a timer for every chunk.
    m_stallTimer = new QTimer(this);
    m_stallTimer->setInterval(qMax(20, m_timing.stallTimeoutMs / 5));
    connect(m_stallTimer, &QTimer::timeout, this, [this] {
        if (m_lastActivity.isValid() && m_lastActivity.elapsed() >= m_timing.stallTimeoutMs)
            onStalled();
    });
    m_buffer.resize(int(readChunk));
    m_resumeTimer = new QTimer(this);
    m_resumeTimer->setSingleShot(true);
    connect(m_resumeTimer, &QTimer::timeout, this, &DownloadThread::pump);
    if (m_limiter)
        connect(m_limiter, &BandwidthLimiter::rateChanged, this, [this] {
            applyReadBufferSize();
            pump();
        });

    if (m_abortRequested) {
        finishTransfer();
        return;
    }
    if (!m_fileOpened) {
        emit downLoadFileError(id, fileCannotOpen());
        fail(fileCannotOpen());
        return;
    }
    if (!m_manager) {
        fail(QStringLiteral("内部错误"));
        return;
    }
    issueRequest(true);
}

void DownloadThread::issueRequest(bool withRange)
{
    QNetworkRequest request{QUrl(url)};
    const QString range = withRange ? rangeHeader() : QString();
    m_rangeRequested = !range.isEmpty();
    if (m_rangeRequested)
        request.setRawHeader("Range", range.toLatin1());
    // Follow a redirect unless it leaves https for http; the final answer is what is examined.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_answerChecked = false;
    m_expectedBody = -1;
    m_bodyWritten = 0;
    m_replyDone = false;
    m_writeDBPending = startSize == 0;

    reply = m_manager->get(request);
    applyReadBufferSize();
    connect(reply, &QNetworkReply::downloadProgress, this, &DownloadThread::downloadProgressSlot);
    connect(reply, &QNetworkReply::readyRead, this, &DownloadThread::slotReadyRead);
    connect(reply, &QNetworkReply::finished, this, &DownloadThread::replyFinished);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this] { examineAnswer(); });
    m_lastActivity.start();
    m_stallTimer->start();
}

void DownloadThread::detachReply()
{
    if (!reply)
        return;
    QNetworkReply *old = reply;
    reply = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
}

void DownloadThread::applyReadBufferSize()
{
    if (reply)
        reply->setReadBufferSize(m_limiter ? m_limiter->suggestedReadBufferSize() : 0);
}

// Decides once per answer whether its body may be written, and where it goes in the file.
bool DownloadThread::examineAnswer()
{
    if (m_ended || m_outcome != Outcome::None || !reply)
        return false;
    if (m_answerChecked)
        return true;
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QString scheme = reply->url().scheme().toLower();
    const bool http = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!statusAttribute.isValid()) {
        if (http)
            return false; // no answer yet
        m_answerChecked = true;
        return true;
    }
    const int status = statusAttribute.toInt();
    if (status < 200 || status > 299) {
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        fail(QStringLiteral("HTTP ") + QString::number(status) +
             (reason.isEmpty() ? QString() : QLatin1Char(' ') + reason));
        return false;
    }
    qint64 bodyOffset = 0;
    if (status == 206)
        bodyOffset = contentRangeStart(reply->rawHeader("Content-Range"));
    if (bodyOffset != startSize) {
        // The server ignored the range or answered another one: start over from byte 0 in the same
        // file, so no byte ever lands at the wrong place.
        qDebug() << "download answer starts at" << bodyOffset << "instead of" << startSize << "for"
                 << productId;
        if (!restartFromZero(bodyOffset != 0))
            return false;
        if (bodyOffset != 0)
            return false; // a new request is on its way
    }
    bool known = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    m_expectedBody = known && length >= 0 ? length : -1;
    m_answerChecked = true;
    return true;
}

bool DownloadThread::restartFromZero(bool reissue)
{
    file->flush();
    if (!file->resize(0)) {
        fail(QStringLiteral("cannot truncate the package file: ") + file->errorString());
        return false;
    }
    startSize = 0;
    startTime = 0;
    m_writeDBPending = true;
    m_progressSuppressed = false;
    if (!reissue)
        return true;
    if (m_reissued) {
        fail(QStringLiteral("the server answered a range that was not asked for"));
        return false;
    }
    m_reissued = true;
    detachReply();
    issueRequest(false);
    return true;
}

void DownloadThread::slotReadyRead()
{
    if (!reply) {
        emit downLoadFileError(id, QStringLiteral("内部错误"));
        return;
    }
    if (!file || !file->isOpen()) {
        emit downLoadFileError(id, fileCannotOpen());
        return;
    }
    pump();
}

void DownloadThread::pump()
{
    if (m_ended || m_outcome != Outcome::None || !reply)
        return;
    if (!examineAnswer())
        return;
    char *buffer = m_buffer.data();
    while (reply && reply->bytesAvailable() > 0) {
        const qint64 wanted = qMin(readChunk, reply->bytesAvailable());
        const qint64 granted = m_limiter ? m_limiter->take(wanted) : wanted;
        if (granted <= 0) {
            scheduleResume(m_limiter ? m_limiter->msUntilAvailable() : 1);
            m_lastActivity.start(); // held back by the limit, not by the network
            return;
        }
        const qint64 got = reply->read(buffer, granted);
        if (got <= 0)
            break;
        if (file->write(buffer, got) != got) {
            fail(QStringLiteral("cannot write the package file: ") + file->errorString());
            return;
        }
        m_bodyWritten += got;
        m_lastActivity.start();
    }
    if (m_replyDone && reply && reply->bytesAvailable() == 0)
        finishTransfer();
}

void DownloadThread::scheduleResume(int ms)
{
    if (!m_resumeTimer->isActive())
        m_resumeTimer->start(qMax(1, ms));
}

void DownloadThread::downloadProgressSlot(qlonglong rec, qlonglong all)
{
    if (m_ended || m_outcome != Outcome::None || sender() != reply || !examineAnswer())
        return;
    m_lastActivity.start();
    const bool first = !progressSeen;
    progressSeen = true;
    const bool last = all > 0 && rec >= all;
    // The sizes are stored at the first event that knows the total (an event before it may carry none).
    const bool writeDB = m_writeDBPending && all > 0;
    if (first || last || writeDB || !m_lastProgress.isValid() ||
        m_lastProgress.elapsed() >= m_timing.progressIntervalMs) {
        if (writeDB)
            m_writeDBPending = false;
        emitProgress(rec, all, writeDB);
        return;
    }
    m_progressSuppressed = true;
    m_suppressedRec = rec;
    m_suppressedAll = all;
}

void DownloadThread::emitProgress(qint64 rec, qint64 all, bool writeDB)
{
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    const uint elapsed = startTime == 0 ? 0 : now - startTime;
    const QString runRate = tasks::formatSpeed(rec, elapsed);
    m_lastProgress.start();
    m_progressSuppressed = false;
    emit notifyManageDownloadProgressSlot(id, productId, startSize + rec, all >= 0 ? startSize + all : -1,
                                          savePath, runRate, writeDB);
    if (startTime == 0)
        startTime = now;
}

void DownloadThread::flushSuppressedProgress()
{
    if (m_progressSuppressed)
        emitProgress(m_suppressedRec, m_suppressedAll, false);
}

void DownloadThread::replyFinished()
{
    if (m_ended || sender() != reply)
        return;
    m_replyDone = true;
    if (m_outcome != Outcome::None) {
        finishTransfer();
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        finishTransfer();
        return;
    }
    // The answer may be done before its body has been moved to disk (the limit holds it back).
    pump();
    if (!m_ended && m_outcome == Outcome::None && (!m_answerChecked || reply->bytesAvailable() == 0))
        finishTransfer();
}

void DownloadThread::abortTransfer(int callbackType)
{
    if (m_ended || m_outcome != Outcome::None)
        return;
    abortKind = callbackType;
    m_abortRequested = true;
    m_outcome = Outcome::Aborted;
    if (reply && !m_replyDone)
        reply->abort(); // finishes the reply, which reports the abort
    else if (reply || m_stallTimer)
        finishTransfer();
}

void DownloadThread::fail(const QString &message)
{
    if (m_ended || m_outcome != Outcome::None)
        return;
    m_outcome = Outcome::Failed;
    m_failure = message;
    if (reply && !m_replyDone)
        reply->abort();
    else
        finishTransfer();
}

void DownloadThread::onStalled()
{
    fail(QStringLiteral("download stalled: no data received for ") +
         QString::number(m_timing.stallTimeoutMs / 1000.0, 'f', m_timing.stallTimeoutMs % 1000 ? 1 : 0) +
         QStringLiteral(" s"));
}

qint64 DownloadThread::fileSizeOnDisk() const
{
    return QFileInfo(savePath).size();
}

void DownloadThread::finishTransfer()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_stallTimer)
        m_stallTimer->stop();
    if (m_resumeTimer)
        m_resumeTimer->stop();
    if (file) {
        file->close();
        file->deleteLater();
        file = nullptr;
    }
    const qint64 localSize = fileSizeOnDisk();

    if (m_outcome == Outcome::Failed) {
        emit workRunErrored(id, productId, m_failure);
        return;
    }
    const QNetworkReply::NetworkError error = reply ? reply->error() : QNetworkReply::NoError;
    if (m_outcome == Outcome::Aborted || error == QNetworkReply::OperationCanceledError) {
        qDebug() << "worker aborted";
        emit workAbort(id, productId, localSize, abortKind);
        return;
    }
    if (error != QNetworkReply::NoError) {
        emit workRunErrored(id, productId, reply->errorString());
        return;
    }
    if (!m_answerChecked) {
        // The answer ended without ever being accepted (for example a redirect that was not followed).
        const int status = reply ? reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
        emit workRunErrored(id, productId, QStringLiteral("HTTP ") + QString::number(status));
        return;
    }
    if (m_expectedBody >= 0 && m_bodyWritten < m_expectedBody) {
        emit workRunErrored(id, productId,
                            QStringLiteral("connection closed before the package was complete (") +
                                QString::number(m_bodyWritten) + QStringLiteral(" of ") +
                                QString::number(m_expectedBody) + QStringLiteral(" bytes)"));
        return;
    }
    flushSuppressedProgress();
    emit workFinish(id, productId, localSize, savePath, installcmd, startcmd);
}
