// The main window's side of the tray icon, the H5 game windows, the About window and the launcher
// self-update. The windows themselves are separate classes; until they exist these pieces do the least
// that keeps the main window whole (no tray icon, no game window, no About window, no download).
#include "ui/MorvuSDKKFWinApp.h"

#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "core/SystemConf.h"
#include "platform/gui/WindowSystem.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"

#include <QAction>
#include <QDebug>
#include <QIcon>
#include <QNetworkReply>
#include <QTimer>

void MorvuSDKKFWinApp::createTrayIcon()
{
    // The tray icon and its menu are built by the tray piece; nothing to do while it is absent.
}

void MorvuSDKKFWinApp::removeTrayIcon()
{
    if (!trayIcon)
        return;
    trayIcon->setVisible(false);
    trayIcon->deleteLater();
    trayIcon = nullptr;
}

void MorvuSDKKFWinApp::iconIsActived(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::Trigger)
        return;
    if (unreadCount > 0)
        runInPage(QStringLiteral("changeToFriendPage()"));
    unreadCount = 0;
    if (trayIcon)
        trayIcon->setIcon(QIcon(QStringLiteral(":/images/icon.ico")));
    show();
    showNormal();
    raise();
    activateWindow();
}

void MorvuSDKKFWinApp::checkTaskIcon()
{
    blinkCounter = blinkCounter >= 100000 ? 2 : blinkCounter + 1;
    if (sizeDirty) {
        sizeDirty = false;
        qDebug() << "saveWindowSize";
        saveWindowSize(lastWidth, lastHeight);
    }
    if (unreadCount > 0 && !isVisible() && trayIcon) {
        trayIcon->setIcon(blinkCounter % 2 ? QIcon(QStringLiteral("image/null.png"))
                                           : QIcon(QStringLiteral(":/images/icon.ico")));
    }
}

void MorvuSDKKFWinApp::closeSoundButtonSlot(bool)
{
    const QString useSound = QApi::instance()->getSystemConf(QStringLiteral("useSound"), QStringLiteral("1"));
    const QString next = useSound == QLatin1String("0") ? QStringLiteral("1") : QStringLiteral("0");
    if (systemConfPage)
        systemConfPage->runPageScript(QStringLiteral("setUseSound(") + next + QStringLiteral(");"));
}

void MorvuSDKKFWinApp::menutCloseApplication(bool)
{
    closeApplication(true);
}

void MorvuSDKKFWinApp::playMessageSound()
{
    // The message sound belongs to the tray piece.
}

void MorvuSDKKFWinApp::systemConfHasUpate()
{
    qDebug() << "system conf has update , to reset local data";
    const QString useSound = QApi::instance()->getSystemConf(QStringLiteral("useSound"), QStringLiteral("1"));
    if (soundAction)
        soundAction->setText(useSound == QLatin1String("0") ? tr("openSound") : tr("closeSound"));
}

void MorvuSDKKFWinApp::flashMainWindow()
{
    platform::flashWindow(this);
}

CFramelessWindow *MorvuSDKKFWinApp::createGameWindow(const QString &address, const QString &productId,
                                                     const QString &, const QString &)
{
    qDebug() << "no game window for" << productId << address;
    return nullptr;
}

void MorvuSDKKFWinApp::showAboutDialog()
{
    qDebug() << "no About window";
}

void MorvuSDKKFWinApp::releaseAboutDialog() {}

void MorvuSDKKFWinApp::updateLauncher(const QString &url, const QString &)
{
    qDebug() << "no self-update for" << url;
}

void MorvuSDKKFWinApp::downLoadMainExtFinished() {}
