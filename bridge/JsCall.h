#pragma once

#include <QString>
#include <QStringList>

// Building the JavaScript statements native code runs in pages.
//
// Every value is escaped for the string literal it stands in, so a product name, user name or error text
// with a quote, a backslash, a line break or "</script" arrives in the page as the same text and never
// runs as code. Values made only of ordinary characters (Base64 texts, numbers, plain names) come out
// unchanged. Statements that are given as a whole to run (page scripts sent by the task manager) are not
// built here and are run as they are.
namespace jscall {

// The characters of value, escaped for use between single or double quotes of a JavaScript literal.
QString escaped(const QString &value);

// value as a single-quoted literal: 'value'.
QString singleQuoted(const QString &value);

// value as a double-quoted literal: "value".
QString doubleQuoted(const QString &value);

// function('arg1','arg2',...): each argument a single-quoted literal.
QString call(const QString &function, const QStringList &args = QStringList());

// A boolean as the page expects it inside quotes: "1" or "0".
inline QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace jscall
