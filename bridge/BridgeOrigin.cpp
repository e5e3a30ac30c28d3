#include "bridge/BridgeOrigin.h"

#include <QUrl>

namespace bridgeorigin {
namespace {

int effectivePort(const QUrl &url)
{
    const QString scheme = url.scheme();
    const int fallback = scheme == QLatin1String("https") ? 443 : scheme == QLatin1String("http") ? 80 : -1;
    return url.port(fallback);
}

} // namespace

bool isAllowed(const QUrl &page, const QString &apiHost)
{
    if (!page.isValid())
        return false;
    if (page.scheme() == QLatin1String("qrc"))
        return true;
    const QUrl operatorUrl(apiHost, QUrl::TolerantMode);
    if (!operatorUrl.isValid() || operatorUrl.host().isEmpty())
        return false;
    const QString scheme = page.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return false;
    return scheme == operatorUrl.scheme() &&
           page.host().compare(operatorUrl.host(), Qt::CaseInsensitive) == 0 &&
           effectivePort(page) == effectivePort(operatorUrl);
}

} // namespace bridgeorigin
