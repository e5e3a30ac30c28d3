// The storefront's actions: every action the page sends through the bridge arrives here.
#include "ui/MorvuSDKKFWinApp.h"

#include "bridge/ActionEnvelope.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "core/SystemConf.h"
#include "platform/gui/WindowSystem.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/DirectoryChooser.h"
#include "ui/LoginDialog.h"

#include <QDebug>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

void MorvuSDKKFWinApp::JS_mainPageEvent(QString s, QString params)
{
    qDebug() << "js event callback main" << s << "==>" << params;

    handleWindowAction(s);
    if (s == QLatin1String("changeAccount")) {
        changeAccountSlot(true, true);
        return;
    }
    if (s == QLatin1String("logout")) {
        changeAccountSlot(true, false);
        return;
    }

    const ActionEnvelope envelope = ActionEnvelope::parse(params);
    if (!envelope.isValid() || !envelope.hasData())
        return;
    dispatchDataAction(s, envelope);
}

void MorvuSDKKFWinApp::handleWindowAction(const QString &action)
{
    if (action == QLatin1String("window_small"))
        showMinimized();
    else if (action == QLatin1String("window_hide"))
        hide();
    else if (action == QLatin1String("window_close"))
        closeApplication(false);
    else if (action == QLatin1String("window_full"))
        isMaximized() ? showNormal() : showMaximized();
}

void MorvuSDKKFWinApp::dispatchDataAction(const QString &action, const ActionEnvelope &envelope)
{
    auto field = [&envelope](const char *key) { return envelope.text(key); };

    if (action == QLatin1String("newMessage")) {
        newMessage(envelope);
    } else if (action == QLatin1String("offline")) {
        if (!platform::isForegroundWindow(this))
            flashMainWindow();
        if (trayIcon)
            trayIcon->setIcon(QIcon(QStringLiteral(":/images/icon.ico")));
    } else if (action == QLatin1String("clearGameData")) {
        emit clearLocalGameData(field("productId"), false);
    } else if (action == QLatin1String("clearHistoryData")) {
        emit clearHistoryGameData(field("productId"), field("keyword"));
    } else if (action == QLatin1String("openWindow")) {
        openWindow(envelope);
    } else if (action == QLatin1String("checkLocalGame")) {
        emit checkLocalGameResource(field("productId"), field("productName"), field("url"), field("startcmd"),
                                    field("installcmd"), QString(), field("platform"), field("package"),
                                    field("versionNo"), field("versionName"));
    } else if (action == QLatin1String("downGame")) {
        emit manageThreadCrateTask(field("productId"), field("productName"), field("url"), field("startcmd"),
                                   field("installcmd"), field("logo"), field("platform"), field("package"),
                                   field("versionNo"), field("versionName"));
    } else if (action == QLatin1String("recheckInstall")) {
        emit manageThreadRecheckInstall(
            field("productId"), field("productName"), field("url"), field("startcmd"), field("installcmd"),
            field("logo"), field("platform"), field("package"), field("versionNo"), field("versionName"));
    } else if (action == QLatin1String("pauseDown")) {
        emit manageThreadPauseTask(field("productId"));
    } else if (action == QLatin1String("updateGame")) {
        emit manageThreadUpdateGame(field("productId"), field("url"), field("versionNo"),
                                    field("versionName"));
    } else if (action == QLatin1String("startApp")) {
        startApp(envelope);
    } else if (action == QLatin1String("startAndroidApp")) {
        emit adbStartAndroidApp(field("productId"), field("package"), field("startcmd"));
    } else if (action == QLatin1String("checkProductInstall")) {
        emit checkLocalProductIds(field("productIds"));
    } else if (action == QLatin1String("checkProductInstallAll")) {
        emit checkLocalProductAll(true);
    } else if (action == QLatin1String("deleteDownTask")) {
        emit deleteDownLoadTask(field("productId"));
    } else if (action == QLatin1String("addGameToMy")) {
        emit addGameToMy(field("productId"), field("productName"), field("url"), field("startcmd"),
                         field("installcmd"), field("logo"), field("platform"), field("package"));
    } else if (action == QLatin1String("changeDefaultDevice")) {
        emit changeDefaultDevice(field("deviceType"));
    } else if (action == QLatin1String("setProductTop")) {
        emit setProductTop(field("productId"));
    } else if (action == QLatin1String("deleteMyGame")) {
        const QString productId = field("productId");
        emit manageThreadPauseTask(productId);
        resetGameDownload(productId);
        emit deleteMyGame(productId);
    } else if (action == QLatin1String("openH5Game")) {
        openH5Game(envelope);
    } else if (action == QLatin1String("updateSystemConf")) {
        QApi::instance()->setSystemConfValue(field("key"), field("val"));
        emit updateSystemConfPage();
    } else if (action == QLatin1String("openSystemConf")) {
        openSystemConf(envelope);
    } else if (action == QLatin1String("checkDevices")) {
        emit checkDevices();
    } else if (action == QLatin1String("runJavascript")) {
        emit runJavascript(field("fun"));
    } else if (action == QLatin1String("falshWindow")) {
        flashMainWindow();
    } else if (action == QLatin1String("updateMainexe")) {
        updateLauncher(field("url"), field("md5"));
    } else if (action == QLatin1String("openAboutme")) {
        showAboutDialog();
    } else if (action == QLatin1String("openLoginDialog")) {
        toggleLoginDialog();
    } else if (action == QLatin1String("selectInstallPath")) {
        selectInstallPath(envelope);
    }
    // "openServiceUrl", "openServicePage", "openMorvuService", "openChatPage" and unknown names: nothing.
}

