#include "ui/PageBridge.h"

#include "bridge/BridgeOrigin.h"
#include "bridge/JavascriptCallback.h"

#include <QDebug>
#include <QWebChannel>
#include <QWebEnginePage>

PageBridge::PageBridge(QWebEnginePage *page, const QString &apiHost, QObject *parent)
    : QObject(parent), m_page(page), m_apiHost(apiHost)
{
    connect(m_page, &QWebEnginePage::urlChanged, this, &PageBridge::onUrlChanged);
}

PageBridge::~PageBridge()
{
    release();
}

bool PageBridge::allowed() const
{
    return bridgeorigin::isAllowed(m_page->url(), m_apiHost);
}

void PageBridge::release()
{
    if (m_page && m_channel && m_page->webChannel() == m_channel)
        m_page->setWebChannel(nullptr);
    if (m_channel)
        m_channel->deleteLater();
    if (m_callback && m_ownsCallback)
        m_callback->deleteLater();
    m_channel = nullptr;
    m_callback = nullptr;
}

void PageBridge::onUrlChanged()
{
    // The next page must not see the previous page's channel when it is not entitled to one.
    if (m_channel && !allowed()) {
        qDebug() << "bridge withdrawn from"
                 << m_page->url().toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo);
        release();
    }
}

JavascriptCallback *PageBridge::install()
{
    release();
    if (!allowed()) {
        qDebug() << "bridge refused to" << m_page->url().toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo);
        return nullptr;
    }
    m_ownsCallback = true;
    m_callback = new JavascriptCallback;
    m_channel = new QWebChannel(m_page);
    m_channel->registerObject(QStringLiteral("bridge"), m_callback);
    m_page->setWebChannel(m_channel);
    return m_callback;
}

bool PageBridge::installShared(JavascriptCallback *shared)
{
    release();
    if (!allowed()) {
        qDebug() << "bridge refused to" << m_page->url().toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo);
        return false;
    }
    m_ownsCallback = false;
    m_callback = shared;
    m_channel = new QWebChannel(m_page);
    m_channel->registerObject(QStringLiteral("bridge"), shared);
    m_page->setWebChannel(m_channel);
    return true;
}
