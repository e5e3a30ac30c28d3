#include "platform/InstallerShell.h"

namespace platform {

QString installerShellProgram()
{
    return QStringLiteral("/bin/sh");
}

QStringList installerShellArguments()
{
    return {QStringLiteral("-s")};
}

QByteArray installerShellPreamble()
{
    return QByteArrayLiteral("export LC_ALL=C.UTF-8\n");
}

QString quietInstallFlag()
{
    return QStringLiteral("--quiet");
}

QString shellQuote(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString defaultInstallerLine(const QString &programPath)
{
    const QString program = shellQuote(programPath);
    return QStringLiteral("chmod +x ") + program + QStringLiteral(" && ") + program + QLatin1Char(' ') +
           quietInstallFlag();
}

} // namespace platform
