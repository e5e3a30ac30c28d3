#pragma once

#include <QString>

// Small file helpers shared by the task pipeline and the windows. None of them reports more than its result.
namespace tasks {

// Removes path and everything in it, hidden entries included, then every parent directory that became
// empty, up to but not including the application directory. Symbolic links are removed as links and never
// followed. Refuses (false) an empty path, the filesystem root, and the application directory or any of
// its parents. A path that does not exist is already removed (true).
bool removeDirRecursively(const QString &path);

// Total size in bytes of the files below path, hidden ones included; 0 for a missing directory. Linked
// directories are not entered, so a link loop cannot recurse forever.
qint64 dirSize(const QString &path);

// MD5 of the file's whole content as 32 upper-case hex digits, or "" when it cannot be read.
QString fileMd5Hex(const QString &path);

// The whole file as UTF-8 text, or "" when it does not exist or cannot be opened.
QString loadTextFile(const QString &path);

// Replaces the file's content with text as UTF-8. False when the file cannot be opened or written.
bool saveTextFile(const QString &path, const QString &text);

} // namespace tasks
