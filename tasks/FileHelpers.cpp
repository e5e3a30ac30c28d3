#include "tasks/FileHelpers.h"

#include "platform/ApplicationDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace tasks {
namespace {

// Every entry of a directory as this OS has them: hidden names and broken links included.
constexpr QDir::Filters everyEntry = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

QString canonicalAppDir()
{
    const QString appDir = platform::applicationDir();
    const QString canonical = QFileInfo(appDir).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(appDir).absoluteFilePath()) : canonical;
}

bool isSameOrInside(const QString &path, const QString &dir)
{
    return path == dir || path.startsWith(dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/'));
}

// Removing path would remove the filesystem root or the application directory along with it.
bool isProtected(const QString &canonicalPath)
{
    return QDir(canonicalPath).isRoot() || isSameOrInside(canonicalAppDir(), canonicalPath);
}

bool removeContents(const QString &dirPath)
{
    QDir dir(dirPath);
    bool removedAll = true;
    const QFileInfoList entries = dir.entryInfoList(everyEntry);
    for (const QFileInfo &entry : entries) {
        // A link is removed as a link: whatever it points to stays where it is.
        if (entry.isSymLink() || !entry.isDir()) {
            removedAll = dir.remove(entry.fileName()) && removedAll;
            continue;
        }
        removedAll = removeContents(entry.filePath()) && dir.rmdir(entry.fileName()) && removedAll;
    }
    return removedAll;
}

// Removes the parents of path that are now empty, staying strictly inside the application directory.
void removeEmptyParents(const QString &path)
{
    const QString appDir = canonicalAppDir();
    QString parent = QFileInfo(path).absolutePath();
    while (parent != appDir && isSameOrInside(parent, appDir)) {
        if (!QDir().rmdir(parent))
            return;
        parent = QFileInfo(parent).absolutePath();
    }
}

} // namespace

bool removeDirRecursively(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    if (info.isSymLink()) {
        if (!QFile::remove(absolute))
            return false;
        removeEmptyParents(absolute);
        return true;
    }
    if (!info.isDir())
        return false;
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || isProtected(canonical))
        return false;
    removeContents(canonical);
    if (!QDir().rmdir(canonical))
        return false;
    removeEmptyParents(canonical);
    return true;
}

qint64 dirSize(const QString &path)
{
    qint64 total = 0;
    const QFileInfoList entries = QDir(path).entryInfoList(everyEntry | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries)
        total += entry.isDir() ? dirSize(entry.filePath()) : entry.size();
    return total;
}

QString fileMd5Hex(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex().toUpper());
}

QString loadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    return stream.readAll();
}

bool saveTextFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    stream << text;
    stream.flush();
    const bool written = stream.status() == QTextStream::Ok;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace tasks
