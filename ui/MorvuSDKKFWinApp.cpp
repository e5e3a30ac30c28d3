#include "ui/MorvuSDKKFWinApp.h"

#include "bridge/BridgeScripts.h"
#include "bridge/JavascriptCallback.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "devices/AdbThread.h"
#include "platform/ApplicationDir.h"
#include "tasks/ManageThread.h"
#include "ui/CWebEnginePage.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/Intervals.h"
#include "ui/LoginDialog.h"
#include "ui/LoginPage.h"
#include "ui/LoginWait.h"
#include "ui/NativeMessage.h"
#include "ui/PageBridge.h"
#include "ui/ReservedHostBlocker.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {
constexpr int FormWidth = 1280;
constexpr int FormHeight = 730;
} // namespace

MorvuSDKKFWinApp::MorvuSDKKFWinApp() : CFramelessWindow(nullptr)
{
    buildForm();
    setAttribute(Qt::WA_TranslucentBackground);
    firstShowPending = true;

    loginDialog = new LoginDialog(this);
    QApi *api = QApi::instance();
    setWindowTitle(api->appName);

    auto *page = new CWebEnginePage(mainWebView);
    mainWebView->setPage(page);
    ReservedHostBlocker::installOn(page->profile());
    pageBridge = new PageBridge(page, api->apiHost(), this);

    connect(mainWebView, &QWebEngineView::loadFinished, this,
            &MorvuSDKKFWinApp::Webview_mainWebView_loadFinished);
    connect(mainWebView, &QWebEngineView::loadProgress, this,
            &MorvuSDKKFWinApp::Webview_mainWebView_loadProgress);
    connect(loginDialog, &LoginDialog::setUserInfo, this, &MorvuSDKKFWinApp::setUserInfo);

    QWebEngineSettings *settings = page->settings();
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::ScrollAnimatorEnabled, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);

    taskIconTimer = new QTimer(this);
    connect(taskIconTimer, &QTimer::timeout, this, &MorvuSDKKFWinApp::checkTaskIcon);
    taskIconTimer->setInterval(intervals::TaskIconTickMs);
    taskIconTimer->start();

    manageThread = new ManageThread(this);
    wireTaskManager();
    manageThread->setAuthToken(authToken);
    manageThread->start(QThread::InheritPriority);

    adbThread = new AdbThread(this);
    wireDeviceBridge();
    adbThread->start(QThread::InheritPriority);

    connect(api, &QApi::systemConfHasUpate, this, &MorvuSDKKFWinApp::systemConfHasUpate);
}

MorvuSDKKFWinApp::~MorvuSDKKFWinApp()
{
    qDebug() << "__destory";
    releaseDialogPages();
    releaseAboutDialog();
    // Game windows live only as long as the window that opened them.
    for (const QPointer<CFramelessWindow> &game : qAsConst(playGames))
        delete game.data();
    playGames.clear();
    if (manageThread && manageThread->isRunning()) {
        // Normally the exit path has waited for the thread already; a window destroyed without it must
        // still not destroy a running thread.
        emit wantManageThreadQuit();
        if (!manageThread->wait(65000))
            qWarning("task manager thread did not finish");
    }
    // The bridge's own destructor asks its thread to quit and waits for it.
    delete adbThread;
    adbThread = nullptr;
    delete loginDialog;
    delete waitScreen;
}

