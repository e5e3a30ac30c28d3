#include "tasks/TaskPaths.h"

#include "core/QApi.h"
#include "platform/ApplicationDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tasks {

bool isSafeProductId(const QString &productId)
{
    return !productId.isEmpty() && productId != QLatin1String(".") && productId != QLatin1String("..") &&
           !productId.contains(QLatin1Char('/')) && !productId.contains(QLatin1Char('\\')) &&
           !productId.contains(QChar(0));
}

QString productDir(const QString &productId)
{
    if (!isSafeProductId(productId))
        return QString();
    return platform::applicationDir() + QStringLiteral("/Data/download/games/") + productId;
}

QString resolveInstallDir(const QString &productId)
{
    return resolveInstallDir(productId, QApi::instance()->userSelectInstallPath());
}

QString resolveInstallDir(const QString &productId, const QString &userSelectedDir)
{
    if (!userSelectedDir.isEmpty())
        return userSelectedDir;
    const QString dir = productDir(productId);
    return dir.isEmpty() ? QString() : dir + QStringLiteral("/install");
}

QString makeSavePath(const QString &productId, const QString &fileName)
{
    return makeSavePath(productId, fileName, QDateTime::currentDateTime());
}

QString makeSavePath(const QString &productId, const QString &fileName, const QDateTime &now)
{
    const QString dir = productDir(productId);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return QString();
    // The name comes from a download address; only its last component may name the file.
    const QString name = QFileInfo(QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    return dir + QLatin1Char('/') + now.toString(QStringLiteral("yyyyMMddhhmmss")) + QLatin1Char('_') + name;
}

QString expandStartCommand(const QString &startcmd, const QString &installDir, const QString &fileName)
{
    QString command = startcmd;
    command.replace(appPathPlaceholder(), installDir);
    if (command.contains(QLatin1String("FILENAME")))
        command.replace(fileNamePlaceholder(), fileName);
    return command;
}

bool isGameInstalled(const QString &productId, const QString &startcmd, const QString &fileName)
{
    const QString installDir = resolveInstallDir(productId);
    if (installDir.isEmpty())
        return false;
    const QString program = expandStartCommand(startcmd, installDir, fileName);
    return !program.isEmpty() && QFile::exists(program);
}

} // namespace tasks
