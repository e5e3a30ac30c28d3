#pragma once

#include <QObject>
#include <QPointer>
#include <QWebChannel>

#include "bridge/JavascriptCallback.h"

class QWebEnginePage;

// Connects one web page to the native side after each load: a fresh bridge object registered as "bridge"
// in a fresh web channel on the page. The objects of the previous load are released. Pages of other
// origins than the operator's and the program's own (see bridgeorigin) get no bridge, and the channel is
// taken off the page as soon as it navigates to such an origin.
class PageBridge : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(PageBridge)

public:
    // page must outlive this object; apiHost as configured.
    PageBridge(QWebEnginePage *page, const QString &apiHost, QObject *parent = nullptr);
    ~PageBridge() override;

    // Installs a new bridge object into the page as it is now. Returns it, or nullptr when the page's
    // origin is refused (one log line says so). The caller connects its signals and runs its scripts.
    JavascriptCallback *install();

    // The bridge object of the last successful install (nullptr before it or after a refusal).
    JavascriptCallback *current() const { return m_callback; }
    // The web channel of the last successful install.
    QWebChannel *currentChannel() const { return m_channel; }

    // Installs a caller-owned bridge object instead (the login page shares one process-wide object).
    bool installShared(JavascriptCallback *shared);

private:
    void release();
    bool allowed() const;
    void onUrlChanged();

    QWebEnginePage *m_page;
    const QString m_apiHost;
    QPointer<JavascriptCallback> m_callback;
    QPointer<QWebChannel> m_channel;
    bool m_ownsCallback = true;
};