void MorvuSDKKFWinApp::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MorvuSDKKFWinAppClass"));
    setWindowModality(Qt::NonModal);
    resize(FormWidth, FormHeight);
    setMinimumSize(FormWidth, FormHeight);
    setMaximumSize(FormWidth, FormHeight);
    QFont font;
    font.setFamily(QStringLiteral("Microsoft YaHei"));
    setFont(font);
    QIcon icon;
    icon.addFile(QStringLiteral("icon.ico"), QSize(), QIcon::Normal, QIcon::Off);
    setWindowIcon(icon);
    setStyleSheet(QStringLiteral("QMainWindow#MorvuSDKKFWinAppClass{\n\tborder-radius:6px\n}"));
    setWindowTitle(QCoreApplication::translate("MorvuSDKKFWinAppClass", "appName"));

    centralWidgetArea = new QWidget(this);
    centralWidgetArea->setObjectName(QStringLiteral("centralWidget"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(centralWidgetArea->sizePolicy().hasHeightForWidth());
    centralWidgetArea->setSizePolicy(policy);
    centralWidgetArea->setMinimumSize(FormWidth, FormHeight);
    centralWidgetArea->setMaximumSize(FormWidth, FormHeight);
    centralWidgetArea->setStyleSheet(QStringLiteral("QWidget#centralWidget{\n\tborder-radius:6px;\n}"));
    auto *layout = new QVBoxLayout(centralWidgetArea);
    layout->setObjectName(QStringLiteral("verticalLayout"));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    mainWebView = new CWebPage(centralWidgetArea);
    mainWebView->setObjectName(QStringLiteral("mainWebView"));
    mainWebView->setMinimumSize(FormWidth, FormHeight);
    mainWebView->setMaximumSize(FormWidth, FormHeight);
    mainWebView->setStyleSheet(
        QStringLiteral("QWebEngineView#mainWebView{\n\tborder:0;\n\tborder-radius:6px;\n}"));
    mainWebView->setUrl(QUrl(QStringLiteral("about:blank")));
    layout->addWidget(mainWebView);
    setCentralWidget(centralWidgetArea);
    QMetaObject::connectSlotsByName(this);
}

void MorvuSDKKFWinApp::wireTaskManager()
{
    ManageThread *tasks = manageThread;
    connect(this, &MorvuSDKKFWinApp::wantManageThreadQuit, tasks, &ManageThread::wantManageThreadQuit);
    connect(tasks, &QThread::finished, this, &MorvuSDKKFWinApp::manageThreadHasFinished);
    connect(this, &MorvuSDKKFWinApp::manageThreadCrateTask, tasks, &ManageThread::createTask);
    connect(this, &MorvuSDKKFWinApp::checkLocalGameResource, tasks, &ManageThread::checkLocalGameResource);
    connect(this, &MorvuSDKKFWinApp::manageThreadRecheckInstall, tasks, &ManageThread::recheckInstall);
    connect(this, &MorvuSDKKFWinApp::addGameToMy, tasks, &ManageThread::addGameToMy);
    connect(this, &MorvuSDKKFWinApp::manageThreadPauseTask, tasks, &ManageThread::pauseTask);
    connect(this, &MorvuSDKKFWinApp::manageThreadStartApp, tasks, &ManageThread::manageThreadStartApp);
    connect(this, &MorvuSDKKFWinApp::manageThreadUpdateGame, tasks, &ManageThread::updateGame);
    connect(this, &MorvuSDKKFWinApp::manageThreadCrateHasInstallTask, tasks,
            &ManageThread::createHasInstallTask);
    connect(tasks, &ManageThread::updateDownloadTaskStatus, this, &MorvuSDKKFWinApp::changeDownload_status);
    connect(this, &MorvuSDKKFWinApp::clearHistoryGameData, tasks, &ManageThread::clearHistoryGameData);
    connect(tasks, &ManageThread::runSystemPageFun, this, &MorvuSDKKFWinApp::runSystemPageFun);
    connect(tasks, &ManageThread::spaceWarn, this, &MorvuSDKKFWinApp::spaceWarn);
    connect(tasks, &ManageThread::spaceWarnOnlyTips, this, &MorvuSDKKFWinApp::spaceWarnOnlyTips);
    connect(tasks, &ManageThread::runMainPageFunc, this, &MorvuSDKKFWinApp::runMainPageFunc);
    connect(tasks, &ManageThread::updateDownloadTaskError, this, &MorvuSDKKFWinApp::changeDownload_error);
    connect(tasks, &ManageThread::mainWindowMini, this, &MorvuSDKKFWinApp::Contols_miniButton_clicked);
    connect(this, &MorvuSDKKFWinApp::setProductTop, tasks, &ManageThread::setProductTop);
    connect(this, &MorvuSDKKFWinApp::deleteMyGame, tasks, &ManageThread::deleteMyGame);
    connect(this, &MorvuSDKKFWinApp::checkLocalProductIds, tasks, &ManageThread::checkLocalProductIds);
    connect(this, &MorvuSDKKFWinApp::checkLocalProductAll, tasks, &ManageThread::checkLocalProductAll);
    connect(this, &MorvuSDKKFWinApp::deleteDownLoadTask, tasks, &ManageThread::deleteDownLoadTask);
    connect(tasks, &ManageThread::updateLocalProductStatus, this,
            &MorvuSDKKFWinApp::updateLocalProductStatus);
    connect(tasks, &ManageThread::clearAutoUpdateKey, this, &MorvuSDKKFWinApp::clearAutoUpdateKey);
}

void MorvuSDKKFWinApp::wireDeviceBridge()
{
    AdbThread *adb = adbThread;
    connect(this, &MorvuSDKKFWinApp::checkDevices, adb, &AdbThread::checkDevices);
    connect(this, &MorvuSDKKFWinApp::changeDefaultDevice, adb, &AdbThread::changeDefaultDevice);
    connect(this, &MorvuSDKKFWinApp::adbStartAndroidApp, adb, &AdbThread::adbStartAndroidApp);
    connect(this, &MorvuSDKKFWinApp::wantAdbThreadQuit, adb, &AdbThread::wantAdbThreadQuit);
    connect(adb, &AdbThread::changeUSBStatus, this, &MorvuSDKKFWinApp::changeUSBStatus);
    connect(adb, &AdbThread::getUSBdevices, this, &MorvuSDKKFWinApp::setUSBdevices);
    connect(adb, &AdbThread::choseDefaultDevice, this, &MorvuSDKKFWinApp::choseDefaultDevice);
    connect(adb, &AdbThread::updateDownloadTaskStatus, this, &MorvuSDKKFWinApp::changeDownload_status);
    connect(manageThread, &ManageThread::checkDeviceCanInstall, adb, &AdbThread::checkDeviceCanInstall);
    connect(adb, &AdbThread::installStatus, manageThread, &ManageThread::changeInstallStatus);
    connect(adb, &QThread::finished, this, &MorvuSDKKFWinApp::adbThreadHasFinished);
}

void MorvuSDKKFWinApp::wireDialogPage(DialogPage *page)
{
    ManageThread *tasks = manageThread;
    // The settings page's own rows, then what the download and message pages send as well.
    connect(page, &DialogPage::openAbountMe, this, &MorvuSDKKFWinApp::openAbountMe);
    connect(page, &DialogPage::clearCache, this, &MorvuSDKKFWinApp::clearCache);
    connect(page, &DialogPage::clearLocalGameData, tasks, &ManageThread::clearGameData);
    connect(page, &DialogPage::manageThreadCrateHasInstallTask, tasks, &ManageThread::createHasInstallTask);
    connect(page, &DialogPage::clearUnreadMessage, this, &MorvuSDKKFWinApp::clearUnreadMessage);
    connect(page, &DialogPage::manageThreadCrateTask, tasks,
            [tasks](QString productId, QString productName, QString url, QString start, QString install,
                    QString logo, QString platform, QString package) {
                tasks->createTask(productId, productName, url, start, install, logo, platform, package,
                                  QString(), QString());
            });
    connect(page, &DialogPage::manageThreadPauseTask, tasks, &ManageThread::pauseTask);
    connect(page, &DialogPage::manageThreadStartApp, tasks, &ManageThread::manageThreadStartApp);
    connect(page, &DialogPage::adbStartAndroidApp, this, &MorvuSDKKFWinApp::adbStartAndroidApp);
    connect(page, &DialogPage::checkLocalProductIds, tasks, &ManageThread::checkLocalProductIds);
    connect(page, &DialogPage::checkLocalProductAll, tasks, &ManageThread::checkLocalProductAll);
    connect(page, &DialogPage::deleteDownLoadTask, tasks, &ManageThread::deleteDownLoadTask);
}

DialogPage *MorvuSDKKFWinApp::createDialogPage(const QString &pageFile, const QString &title)
{
    auto *page = new DialogPage;
    page->setWindowFlags(page->windowFlags() | Qt::WindowStaysOnTopHint);
    page->setPageContext(QApi::instance()->productCode, authToken);
    page->setWindowTitle(title);
    wireDialogPage(page);
    page->loadPageUrl(QStringLiteral("qrc:/html/Resources/html/") + pageFile);
    return page;
}

void MorvuSDKKFWinApp::releaseDialogPages()
{
    for (QPointer<DialogPage> *page : {&messageBoxPage, &downloadBoxPage, &systemConfPage}) {
        if (*page)
            (*page)->deleteLater();
        *page = nullptr;
    }
}

void MorvuSDKKFWinApp::loadMainPage(QString loginUid, QString token)
{
    QApi *api = QApi::instance();
    const QString address = api->gameLaucherUrl() + QStringLiteral("?productCode=") + api->productCode +
                            QStringLiteral("&versionNo=") + QString::number(api->versionCode()) +
                            QStringLiteral("&authToken=") + token + QStringLiteral("&channelCode=") +
                            api->channelCode + QStringLiteral("&lang=") + api->lang +
                            QStringLiteral("&theme=") + api->theme;
    // The saved login stays the window's login: the About window, game windows and the task manager
    // need its token as much as the storefront does.
    uid = loginUid;
    loadPage(address, token);
    setWindowOpacity(0.0);

    if (!waitScreen) {
        waitScreen = new LoginWait;
        connect(this, &MorvuSDKKFWinApp::waitPageUpdateProgress, waitScreen,
                &LoginWait::waitPageUpdateProgress);
    }
    waitScreen->show();
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool);

    if (!loadTimeoutTimer) {
        loadTimeoutTimer = new QTimer(this);
        loadTimeoutTimer->setSingleShot(true);
        connect(loadTimeoutTimer, &QTimer::timeout, this, &MorvuSDKKFWinApp::loadMainPageTimeout);
    }
    loadTimeoutTimer->start(intervals::loadMainPageTimeoutMs());
}

