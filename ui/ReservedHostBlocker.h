#pragma once

#include <QWebEngineUrlRequestInterceptor>

class QWebEngineProfile;

// Stops every request to a host under the reserved ".invalid" top-level domain before it starts, so the
// sign-in success address is recognised from the address bar alone and never looked up or contacted.
class ReservedHostBlocker : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
    Q_DISABLE_COPY(ReservedHostBlocker)

public:
    // Installs one blocker on profile (once per profile).
    static void installOn(QWebEngineProfile *profile);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    explicit ReservedHostBlocker(QObject *parent);
};
