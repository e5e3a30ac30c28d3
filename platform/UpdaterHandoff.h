#pragma once

#include <QString>

namespace platform {

// A launcher build downloaded by the self-update, waiting to be installed by the updater:
// applicationDir() + "/Data/update/launcher".
QString waitingLauncherPath();

// The updater program in the current working directory: "morvupcbox_updater".
QString updaterProgramPath();

// Starts the updater detached, without arguments. Returns whether it started.
bool startUpdater(const QString &program);

} // namespace platform
