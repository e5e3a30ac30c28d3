#pragma once

// Tables of reader cases, kept out of the test class: raw string literals with unbalanced brackets confuse
// the meta-object compiler's scan.

#include <QByteArray>

#include <initializer_list>

// The expected text of a document: one argument per line, each leading '>' stands for a tab, and every line
// ends with a line feed.
QByteArray lines(std::initializer_list<const char *> rows);

// Columns input (QByteArray), ok (bool), expected (QByteArray).
void addObjectParseRows();
// Columns reader ("array" or "value"), input, ok, expected.
void addArrayAndValueParseRows();
