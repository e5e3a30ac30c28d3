#include "ui/ReservedHostBlocker.h"

#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInfo>

ReservedHostBlocker::ReservedHostBlocker(QObject *parent) : QWebEngineUrlRequestInterceptor(parent) {}

void ReservedHostBlocker::installOn(QWebEngineProfile *profile)
{
    if (!profile || profile->findChild<ReservedHostBlocker *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    profile->setUrlRequestInterceptor(new ReservedHostBlocker(profile));
}

void ReservedHostBlocker::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    QString host = info.requestUrl().host();
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (host.endsWith(QLatin1String(".invalid"), Qt::CaseInsensitive) ||
        host.compare(QLatin1String("invalid"), Qt::CaseInsensitive) == 0)
        info.block(true);
}
