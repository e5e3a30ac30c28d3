#pragma once

#include <QMap>
#include <QString>

namespace tasks {

// True when every character is "0" to "9"; the empty text is true.
bool isAllDigits(const QString &text);

// The query items of a valid URL (percent-decoded where that is unambiguous) as key -> value; a repeated
// key keeps its last value. An invalid URL gives an empty map.
QMap<QString, QString> urlQueryToMap(const QString &url);

} // namespace tasks
