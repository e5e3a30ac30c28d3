#include "devices/AdbCommandLines.h"

#include <QRegularExpression>

namespace devices {

QStringList listingArguments()
{
    return {QStringLiteral("devices"), QStringLiteral("-l")};
}

QStringList installArguments(const QString &serial, const QString &packageFile)
{
    return {QStringLiteral("-s"), serial, QStringLiteral("install"), QStringLiteral("-r"), packageFile};
}

QStringList startArguments(const QString &serial, const QString &package, const QString &activity)
{
    if (!isAndroidPackageName(package))
        return {};
    QStringList arguments{QStringLiteral("-s"), serial, QStringLiteral("shell"), QStringLiteral("am"),
                          QStringLiteral("start")};
    if (activity.isEmpty()) {
        // An intent for the package's launcher entry; am takes a bare package name as the intent's package.
        arguments << QStringLiteral("-a") << QStringLiteral("android.intent.action.MAIN")
                  << QStringLiteral("-c") << QStringLiteral("android.intent.category.LAUNCHER") << package;
        return arguments;
    }
    if (!isAndroidActivityName(activity))
        return {};
    arguments << QStringLiteral("-n") << package + QLatin1Char('/') + activity;
    return arguments;
}

bool isAndroidPackageName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A[A-Za-z][A-Za-z0-9_]*(\\.[A-Za-z][A-Za-z0-9_]*)+\\z"));
    return pattern.match(name).hasMatch();
}

bool isAndroidActivityName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A\\.?[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)*\\z"));
    return pattern.match(name).hasMatch();
}

} // namespace devices
