#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace platform {

// Keeps a second copy of the launcher from running beside the first.
//
// The first copy holds an advisory lock (flock) on a file named after the key in the user's runtime
// directory; the kernel drops the lock when the process ends in any way, SIGKILL included, so a crashed
// copy never blocks the next start. Beside the lock the first copy listens on a local socket; a second
// copy connects to it to ask the first to come to the front, waits until the first has handled the
// request, and then ends.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SingleInstance)

public:
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. True when this process is now the only copy (or already held it); false when
    // another live process holds it.
    bool tryAcquire();
    bool isPrimary() const { return m_lockFd >= 0; }

    // From a second copy: asks the first copy to come to the front. Returns true when the first copy
    // answered within timeoutMs.
    bool activateRunningCopy(int timeoutMs = 5000) const;

    // The files used for key (for tests and diagnostics).
    QString lockFilePath() const;
    QString serverName() const;

signals:
    // A second copy asked this one to come to the front.
    void activationRequested();

private:
    void onNewConnection();

    const QString m_key;
    int m_lockFd = -1;
    QLocalServer *m_server = nullptr;
};

} // namespace platform
