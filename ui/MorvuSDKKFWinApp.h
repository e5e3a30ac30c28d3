#pragma once

#include "bridge/JavascriptCallback.h"
#include "ui/CFramelessWindow.h"
#include "ui/DialogPage.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

class AboutMe;
class AdbThread;
class CWebPage;
class LoginDialog;
class LoginPage;
class LoginWait;
class ManageThread;
class PageBridge;
class QAction;
class QTimer;

// The launcher's main window: a fixed-size frameless window whose whole client area is the operator's
// storefront page. It owns the task manager thread, the Android device bridge, the login dialog, the
// settings, download and message pages and the signed-in user's fields; it turns page actions into task
// commands and the task manager's notices into page calls.
class MorvuSDKKFWinApp : public CFramelessWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(MorvuSDKKFWinApp)

public:
    MorvuSDKKFWinApp();
    ~MorvuSDKKFWinApp() override;

    // Loads the storefront for the given login (token may be empty) behind the wait screen and arms the
    // load timeout.
    void loadMainPage(QString uid, QString token);
    // Loads url into the storefront view and (re)creates the settings, download and message pages.
    void loadPage(QString url, QString authToken);

    // Opens a new main window for a sign-in finished in the embedded login page (the bridge's opener).
    static void openForEmbeddedLogin(const JavascriptCallback::EmbeddedLogin &login, LoginPage *owner);

    // Brings the window to the front at the request of a second copy of the launcher.
    void activateFromSecondCopy();

    // For the embedded login path: the login page window to hide when the storefront is ready.
    LoginPage *loginPageWindow = nullptr;

    // Read access for the secondary windows and tests.
    CWebPage *mainView() const { return mainWebView; }
    ManageThread *taskManager() const { return manageThread; }
    AdbThread *deviceBridge() const { return adbThread; }
    LoginDialog *loginDialogWindow() const { return loginDialog; }
    LoginWait *waitScreenWindow() const { return waitScreen; }
    DialogPage *settingsPage() const { return systemConfPage; }
    DialogPage *downloadBox() const { return downloadBoxPage; }
    DialogPage *messageBox() const { return messageBoxPage; }
    QString currentAuthToken() const { return authToken; }
    QString currentUid() const { return uid; }
    QString currentUsername() const { return username; }
    int unreadMessages() const { return unreadCount; }
    CFramelessWindow *gameWindow(const QString &productId) const { return playGames.value(productId); }
    // The ptToken of an embedded sign-in (sent with H5 game addresses).
    void setPtToken(const QString &token) { ptToken = token; }

signals:
    void mainPageLoaded();
    void wantManageThreadQuit();
    void wantAdbThreadQuit();
    void manageThreadCrateTask(QString productId, QString productName, QString url, QString start,
                               QString install, QString logo, QString platform, QString package,
                               QString versionNo, QString versionName);
    void checkLocalGameResource(QString productId, QString productName, QString url, QString start,
                                QString install, QString logo, QString platform, QString package,
                                QString versionNo, QString versionName);
    void manageThreadRecheckInstall(QString productId, QString productName, QString url, QString start,
                                    QString install, QString logo, QString platform, QString package,
                                    QString versionNo, QString versionName);
    void addGameToMy(QString productId, QString productName, QString url, QString start, QString install,
                     QString logo, QString platform, QString package);
    void manageThreadStartApp(QString productId, QString installInfo, QString platform);
    void adbStartAndroidApp(QString productId, QString package, QString mainAcitivy);
    void manageThreadPauseTask(QString productId);
    void checkLocalProductIds(QString productIds);
    void checkLocalProductAll(bool s);
    void deleteDownLoadTask(QString productId);
    void checkDeviceCanInstall(QString productId, QString savePath, QString installcmd);
    void changeDefaultDevice(QString s);
    void setProductTop(QString s);
    void deleteMyGame(QString s);
    void checkDevices();
    void moveMainWindow();
    void runJavascript(QString fun);
    void manageThreadUpdateGame(QString productId, QString url, QString versionNo, QString versionName);
    void clearLocalGameData(QString id, bool restart);
    void manageThreadCrateHasInstallTask(QString productId, QString productName, QString url,
                                         QString startcmd, QString installcmd, QString logo, QString platform,
                                         QString package, QString versionNo, QString versionName,
                                         QString directory);
    void updateSystemConfPage();
    void waitPageUpdateProgress(int rate);
    void clearHistoryGameData(QString productId, QString keyword);

