#include "platform/gui/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

const QByteArray activateMessage = QByteArrayLiteral("activate\n");
const QByteArray doneMessage = QByteArrayLiteral("done\n");

// A per-user directory that is never shared with other users: the runtime directory when the session
// has one, otherwise the temporary directory with the user id in the file names.
QString runtimeDir()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

QString fileSafe(const QString &key)
{
    QString name;
    for (const QChar c : key) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
                           c == QLatin1Char('_') || c == QLatin1Char('.');
        name += plain ? c : QLatin1Char('_');
    }
    return name + QLatin1Char('-') + QString::number(getuid());
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent), m_key(key) {}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::lockFilePath() const
{
    return runtimeDir() + QLatin1Char('/') + fileSafe(m_key) + QStringLiteral(".lock");
}

QString SingleInstance::serverName() const
{
    return runtimeDir() + QLatin1Char('/') + fileSafe(m_key) + QStringLiteral(".sock");
}

bool SingleInstance::tryAcquire()
{
    if (m_lockFd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(lockFilePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // without a lock file the guard cannot work; never refuse to start because of it
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;

    // Holding the lock, any socket file left by a killed first copy is stale.
    QLocalServer::removeServer(serverName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(serverName()))
        qWarning("single instance: cannot listen for activation requests");
    return true;
}

bool SingleInstance::activateRunningCopy(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(activateMessage);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(timeoutMs))
        answer += socket.readAll();
    return answer == doneMessage;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Requests are one short line; anything longer is not ours.
            if (socket->bytesAvailable() > 64) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == activateMessage) {
                QPointer<QLocalSocket> guard(socket);
                emit activationRequested();
                if (guard) {
                    guard->write(doneMessage);
                    guard->flush();
                }
            }
            if (socket->state() == QLocalSocket::ConnectedState)
                socket->disconnectFromServer();
        });
    }
}

} // namespace platform
