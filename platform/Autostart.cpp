#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace platform {
namespace {

QString autostartDir()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/autostart");
}

// A name fit for a file name: path separators and control characters become "_".
QString entryName(const QString &name)
{
    QString cleaned;
    cleaned.reserve(name.size());
    for (const QChar c : name)
        cleaned +=
            (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20) ? QLatin1Char('_') : c;
    if (cleaned.isEmpty() || cleaned == QLatin1String(".") || cleaned == QLatin1String(".."))
        cleaned = QStringLiteral("launcher");
    return cleaned;
}

// Quoting of an argument in the Exec key: double quotes around it, with ", `, $ and \ escaped.
QString execQuoted(const QString &program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // "%" introduces field codes in Exec.
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    // The desktop entry format itself escapes backslashes in string values once more.
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return quoted;
}

QString singleLine(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

QString autostartEntryPath(const QString &name)
{
    return autostartDir() + QLatin1Char('/') + entryName(name) + QStringLiteral(".desktop");
}

bool setAutostart(const QString &name, const QString &program, bool enabled)
{
    const QString path = autostartEntryPath(name);
    if (!enabled)
        return !QFile::exists(path) || QFile::remove(path);

    if (!QDir().mkpath(autostartDir()))
        return false;
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=") +
                          singleLine(name) + QStringLiteral("\nExec=") + singleLine(execQuoted(program)) +
                          QStringLiteral("\nTerminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(entry.toUtf8());
    return file.commit();
}

bool isAutostartEnabled(const QString &name)
{
    return QFile::exists(autostartEntryPath(name));
}

} // namespace platform
