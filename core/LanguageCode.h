#pragma once

#include <QLocale>
#include <QString>

// The language code "autolocate" stands for on a system whose language is the given one: "us" for English,
// "th" for Thai, "jp" for Japanese, "zh" for Chinese and every other language.
QString languageCodeFor(QLocale::Language systemLanguage);
