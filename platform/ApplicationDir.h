#pragma once

#include <QString>

namespace platform {

// The directory the launcher keeps its files in: "config", "channel_id.txt", "Data/..." and the tools
// installed beside it. Normally the executable's directory; the environment variable LAUNCHER_APP_DIR
// or setApplicationDir() (tests) point it elsewhere.
QString applicationDir();

// Overrides applicationDir() for this process; an empty path restores the default.
void setApplicationDir(const QString &dir);

} // namespace platform
