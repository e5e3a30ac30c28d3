#include "platform/UpdaterHandoff.h"

#include "platform/ApplicationDir.h"

#include <QDir>
#include <QProcess>

namespace platform {

QString waitingLauncherPath()
{
    return applicationDir() + QStringLiteral("/Data/update/launcher");
}

QString updaterProgramPath()
{
    return QDir::currentPath() + QStringLiteral("/morvupcbox_updater");
}

bool startUpdater(const QString &program)
{
    return QProcess::startDetached(program, QStringList(), QDir::currentPath());
}

} // namespace platform
