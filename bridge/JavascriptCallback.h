#pragma once

#include <QObject>
#include <QString>

#include <functional>

class LoginPage;

// The object pages reach as "bridge" through their web channel.
//
// The page calls callback() with the action envelope as JSON text. Every action is passed on to the
// window that owns the page as mainPageEvent(action, text); a few are handled here as well: the embedded
// sign-in result, window moving, the readiness notice, links for the system browser and start with the
// desktop session. Malformed messages are logged and dropped; nothing here throws or blocks.
class JavascriptCallback : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(JavascriptCallback)

public:
    // A sign-in finished in an embedded login page.
    struct EmbeddedLogin
    {
        QString uid;
        QString authToken;
        QString ptToken;
        QString username;
        QString nickName;
        QString avatarUrl;
        // The storefront address for the signed-in user.
        QString pageAddress;
    };
    // Opens the storefront for a finished embedded sign-in (a new main window); installed by the window
    // layer, which the bridge does not know.
    using LoginOpener = std::function<void(const EmbeddedLogin &login, LoginPage *owner)>;
    static void setLoginOpener(LoginOpener opener);

    explicit JavascriptCallback(QObject *parent = nullptr);
    ~JavascriptCallback() override;

    // The process-wide bridge object of the embedded login page, created on first use.
    static JavascriptCallback *instance();

    // The login page window this object belongs to, when the login page set it.
    LoginPage *pageOwner = nullptr;

public slots:
    void callback(const QString &text);

signals:
    void moveMainWindow();
    void mainPageLoadSuccess(const QString &text);
    void loginPageLoadSuccess(const QString &text);
    void mainPageEvent(const QString &s, const QString &params);

private:
    // Not reachable from pages: only public slots and signals are published on the channel.
    void handleLoginSuccess(const class ActionEnvelope &envelope);
    void handleOpenUrl(const QString &url);
    void handleChangeAutoLauch(int status);
};
