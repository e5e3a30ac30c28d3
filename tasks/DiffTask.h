#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

#include <cstdint>

// Watches one run of the patch tool that rebuilds a full package from the kept package and a patch:
// success is the tool's "patch ok" line. Reports the end once. Created per run.
class DiffTask : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(DiffTask)

public:
    explicit DiffTask(QObject *parent = nullptr);

    void setUp(const QString &productId, const QString &newPackage, const QString &installDir,
               QProcess *process);
    bool succeeded() const { return m_succeeded; }

public slots:
    void zipFinish(QString productId, int code);
    void slot_zipend(int code, QProcess::ExitStatus status);
    void cmdOutSlots();
    void cmdErrorSlots();
    void checkUnzipRate();

signals:
    void unzipProcessHasEnd(QString productId, QString savePath, bool success);
    void zipThreadSigProgress(QString productId, uint64_t nowSize, uint64_t allSize);

private:
    QString m_productId;
    QString m_newPackage;
    QString m_installDir;
    QProcess *m_process = nullptr;
    bool m_succeeded = false;
    QString m_pending;
    bool m_ended = false;
};
