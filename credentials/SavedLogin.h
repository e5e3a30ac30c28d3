#pragma once

#include <QMap>
#include <QString>

// The saved login: the signed-in user's id and access token, kept between runs in one file in the
// cache location, encrypted with AES-128 (ECB, zero padding) under deviceKey() and stored as Base64.
//
// The plain text is {"uid":"...","token":"..."} without whitespace. Double quotes, backslashes and
// control characters in the values are escaped, so any text reads back as it was written; values
// without them give the same bytes as files written before escaping existed, and those still read.

// The cache location + "/" + QApi::instance()->productCode + "/" + the fixed file name. Creates the
// directory when it does not exist.
QString savedLoginPath();

// The saved uid and token under the keys "uid" and "token", or an empty map when there is no file or it
// cannot be read: not Base64 of whole AES blocks, written under another device key, or a decrypted
// object without a string uid and a string token.
QMap<QString, QString> readSavedLogin();

// Replaces the file with the given login. A file that cannot be written is left as it was; nothing is
// reported.
void writeSavedLogin(const QString &uid, const QString &token);

// Deletes the file when there is one.
void clearSavedLogin();
