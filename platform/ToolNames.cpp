#include "platform/ToolNames.h"

#include "platform/ApplicationDir.h"

#include <QStandardPaths>

namespace platform {
namespace {

struct ToolMapping
{
    const char *name;
    const char *program;
    bool besideLauncher;
};

// System tools come from Debian packages; the patch adapter ships with the launcher.
const ToolMapping toolMappings[] = {
    {"7z.exe", "7z", false},
    {"adb.exe", "adb", false},
    {"cmd", "/bin/sh", false},
    {"cmd.exe", "/bin/sh", false},
    {"hpatchz.exe", "hpatchz", true},
};

QString systemProgram(const QString &program)
{
    if (program.startsWith(QLatin1Char('/')))
        return program;
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? program : found;
}

} // namespace

QString toolProgram(const QString &name)
{
    for (const ToolMapping &mapping : toolMappings) {
        if (name.compare(QLatin1String(mapping.name), Qt::CaseInsensitive) != 0)
            continue;
        const QString program = QString::fromLatin1(mapping.program);
        return mapping.besideLauncher ? applicationDir() + QLatin1Char('/') + program : systemProgram(program);
    }
    return name;
}

} // namespace platform
