#pragma once

// The meeting point of the JSON byte strings and Qt text.

#include "baselibs/json/Json.h"

#include <QByteArray>
#include <QString>

namespace json {

// UTF-8 up to the first zero byte.
QString toQString(const String &text);
// UTF-8.
String fromQString(const QString &text);
// The text with every tab and line feed removed; the writer escapes both inside strings, so only the
// layout goes.
QString compacted(const String &jsonText);
// What a page receives as one argument: standard Base64 ('=' padding) of the compacted UTF-8 text.
QByteArray pageArgument(const Object &object);
QByteArray pageArgument(const Array &array);

} // namespace json
