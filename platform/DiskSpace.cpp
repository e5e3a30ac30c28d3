#include "platform/DiskSpace.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace platform {
namespace {

QAtomicInteger<qint64> freeSpaceOverride(-1);

QString nearestExistingDir(const QString &path)
{
    QFileInfo info(QDir::cleanPath(QDir(path).absolutePath()));
    if (info.exists() && info.isDir())
        return info.absoluteFilePath();
    QString dir = info.absolutePath();
    // Walk up until something exists; the root always does.
    for (int depth = 0; depth < 4096 && !QFileInfo::exists(dir); ++depth) {
        const QString parent = QFileInfo(dir).absolutePath();
        if (parent == dir)
            break;
        dir = parent;
    }
    return dir;
}

} // namespace

qint64 freeSpaceFor(const QString &path)
{
    const qint64 forced = freeSpaceOverride.loadAcquire();
    if (forced >= 0)
        return forced;
    if (path.isEmpty())
        return -1;
    QStorageInfo storage(nearestExistingDir(path));
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

void setFreeSpaceOverride(qint64 bytes)
{
    freeSpaceOverride.storeRelease(bytes < 0 ? -1 : bytes);
}

} // namespace platform
