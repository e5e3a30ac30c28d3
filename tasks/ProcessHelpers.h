#pragma once

#include <QString>

namespace tasks {

// Ends every process whose executable name is exactly name (a game's "xxx.exe" before its files are
// overwritten). A name that is empty or holds a path separator or a shell metacharacter ends nothing.
// Returns whether any process was ended; callers may ignore it.
bool killProcessByName(const QString &name);

} // namespace tasks
