#include "platform/DetachedStart.h"

#include <QFileInfo>
#include <QProcess>

namespace platform {

bool startDetached(const QString &program, const QStringList &arguments, const QString &workingDirectory,
                   qint64 *pid)
{
    // A file without the execute bit cannot start; say so instead of trusting the fork.
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        return false;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached(pid);
}

} // namespace platform
