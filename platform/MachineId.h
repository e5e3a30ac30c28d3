#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// A command that prints a stable identifier of this machine on its standard output.
struct MachineIdCommand
{
    QString program;
    QStringList arguments;
};

// The command this OS uses for the machine identifier: it prints the systemd/D-Bus machine id
// ("cat /etc/machine-id", or "/var/lib/dbus/machine-id" when the first is missing or empty). It answers
// in milliseconds; when no identifier file exists, the command fails and prints nothing.
MachineIdCommand machineIdCommand();

// Replaces the command for this process (tests make it print nothing, print something else or hang);
// an empty program restores the default.
void setMachineIdCommand(const QString &program, const QStringList &arguments);

} // namespace platform
