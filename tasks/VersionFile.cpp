#include "tasks/VersionFile.h"

namespace tasks {
namespace {

QString jsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\b':
            out += QLatin1String("\\b");
            break;
        case '\f':
            out += QLatin1String("\\f");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

} // namespace

QString versionFileText(const QString &versionNo, const QString &versionName, const QString &baseVersionNo)
{
    return QStringLiteral("{\"versionNo\":") + jsonString(versionNo) + QStringLiteral(",\"versionName\":") +
           jsonString(versionName) + QStringLiteral(",\"baseVersionNo\":") + jsonString(baseVersionNo) +
           QLatin1Char('}');
}

QString versionFilePath(const QString &installDir)
{
    QString dir = installDir;
    dir.remove(QStringLiteral("/install"));
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir + QStringLiteral("/version.data");
}

} // namespace tasks
