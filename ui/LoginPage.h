#pragma once

#include "ui/CFramelessWindow.h"

class PageBridge;
class QWebEngineView;

// The embedded login page window: the program's own sign-in page with password, SMS code and QR code.
// A finished sign-in goes through the process-wide bridge object, which opens a main window; once that
// window's storefront is ready it hides this window and resets the page.
class LoginPage : public CFramelessWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginPage)

public:
    explicit LoginPage(QWidget *parent = nullptr);
    ~LoginPage() override;

    void resetPage();
    QWebEngineView *webView() const { return webEngineView; }

public slots:
    void Webview_webEngineView_loadFinished(bool s);
    void JS_mainPageEvent(QString action, QString text);
    void JS_moveMainWindow();
    void loginPage_mainPageLoadSuccess(QString text);
    void Contols_closeButton_clicked();
    void Contols_smallButton_clicked();

private:
    QWebEngineView *webEngineView;
    PageBridge *pageBridge;
};
