#include "json_cases.h"

#include <QtTest>

// Writes the expected text of a document: one argument per line, each leading '>' stands for a tab, and
// every line ends with a line feed.
QByteArray lines(std::initializer_list<const char *> rows)
{
    QByteArray text;
    for (const char *row : rows) {
        while (*row == '>') {
            text += '\t';
            ++row;
        }
        text += row;
        text += '\n';
    }
    return text;
}

namespace {
const QByteArray kEmptyObject = lines({"{", "} "});
} // namespace

// Input text -> parse result and the exact text the object then serialises to (entries read before a
// failure stay in the object).
void addObjectParseRows()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty text") << QByteArray() << false << kEmptyObject;
    QTest::newRow("only whitespace") << QByteArray(" \t\r\n\v\f") << false << kEmptyObject;
    QTest::newRow("empty object") << QByteArray("{}") << true << kEmptyObject;
    QTest::newRow("empty object, spaced and commented")
        << QByteArray(" {\v// nothing\n\f} ") << true << kEmptyObject;
    QTest::newRow("trailing comma") << QByteArray(R"({"a":1,"b":2,})") << true
                                    << lines({"{", R"(>"a":1,)", R"(>"b":2 )", "} "});
    QTest::newRow("duplicate key: the later wins")
        << QByteArray(R"({"a":1,"b":0,"a":"x"})") << true << lines({"{", R"(>"a":"x",)", R"(>"b":0 )", "} "});
    QTest::newRow("colon then comma holds null")
        << QByteArray(R"({"a":,"b":2})") << true << lines({"{", R"(>"a":null,)", R"(>"b":2 )", "} "});
    QTest::newRow("colon then brace drops the key")
        << QByteArray(R"({"a":1,"b":})") << true << lines({"{", R"(>"a":1 )", "} "});
    QTest::newRow("single-quoted key and value") << QByteArray(R"({'k':'v "q"', "d":'x'})") << true
                                                 << lines({"{", R"(>"d":"x",)", R"(>"k":"v \"q\"" )", "} "});
    QTest::newRow("escaped double quote inside single quotes keeps its backslash")
        << QByteArray(R"({'k':'say \"hi\" \'x\''})") << true
        << lines({"{", R"(>"k":"say \\\"hi\\\" 'x'" )", "} "});
    QTest::newRow("escaped single quote inside double quotes keeps its backslash")
        << QByteArray(R"({"k":"it\'s \"x\""})") << true << lines({"{", R"(>"k":"it\\'s \"x\"" )", "} "});
    QTest::newRow("comment line before the opening brace")
        << QByteArray("// written by hand\r\n  // twice\n{\"a\":1}") << true
        << lines({"{", R"(>"a":1 )", "} "});
    QTest::newRow("comments wherever a token is expected")
        << QByteArray("{ // a\n\"a\" // b\n: // c\n[ // d\n1 // e\n, // f\ntrue // g\n] // h\n, // i\n"
                      "\"b\"://j\r'x'//k\n}")
        << true << lines({"{", R"(>"a":[)", ">>1,", ">>true ", ">],", R"(>"b":"x" )", "} "});
    QTest::newRow("comment running to the end of input")
        << QByteArray("{\"a\":1 // unfinished") << false << lines({"{", R"(>"a":1 )", "} "});
    QTest::newRow("a lone slash is not a comment") << QByteArray("/ {}") << false << kEmptyObject;
    QTest::newRow("negative number with exponent")
        << QByteArray(R"({"n":-1.5e2})") << true << lines({"{", R"(>"n":-150 )", "} "});
    QTest::newRow("number forms of the classic reader")
        << QByteArray(R"({"a":+5,"b":.5,"c":5.,"d":1E3,"e":-0,"f":0.1,"g":1e21,"h":1e-400,"i":007,"j":2e+0})")
        << true
        << lines({"{", R"(>"a":5,)", R"(>"b":0.5,)", R"(>"c":5,)", R"(>"d":1000,)", R"(>"e":-0,)",
                  R"(>"f":0.1,)", R"(>"g":1e+21,)", R"(>"h":0,)", R"(>"i":7,)", R"(>"j":2 )", "} "});
    QTest::newRow("number directly followed by letters")
        << QByteArray(R"({"n":12abc})") << false << lines({"{", R"(>"n":12 )", "} "});
    QTest::newRow("number too large for a double") << QByteArray(R"({"n":1e999})") << false << kEmptyObject;
    QTest::newRow("exponent without digits") << QByteArray(R"({"n":1e})") << false << kEmptyObject;
    QTest::newRow("sign without digits") << QByteArray(R"({"n":-})") << false << kEmptyObject;
    QTest::newRow("words") << QByteArray(R"({"t":true,"f":false,"z":null})") << true
                           << lines({"{", R"(>"f":false,)", R"(>"t":true,)", R"(>"z":null )", "} "});
    QTest::newRow("unicode escapes to UTF-8") << QByteArray(R"({"s":"\u0041\u4e2d\u00C9"})") << true
                                              << lines({"{", ">\"s\":\"A\xE4\xB8\xAD\xC3\x89\" ", "} "});
    QTest::newRow("surrogate pair makes one character")
        << QByteArray(R"({"s":"\ud83d\ude00!"})") << true
        << lines({"{", ">\"s\":\"\xF0\x9F\x98\x80!\" ", "} "});
    QTest::newRow("surrogates without their partner become U+FFFD")
        << QByteArray(R"({"s":"\ud83dx\ude00\ud83d\u0041"})") << true
        << lines({"{",
                  ">\"s\":\"\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD"
                  "A\" ",
                  "} "});
    QTest::newRow("unicode escape takes four characters and their hex start")
        << QByteArray(R"({"s":"\u41zz|\uzzzz|"})") << true << lines({"{", R"(>"s":"A||" )", "} "});
    QTest::newRow("unicode escape of code zero")
        << QByteArray(R"({"s":"a\u0000b"})") << true << lines({"{", R"(>"s":"a\u0000b" )", "} "});
    QTest::newRow("input ends inside a unicode escape")
        << QByteArray("{\"s\":\"\\u12") << false << kEmptyObject;
    QTest::newRow("short escapes") << QByteArray(R"({"s":"\b\f\n\r\t\/\\"})") << true
                                   << lines({"{", R"(>"s":"\b\f\n\r\t\/\\" )", "} "});
    QTest::newRow("unknown escape keeps its backslash")
        << QByteArray(R"({"s":"\x\q"})") << true << lines({"{", R"(>"s":"\\x\\q" )", "} "});
    QTest::newRow("raw control bytes and bytes above 127 are taken as they are")
        << QByteArray("{\"s\":\"a\tb\x01\x7f\xff\xc3\"}") << true
        << lines({"{", ">\"s\":\"a\\tb\\u0001\x7f\xff\xc3\" ", "} "});
    QTest::newRow("unterminated string") << QByteArray(R"({"a":"x})") << false << kEmptyObject;
    QTest::newRow("unterminated key")
        << QByteArray(R"({"a":1,"b)") << false << lines({"{", R"(>"a":1 )", "} "});
    QTest::newRow("backslash at the end of input") << QByteArray("{\"a\":\"x\\") << false << kEmptyObject;
    QTest::newRow("missing colon") << QByteArray(R"({"a":1,"b" 2})") << false
                                   << lines({"{", R"(>"a":1 )", "} "});
    QTest::newRow("missing closing brace")
        << QByteArray(R"({"a":1,"b":2)") << false << lines({"{", R"(>"a":1,)", R"(>"b":2 )", "} "});
    QTest::newRow("key that is not a string") << QByteArray(R"({a:1})") << false << kEmptyObject;
    QTest::newRow("byte-order mark before the brace")
        << QByteArray("\xEF\xBB\xBF{}") << false << kEmptyObject;
    QTest::newRow("top level array is refused") << QByteArray("[1]") << false << kEmptyObject;
    QTest::newRow("top level string is refused") << QByteArray(R"("x")") << false << kEmptyObject;
    QTest::newRow("text after the closing brace is not examined")
        << QByteArray(R"({"a":1} trailing { garbage)") << true << lines({"{", R"(>"a":1 )", "} "});
    QTest::newRow("nested containers")
        << QByteArray(R"({"o":{"x":[1,{"y":[]},[]],"e":{}},"z":[[]]})") << true
        << lines({"{", R"(>"o":{)", R"(>>"e":{)", ">>},", R"(>>"x":[)", ">>>1,", ">>>{", R"(>>>>"y":[)",
                  ">>>>] ", ">>>},", ">>>[", ">>>] ", ">>] ", ">},", R"(>"z":[)", ">>[", ">>] ", ">] ",
                  "} "});
    QTest::newRow("empty array slots")
        << QByteArray(R"({"a":[1,,2],"b":[,],"c":[1,],"d":[,,]})") << true
        << lines({"{", R"(>"a":[)", ">>1,", ">>null,", ">>2 ", ">],", R"(>"b":[)", ">>null ", ">],",
                  R"(>"c":[)", ">>1 ", ">],", R"(>"d":[)", ">>null,", ">>null ", ">] ", "} "});
    // A broken inner container fails the document instead of being dropped quietly.
    QTest::newRow("unclosed inner array")
        << QByteArray(R"({"k":0,"a":[1,2 })") << false << lines({"{", R"(>"k":0 )", "} "});
    QTest::newRow("inner object takes the outer brace")
        << QByteArray(R"({"a":{"b":1})") << false << lines({"{", R"(>"a":{)", R"(>>"b":1 )", ">} ", "} "});
    QTest::newRow("keys in unsigned byte order")
        << QByteArray("{\"b\":1,\"a\":2,\"B\":3,\"ab\":4,\"\xC3\xA9\":5,\"\":6}") << true
        << lines({"{", R"(>"":6,)", R"(>"B":3,)", R"(>"a":2,)", R"(>"ab":4,)", R"(>"b":1,)",
                  ">\"\xC3\xA9\":5 ", "} "});
    QTest::newRow("keys are escaped like values")
        << QByteArray(R"({"a/b\"c\u0001":1})") << true << lines({"{", R"(>"a\/b\"c\u0001":1 )", "} "});
}

