#include "platform/Processes.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QList>
#include <QThread>

#include <csignal>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {
namespace {

const QString procDir = QStringLiteral("/proc/");

QString baseName(const QByteArray &path)
{
    // A Windows program run under a loader shows a path with backslashes in argv[0].
    const int slash = qMax(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return QFile::decodeName(path.mid(slash + 1));
}

QByteArray readLink(const QByteArray &link)
{
    QByteArray target(4096, '\0');
    const ssize_t length = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (length <= 0)
        return QByteArray();
    target.truncate(int(length));
    const QByteArray deleted = QByteArrayLiteral(" (deleted)");
    if (target.endsWith(deleted))
        target.chop(deleted.size());
    return target;
}

QByteArray processPath(qint64 pid, const char *entry)
{
    return QFile::encodeName(procDir + QString::number(pid)) + '/' + entry;
}

bool ownedByCurrentUser(qint64 pid)
{
    struct stat info;
    return ::stat(QFile::encodeName(procDir + QString::number(pid)).constData(), &info) == 0 &&
           info.st_uid == ::geteuid();
}

// The program file is what the kernel started; empty once the process has ended (or is a zombie).
QByteArray executableOf(qint64 pid)
{
    return readLink(processPath(pid, "exe"));
}

QList<QByteArray> argumentsOf(qint64 pid)
{
    QFile file(QFile::decodeName(processPath(pid, "cmdline")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = file.readAll();
    if (content.endsWith('\0'))
        content.chop(1);
    return content.isEmpty() ? QList<QByteArray>() : content.split('\0');
}

bool isScript(qint64 pid, const QByteArray &path)
{
    const QByteArray fullPath = path.startsWith('/') ? path : readLink(processPath(pid, "cwd")) + '/' + path;
    QFile file(QFile::decodeName(fullPath));
    return file.open(QIODevice::ReadOnly) && file.read(2) == "#!";
}

bool isNamed(qint64 pid, const QString &name)
{
    const QByteArray executable = executableOf(pid);
    if (executable.isEmpty())
        return false;
    if (baseName(executable) == name)
        return true;
    const QList<QByteArray> arguments = argumentsOf(pid);
    if (arguments.isEmpty())
        return false;
    if (baseName(arguments.first()) == name)
        return true;
    // A script started through its "#!" line runs as: interpreter [one option] script [arguments].
    for (int i = 1; i < qMin(arguments.size(), 3); ++i) {
        const QByteArray &argument = arguments.at(i);
        if (argument.startsWith('-'))
            continue;
        return baseName(argument) == name && isScript(pid, argument);
    }
    return false;
}

QList<qint64> processIds()
{
    QList<qint64> ids;
    const QStringList entries = QDir(procDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (isNumber && pid > 0)
            ids << pid;
    }
    return ids;
}

void waitUntilGone(const QList<qint64> &ids)
{
    QDeadlineTimer deadline(2000);
    for (const qint64 pid : ids) {
        while (!executableOf(pid).isEmpty() && !deadline.hasExpired())
            QThread::msleep(10);
    }
}

} // namespace

bool isSafeProcessName(const QString &executableName)
{
    if (executableName.isEmpty() || executableName == QLatin1String(".") ||
        executableName == QLatin1String(".."))
        return false;
    const QString forbidden = QStringLiteral("/\\;&|<>$`'\"*?[](){}!#%^");
    for (const QChar c : executableName) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            forbidden.contains(c))
            return false;
    }
    return true;
}

bool killProcessesByName(const QString &executableName)
{
    if (!isSafeProcessName(executableName))
        return false;
    const qint64 self = ::getpid();
    QList<qint64> ended;
    for (const qint64 pid : processIds()) {
        if (pid == self || !ownedByCurrentUser(pid) || !isNamed(pid, executableName))
            continue;
        if (::kill(pid_t(pid), SIGKILL) == 0)
            ended << pid;
    }
    waitUntilGone(ended);
    return !ended.isEmpty();
}

} // namespace platform
