#pragma once

#include "ui/CFramelessWindow.h"

#include <QString>

class CWebPage;
class GameBridge;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QWebChannel;

// The window an H5 (browser) game runs in: a title bar of its own with the game's icon and name, the
// user's avatar and the buttons for navigation, sound, phone mode, the system browser, full screen,
// minimising and closing, above a web view showing the game maker's page. After every load the page gets
// a bridge for the window's own actions and the user's token, the product code, the device id and the
// API host as variables, so the game can sign the user in.
class PlayGame : public CFramelessWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(PlayGame)

public:
    explicit PlayGame(QWidget *parent = nullptr);
    ~PlayGame() override;

    void loadGameUrl(QString url);
    // Stores the user's and the game's fields (ptToken is accepted and not used), shows the name and
    // starts fetching the game's icon and the user's avatar.
    void setGameInfo(QString uid, QString username, QString nickName, QString avatarUrl, QString logoUrl,
                     QString productId, QString productName, QString productCode, QString authToken,
                     QString ptToken);

    CWebPage *webView() const { return webEngineView; }

    QString authToken;
    QString productCode;
    QString uid;
    QString username;
    QString nickName;
    QString avatarUrl;
    // "0": a window not tied to a product (its close button only hides it).
    QString productId;
    QString logoUrl;
    QString productName;
    GameBridge *bridge = nullptr;
    QWebChannel *channel = nullptr;
    QNetworkAccessManager *iconLoader = nullptr;
    QNetworkAccessManager *avatarLoader = nullptr;

signals:
    // The user asked to close the window of this product.
    void closePlayGamePage(QString productId);

public slots:
    void Webview_mainWebView_loadFinished(bool s);
    void JS_mainPageEvent(QString action, QString text);
    void backButtonClicked();
    void forwardButtonClicked();
    void refershButtonClicked();
    void soundSwitch();
    void phonemodeClicked();
    void useBrowerClicked();
    void fullButtonClicked();
    void smallButtonClicked();
    void closeButtonClicked();
    void replyFinished(QNetworkReply *sreply);
    void replyFinished2(QNetworkReply *sreply);

private:
    void buildForm();
    void applyWebSettings();
    void connectButtons();
    void installBridge();
    void releaseBridge();
    void runPageScript(const QString &script);
    void showSoundState(bool muted);

    QWidget *mainFrame = nullptr;
    QWidget *actionArea = nullptr;
    QLabel *icon = nullptr;
    QLabel *title = nullptr;
    QLabel *avatar = nullptr;
    QLabel *separator = nullptr;
    QPushButton *backButton = nullptr;
    QPushButton *forwardButton = nullptr;
    QPushButton *refershButton = nullptr;
    QPushButton *soundSwitchButton = nullptr;
    QPushButton *phonemode = nullptr;
    QPushButton *useBrower = nullptr;
    QPushButton *fullButton = nullptr;
    QPushButton *smallButton = nullptr;
    QPushButton *closeButton = nullptr;
    CWebPage *webEngineView = nullptr;
};
