#include "platform/ApplicationDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QMutex>
#include <QMutexLocker>

namespace platform {
namespace {

QMutex overrideMutex;
QString overrideDir;

QString withoutTrailingSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

} // namespace

QString applicationDir()
{
    {
        QMutexLocker lock(&overrideMutex);
        if (!overrideDir.isEmpty())
            return overrideDir;
    }
    const QString fromEnv = qEnvironmentVariable("LAUNCHER_APP_DIR");
    if (!fromEnv.isEmpty())
        return withoutTrailingSlash(QDir::cleanPath(QDir(fromEnv).absolutePath()));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void setApplicationDir(const QString &dir)
{
    QMutexLocker lock(&overrideMutex);
    overrideDir = dir.isEmpty() ? QString() : withoutTrailingSlash(QDir::cleanPath(QDir(dir).absolutePath()));
}

} // namespace platform
