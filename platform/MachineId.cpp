#include "platform/MachineId.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace platform {
namespace {

QMutex overrideMutex;
MachineIdCommand overrideCommand;

// systemd keeps the id in /etc; D-Bus keeps its own copy (often a link to the same file) for systems
// without systemd.
const char *const machineIdFiles[] = {"/etc/machine-id", "/var/lib/dbus/machine-id"};

} // namespace

MachineIdCommand machineIdCommand()
{
    {
        QMutexLocker lock(&overrideMutex);
        if (!overrideCommand.program.isEmpty())
            return overrideCommand;
    }
    QString chosen = QString::fromLatin1(machineIdFiles[0]);
    for (const char *path : machineIdFiles) {
        const QFileInfo file(QString::fromLatin1(path));
        if (file.isFile() && file.size() > 0) {
            chosen = file.filePath();
            break;
        }
    }
    return {QStringLiteral("/bin/cat"), {chosen}};
}

void setMachineIdCommand(const QString &program, const QStringList &arguments)
{
    QMutexLocker lock(&overrideMutex);
    overrideCommand = program.isEmpty() ? MachineIdCommand() : MachineIdCommand{program, arguments};
}

} // namespace platform
