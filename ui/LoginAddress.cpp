#include "ui/LoginAddress.h"

#include "core/QApi.h"

namespace loginaddress {

QString loginSuccessHost()
{
    return QStringLiteral("morvupcbox-signin.invalid");
}

QString loginSuccessUrl()
{
    return QStringLiteral("http://www.") + loginSuccessHost();
}

QString oauthUrl(const QApi &api)
{
    const QString path =
        api.oversea == QLatin1String("1") ? QStringLiteral("/openapi/oauth") : QStringLiteral("/open/oauth");
    return api.apiHost() + path + QStringLiteral("?openId=") + api.openId + QStringLiteral("&successUrl=") +
           loginSuccessUrl() + QStringLiteral("&productCode=") + api.productCode +
           QStringLiteral("&channelCode=") + api.channelCode +
           QStringLiteral("&sign=4a2c7e9d1b06f358ad0e2c94b7f1e6d2") +
           QStringLiteral("&stopClose=1&theme=gameLaucher&lang=") + api.lang + api.loginParams;
}

} // namespace loginaddress
