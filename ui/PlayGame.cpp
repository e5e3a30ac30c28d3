#include "ui/PlayGame.h"

#include "bridge/BridgeScripts.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "platform/gui/WindowSystem.h"
#include "ui/CWebPage.h"
#include "ui/GameBridge.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineSettings>

namespace {

constexpr int TitleBarHeight = 40;
constexpr int ButtonSize = 30;
// Phone games and the phone mode use this width; the window's minimum allows it.
constexpr int PhoneWidth = 600;
constexpr int MinimumWidth = PhoneWidth;
constexpr int MinimumHeight = 600;

const char DefaultIcon[] = ":/images/Resources/images/icon.png";
const char DefaultAvatar[] = ":/images/Resources/images/defaultAvatar.png";

QString imagePath(const QString &name)
{
    return QStringLiteral(":/images/Resources/images/") + name;
}

// A transparent button without text showing image (and hoverImage under the mouse), centred.
QString buttonStyle(const QString &objectName, const QString &image, const QString &hoverImage = QString())
{
    QString style = QStringLiteral("QPushButton#") + objectName +
                    QStringLiteral("{border:none;background:transparent;image:url(") + imagePath(image) +
                    QStringLiteral(");}");
    if (!hoverImage.isEmpty())
        style += QStringLiteral("QPushButton#") + objectName + QStringLiteral(":hover{image:url(") +
                 imagePath(hoverImage) + QStringLiteral(");}");
    return style;
}

QString text(const char *source)
{
    return QCoreApplication::translate("PlayGameClass", source);
}

// The picture cut to a circle, for the avatar.
QPixmap rounded(const QPixmap &picture)
{
    const int side = qMin(picture.width(), picture.height());
    if (side <= 0)
        return picture;
    QPixmap out(side, side);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath circle;
    circle.addEllipse(0, 0, side, side);
    painter.setClipPath(circle);
    painter.drawPixmap(0, 0,
                       picture.copy((picture.width() - side) / 2, (picture.height() - side) / 2, side, side));
    return out;
}

// The picture of a finished image reply, or a null pixmap when it failed or is not an image.
QPixmap pictureOf(QNetworkReply *reply)
{
    QPixmap picture;
    if (reply->error() == QNetworkReply::NoError)
        picture.loadFromData(reply->readAll());
    return picture;
}

} // namespace

PlayGame::PlayGame(QWidget *parent) : CFramelessWindow(parent)
{
    buildForm();
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);

    connect(webEngineView, &QWebEngineView::loadFinished, this, &PlayGame::Webview_mainWebView_loadFinished);
    applyWebSettings();
    webEngineView->setContextMenuPolicy(Qt::NoContextMenu);
    connectButtons();

    const QPixmap defaultIcon(QString::fromLatin1(DefaultIcon));
    icon->setPixmap(defaultIcon);
    setWindowIcon(QIcon(defaultIcon));
}

PlayGame::~PlayGame()
{
    // The channel lives on the page; take it off before the page and the bridge go.
    releaseBridge();
}

