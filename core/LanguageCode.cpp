#include "core/LanguageCode.h"

QString languageCodeFor(QLocale::Language systemLanguage)
{
    switch (systemLanguage) {
    case QLocale::English:
        return QStringLiteral("us");
    case QLocale::Thai:
        return QStringLiteral("th");
    case QLocale::Japanese:
        return QStringLiteral("jp");
    case QLocale::Chinese:
    default:
        return QStringLiteral("zh");
    }
}