// Arrays and lone values have their own entry points.
void addArrayAndValueParseRows()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("array") << "array" << QByteArray(" // list\n[1,'a',[],{}]") << true
                           << lines({"[", ">1,", ">\"a\",", ">[", ">],", ">{", ">} ", "] "});
    QTest::newRow("empty array") << "array" << QByteArray("[]") << true << lines({"[", "] "});
    QTest::newRow("array holding only a comma")
        << "array" << QByteArray("[,]") << true << lines({"[", ">null ", "] "});
    QTest::newRow("array refuses an object") << "array" << QByteArray("{}") << false << lines({"[", "] "});
    QTest::newRow("unclosed array keeps what it read")
        << "array" << QByteArray("[1,2") << false << lines({"[", ">1,", ">2 ", "] "});
    QTest::newRow("number value") << "value" << QByteArray("  -2.5 ") << true << QByteArray("-2.5 \n");
    QTest::newRow("string value") << "value" << QByteArray("'x'") << true << QByteArray("\"x\" \n");
    QTest::newRow("boolean value") << "value" << QByteArray("false") << true << QByteArray("false \n");
    QTest::newRow("object value") << "value" << QByteArray("{'a':null}") << true
                                  << lines({"{", R"(>"a":null )", "} "});
    QTest::newRow("partial word is invalid")
        << "value" << QByteArray("tru") << false << QByteArray("null \n");
    QTest::newRow("partial array is invalid")
        << "value" << QByteArray("[1,2") << false << QByteArray("null \n");
}
