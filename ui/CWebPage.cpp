#include "ui/CWebPage.h"

#include "ui/LoginAddress.h"

#include <QCloseEvent>
#include <QDebug>
#include <QPointer>
#include <QUrlQuery>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

QMap<QString, QString> queryMap(const QUrl &url)
{
    QMap<QString, QString> fields;
    const auto items = QUrlQuery(url).queryItems();
    for (const auto &item : items)
        fields.insert(item.first, item.second); // a later key wins
    return fields;
}

QString decodedAgain(const QString &value)
{
    return QUrl::fromPercentEncoding(value.toUtf8());
}

} // namespace

CWebViewObject::CWebViewObject(QWebEngineView *popup, int popupIndex) : view(popup), id(popupIndex) {}

void CWebViewObject::Webview_mainWebView_urlChanged(QUrl url)
{
    const QString text = url.toString();
    qDebug() << "changeUrl===" << text;
    if (!text.contains(loginaddress::loginSuccessHost()))
        return;
    const QMap<QString, QString> fields = queryMap(url);
    if (!fields.contains(QStringLiteral("uid")) || !fields.contains(QStringLiteral("authToken")))
        return;
    qDebug() << "uid" << fields.value(QStringLiteral("uid"));
    qDebug() << "authToken" << fields.value(QStringLiteral("authToken"));
    qDebug() << "timeLeft" << fields.value(QStringLiteral("timeleft"));
    emit loginSuccess(
        fields.value(QStringLiteral("uid")), decodedAgain(fields.value(QStringLiteral("username"))),
        decodedAgain(fields.value(QStringLiteral("authToken"))), fields.value(QStringLiteral("timeleft")));
    emit removeTab(id);
    if (view) {
        view->hide();
        view->deleteLater();
    }
}

void CWebViewObject::Webview_mainWebView_titleChanged(QString title)
{
    qDebug() << "title" << title;
    if (!title.contains(CWebPage::realNameMarker()) || !view)
        return;
    view->hide();
    // The title is known before the page's scripts have run; its result is asked for once it has loaded.
    if (loading) {
        connect(view, &QWebEngineView::loadFinished, this, &CWebViewObject::askRealNameResult,
                Qt::UniqueConnection);
        return;
    }
    askRealNameResult();
}

void CWebViewObject::askRealNameResult()
{
    if (resultAsked || !view)
        return;
    resultAsked = true;
    QPointer<CWebViewObject> self(this);
    QPointer<QWebEngineView> popup(view);
    view->page()->runJavaScript(QStringLiteral("getUserInfo()"), [self, popup](const QVariant &result) {
        if (!self)
            return;
        const QString text = result.toString();
        qDebug() << "JavaScript function returned:" << text;
        emit self->showRealName(text);
        emit self->removeTab(self->id);
        if (popup)
            popup->deleteLater();
    });
}

CWebPage::CWebPage(QWidget *) : QWebEngineView(nullptr) {}

CWebPage::~CWebPage()
{
    qDebug() << "level" << mode;
    const auto open = popups;
    popups.clear();
    for (CWebPage *popup : open) {
        if (!popup)
            continue;
        disconnect(popup, nullptr, this, nullptr);
        popup->close();
        popup->deleteLater();
    }
    if (mode == PopupView)
        emit removeParentTab(popupId);
}

QString CWebPage::realNameMarker()
{
    return QString::fromUtf8("实名认证");
}

void CWebPage::hideAuthorizePopups()
{
    if (mode != LoginView)
        return;
    const QString title = tr("shouquandenglu");
    for (CWebPage *popup : qAsConst(popups)) {
        if (popup && popup->windowTitle() == title)
            popup->hide();
    }
}

QWebEngineView *CWebPage::createWindow(QWebEnginePage::WebWindowType)
{
    auto *popup = new CWebPage(nullptr);
    QWebEngineSettings *settings = popup->page()->settings();
    settings->setAttribute(QWebEngineSettings::LocalStorageEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    settings->setAttribute(QWebEngineSettings::XSSAuditingEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, true);

    popup->setWindowFlags(popup->windowFlags() | Qt::WindowStaysOnTopHint);
    popup->resize(800, 600);
    popup->setWindowTitle(tr("shouquandenglu"));
    popup->mode = PopupView;
    popup->show();

    auto *watcher = new CWebViewObject(popup, popupId);
    watcher->setParent(popup); // the popup owns its watcher
    popup->popupId = popupId;
    qDebug() << "this is" << mode;

    connect(popup, &QWebEngineView::urlChanged, watcher, &CWebViewObject::Webview_mainWebView_urlChanged);
    connect(popup, &QWebEngineView::titleChanged, watcher, &CWebViewObject::Webview_mainWebView_titleChanged);
    connect(popup, &QWebEngineView::loadStarted, watcher, [watcher] { watcher->loading = true; });
    connect(popup, &QWebEngineView::loadFinished, watcher, [watcher] { watcher->loading = false; });
    connect(watcher, &CWebViewObject::loginSuccess, this, &CWebPage::recloginSuccess);
    connect(watcher, &CWebViewObject::showRealName, this, &CWebPage::recShowRealName);
    connect(watcher, &CWebViewObject::removeTab, this, &CWebPage::removeTab);
    connect(popup, &CWebPage::removeParentTab, this, &CWebPage::removeTab);

    QWebEngineProfile *profile = popup->page()->profile();
    const QString agentMark = QStringLiteral(" MorvuGam Laucher");
    if (!profile->httpUserAgent().endsWith(agentMark))
        profile->setHttpUserAgent(profile->httpUserAgent() + agentMark);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);

    // The watcher is driven by the popup's own signals; it is not published to the popup's page, which
    // may be of any origin.

    popups.insert(popupId, popup);
    ++popupId;
    return popup;
}

void CWebPage::closeEvent(QCloseEvent *event)
{
    if (mode == PopupView) {
        hide();
        deleteLater();
        event->accept();
        return;
    }
    QWebEngineView::closeEvent(event);
}

void CWebPage::recloginSuccess(QString uid, QString username, QString authToken, QString timleft)
{
    emit loginSuccess(uid, username, authToken, timleft);
}

void CWebPage::recShowRealName(QString s)
{
    emit showRealName(s);
}

void CWebPage::removeTab(int index)
{
    qDebug() << "des" << mode;
    popups.remove(index);
}
