#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

// Watches one command interpreter run of an installer line and reports its end once. Created per run.
class InstallTask : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(InstallTask)

public:
    explicit InstallTask(QObject *parent = nullptr);

    void setUp(const QString &productId, const QString &savePath, QProcess *process);

public slots:
    void cmdout();
    void cmderror();
    void cmdend(int exitCode, QProcess::ExitStatus exitStatus);

signals:
    void installFinish(QString productId, int exitCode);

private:
    QString productId;
    QString savePath;
    QProcess *process = nullptr;
    bool m_ended = false;
};
