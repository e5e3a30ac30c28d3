#pragma once

#include <QCryptographicHash>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QNetworkAccessManager;
class QSaveFile;

// Fetches a new launcher build for the updater that takes over at the next start.
//
// The body is streamed into a temporary file in the update directory and moved to the waiting launcher's
// place only when its MD5 is the one the page announced, so the updater never sees a partial or foreign
// file: a failed or mismatching download leaves no file and writes one log line. One download runs at a
// time; a new request aborts the one in progress.
class LauncherUpdate : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(LauncherUpdate)

public:
    enum class Start
    {
        // The waiting launcher already has this MD5: nothing to fetch.
        AlreadyDownloaded,
        // A download runs; finished() reports its end.
        Started,
        // Nothing was started: the address or the MD5 is unusable, or the file cannot be created.
        Refused
    };

    explicit LauncherUpdate(QObject *parent = nullptr);
    ~LauncherUpdate() override;

    // Fetches url unless the waiting launcher already has md5 (32 hexadecimal digits, either case).
    Start start(const QString &url, const QString &md5);
    bool isRunning() const { return m_reply != nullptr; }

signals:
    // Once per started download: true when the waiting launcher is in place, false when the download
    // failed, did not match or was aborted by a newer request.
    void finished(bool ready);

private:
    void onReadyRead();
    void onFinished();
    // Stops the download in progress, discarding what it wrote.
    void abortRunning();
    // Ends the download in progress without a waiting launcher: one log line, no file.
    void fail(const QString &why);

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_file;
    QCryptographicHash m_hash{QCryptographicHash::Md5};
    QString m_expectedMd5;
    bool m_writeFailed = false;
};
