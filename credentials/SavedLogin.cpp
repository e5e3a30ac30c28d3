#include "credentials/SavedLogin.h"

#include "baselibs/json/Json.h"
#include "core/QApi.h"
#include "credentials/DeviceKey.h"
#include "credentials/QAESEncryption.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const char savedLoginFileName[] = "9d0b3e7a2c84f615e0a9d3b7c2e81f5a";

QByteArray keyBytes()
{
    return deviceKey().toLatin1();
}

// A JSON string literal of the UTF-8 text. Only what would break the literal is escaped; every other
// byte, non-ASCII text included, is written as it is.
QByteArray quoted(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out.append('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.append('\\').append(c);
        } else if (byte < 0x20) {
            // A zero byte would also end the text early: the reader stops at the first one (padding).
            out.append("\\u00").append(QByteArray::number(byte, 16).rightJustified(2, '0'));
        } else {
            out.append(c);
        }
    }
    out.append('"');
    return out;
}

QByteArray plainText(const QString &uid, const QString &token)
{
    return QByteArrayLiteral("{\"uid\":") + quoted(uid) + QByteArrayLiteral(",\"token\":") + quoted(token) +
           QByteArrayLiteral("}");
}

QMap<QString, QString> loginMap(const QString &uid, const QString &token)
{
    QMap<QString, QString> login;
    login.insert(QStringLiteral("uid"), uid);
    login.insert(QStringLiteral("token"), token);
    return login;
}

QString fromUtf8(const json::String &text)
{
    return QString::fromUtf8(text.data(), int(text.size()));
}

// Files written before the values were escaped hold them verbatim; one with a double quote in a value is
// not valid JSON, but its fixed layout still tells the two values apart.
QMap<QString, QString> readVerbatimLayout(const QByteArray &text)
{
    static const QByteArray head = QByteArrayLiteral("{\"uid\":\"");
    static const QByteArray middle = QByteArrayLiteral("\",\"token\":\"");
    static const QByteArray tail = QByteArrayLiteral("\"}");
    if (!text.startsWith(head) || !text.endsWith(tail))
        return {};
    const int split = text.indexOf(middle, head.size());
    if (split < 0 || split + middle.size() > text.size() - tail.size())
        return {};
    const QByteArray uid = text.mid(head.size(), split - head.size());
    const int tokenStart = split + middle.size();
    const QByteArray token = text.mid(tokenStart, text.size() - tail.size() - tokenStart);
    return loginMap(QString::fromUtf8(uid), QString::fromUtf8(token));
}

QMap<QString, QString> parseLogin(const QByteArray &text)
{
    json::Object object;
    if (!object.parse(text.toStdString()))
        return readVerbatimLayout(text);
    if (!object.has<json::String>("uid") || !object.has<json::String>("token"))
        return {};
    return loginMap(fromUtf8(object.get<json::String>("uid")), fromUtf8(object.get<json::String>("token")));
}

} // namespace

QString savedLoginPath()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QLatin1Char('/') +
                        QApi::instance()->productCode + QLatin1Char('/');
    if (!QDir(dir).exists())
        QDir().mkpath(dir);
    return dir + QLatin1String(savedLoginFileName);
}

QMap<QString, QString> readSavedLogin()
{
    QFile file(savedLoginPath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QByteArray text = file.readAll().trimmed();
    file.close();
    if (text.isEmpty())
        return {};

    const QByteArray cipher = QByteArray::fromBase64(text);
    QAESEncryption aes(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
    const QByteArray decrypted = aes.decrypt(cipher, keyBytes());
    if (decrypted.isEmpty())
        return {};
    // The zero padding ends the text.
    const int end = decrypted.indexOf('\0');
    return parseLogin(end < 0 ? decrypted : decrypted.left(end));
}

void writeSavedLogin(const QString &uid, const QString &token)
{
    const QString path = savedLoginPath();
    QAESEncryption aes(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
    const QByteArray text = aes.encrypt(plainText(uid, token), keyBytes()).toBase64();

    // Written beside the file and renamed over it, so an interrupted write never leaves half a login.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    if (file.write(text) != text.size() || !file.commit())
        return;
    // Only the user may read the token.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void clearSavedLogin()
{
    const QString path = savedLoginPath();
    if (QFile::exists(path))
        QFile::remove(path);
}
