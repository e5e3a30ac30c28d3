#pragma once

#include "ui/CFramelessWindow.h"

#include <QMap>
#include <QString>

class CWebPage;
class JavascriptCallback;
class PageBridge;
class QWebChannel;

// A frameless window whose whole client area is one web page: the settings page, the download box and the
// message box. After every load it connects the page to the bridge and gives it the user's token, the
// product code, the API host, the current settings and the table of translated texts; the page's actions
// become signals for the task manager and the main window, or are carried out here.
class DialogPage : public CFramelessWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(DialogPage)

public:
    explicit DialogPage(QWidget *parent = nullptr);
    ~DialogPage() override;

    void setPageContext(QString productCode, QString authToken);
    void loadPageUrl(QString url);
    void runPageScript(QString script);
    // Modal to the application when modal is 1; runs script in the page and fades the window in.
    void showWithScript(QString script, int modal);

    CWebPage *webView() const { return webEngineView; }

    QString authToken;
    QString productCode;
    JavascriptCallback *bridge = nullptr;
    QWebChannel *channel = nullptr;
    QMap<QString, QString> languageTexts;
    QString productId;

signals:
    void clearUnreadMessage();
    void manageThreadCrateTask(QString productId, QString productName, QString url, QString start,
                               QString install, QString logo, QString platform, QString package);
    void manageThreadCrateHasInstallTask(QString productId, QString productName, QString url,
                                         QString startcmd, QString installcmd, QString logo, QString platform,
                                         QString package, QString versionNo, QString versionName,
                                         QString directory);
    void manageThreadPauseTask(QString productId);
    void manageThreadStartApp(QString productId, QString installInfo, QString platform);
    void adbStartAndroidApp(QString productId, QString package, QString mainAcitivy);
    void checkLocalProductIds(QString productIds);
    void checkLocalProductAll(bool s);
    void deleteDownLoadTask(QString productId);
    void clearCache(QString productId);
    void clearLocalGameData(QString productId, bool restart);
    void openAbountMe();

public slots:
    void Webview_mainWebView_loadFinished(bool s);
    void JS_mainPageEvent(QString action, QString text);
    void updateLocalProductStatus(QString str, bool updateMyGames);
    void changeDownload_status(QString action, QString productId, int downStatus, QString tips, QString rate,
                               QString runRate, bool showDisable, QString sizeRate);
    void changeDownload_error(QString productId, QString error);
    void requestDeleteDownLoadTask(QString id);
    void deleteFileCallback(int status, QString tips);
    void updateSystemConf();

private:
    void openFilePath(const QString &productId);
    void deleteDownloadFile(const QString &productId);
    void selectInstallPath(const class ActionEnvelope &envelope);

    CWebPage *webEngineView;
    PageBridge *pageBridge;
};
