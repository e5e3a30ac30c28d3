#include "core/SystemConf.h"

#include "baselibs/json/Json.h"
#include "baselibs/json/QtJson.h"
#include "platform/ApplicationDir.h"

#include <QDir>
#include <QSaveFile>
#include <QTextCodec>

namespace systemconf {
namespace {

bool isBase64Character(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '+' || u == '/';
}

bool isIgnoredWhileDecoding(QChar c)
{
    return c.isSpace() || c == QLatin1Char('-');
}

// The alphabet characters first, then at most two "=", and a length Base64 can have.
bool isWellFormedBase64(const QString &text)
{
    int padding = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('=')) {
            ++padding;
        } else if (padding > 0 || !isBase64Character(c)) {
            return false;
        }
    }
    if (padding > 2)
        return false;
    if (padding > 0)
        return text.size() % 4 == 0;
    return text.size() % 4 != 1;
}

bool isValidUtf8(const QByteArray &bytes, QString *text)
{
    QTextCodec *codec = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    *text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

} // namespace

QString serialize(const QMap<QString, QString> &conf)
{
    json::Object object;
    for (auto it = conf.cbegin(); it != conf.cend(); ++it)
        object.import(json::fromQString(it.key()), json::Value(json::fromQString(it.value())));
    return json::compacted(object.json());
}

bool isPlainInstallPath(const QString &value)
{
    return value.contains(QLatin1Char(':')) || value.startsWith(QLatin1Char('/'));
}

QString encodeInstallPath(const QString &path)
{
    return QString::fromLatin1(path.toUtf8().toBase64());
}

QString decodeInstallPath(const QString &value, bool *ok)
{
    if (ok)
        *ok = false;
    QString cleaned;
    cleaned.reserve(value.size());
    for (const QChar c : value) {
        if (!isIgnoredWhileDecoding(c))
            cleaned.append(c);
    }
    if (cleaned.isEmpty() || !isWellFormedBase64(cleaned))
        return QString();
    const auto decoded = QByteArray::fromBase64Encoding(
        cleaned.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty() || decoded.decoded.contains('\0'))
        return QString();
    QString path;
    if (!isValidUtf8(decoded.decoded, &path))
        return QString();
    if (ok)
        *ok = true;
    return path;
}

} // namespace systemconf

QString windowSizeFile()
{
    return platform::applicationDir() + QStringLiteral("/Data/conf/22780358870497643540117482425477");
}

bool saveWindowSize(int width, int height)
{
    if (!QDir().mkpath(platform::applicationDir() + QStringLiteral("/Data/conf/")))
        return false;
    QSaveFile file(windowSizeFile());
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArray::number(width) + ',' + QByteArray::number(height));
    return file.commit();
}