void PlayGame::buildForm()
{
    setObjectName(QStringLiteral("PlayGameClass"));
    resize(1133, 700);
    setMinimumSize(MinimumWidth, MinimumHeight);
    setMaximumSize(5000, 5000);
    setWindowTitle(text("开始游戏"));

    mainFrame = new QWidget(this);
    mainFrame->setObjectName(QStringLiteral("mainFrame"));
    mainFrame->setMinimumSize(MinimumWidth, MinimumHeight);
    auto *verticalLayout = new QVBoxLayout(mainFrame);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    actionArea = new QWidget(mainFrame);
    actionArea->setObjectName(QStringLiteral("actionArea"));
    actionArea->setFixedHeight(TitleBarHeight);
    actionArea->setAttribute(Qt::WA_StyledBackground);
    actionArea->setStyleSheet(QStringLiteral("QWidget#actionArea{background:#03050B;}"));
    auto *horizontalLayout = new QHBoxLayout(actionArea);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(0);
    horizontalLayout->setContentsMargins(10, 0, 5, 0);

    icon = new QLabel(actionArea);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setFixedSize(16, 16);
    icon->setScaledContents(true);
    horizontalLayout->addWidget(icon);
    horizontalLayout->addSpacing(8);

    title = new QLabel(actionArea);
    title->setObjectName(QStringLiteral("title"));
    title->setMinimumWidth(200);
    QFont titleFont(QStringLiteral("微软雅黑"));
    titleFont.setPointSize(10);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color:#FFFFFF;"));
    title->setText(text("网页标题"));
    horizontalLayout->addWidget(title);
    horizontalLayout->addStretch(1);

    avatar = new QLabel(actionArea);
    avatar->setObjectName(QStringLiteral("avatar"));
    avatar->setFixedSize(20, 20);
    avatar->setScaledContents(true);
    horizontalLayout->addWidget(avatar);
    horizontalLayout->addSpacing(10);

    separator = new QLabel(actionArea);
    separator->setObjectName(QStringLiteral("label"));
    separator->setStyleSheet(QStringLiteral("color:#66686B;"));
    separator->setText(QStringLiteral("|"));
    horizontalLayout->addWidget(separator);
    horizontalLayout->addSpacing(10);

    auto addButton = [&](QPushButton *&button, const char *name, const QString &image,
                         const QString &hoverImage, const char *tip, bool fixedSize) {
        button = new QPushButton(actionArea);
        button->setObjectName(QString::fromLatin1(name));
        if (fixedSize)
            button->setFixedSize(ButtonSize, ButtonSize);
        else
            button->setFixedHeight(ButtonSize);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet(buttonStyle(button->objectName(), image, hoverImage));
        button->setToolTip(text(tip));
        horizontalLayout->addWidget(button);
    };
    addButton(backButton, "backButton", QStringLiteral("back.png"), QString(), "返回", true);
    addButton(forwardButton, "forwardButton", QStringLiteral("forwar.png"), QString(), "前进", true);
    addButton(refershButton, "refershButton", QStringLiteral("refersh.png"), QString(), "刷新", true);
    addButton(soundSwitchButton, "soundSwitch", QStringLiteral("sound_2.png"), QString(), "点击关闭声音",
              true);
    addButton(phonemode, "phonemode", QStringLiteral("phonemode.png"), QString(), "手游模式", true);
    addButton(useBrower, "useBrower", QStringLiteral("usebrower.png"), QString(), "使用浏览器打开游戏",
              false);
    addButton(fullButton, "fullButton", QStringLiteral("max.png"), QStringLiteral("max_on.png"), "全屏模式",
              true);
    addButton(smallButton, "smallButton", QStringLiteral("small.png"), QStringLiteral("small_on.png"),
              "最小化", true);
    addButton(closeButton, "closeButton", QStringLiteral("close.png"), QStringLiteral("close_on.png"), "关闭",
              true);
    verticalLayout->addWidget(actionArea);

    webEngineView = new CWebPage(mainFrame);
    webEngineView->setObjectName(QStringLiteral("webEngineView"));
    webEngineView->setUrl(QUrl(QStringLiteral("about:blank")));
    verticalLayout->addWidget(webEngineView, 1);

    setCentralWidget(mainFrame);
}

void PlayGame::applyWebSettings()
{
    QWebEngineSettings *settings = webEngineView->page()->settings();
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::ScrollAnimatorEnabled, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, true);
    settings->setAttribute(QWebEngineSettings::JavascriptCanPaste, true);
}

void PlayGame::connectButtons()
{
    connect(backButton, &QPushButton::clicked, this, &PlayGame::backButtonClicked);
    connect(forwardButton, &QPushButton::clicked, this, &PlayGame::forwardButtonClicked);
    connect(refershButton, &QPushButton::clicked, this, &PlayGame::refershButtonClicked);
    connect(soundSwitchButton, &QPushButton::clicked, this, &PlayGame::soundSwitch);
    connect(phonemode, &QPushButton::clicked, this, &PlayGame::phonemodeClicked);
    connect(useBrower, &QPushButton::clicked, this, &PlayGame::useBrowerClicked);
    connect(fullButton, &QPushButton::clicked, this, &PlayGame::fullButtonClicked);
    connect(smallButton, &QPushButton::clicked, this, &PlayGame::smallButtonClicked);
    connect(closeButton, &QPushButton::clicked, this, &PlayGame::closeButtonClicked);
}

void PlayGame::loadGameUrl(QString url)
{
    webEngineView->setUrl(QUrl(url));
}

