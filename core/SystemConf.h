#pragma once

#include <QMap>
#include <QString>

// Text forms of the user's settings shared by the settings store and the task code.
namespace systemconf {

// The map as one compact JSON object: keys in byte order, every value a string, no tabs or line feeds,
// a space before the closing brace and one after it ({"a":"1","b":"2" } ).
QString serialize(const QMap<QString, QString> &conf);

// True when the "userSelectInstallPath" value is a plain directory path rather than its Base64 form:
// it contains ":" (a drive path) or starts with "/" (no Base64 of UTF-8 text starts with "/").
bool isPlainInstallPath(const QString &value);

// The Base64 form of a directory path (UTF-8, standard alphabet, "=" padding).
QString encodeInstallPath(const QString &path);

// Decodes the Base64 form of "userSelectInstallPath": whitespace and "-" are ignored; any other character
// outside the standard alphabet, bad padding, or a result that is empty, holds a zero byte or is not valid
// UTF-8 makes it fail. Returns the path, or "" with *ok false.
QString decodeInstallPath(const QString &value, bool *ok = nullptr);

} // namespace systemconf

// Writes "width,height" to the window size file in the application directory's "Data/conf" (created when
// missing), replacing its content. Returns whether the file was written.
bool saveWindowSize(int width, int height);
// Path of the window size file.
QString windowSizeFile();
