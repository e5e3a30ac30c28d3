#include "tasks/TextHelpers.h"

#include <QUrl>
#include <QUrlQuery>

namespace tasks {

bool isAllDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QMap<QString, QString> urlQueryToMap(const QString &url)
{
    QMap<QString, QString> items;
    const QUrl parsed(url);
    if (!parsed.isValid())
        return items;
    const QUrlQuery query(parsed);
    for (const auto &item : query.queryItems(QUrl::PrettyDecoded))
        items.insert(item.first, item.second);
    return items;
}

} // namespace tasks
