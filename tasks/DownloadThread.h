#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>

class BandwidthLimiter;
class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// The worker of one package transfer: one HTTP GET streamed into the package file, resumed from the
// bytes already there. Created per run; it ends with exactly one report, workFinish, workAbort or
// workRunErrored, and is released by the task manager after that report. It lives on the task manager
// thread together with its reply and its file.
class DownloadThread : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(DownloadThread)

public:
    struct Timing
    {
        int stallTimeoutMs = 60000;   // no byte for this long ends the transfer as an error
        int progressIntervalMs = 250; // at most one progress report per interval (first and last always)
    };

    explicit DownloadThread(QObject *parent = nullptr);
    ~DownloadThread() override;

    // Keeps the texts and opens savePath for appending. False when the file cannot be opened: start()
    // then ends the transfer at once with "无法打开文件" instead of issuing the request. An empty
    // installcmd becomes this OS's default installer line for the package.
    bool setUp(const QString &id, const QString &productId, const QString &url, const QString &savePath,
               const QString &installcmd, const QString &startcmd);
    // Bytes already in the file, and the package size the store remembers ("Range" is asked for only
    // when that size is larger than startSize).
    void setStartSize(qint64 startSize);
    void setStoredTotalSize(qint64 totalSize);
    void setTiming(const Timing &timing);

    QString taskId() const { return id; }
    QString product() const { return productId; }
    // The "Range" value of the request, "" when the whole file is asked for.
    QString rangeHeader() const;

    // On the worker's thread: issues the request through manager, reading at the pace limiter allows
    // (may be null: no limit).
    void start(QNetworkAccessManager *manager, BandwidthLimiter *limiter);

public slots:
    // Ends the transfer as an abort; callbackType 0 is a pause, 1 is part of clearing the game. Safe to
    // call before start() (the start then reports the abort at once) and after the end (no effect).
    void abortTransfer(int callbackType);

    void replyFinished();
    void slotReadyRead();
    void downloadProgressSlot(qlonglong rec, qlonglong all);

signals:
    void workFinish(QString id, QString productId, qlonglong localsize, QString savePath, QString installcmd,
                    QString startcmd);
    void downLoadFileError(QString id, QString message);
    void notifyManageDownloadProgressSlot(QString id, QString productId, qlonglong rec, qlonglong all,
                                          QString savePath, QString runRate, bool writeDB);
    void workAbort(QString id, QString productId, qlonglong localsize, int callbackType);
    void workRunErrored(QString id, QString productId, QString errorString);

private:
    enum class Outcome
    {
        None,
        Aborted,
        Failed
    };

    void issueRequest(bool withRange);
    void detachReply();
    bool examineAnswer();
    bool restartFromZero(bool reissue);
    void pump();
    void scheduleResume(int ms);
    void fail(const QString &message);
    void onStalled();
    void applyReadBufferSize();
    void emitProgress(qint64 rec, qint64 all, bool writeDB);
    void flushSuppressedProgress();
    void finishTransfer();
    qint64 fileSizeOnDisk() const;

    QNetworkReply *reply = nullptr;
    int abortKind = 0;
    QString id;
    QString productId = QStringLiteral("0");
    QString url;
    QString savePath;
    QFile *file = nullptr;
    bool progressSeen = false;
    qint64 startSize = 0;
    QString installcmd;
    QString startcmd;
    uint startTime = 0;

    QNetworkAccessManager *m_manager = nullptr;
    QPointer<BandwidthLimiter> m_limiter;
    Timing m_timing;
    qint64 m_storedTotalSize = 0;
    bool m_fileOpened = false;
    bool m_rangeRequested = false;
    bool m_answerChecked = false;
    bool m_reissued = false;
    bool m_replyDone = false;
    bool m_ended = false;
    bool m_abortRequested = false;
    bool m_writeDBPending = true;
    Outcome m_outcome = Outcome::None;
    QString m_failure;
    qint64 m_expectedBody = -1; // bytes this answer announced (-1: unknown)
    qint64 m_bodyWritten = 0;   // bytes of this answer written to the file
    QTimer *m_stallTimer = nullptr;
    QElapsedTimer m_lastActivity; // since the last byte arrived or was held back by the limit
    QByteArray m_buffer;
    QTimer *m_resumeTimer = nullptr;
    QElapsedTimer m_lastProgress;
    bool m_progressSuppressed = false;
    qint64 m_suppressedRec = 0;
    qint64 m_suppressedAll = 0;
};
