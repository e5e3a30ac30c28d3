#pragma once

#include <QDialog>
#include <QMap>
#include <QUrl>

class CWebPage;
class QLabel;
class QMovie;
class QPushButton;

// Signs a user in through the operator's OAuth page. The dialog recognises the redirect to the sign-in
// success address (in its own view or in a popup the page opens), hides itself and emits setUserInfo;
// the main window applies the login.
class LoginDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(LoginDialog)

public:
    explicit LoginDialog(QWidget *owner = nullptr);
    ~LoginDialog() override;

    // Loads the OAuth page afresh, ready for the next sign-in.
    void loadLoginUrl();

    CWebPage *webView() const { return webEngineView; }
    // The address loadLoginUrl loads.
    static QString loginAddress();

signals:
    void setUserInfo(QString uid, QString username, QString nickName, QString avatarUrl, QString authToken);

public slots:
    void close_clicked();
    void Webview_mainWebView_loadFinished(bool s);
    void Webview_mainWebView_urlChanged(QUrl url);
    void recLoginSuccess(QString uid, QString username, QString authToken, QString timleft);
    void recShowRealName(QString s);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void finishLogin(const QString &uid, const QString &username, const QString &authToken);

    bool firstLoadPending = false;
    QMovie *loadingMovie;
    QMap<QString, QString> loginFields;

    QLabel *loading;
    QPushButton *closeButton;
    CWebPage *webEngineView;
};
