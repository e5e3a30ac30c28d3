#include "tasks/GameCommandLine.h"

#include "core/QApi.h"

namespace tasks {

QStringList gameArguments(const QApi &api, const QMap<QString, QString> &savedLogin)
{
    QStringList arguments = {QStringLiteral("channelCode=") + api.channelCode,
                             QStringLiteral("lang=") + api.lang, QStringLiteral("oversea=") + api.oversea,
                             QStringLiteral("productCode=") + api.productCode};
    const QString uid = savedLogin.value(QStringLiteral("uid"));
    const QString token = savedLogin.value(QStringLiteral("token"));
    if (!uid.isEmpty() && !token.isEmpty()) {
        arguments << QStringLiteral("authToken=") + token << QStringLiteral("uid=") + uid
                  << QStringLiteral("username=") + savedLogin.value(QStringLiteral("username"));
    }
    return arguments;
}

} // namespace tasks