public slots:
    // Page loading and the user (this window's life cycle).
    void Webview_mainWebView_loadFinished(bool ok);
    void Webview_mainWebView_loadProgress(int rate);
    void JS_mainPageLoadSuccess(QString text);
    void loadMainPageTimeout();
    void JS_moveMainWindow();
    void setUserInfo(QString uid, QString username, QString nickName, QString avatarUrl, QString ptToken);
    void changeAccountSlot(bool s, bool s2);
    void changeAccountSlot(bool s);
    void openAbountMe();
    void clearCache(QString productId);
    void closePlayGamePage(QString productId);
    void Contols_miniButton_clicked();
    void startTimeout();

    // The storefront's actions.
    void JS_mainPageEvent(QString s, QString params);

    // Calls into the storefront page.
    void changeDownload_status(QString action, QString productId, int downStatus, QString tips, QString rate,
                               QString runRate, bool showDisable, QString size);
    void changeDownload_error(QString productId, QString error);
    void updateLocalProductStatus(QString str, bool updateMyGame);
    void runMainPageFunc(QString s);
    void runSystemPageFun(QString s);
    void spaceWarn(QString productId);
    void spaceWarnOnlyTips(QString productId);
    void clearAutoUpdateKey();
    void clearUnreadMessage();
    void resetGameDownload(QString productId);
    void changeUSBStatus(int s);
    void setUSBdevices(QString str);
    void choseDefaultDevice(QString deviceType);

    // Tray, sound and window size.
    void checkTaskIcon();
    void iconIsActived(QSystemTrayIcon::ActivationReason reason);
    void closeSoundButtonSlot(bool s);
    void menutCloseApplication(bool s);
    void playMessageSound();
    void systemConfHasUpate();

    // Exit.
    void closeApplication(bool force);
    void manageThreadHasFinished();
    void adbThreadHasFinished();

    // Self-update.
    void downLoadMainExtFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildForm();
    void wireTaskManager();
    void wireDeviceBridge();
    // Leaves the event loop once both worker threads have finished (only once).
    void exitWhenThreadsFinished();
    void wireDialogPage(DialogPage *page);
    void installBridge();
    void runInPage(const QString &script);
    void showDiskSpaceWarning();
    void handleWindowAction(const QString &action);
    void dispatchDataAction(const QString &action, const class ActionEnvelope &envelope);
    void newMessage(const class ActionEnvelope &envelope);
    void openWindow(const class ActionEnvelope &envelope);
    void startApp(const class ActionEnvelope &envelope);
    void openH5Game(const class ActionEnvelope &envelope);
    void openSystemConf(const class ActionEnvelope &envelope);
    void selectInstallPath(const class ActionEnvelope &envelope);
    void toggleLoginDialog();
    DialogPage *createDialogPage(const QString &page, const QString &title);
    void releaseDialogPages();

    // Pieces of the tray, the game windows, the About window and the self-update (their own sources).
    void createTrayIcon();
    void removeTrayIcon();
    void flashMainWindow();
    // Creates (not shows) the game window of a product, loaded with address; nullptr when none can be made.
    CFramelessWindow *createGameWindow(const QString &address, const QString &productId,
                                       const QString &productName, const QString &logo);
    void showAboutDialog();
    void releaseAboutDialog();
    void updateLauncher(const QString &url, const QString &md5);

    // The form.
    QWidget *centralWidgetArea = nullptr;
    CWebPage *mainWebView = nullptr;

    LoginWait *waitScreen = nullptr;
    bool firstShowPending = true;
    QSystemTrayIcon *trayIcon = nullptr;
    LoginDialog *loginDialog = nullptr;
    QString authToken;
    int blinkCounter = 0;
    int unreadCount = 0;
    QTimer *taskIconTimer = nullptr;
    bool sizeDirty = false;
    int lastWidth = 0;
    int lastHeight = 0;
    QPointer<DialogPage> messageBoxPage;
    QPointer<DialogPage> downloadBoxPage;
    QPointer<DialogPage> systemConfPage;
    QAction *soundAction = nullptr;
    ManageThread *manageThread = nullptr;
    bool manageThreadFinished = false;
    // The Android device bridge; the process leaves only after it and the task manager have finished.
    AdbThread *adbThread = nullptr;
    bool adbThreadFinished = false;
    bool exitStarted = false;
    // Open H5 game windows by product id (PlayGame windows).
    QMap<QString, QPointer<CFramelessWindow>> playGames;
    QString uid;
    QString username;
    QString nickName;
    QString avatarUrl;
    QString ptToken;
    AboutMe *aboutMe = nullptr;

    PageBridge *pageBridge = nullptr;
    QTimer *loadTimeoutTimer = nullptr;
};
