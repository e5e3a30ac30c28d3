#include "ui/LoginPage.h"

#include "bridge/BridgeScripts.h"
#include "bridge/JavascriptCallback.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "ui/PageBridge.h"

#include <QCoreApplication>
#include <QDebug>
#include <QIcon>
#include <QWebEnginePage>
#include <QWebEngineView>

LoginPage::LoginPage(QWidget *parent) : CFramelessWindow(parent)
{
    setObjectName(QStringLiteral("LoginPage"));
    setFixedSize(1200, 650);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setWindowIcon(QIcon(QStringLiteral(":/images/Resources/images/system.ico")));
    setWindowTitle(tr("请登录"));

    webEngineView = new QWebEngineView(this);
    webEngineView->setObjectName(QStringLiteral("webEngineView"));
    webEngineView->setGeometry(0, 0, 1200, 650);
    webEngineView->setFixedSize(1200, 650);
    webEngineView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setCentralWidget(webEngineView);

    pageBridge = new PageBridge(webEngineView->page(), QApi::instance()->apiHost(), this);
    connect(webEngineView, &QWebEngineView::loadFinished, this,
            &LoginPage::Webview_webEngineView_loadFinished);
    webEngineView->setUrl(QUrl(QStringLiteral("qrc:/html/Resources/html/loginPage.html")));
}

LoginPage::~LoginPage()
{
    JavascriptCallback *shared = JavascriptCallback::instance();
    if (shared->pageOwner == this)
        shared->pageOwner = nullptr;
}

void LoginPage::resetPage()
{
    webEngineView->page()->runJavaScript(QStringLiteral("resetPage();"));
}

void LoginPage::Webview_webEngineView_loadFinished(bool)
{
    qDebug() << "load";
    JavascriptCallback *shared = JavascriptCallback::instance();
    connect(shared, &JavascriptCallback::loginPageLoadSuccess, this,
            &LoginPage::loginPage_mainPageLoadSuccess, Qt::UniqueConnection);
    connect(shared, &JavascriptCallback::moveMainWindow, this, &LoginPage::JS_moveMainWindow,
            Qt::UniqueConnection);
    connect(shared, &JavascriptCallback::mainPageEvent, this, &LoginPage::JS_mainPageEvent,
            Qt::UniqueConnection);
    shared->pageOwner = this;
    if (!pageBridge->installShared(shared))
        return;

    QApi *api = QApi::instance();
    QWebEnginePage *page = webEngineView->page();
    page->runJavaScript(
        QStringLiteral("new QWebChannel(qt.webChannelTransport, function(channel) {window.bridge = "
                       "channel.objects.bridge;pageInit(); deviceId=") +
        jscall::doubleQuoted(QStringLiteral("pcbox")) + QStringLiteral(" })"));
    page->runJavaScript(bridgescripts::actionScript() + QStringLiteral(";pageconfig.referrer=") +
                        jscall::doubleQuoted(api->apiHost()) + QStringLiteral(";checkPageAction();"));
    page->runJavaScript(QStringLiteral("apiHost=") + jscall::singleQuoted(api->apiHost()) +
                        QStringLiteral(";productCode=") + jscall::singleQuoted(api->productCode) +
                        QStringLiteral(";console.log(apiHost);"));
    resize(1200, 650);
    centerOnScreen();
    show();
}

void LoginPage::JS_mainPageEvent(QString action, QString)
{
    if (action == QLatin1String("window_small"))
        showMinimized();
    else if (action == QLatin1String("window_hide"))
        hide();
    else if (action == QLatin1String("window_close"))
        QCoreApplication::exit(0);
    else if (action == QLatin1String("window_full"))
        isMaximized() ? showNormal() : showMaximized();
}

void LoginPage::JS_moveMainWindow()
{
    startSystemMove();
}

void LoginPage::loginPage_mainPageLoadSuccess(QString) {}

void LoginPage::Contols_closeButton_clicked()
{
    QCoreApplication::exit(0);
}

void LoginPage::Contols_smallButton_clicked()
{
    showMinimized();
}
