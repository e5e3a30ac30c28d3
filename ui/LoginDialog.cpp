#include "ui/LoginDialog.h"

#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "platform/gui/WindowSystem.h"
#include "ui/CWebPage.h"
#include "ui/LoginAddress.h"
#include "ui/ReservedHostBlocker.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QSpacerItem>
#include <QUrlQuery>
#include <QVBoxLayout>
#include <QWebEnginePage>

LoginDialog::LoginDialog(QWidget *) : QDialog(nullptr)
{
    setObjectName(QStringLiteral("LoginDialogClass"));
    setWindowTitle(QCoreApplication::translate("LoginDialogClass", "LoginGame"));
    setFixedSize(530, 525);
    setStyleSheet(QStringLiteral("QDialog#LoginDialogClass{\n\tbackground:transparent1;\n}"));

    auto *outer = new QVBoxLayout(this);
    outer->setObjectName(QStringLiteral("verticalLayout"));
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setStyleSheet(
        QStringLiteral("QFrame#frame{border-image: url(:/images/Resources/images/bg.png);}"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    outer->addWidget(frame);

    auto *inner = new QVBoxLayout(frame);
    inner->setObjectName(QStringLiteral("verticalLayout_2"));
    inner->setSpacing(6);
    inner->setContentsMargins(11, 11, 11, 11);
    auto *topArea = new QFrame(frame);
    topArea->setObjectName(QStringLiteral("topArea"));
    topArea->setFixedHeight(30);
    topArea->setMinimumWidth(500);
    auto *top = new QHBoxLayout(topArea);
    top->setObjectName(QStringLiteral("horizontalLayout"));
    top->setSpacing(0);
    top->setContentsMargins(0, 0, 0, 0);
    top->addItem(new QSpacerItem(475, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    closeButton = new QPushButton(topArea);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setStyleSheet(QStringLiteral(
        "QPushButton{background:transparent;border:0;image:url(:/images/Resources/images/close.png);"
        "min-width:14px;min-height:14px;}"
        "QPushButton:hover{image:url(:/images/Resources/images/close_on.png);}"));
    top->addWidget(closeButton);
    inner->addWidget(topArea);

    loading = new QLabel(frame);
    loading->setObjectName(QStringLiteral("loading"));
    loading->setMinimumSize(0, 0);
    loading->setMaximumSize(7000, 7000);
    inner->addWidget(loading, 0, Qt::AlignHCenter);

    webEngineView = new CWebPage(frame);
    webEngineView->setObjectName(QStringLiteral("webEngineView"));
    webEngineView->setUrl(QUrl(QStringLiteral("about:blank")));
    inner->addWidget(webEngineView);

    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    ReservedHostBlocker::installOn(webEngineView->page()->profile());

    connect(closeButton, &QPushButton::clicked, this, &LoginDialog::close_clicked);
    loadingMovie = new QMovie(QStringLiteral(":/images/Resources/images/loading.gif"), QByteArray(), this);
    loadingMovie->setScaledSize(QSize(40, 40));
    loading->setMovie(loadingMovie);
    loadingMovie->start();
    webEngineView->hide();
    connect(webEngineView, &CWebPage::loginSuccess, this, &LoginDialog::recLoginSuccess);
    connect(webEngineView, &CWebPage::showRealName, this, &LoginDialog::recShowRealName);
    loadLoginUrl();
    webEngineView->mode = CWebPage::LoginView;
    loading->show();
    webEngineView->hide();
}

LoginDialog::~LoginDialog() = default;

QString LoginDialog::loginAddress()
{
    return loginaddress::oauthUrl(*QApi::instance());
}

void LoginDialog::loadLoginUrl()
{
    webEngineView->setUrl(QUrl(loginAddress()));
    loading->show();
    webEngineView->hide();
    firstLoadPending = true;
    loginFields.clear();
    connect(webEngineView, &QWebEngineView::loadFinished, this,
            &LoginDialog::Webview_mainWebView_loadFinished, Qt::UniqueConnection);
}

void LoginDialog::close_clicked()
{
    hide();
}

void LoginDialog::Webview_mainWebView_loadFinished(bool)
{
    if (!firstLoadPending)
        return;
    firstLoadPending = false;
    connect(webEngineView, &QWebEngineView::urlChanged, this, &LoginDialog::Webview_mainWebView_urlChanged,
            Qt::UniqueConnection);
    loading->hide();
    webEngineView->show();
}

void LoginDialog::Webview_mainWebView_urlChanged(QUrl url)
{
    const QString text = url.toString();
    qDebug() << "changeUrl===" << text;
    if (!text.startsWith(loginaddress::loginSuccessUrl()))
        return;
    loginFields.clear();
    const auto items = QUrlQuery(url).queryItems();
    for (const auto &item : items)
        loginFields.insert(item.first, item.second);
    if (!loginFields.contains(QStringLiteral("uid")) || !loginFields.contains(QStringLiteral("authToken")))
        return;
    qDebug() << "uid" << loginFields.value(QStringLiteral("uid"));
    qDebug() << "authToken" << loginFields.value(QStringLiteral("authToken"));
    qDebug() << "timeLeft" << loginFields.value(QStringLiteral("timeleft"));
    for (const QString &key : {QStringLiteral("authToken"), QStringLiteral("username")}) {
        if (loginFields.contains(key))
            loginFields.insert(key, QUrl::fromPercentEncoding(loginFields.value(key).toUtf8()));
    }
    finishLogin(loginFields.value(QStringLiteral("uid")), loginFields.value(QStringLiteral("username")),
                loginFields.value(QStringLiteral("authToken")));
    webEngineView->hideAuthorizePopups();
}

void LoginDialog::recLoginSuccess(QString uid, QString username, QString authToken, QString timleft)
{
    loginFields.insert(QStringLiteral("uid"), uid);
    loginFields.insert(QStringLiteral("username"), username);
    loginFields.insert(QStringLiteral("authToken"), authToken);
    loginFields.insert(QStringLiteral("timleft"), timleft);
    finishLogin(loginFields.value(QStringLiteral("uid")), loginFields.value(QStringLiteral("username")),
                authToken);
}

void LoginDialog::recShowRealName(QString s)
{
    webEngineView->page()->runJavaScript(QStringLiteral("showRealName(") + jscall::doubleQuoted(s) +
                                         QLatin1Char(')'));
}

void LoginDialog::finishLogin(const QString &uid, const QString &username, const QString &authToken)
{
    hide();
    emit setUserInfo(uid, username, QString(), QString(), authToken);
}

void LoginDialog::mousePressEvent(QMouseEvent *event)
{
    if (event && webEngineView->isVisible() &&
        webEngineView->geometry().contains(webEngineView->parentWidget()->mapFrom(this, event->pos())))
        return;
    platform::startSystemMove(this);
}