void PlayGame::setGameInfo(QString uidValue, QString usernameValue, QString nickNameValue,
                           QString avatarValue, QString logoValue, QString productIdValue,
                           QString productNameValue, QString productCodeValue, QString authTokenValue,
                           QString)
{
    uid = uidValue;
    username = usernameValue;
    nickName = nickNameValue;
    avatarUrl = avatarValue;
    logoUrl = logoValue;
    productId = productIdValue;
    productName = productNameValue;
    productCode = productCodeValue;
    authToken = authTokenValue;

    setWindowTitle(productName);
    title->setText(productName);
    avatar->setScaledContents(true);

    // A game without an icon address keeps the default icon; there is nothing to ask for.
    if (!logoUrl.isEmpty()) {
        if (!iconLoader) {
            iconLoader = new QNetworkAccessManager(this);
            connect(iconLoader, &QNetworkAccessManager::finished, this, &PlayGame::replyFinished);
        }
        iconLoader->get(QNetworkRequest(QUrl(logoUrl)));
    }

    if (!avatarUrl.isEmpty()) {
        if (!avatarLoader) {
            avatarLoader = new QNetworkAccessManager(this);
            connect(avatarLoader, &QNetworkAccessManager::finished, this, &PlayGame::replyFinished2);
        }
        avatarLoader->get(QNetworkRequest(QUrl(avatarUrl)));
    } else {
        avatar->setPixmap(rounded(QPixmap(QString::fromLatin1(DefaultAvatar))));
    }
}

void PlayGame::replyFinished(QNetworkReply *sreply)
{
    const QPixmap picture = pictureOf(sreply);
    if (!picture.isNull()) {
        icon->setPixmap(picture);
        setWindowIcon(QIcon(picture));
    } else {
        qDebug() << "game icon not loaded" << sreply->errorString();
    }
    sreply->close();
    sreply->deleteLater();
}

void PlayGame::replyFinished2(QNetworkReply *sreply)
{
    const QPixmap picture = pictureOf(sreply);
    if (!picture.isNull())
        avatar->setPixmap(rounded(picture));
    else
        qDebug() << "avatar not loaded" << sreply->errorString();
    sreply->close();
    sreply->deleteLater();
}

void PlayGame::releaseBridge()
{
    QWebEnginePage *page = webEngineView ? webEngineView->page() : nullptr;
    if (page && channel && page->webChannel() == channel)
        page->setWebChannel(nullptr);
    if (channel)
        channel->deleteLater();
    if (bridge)
        bridge->deleteLater();
    channel = nullptr;
    bridge = nullptr;
}

void PlayGame::installBridge()
{
    releaseBridge();
    bridge = new GameBridge(this);
    connect(bridge, &GameBridge::mainPageEvent, this, &PlayGame::JS_mainPageEvent);
    QWebEnginePage *page = webEngineView->page();
    channel = new QWebChannel(page);
    channel->registerObject(QStringLiteral("bridge"), bridge);
    page->setWebChannel(channel);

    runPageScript(bridgescripts::channelScript());
    runPageScript(bridgescripts::actionScript());
    runPageScript(QStringLiteral("var authToken=") + jscall::singleQuoted(authToken));
    runPageScript(QStringLiteral("var productCode=") + jscall::singleQuoted(productCode));
    runPageScript(QStringLiteral("var deviceId=") + jscall::singleQuoted(QStringLiteral("pcbox")));
    runPageScript(QStringLiteral("var apiHost=") + jscall::singleQuoted(QApi::instance()->apiHost()));
}

void PlayGame::runPageScript(const QString &script)
{
    webEngineView->page()->runJavaScript(script);
}

void PlayGame::Webview_mainWebView_loadFinished(bool)
{
    installBridge();
}

void PlayGame::JS_mainPageEvent(QString action, QString)
{
    if (action == QLatin1String("moveDialogWindow"))
        startSystemMove();
    else if (action == QLatin1String("hideWindow"))
        hide();
}

void PlayGame::backButtonClicked()
{
    webEngineView->back();
}

void PlayGame::forwardButtonClicked()
{
    webEngineView->forward();
}

void PlayGame::refershButtonClicked()
{
    webEngineView->reload();
}

void PlayGame::showSoundState(bool muted)
{
    soundSwitchButton->setStyleSheet(
        buttonStyle(soundSwitchButton->objectName(),
                    muted ? QStringLiteral("sound_1.png") : QStringLiteral("sound_2.png")));
    soundSwitchButton->setToolTip(muted ? text("点击恢复声音") : text("点击关闭声音"));
}

void PlayGame::soundSwitch()
{
    QWebEnginePage *page = webEngineView->page();
    const bool muted = !page->isAudioMuted();
    page->setAudioMuted(muted);
    showSoundState(muted);
}

void PlayGame::phonemodeClicked()
{
    resize(PhoneWidth, height());
    centerOnScreen();
}

void PlayGame::useBrowerClicked()
{
    platform::openUrlInBrowser(webEngineView->url());
}

void PlayGame::fullButtonClicked()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void PlayGame::smallButtonClicked()
{
    showMinimized();
}

void PlayGame::closeButtonClicked()
{
    if (productId == QLatin1String("0")) {
        hide();
        return;
    }
    emit closePlayGamePage(productId);
}
