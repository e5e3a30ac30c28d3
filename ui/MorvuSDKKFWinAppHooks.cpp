// The main window's side of the tray icon, the message sound, the H5 game windows, the About window and
// the launcher self-update. The windows and the download are classes of their own.
#include "ui/MorvuSDKKFWinApp.h"

#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "core/SystemConf.h"
#include "platform/gui/WindowSystem.h"
#include "ui/AboutMe.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/LauncherUpdate.h"
#include "ui/MessageSound.h"
#include "ui/PlayGame.h"

#include <QAction>
#include <QDebug>
#include <QIcon>
#include <QMenu>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QTimer>

namespace {

const char TrayIconPath[] = ":/images/icon.ico";
// The off phase of the blinking: a file in the working directory; without it the tray shows nothing.
const char BlinkOffIconPath[] = "image/null.png";
// Set on the tray icon while the blinking left it in the off phase.
const char BlinkOffProperty[] = "blinkOff";

QIcon trayIconImage()
{
    return QIcon(QString::fromLatin1(TrayIconPath));
}

// The window's one helper of a kind, created on first use.
template <typename Helper, typename... Args> Helper *helperOf(QObject *window, Args... args)
{
    if (auto *helper = window->findChild<Helper *>(QString(), Qt::FindDirectChildrenOnly))
        return helper;
    return new Helper(args...);
}

} // namespace

void MorvuSDKKFWinApp::createTrayIcon()
{
    if (trayIcon)
        return;
    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setIcon(trayIconImage());
    trayIcon->setToolTip(windowTitle());

    // The menu has no parent (a tray menu is a window of its own); it goes with the tray icon.
    auto *menu = new QMenu;
    menu->setObjectName(QStringLiteral("notfiyMenu"));
    menu->setStyleSheet(QStringLiteral("QMenu#notfiyMenu{border-radius: 2px;border: 1px solid "
                                       "#c8c8c8;padding:2px;}QMenu::item{ height:30px}"));
    connect(trayIcon, &QObject::destroyed, menu, [menu] { delete menu; });

    auto *exitAction = new QAction(tr("exit"), menu);
    connect(exitAction, &QAction::triggered, this, &MorvuSDKKFWinApp::menutCloseApplication);
    auto *accountAction = new QAction(QIcon(QStringLiteral(":/images/Resources/images/Sign-out.png")),
                                      tr("changeAccount"), menu);
    connect(accountAction, &QAction::triggered, this, qOverload<bool>(&MorvuSDKKFWinApp::changeAccountSlot));
    soundAction = new QAction(menu);
    const QString useSound = QApi::instance()->getSystemConf(QStringLiteral("useSound"), QStringLiteral("1"));
    soundAction->setText(useSound == QLatin1String("0") ? tr("openSound") : tr("closeSound"));
    connect(soundAction, &QAction::triggered, this, &MorvuSDKKFWinApp::closeSoundButtonSlot);

    menu->addAction(accountAction);
    menu->addSeparator();
    menu->addAction(soundAction);
    menu->addSeparator();
    menu->addAction(exitAction);

    trayIcon->setContextMenu(menu);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &MorvuSDKKFWinApp::iconIsActived);

    QPainterPath corners;
    corners.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(menu->sizeHint())), 2, 2);
    menu->setMask(QRegion(corners.toFillPolygon().toPolygon()));

    trayIcon->setVisible(true);

    // The chime comes with the tray; newMessage plays it for every message shown as a notification.
    helperOf<MessageSound>(this, this);
}

void MorvuSDKKFWinApp::removeTrayIcon()
{
    if (!trayIcon)
        return;
    trayIcon->setVisible(false);
    trayIcon->deleteLater();
    trayIcon = nullptr;
    soundAction = nullptr;
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
    if (!trayIcon)
        return;
    if (unreadCount > 0 && !isVisible()) {
        const bool off = blinkCounter % 2;
        trayIcon->setIcon(off ? QIcon(QString::fromLatin1(BlinkOffIconPath)) : trayIconImage());
        trayIcon->setProperty(BlinkOffProperty, off);
    } else if (trayIcon->property(BlinkOffProperty).toBool()) {
        // The window came back by another way than the tray: the icon must not stay in its off phase.
        trayIcon->setIcon(trayIconImage());
        trayIcon->setProperty(BlinkOffProperty, false);
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
    helperOf<MessageSound>(this, this)->play();
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
                                                     const QString &productName, const QString &logo)
{
    auto *game = new PlayGame;
    game->loadGameUrl(address);
    game->setAttribute(Qt::WA_DeleteOnClose);
    game->setGameInfo(uid, username, nickName, avatarUrl, logo, productId, productName,
                      QApi::instance()->productCode, authToken, ptToken);
    connect(game, &PlayGame::closePlayGamePage, this, &MorvuSDKKFWinApp::closePlayGamePage);
    return game;
}

void MorvuSDKKFWinApp::showAboutDialog()
{
    if (!aboutMe)
        aboutMe = new AboutMe;
    aboutMe->setUserContext(uid, QApi::instance()->productCode, authToken);
    aboutMe->centerOnScreen();
    aboutMe->fadeIn(200);
}

void MorvuSDKKFWinApp::releaseAboutDialog()
{
    if (aboutMe)
        aboutMe->deleteLater();
    aboutMe = nullptr;
}

void MorvuSDKKFWinApp::updateLauncher(const QString &url, const QString &md5)
{
    helperOf<LauncherUpdate>(this, this)->start(url, md5);
}

void MorvuSDKKFWinApp::downLoadMainExtFinished()
{
    // The download helper closes and releases its reply itself.
}
