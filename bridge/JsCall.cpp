#include "bridge/JsCall.h"

namespace jscall {

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\'':
            out += QLatin1String("\\'");
            break;
        case '"':
            out += QLatin1String("\\\"");
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
        case '<':
            // "</script" or "<!--" must never appear literally, should the text end up inside an HTML page.
            out += QLatin1String("\\x3C");
            break;
        case 0x2028:
        case 0x2029:
            // Line terminators in JavaScript, though not in JSON.
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

QString singleQuoted(const QString &value)
{
    return QLatin1Char('\'') + escaped(value) + QLatin1Char('\'');
}

QString doubleQuoted(const QString &value)
{
    return QLatin1Char('"') + escaped(value) + QLatin1Char('"');
}

QString call(const QString &function, const QStringList &args)
{
    QString text = function + QLatin1Char('(');
    for (int i = 0; i < args.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += singleQuoted(args.at(i));
    }
    return text + QLatin1Char(')');
}

} // namespace jscall