void MorvuSDKKFWinApp::loadPage(QString url, QString token)
{
    authToken = token;
    if (manageThread)
        manageThread->setAuthToken(authToken);
    mainWebView->setUrl(QUrl(url, QUrl::TolerantMode));
    qDebug() << "url" << url;
    firstShowPending = true;

    releaseDialogPages();
    systemConfPage = createDialogPage(QStringLiteral("systemConf.html"), tr("systemConf"));
    connect(this, &MorvuSDKKFWinApp::updateSystemConfPage, systemConfPage.data(),
            &DialogPage::updateSystemConf);
    connect(this, &MorvuSDKKFWinApp::clearLocalGameData, manageThread, &ManageThread::clearGameData,
            Qt::UniqueConnection);

    downloadBoxPage = createDialogPage(QStringLiteral("downloadBox.html"), QString());
    connect(manageThread, &ManageThread::updateDownloadTaskStatus, downloadBoxPage.data(),
            &DialogPage::changeDownload_status);
    connect(manageThread, &ManageThread::updateDownloadTaskError, downloadBoxPage.data(),
            &DialogPage::changeDownload_error);
    connect(manageThread, &ManageThread::updateLocalProductStatus, downloadBoxPage.data(),
            &DialogPage::updateLocalProductStatus);
    messageBoxPage = createDialogPage(QStringLiteral("messageBox.html"), QString());
}

