#pragma once

#include <QMap>
#include <QUrl>
#include <QWebEngineView>

class CWebPage;

// Watches one popup view for the end of a sign-in (the success address) or a real-name page, and reports
// to the view that opened the popup.
class CWebViewObject : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(CWebViewObject)

public:
    CWebViewObject(QWebEngineView *view, int id);

    QWebEngineView *view;
    int id;
    // The popup's page is still loading (its scripts may not have run yet).
    bool loading = true;

signals:
    void loginSuccess(QString s1, QString s2, QString s3, QString s4);
    void showRealName(QString s);
    void removeTab(int index);

public slots:
    void Webview_mainWebView_urlChanged(QUrl url);
    void Webview_mainWebView_titleChanged(QString title);

private:
    void askRealNameResult();
    bool resultAsked = false;
};

// The web view of every page window. A page that opens a new window gets a popup view of this class,
// kept in a table by id; popups that finish a sign-in or a real-name check report through this view.
class CWebPage : public QWebEngineView
{
    Q_OBJECT
    Q_DISABLE_COPY(CWebPage)

public:
    enum Mode
    {
        PlainView = 0,
        LoginView = 1,
        PopupView = 2
    };

    explicit CWebPage(QWidget *parent = nullptr);
    ~CWebPage() override;

    // Login view only: hides every sign-in popup.
    void hideAuthorizePopups();

    // The marker of the real-name verification page in a page title.
    static QString realNameMarker();

    QMap<int, CWebPage *> popups;
    int mode = PlainView;
    int popupId = 0;

signals:
    void loginSuccess(QString uid, QString username, QString authToken, QString timleft);
    void showRealName(QString s);
    void removeParentTab(int t);

public slots:
    void recloginSuccess(QString uid, QString username, QString authToken, QString timleft);
    void recShowRealName(QString s);
    void removeTab(int index);

protected:
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType type) override;
    void closeEvent(QCloseEvent *event) override;
};
