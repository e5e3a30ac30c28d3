#include "baselibs/json/QtJson.h"

#include <algorithm>
#include <cstring>

namespace json {

namespace {

std::string withoutLayout(const String &jsonText)
{
    std::string text;
    text.reserve(jsonText.size());
    std::copy_if(jsonText.begin(), jsonText.end(), std::back_inserter(text),
                 [](char c) { return c != '\t' && c != '\n'; });
    return text;
}

QByteArray base64Of(const std::string &bytes)
{
    return QByteArray(bytes.data(), static_cast<int>(bytes.size())).toBase64();
}

} // namespace

QString toQString(const String &text)
{
    const size_t zero = text.find('\0');
    const size_t length = zero == String::npos ? text.size() : zero;
    return QString::fromUtf8(text.data(), static_cast<int>(length));
}

String fromQString(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return String(utf8.constData(), static_cast<size_t>(utf8.size()));
}

QString compacted(const String &jsonText)
{
    const std::string text = withoutLayout(jsonText);
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// The bytes go to Base64 as they are: the same as going through QString for UTF-8 text, and no byte of a
// stored string is replaced on the way.
QByteArray pageArgument(const Object &object)
{
    return base64Of(withoutLayout(object.json()));
}

QByteArray pageArgument(const Array &array)
{
    return base64Of(withoutLayout(array.json()));
}

} // namespace json