void MorvuSDKKFWinApp::installBridge()
{
    JavascriptCallback *bridge = pageBridge->install();
    if (!bridge)
        return;
    connect(bridge, &JavascriptCallback::moveMainWindow, this, &MorvuSDKKFWinApp::JS_moveMainWindow);
    connect(bridge, &JavascriptCallback::mainPageLoadSuccess, this,
            &MorvuSDKKFWinApp::JS_mainPageLoadSuccess);
    connect(bridge, &JavascriptCallback::mainPageEvent, this, &MorvuSDKKFWinApp::JS_mainPageEvent);

    QApi *api = QApi::instance();
    runInPage(bridgescripts::actionScript());
    runInPage(bridgescripts::channelScript());
    runInPage(jscall::call(QStringLiteral("setSystemConf"), {api->systemConfForPage()}));
    runInPage(QStringLiteral("setAppName(") + jscall::doubleQuoted(api->appName) + QLatin1Char(')'));
    if (!api->paySite.isEmpty())
        runInPage(QStringLiteral("setPayUrl(") + jscall::doubleQuoted(api->paySite) + QLatin1Char(')'));
}

void MorvuSDKKFWinApp::runInPage(const QString &script)
{
    mainWebView->page()->runJavaScript(script);
}

void MorvuSDKKFWinApp::Webview_mainWebView_loadFinished(bool)
{
    installBridge();
}

