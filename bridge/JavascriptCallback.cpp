#include "bridge/JavascriptCallback.h"

#include "bridge/ActionEnvelope.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "platform/Autostart.h"
#include "platform/gui/WindowSystem.h"

#include <QCoreApplication>
#include <QDebug>
#include <QUrl>

namespace {

JavascriptCallback::LoginOpener &loginOpener()
{
    static JavascriptCallback::LoginOpener opener;
    return opener;
}

} // namespace

void JavascriptCallback::setLoginOpener(LoginOpener opener)
{
    loginOpener() = std::move(opener);
}

JavascriptCallback::JavascriptCallback(QObject *parent) : QObject(parent) {}

JavascriptCallback::~JavascriptCallback() = default;

JavascriptCallback *JavascriptCallback::instance()
{
    // Lives until the process ends, like the login page that uses it.
    static JavascriptCallback *shared = new JavascriptCallback;
    return shared;
}

void JavascriptCallback::callback(const QString &text)
{
    const ActionEnvelope envelope = ActionEnvelope::parse(text);
    qDebug() << "js event callback" << text;
    if (!envelope.isValid())
        return;

    const QString action = envelope.action();
    emit mainPageEvent(action, text);

    if (action == QLatin1String("loginSuccess")) {
        handleLoginSuccess(envelope);
    } else if (action == QLatin1String("moveWindow")) {
        emit moveMainWindow();
    } else if (action == QLatin1String("hideWait")) {
        emit mainPageLoadSuccess(text);
    } else if (action == QLatin1String("openUrl")) {
        handleOpenUrl(envelope.text("url"));
    } else if (action == QLatin1String("playSound")) {
        envelope.text("name"); // read and not used
    } else if (action == QLatin1String("openUrl2")) {
        platform::openUrlInBrowser(QUrl(envelope.text("url"), QUrl::TolerantMode));
    } else if (action == QLatin1String("changeAutoLauch")) {
        handleChangeAutoLauch(envelope.number("status"));
    }
}

void JavascriptCallback::handleLoginSuccess(const ActionEnvelope &envelope)
{
    emit loginPageLoadSuccess(QStringLiteral("1"));

    EmbeddedLogin login;
    login.uid = envelope.text("uid");
    login.authToken = envelope.text("authToken");
    login.ptToken = envelope.text("ptToken");
    login.username = envelope.text("username");
    login.nickName = envelope.text("nickName");
    login.avatarUrl = envelope.text("avatarUrl");
    writeSavedLogin(login.uid, login.authToken);

    QApi *api = QApi::instance();
    login.pageAddress = api->apiHost() + QStringLiteral("/app/pcbox?from=pcapp&authToken=") +
                        login.authToken + QStringLiteral("&productCode=") + api->productCode +
                        QStringLiteral("&versionNo=") + QString::number(api->versionCode());
    if (loginOpener())
        loginOpener()(login, pageOwner);
    else
        qDebug() << "loginSuccess without a window to open";
}

void JavascriptCallback::handleOpenUrl(const QString &url)
{
    QApi *api = QApi::instance();
    QString address = url;
    address.replace(QLatin1String("{productCode}"), api->productCode);

    const QMap<QString, QString> login = readSavedLogin();
    if (!login.value(QStringLiteral("uid")).isEmpty() && !login.value(QStringLiteral("token")).isEmpty()) {
        address += address.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?');
        address += QStringLiteral("authToken=") + login.value(QStringLiteral("token"));
    }
    if (!address.contains(QLatin1String("http")))
        address = api->website + address;
    platform::openUrlInBrowser(QUrl(address, QUrl::TolerantMode));
}

void JavascriptCallback::handleChangeAutoLauch(int status)
{
    const QString name = QCoreApplication::applicationName();
    const QString program = QCoreApplication::applicationFilePath();
    if (!platform::setAutostart(name, program, status == 1))
        qDebug() << "autostart entry not changed" << name;
}
