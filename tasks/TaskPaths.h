#pragma once

#include <QDateTime>
#include <QString>

// Where a game's files live below the application directory, and the placeholders of task commands.
//
//   Data/download/games/<productId>/          product directory: packages, patch outputs, version.data
//   Data/download/games/<productId>/install   default install directory
//
// A product identifier that cannot be one path component (empty, ".", "..", or holding "/" or "\") has no
// directory: the functions below answer "" (or false) for it instead of pointing outside the games folder.
namespace tasks {

// In a launch command: the game's install directory.
inline QString appPathPlaceholder()
{
    return QStringLiteral("APP_PATH");
}
// In a launch command: the package file; its presence is tested by "FILENAME".
inline QString fileNamePlaceholder()
{
    return QStringLiteral("FILENAME.exe");
}

// True when productId can name a directory of its own.
bool isSafeProductId(const QString &productId);

// applicationDir + "/Data/download/games/" + productId, or "" for an unsafe id.
QString productDir(const QString &productId);

// The user-selected install directory when the setting holds one, else productDir + "/install".
QString resolveInstallDir(const QString &productId);
// The same rule with the decoded user-selected directory given ("" when none is set).
QString resolveInstallDir(const QString &productId, const QString &userSelectedDir);

// Creates the product directory when missing and returns it + "/" + now as "yyyyMMddhhmmss" + "_" +
// fileName (only its last path component is used). "" for an unsafe id or when the directory cannot be made.
QString makeSavePath(const QString &productId, const QString &fileName);
QString makeSavePath(const QString &productId, const QString &fileName, const QDateTime &now);

// startcmd with every "APP_PATH" replaced by installDir and, when it holds "FILENAME", every
// "FILENAME.exe" replaced by fileName.
QString expandStartCommand(const QString &startcmd, const QString &installDir, const QString &fileName);

// True when the program named by startcmd (expanded against resolveInstallDir(productId)) exists.
bool isGameInstalled(const QString &productId, const QString &startcmd, const QString &fileName);

} // namespace tasks