void MorvuSDKKFWinApp::Webview_mainWebView_loadProgress(int rate)
{
    if (!waitScreen || !waitScreen->isVisible())
        return;
    qDebug() << "==loadRate" << rate;
    emit waitPageUpdateProgress(rate);
}

void MorvuSDKKFWinApp::JS_mainPageLoadSuccess(QString)
{
    if (loginPageWindow) {
        loginPageWindow->hide();
        loginPageWindow->resetPage();
    }
    if (firstShowPending) {
        // Back to a normal window type; the frame stays off.
        setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
        resize(FormWidth, FormHeight);
        setWindowOpacity(1.0);
        repaint();
        centerOnScreen();
        fadeIn(intervals::MainWindowFadeInMs);
        activateWindow();
        firstShowPending = false;
        qDebug() << "storefront revealed";
        if (loadTimeoutTimer)
            loadTimeoutTimer->stop();
        createTrayIcon();
        auto *startTimer = new QTimer(this);
        startTimer->setSingleShot(true);
        connect(startTimer, &QTimer::timeout, this, &MorvuSDKKFWinApp::startTimeout);
        startTimer->start(intervals::StartTimeoutMs);
        if (waitScreen)
            waitScreen->hide();
    }
    emit mainPageLoaded();
}

void MorvuSDKKFWinApp::startTimeout()
{
    if (QObject *timer = sender())
        timer->deleteLater();
}

void MorvuSDKKFWinApp::loadMainPageTimeout()
{
    if (!waitScreen || !waitScreen->isVisible())
        return;
    waitScreen->hide();
    if (nativemessage::critical(tr("LoadError"), tr("cannotconnectserver")) == QMessageBox::Ok)
        closeApplication(true);
}

void MorvuSDKKFWinApp::JS_moveMainWindow()
{
    mousePressEvent(nullptr);
    emit moveMainWindow();
}

void MorvuSDKKFWinApp::Contols_miniButton_clicked()
{
    showMinimized();
}

void MorvuSDKKFWinApp::openForEmbeddedLogin(const JavascriptCallback::EmbeddedLogin &login, LoginPage *owner)
{
    auto *window = new MorvuSDKKFWinApp;
    window->loginPageWindow = owner;
    // The saved login and the window keep the access token; the ptToken has its own field.
    window->setUserInfo(login.uid, login.username, login.nickName, login.avatarUrl, login.authToken);
    window->setPtToken(login.ptToken);
    window->loadPage(login.pageAddress, login.authToken);
    window->setWindowOpacity(0.0);
    window->show();
}

void MorvuSDKKFWinApp::activateFromSecondCopy()
{
    qDebug() << "activated by a second copy";
    show();
    showNormal();
    raise();
    activateWindow();
}

void MorvuSDKKFWinApp::setUserInfo(QString newUid, QString newUsername, QString newNickName,
                                   QString newAvatarUrl, QString token)
{
    uid = newUid;
    username = newUsername;
    nickName = newNickName;
    avatarUrl = newAvatarUrl;
    authToken = token;
    JavascriptCallback::instance();
    writeSavedLogin(uid, authToken);
    if (manageThread)
        manageThread->setAuthToken(authToken);
    for (DialogPage *page : {systemConfPage.data(), downloadBoxPage.data(), messageBoxPage.data()}) {
        if (page)
            page->setPageContext(QApi::instance()->productCode, authToken);
    }
    runInPage(jscall::call(QStringLiteral("setUserInfo"), {uid, username, authToken}));
    loginDialog->loadLoginUrl();
}

void MorvuSDKKFWinApp::changeAccountSlot(bool, bool s2)
{
    clearSavedLogin();
    authToken.clear();
    uid.clear();
    username.clear();
    nickName.clear();
    avatarUrl.clear();
    ptToken.clear();
    if (manageThread)
        manageThread->setAuthToken(QString());
    runInPage(QStringLiteral("clearUserUnfo()"));
    if (s2) {
        loginDialog->show();
        loginDialog->raise();
    }
}

