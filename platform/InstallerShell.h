#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// The command interpreter that runs installer lines. It reads its commands from standard input and ends
// after the last one, once standard input is closed.
QString installerShellProgram();
QStringList installerShellArguments();

// What is written to the interpreter before the installer line (sets up UTF-8 text handling).
QByteArray installerShellPreamble();

// The installer line used for a downloaded program when the task names none: make the file executable
// and run it in the foreground with the quiet flag, so the interpreter waits until it has ended.
QString defaultInstallerLine(const QString &programPath);

// The flag an installer program receives for an unattended install.
QString quietInstallFlag();

// text as one single-quoted word of the interpreter's language.
QString shellQuote(const QString &text);

} // namespace platform
