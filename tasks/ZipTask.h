#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <cstdint>

class QTimer;

// Watches one archiver run that extracts a package into an install directory: reads the archiver's
// output for its success line and the archive size, samples the install directory's size every 400 ms as
// progress, and reports the end once. Created per run.
class ZipTask : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ZipTask)

public:
    explicit ZipTask(QObject *parent = nullptr);

    // Keeps the values and starts the progress timer.
    void setUp(const QString &productId, const QString &zipPath, const QString &installDir,
               QProcess *process);

    bool succeeded() const { return m_succeeded; }
    quint64 totalBytes() const { return m_totalBytes; }

    // The archiver's text for a successful run, and the size it prints before extracting.
    static bool outputSaysSuccess(const QString &text);
    // The archive size from a line like "1 file, 300389 bytes (294 KiB)"; 0 when there is none.
    static quint64 outputArchiveSize(const QString &text);

public slots:
    void zipFinish(QString productId, int code);
    void slot_zipend(int code, QProcess::ExitStatus status);
    void cmdOutSlots();
    void cmdErrorSlots();
    void checkUnzipRate();

signals:
    void unzipProcessHasEnd(QString productId, QString zipPath, bool success);
    void zipThreadSigProgress(QString productId, uint64_t nowSize, uint64_t allSize);

private:
    QString m_productId;
    QString m_zipPath;
    QString m_installDir;
    QProcess *m_process = nullptr;
    QString m_kind = QStringLiteral("zip");
    bool m_succeeded = false;
    quint64 m_totalBytes = 0;
    QTimer *m_rateTimer = nullptr;
    QString m_pendingLine; // output after the last line break, joined with the next read
    bool m_ended = false;
};