void MorvuSDKKFWinApp::changeAccountSlot(bool s)
{
    changeAccountSlot(s, true);
    if (isMinimized())
        showNormal();
    if (!isVisible())
        show();
}

void MorvuSDKKFWinApp::openAbountMe()
{
    showAboutDialog();
}

void MorvuSDKKFWinApp::clearCache(QString productId)
{
    mainWebView->page()->profile()->clearHttpCache();
    // Only the launcher's own download folder of the product holds packages it may delete; a directory the
    // user chose for installs is never swept.
    if (productId.isEmpty() || productId.contains(QLatin1Char('/')) ||
        productId.contains(QLatin1Char('\\')) || productId == QLatin1String("..") ||
        productId == QLatin1String("."))
        return;
    const QDir dir(platform::applicationDir() + QStringLiteral("/Data/download/games/") + productId);
    const QStringList packages =
        dir.entryList({QStringLiteral("*.zip"), QStringLiteral("*.patch"), QStringLiteral("*.package")},
                      QDir::Files, QDir::Unsorted);
    for (const QString &name : packages) {
        const QString path = dir.filePath(name);
        qDebug() << "clear cache and check zip and patch files ==" << path;
        QFile::remove(path);
    }
}

void MorvuSDKKFWinApp::closeEvent(QCloseEvent *event)
{
    qDebug() << "rec system close sign";
    closeApplication(true);
    event->ignore();
}

void MorvuSDKKFWinApp::closeApplication(bool force)
{
    const QString closeAction =
        QApi::instance()->getSystemConf(QStringLiteral("closeAction"), QStringLiteral("1"));
    if (closeAction == QLatin1String("1") && !force) {
        hide();
        return;
    }
    if (taskIconTimer) {
        taskIconTimer->stop();
        taskIconTimer->deleteLater();
        taskIconTimer = nullptr;
    }
    removeTrayIcon();
    if (messageBoxPage)
        messageBoxPage->deleteLater();
    messageBoxPage = nullptr;
    releaseAboutDialog();
    if (downloadBoxPage)
        downloadBoxPage->deleteLater();
    downloadBoxPage = nullptr;
    if (systemConfPage)
        systemConfPage->deleteLater();
    systemConfPage = nullptr;
    // Nothing of the launcher stays on screen while the task manager winds down.
    for (const QString &productId : playGames.keys())
        closePlayGamePage(productId);
    loginDialog->hide();
    if (waitScreen)
        waitScreen->hide();

    // Both worker threads are asked to quit; the process leaves when the last of them has finished.
    bool waiting = false;
    if (manageThread && manageThread->isRunning()) {
        qDebug() << "manageThread has run , need quit";
        emit wantManageThreadQuit();
        waiting = true;
    } else {
        qDebug() << "manageThread has end ,no need quit";
        manageThreadFinished = true;
    }
    if (adbThread && adbThread->isRunning()) {
        qDebug() << "adbThread has run , need quit";
        emit wantAdbThreadQuit();
        waiting = true;
    } else {
        adbThreadFinished = true;
    }
    if (waiting) {
        hide();
        return;
    }
    QCoreApplication::exit(0);
}

void MorvuSDKKFWinApp::manageThreadHasFinished()
{
    qDebug() << "manageThread has finished , quit application";
    manageThreadFinished = true;
    exitWhenThreadsFinished();
}

void MorvuSDKKFWinApp::adbThreadHasFinished()
{
    qDebug() << "adbThread has finished";
    adbThreadFinished = true;
    exitWhenThreadsFinished();
}

void MorvuSDKKFWinApp::exitWhenThreadsFinished()
{
    // A thread that has not finished yet reports later and arrives here again.
    if (!manageThreadFinished || !adbThreadFinished)
        return;
    if (exitStarted)
        return;
    exitStarted = true;
    qDebug() << "all Thread has finish , can self quit..";
    QCoreApplication::processEvents();
    QCoreApplication::exit(0);
}

void MorvuSDKKFWinApp::resizeEvent(QResizeEvent *event)
{
    CFramelessWindow::resizeEvent(event);
    sizeDirty = true;
    lastWidth = width();
    lastHeight = height();
    if (lastWidth == 1400 && lastHeight == 850)
        sizeDirty = false;
}
