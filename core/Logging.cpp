#include "core/Logging.h"

#include "platform/ApplicationDir.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex &logMutex()
{
    static QMutex mutex;
    return mutex;
}

// Guarded by logMutex().
std::function<QDateTime()> &logClock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// Appends with logMutex() held.
bool appendLine(const QString &fileName, const QString &line)
{
    const QString dir = logDir();
    if (!QDir().mkpath(dir))
        return false;
    QFile file(dir + QLatin1Char('/') + fileName + QStringLiteral(".log"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    // One write per line, in UTF-8 whatever the locale, so Chinese texts survive.
    const QByteArray bytes = line.toUtf8() + '\n';
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written;
}

} // namespace

QString logDir()
{
    return platform::applicationDir() + QStringLiteral("/Data/logs");
}

bool writeLogLine(const QString &fileName, const QString &line)
{
    QMutexLocker lock(&logMutex());
    return appendLine(fileName, line);
}

void launcherMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    Q_UNUSED(type)
    Q_UNUSED(context)
    // A message raised while a line is being written on this thread would wait for its own lock.
    thread_local bool writing = false;
    if (writing)
        return;
    writing = true;
    {
        QMutexLocker lock(&logMutex());
        // The time is taken under the lock so that lines stand in the file in the order of their stamps.
        const QDateTime now = logClock() ? logClock()() : QDateTime::currentDateTime();
        const QString fileName =
            QString::number(now.date().year()) + QLatin1Char('-') + QString::number(now.date().month());
        appendLine(fileName, QLocale::c().toString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                                 QStringLiteral("==>") + message);
    }
    writing = false;
}

void installLogHandler()
{
    qInstallMessageHandler(launcherMessageHandler);
}

void setLogClockForTesting(std::function<QDateTime()> clock)
{
    QMutexLocker lock(&logMutex());
    logClock() = std::move(clock);
}
