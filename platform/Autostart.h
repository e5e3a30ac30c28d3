#pragma once

#include <QString>

namespace platform {

// Start with the desktop session: an entry in the user's autostart directory (freedesktop convention,
// $XDG_CONFIG_HOME/autostart, by default ~/.config/autostart) named after the application.

// The entry file for name: autostart directory + "/" + name + ".desktop".
QString autostartEntryPath(const QString &name);

// Writes (enabled) or removes (disabled) the entry that starts program at login. Returns whether the
// entry is now as asked.
bool setAutostart(const QString &name, const QString &program, bool enabled);

// True when an entry for name exists.
bool isAutostartEnabled(const QString &name);

} // namespace platform