void MorvuSDKKFWinApp::newMessage(const ActionEnvelope &envelope)
{
    const QString content = envelope.text("content");
    const QString title = envelope.text("title");
    const int isSelected = envelope.number("isSelected");
    const int isMust = envelope.number("isMust");
    if (!platform::isForegroundWindow(this) || isMust == 1) {
        flashMainWindow();
        playMessageSound();
        if (trayIcon && isSelected == 1)
            trayIcon->showMessage(title, content, QIcon(QStringLiteral(":/images/icon.ico")), 1000);
    }
    if (!isVisible())
        unreadCount = 1;
}

void MorvuSDKKFWinApp::openWindow(const ActionEnvelope &envelope)
{
    const QString type = envelope.text("type");
    DialogPage *target = nullptr;
    if (type == QLatin1String("messageBox"))
        target = messageBoxPage;
    else if (type == QLatin1String("downloadBox"))
        target = downloadBoxPage;
    if (!target)
        return;
    target->setWindowTitle(envelope.text("title"));
    target->resize(envelope.number("width"), envelope.number("height"));
    target->showWithScript(envelope.text("fun"), envelope.number("modal"));
}

void MorvuSDKKFWinApp::startApp(const ActionEnvelope &envelope)
{
    QString productId = envelope.text("productId");
    QString startcmd = envelope.text("startcmd");
    QString platform = envelope.text("platform");
    const QString fixed = QApi::instance()->fixLocalpath;
    if (!fixed.isEmpty() && QFileInfo(fixed).isFile()) {
        productId = QStringLiteral("1");
        startcmd = fixed;
        platform = QStringLiteral("11");
    }
    emit manageThreadStartApp(productId, startcmd, platform);
}

void MorvuSDKKFWinApp::openH5Game(const ActionEnvelope &envelope)
{
    const QString productId = envelope.text("productId");
    const QString productName = envelope.text("productName");
    const QString url = envelope.text("url");
    const QString logo = envelope.text("logo");
    QApi *api = QApi::instance();
    if (api->getSystemConf(QStringLiteral("laucherAppAfter"), QStringLiteral("1")) == QLatin1String("1"))
        showMinimized();

    if (CFramelessWindow *open = playGames.value(productId)) {
        platform::flashWindow(open);
        if (open->isMinimized())
            open->showNormal();
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }

    QString address;
    if (url.isEmpty()) {
        address = api->apiHost() + QStringLiteral("/gameCenter/error?authToken=") + authToken;
    } else if (url.contains(QLatin1String("ptToken"))) {
        address = url;
    } else {
        address =
            url +
            (url.contains(QLatin1Char('?')) ? QStringLiteral("&ptToken=") : QStringLiteral("?ptToken=")) +
            ptToken + QStringLiteral("&from=pcbox");
    }

    if (CFramelessWindow *game = createGameWindow(address, productId, productName, logo)) {
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
        int width = static_cast<int>(available.width() * 0.9);
        const int height = static_cast<int>(available.height() * 0.9);
        if (url.contains(QLatin1String("gameCenter")) &&
            (url.contains(QLatin1String("enjoy")) || url.contains(QLatin1String("play"))))
            width = 600;
        game->resize(width, height);
        game->centerOnScreen();
        game->fadeIn();
        playGames.insert(productId, game);
    }
    emit addGameToMy(productId, productName, url, QString(), QString(), logo, QStringLiteral("3"), QString());
}

void MorvuSDKKFWinApp::closePlayGamePage(QString productId)
{
    const QPointer<CFramelessWindow> game = playGames.take(productId);
    if (game)
        game->close();
}

void MorvuSDKKFWinApp::openSystemConf(const ActionEnvelope &envelope)
{
    if (!systemConfPage)
        return;
    if (systemConfPage->isVisible()) {
        systemConfPage->hide();
        return;
    }
    const QString productId = envelope.text("productId");
    const QString startcmd = envelope.text("startcmd");
    systemConfPage->resize(650, 450);
    systemConfPage->productId = productId;
    systemConfPage->runPageScript(QStringLiteral("setProductId(") + jscall::singleQuoted(productId) +
                                  QLatin1Char(',') + jscall::doubleQuoted(startcmd) + QLatin1Char(')'));
    systemConfPage->centerOnScreen();
    systemConfPage->setWindowModality(Qt::WindowModal);
    systemConfPage->fadeIn();
}

void MorvuSDKKFWinApp::toggleLoginDialog()
{
    if (loginDialog->isVisible()) {
        loginDialog->hide();
        return;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        loginDialog->move((available.width() - loginDialog->width()) / 2,
                          (available.height() - loginDialog->height()) / 2);
    }
    loginDialog->show();
}

void MorvuSDKKFWinApp::selectInstallPath(const ActionEnvelope &envelope)
{
    const QString directory = directorychooser::chooseInstallDirectory();
    if (directory.isEmpty())
        return;
    QApi *api = QApi::instance();
    const QString encoded = systemconf::encodeInstallPath(directory);
    if (!envelope.hasText("startcmd")) {
        api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), encoded);
        return;
    }
    QString program = envelope.text("startcmd");
    program.replace(QLatin1String("APP_PATH"), directory);
    if (!QFileInfo(program).isFile()) {
        runInPage(QStringLiteral("layer.msg(") + jscall::singleQuoted(tr("pathNoGame")) +
                  QStringLiteral(",{icon:2})"));
        return;
    }
    const QMap<QString, QString> version = api->readVersionData(directory);
    emit manageThreadCrateHasInstallTask(
        envelope.text("productId"), envelope.text("productName"), envelope.text("url"),
        envelope.text("startcmd"), envelope.text("installcmd"), envelope.text("logo"),
        envelope.text("platform"), envelope.text("package"), version.value(QStringLiteral("versionNo")),
        version.value(QStringLiteral("versionName")), directory);
    api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), encoded);
}
