#include "ui/LoginWait.h"

#include "baselibs/json/QtJson.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "ui/Intervals.h"
#include "ui/LoginPage.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QDebug>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QNetworkReply>
#include <QTimer>

#include <cmath>

namespace {
constexpr int LastFrame = 13;
}

LoginWait::LoginWait(QWidget *parent) : FormBaseUi(parent)
{
    setObjectName(QStringLiteral("LoginWait"));
    resize(200, 200);
    setWindowTitle(tr("正在登录"));
    setWindowIcon(QIcon(QStringLiteral(":/images/Resources/images/system.ico")));
    setWindowFlags(windowFlags() | Qt::Tool | Qt::WindowStaysOnTopHint);

    loadImage = new QLabel(this);
    loadImage->setObjectName(QStringLiteral("loadImage"));
    loadImage->setGeometry(0, 0, 200, 200);
    loadImage->setStyleSheet(QStringLiteral(
        "QLabel#loadImage{\n\tbackground-image: url(:/images/Resources/images/laucher.png);\n}"));

    loadRate = new QLabel(this);
    loadRate->setObjectName(QStringLiteral("loadRate"));
    loadRate->setGeometry(50, 140, 100, 20);
    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(11);
    loadRate->setFont(font);
    loadRate->setStyleSheet(QStringLiteral("color: white;"));
    loadRate->setAlignment(Qt::AlignCenter);
    loadRate->setText(tr("0%"));

    frameIndex = 0;
    showFrame(); // the first frame shows at once, not only after the first tick
    animationTimer = new QTimer(this);
    connect(animationTimer, &QTimer::timeout, this, &LoginWait::playLoading);
    animationTimer->setInterval(intervals::WaitAnimationFrameMs);
    animationTimer->start();
}

LoginWait::~LoginWait() = default;

QString LoginWait::rateText() const
{
    return loadRate->text();
}

void LoginWait::showFrame()
{
    loadImage->setPixmap(QPixmap(QStringLiteral(":/images/Resources/images/load_") +
                                 QString::number(frameIndex) + QStringLiteral(".png")));
}

void LoginWait::playLoading()
{
    ++frameIndex;
    if (frameIndex > LastFrame)
        frameIndex = 0;
    showFrame();
}

void LoginWait::waitPageUpdateProgress(int rate)
{
    if (rate <= 0)
        return;
    const QString text = rate == 100 ? tr("jiazaitupian__") : QString::number(rate) + QLatin1Char('%');
    loadRate->setText(text);
    qDebug() << "loadRate" << text;
}

void LoginWait::slots_mainPageLoaded()
{
    hide();
}

void LoginWait::Api_loadWorkspace(QNetworkReply *reply)
{
    const QString text = QString::fromUtf8(reply->readAll());
    reply->deleteLater();

    json::Object root;
    if (!root.parse(json::fromQString(text)) || !root.has<json::Boolean>("status") ||
        !root.get<json::Boolean>("status") || !root.has<json::Object>("data")) {
        showLoginPage();
        return;
    }
    const json::Object &data = root.get<json::Object>("data");
    if (!data.has<json::String>("token") || data.get<json::String>("token").empty()) {
        showLoginPage();
        return;
    }
    auto textOf = [&data](const char *key) {
        return data.has<json::String>(key) ? json::toQString(data.get<json::String>(key)) : QString();
    };
    const QString token = textOf("token");
    QString uid;
    if (data.has<json::Number>("uid")) {
        const double value = data.get<json::Number>("uid");
        if (std::isfinite(value) && std::fabs(value) < 2147483648.0)
            uid = QString::number(static_cast<qint32>(std::trunc(value)));
    }

    QApi *api = QApi::instance();
    const QString address = api->apiHost() + QStringLiteral("/app/pcbox?from=pcapp&authToken=") + token +
                            QStringLiteral("&productCode=") + api->productCode +
                            QStringLiteral("&versionNo=") + QString::number(api->versionCode()) +
                            QStringLiteral("&theme=");
    qDebug() << "mainPageUrl " << address;

    auto *window = new MorvuSDKKFWinApp;
    window->loginPageWindow = nullptr;
    // The access token is the login; the ptToken has its own field.
    window->setUserInfo(uid, textOf("username"), textOf("nickName"), textOf("avatarUrl"), token);
    window->setPtToken(textOf("ptToken"));
    window->loadPage(address, token);
    window->setWindowOpacity(0.0);
    window->show();
    connect(window, &MorvuSDKKFWinApp::mainPageLoaded, this, &LoginWait::slots_mainPageLoaded);
}

void LoginWait::showLoginPage()
{
    // A cache file beside the saved login of older versions; removed when present.
    const QString stale = savedLoginPath() + QStringLiteral("/Data/cache");
    if (QFile::exists(stale))
        QFile::remove(stale);
    hide();
    auto *page = new LoginPage;
    page->resetPage();
    page->show();
}
