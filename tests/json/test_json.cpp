#include "baselibs/json/Json.h"
#include "baselibs/json/QtJson.h"
#include "json_cases.h"

#include <QtTest>

#include <clocale>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <sstream>

namespace {

std::string bytes(const QByteArray &data)
{
    return std::string(data.constData(), static_cast<size_t>(data.size()));
}

QByteArray qbytes(const std::string &text)
{
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

struct Report
{
    std::string file;
    std::string expression;
    bool result;
};

std::vector<Report> &reports()
{
    static std::vector<Report> list;
    return list;
}

void recordReport(const char *file, int, const char *expression, bool result)
{
    reports().push_back({file, expression, result});
}

// Records what the accessors report while it lives.
class ReportRecorder
{
public:
    ReportRecorder()
    {
        reports().clear();
        previous_ = json::setAssertionHandler(&recordReport);
    }
    ~ReportRecorder() { json::setAssertionHandler(previous_); }

    // "expression=1" or "expression=0" for each report, joined by spaces.
    static QString summary()
    {
        QStringList parts;
        for (const Report &report : reports()) {
            if (report.file != "baselibs/json")
                parts << QStringLiteral("wrong source ") + QString::fromStdString(report.file);
            parts << QString::fromStdString(report.expression) +
                         (report.result ? QLatin1String("=1") : QLatin1String("=0"));
        }
        return parts.join(QLatin1Char(' '));
    }

private:
    json::AssertionHandler previous_;
};

} // namespace

class TestJson : public QObject
{
    Q_OBJECT

private slots:
    void objectParse_data() { addObjectParseRows(); }

    void objectParse()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, ok);
        QFETCH(QByteArray, expected);

        json::Object object;
        object << "stale" << 1; // parse starts from an empty object
        QCOMPARE(object.parse(bytes(input)), ok);
        QCOMPARE(qbytes(object.json()), expected);

        json::Object fromStream;
        std::istringstream stream(bytes(input));
        QCOMPARE(fromStream.parse(stream), ok);
        QCOMPARE(qbytes(fromStream.json()), expected);
    }

    void arrayAndValueParse_data() { addArrayAndValueParseRows(); }

    void arrayAndValueParse()
    {
        QFETCH(QString, reader);
        QFETCH(QByteArray, input);
        QFETCH(bool, ok);
        QFETCH(QByteArray, expected);

        if (reader == QLatin1String("array")) {
            json::Array array;
            array << 99;
            QCOMPARE(array.parse(bytes(input)), ok);
            QCOMPARE(qbytes(array.json()), expected);
        } else {
            json::Value value(99);
            QCOMPARE(value.parse(bytes(input)), ok);
            QCOMPARE(qbytes(value.json()), expected);
            QCOMPARE(value.isValid(), ok);
        }
    }

    // Nesting is bounded so that hostile text cannot exhaust the stack.
    void nestingDepth_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("ok");
        QTest::newRow("deep but allowed") << 200 << true;
        QTest::newRow("too deep") << 100000 << false;
    }

    void nestingDepth()
    {
        QFETCH(int, depth);
        QFETCH(bool, ok);
        const std::string text = "{\"a\":" + std::string(static_cast<size_t>(depth), '[') +
                                 std::string(static_cast<size_t>(depth), ']') + "}";
        json::Object object;
        QCOMPARE(object.parse(text), ok);
        QCOMPARE(object.has<json::Array>("a"), ok);
    }

    // The stream is left just after the object, so the caller can read what follows.
    void streamPositionAfterObject()
    {
        std::istringstream stream("  {\"a\":1} rest");
        json::Object object;
        QVERIFY(object.parse(stream));
        std::string rest;
        stream >> rest;
        QCOMPARE(rest, std::string("rest"));
    }

    void numberWriting_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("integer") << 5.0 << QByteArray("5");
        QTest::newRow("tenth") << 0.1 << QByteArray("0.1");
        QTest::newRow("large") << 1e21 << QByteArray("1e+21");
        QTest::newRow("small") << 1e-7 << QByteArray("1e-07");
        QTest::newRow("sixteen significant digits") << 1.0 / 3 << QByteArray("0.3333333333333333");
        QTest::newRow("rounded to sixteen digits")
            << 123456789012345678.0 << QByteArray("1.234567890123457e+17");
        QTest::newRow("negative zero") << -0.0 << QByteArray("-0");
        QTest::newRow("infinity is written as null")
            << std::numeric_limits<double>::infinity() << QByteArray("null");
        QTest::newRow("not a number is written as null")
            << std::numeric_limits<double>::quiet_NaN() << QByteArray("null");
    }

    void numberWriting()
    {
        QFETCH(double, number);
        QFETCH(QByteArray, expected);
        json::Object object;
        object << "n" << number;
        QCOMPARE(qbytes(object.json()), QByteArray("{\n\t\"n\":" + expected + " \n} \n"));
        // What is written reads back.
        json::Object back;
        QVERIFY(back.parse(object.json()));
    }

    // Numbers are read and written in the classic format even when the process runs under a locale with a
    // decimal comma (Qt applications take the user's locale at start).
    void numbersIgnoreProcessLocale()
    {
        const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
        const char *candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
        bool switched = false;
        for (const char *name : candidates)
            switched = switched || std::setlocale(LC_NUMERIC, name) != nullptr;
        if (!switched)
            QSKIP("no locale with a decimal comma is installed");
        json::Object object;
        const bool ok = object.parse(R"({"n":2.5})");
        const std::string text = object.json();
        std::setlocale(LC_NUMERIC, previous.c_str());
        QVERIFY(ok);
        QCOMPARE(object.get<json::Number>("n"), 2.5);
        QCOMPARE(qbytes(text), lines({"{", R"(>"n":2.5 )", "} "}));
    }

    // The escape table: every byte value in one string, written and read back.
    void everyByteEscaping()
    {
        std::string all;
        for (int byte = 0; byte < 256; ++byte)
            all += static_cast<char>(byte);

        QByteArray expected = "\\u0000\\u0001\\u0002\\u0003\\u0004\\u0005\\u0006\\u0007\\b\\t\\n\\u000b\\f\\r"
                              "\\u000e\\u000f\\u0010\\u0011\\u0012\\u0013\\u0014\\u0015\\u0016\\u0017\\u0018"
                              "\\u0019\\u001a\\u001b\\u001c\\u001d\\u001e\\u001f";
        for (int byte = 0x20; byte < 256; ++byte) {
            if (byte == '"' || byte == '\\' || byte == '/')
                expected += '\\';
            expected += static_cast<char>(byte); // 0x7F and bytes above 127 unchanged
        }

        json::Object object;
        object << all << all;
        const QByteArray line = "\t\"" + expected + "\":\"" + expected + "\" ";
        QCOMPARE(qbytes(object.json()), QByteArray("{\n" + line + "\n} \n"));

        json::Object back;
        QVERIFY(back.parse(object.json()));
        QVERIFY(back.has<json::String>(all));
        QVERIFY(back.get<json::String>(all) == all);
    }

    void programmaticWriting_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty array") << 0 << lines({"[", "] "});
        QTest::newRow("key holding an array of two numbers")
            << 1 << lines({"{", R"(>"a":[)", ">>1,", ">>2 ", ">] ", "} "});
        QTest::newRow("empty containers inside")
            << 2 << lines({"{", R"(>"a":[)", ">],", R"(>"b":{)", ">} ", "} "});
        QTest::newRow("every kind in an array")
            << 3
            << lines({"[", ">1.5,", ">\"s\",", ">true,", ">null,", ">null,", ">-7,", ">4294967295,",
                      ">9007199254740992 ", "] "});
        QTest::newRow("lone string value") << 4 << QByteArray("\"a\\/b\" \n");
    }

    void programmaticWriting()
    {
        QFETCH(int, row);
        QFETCH(QByteArray, expected);
        std::string text;
        switch (row) {
        case 0:
            text = json::Array().json();
            break;
        case 1: {
            json::Array numbers;
            numbers << 1 << 2;
            json::Object object;
            object << "a" << numbers;
            text = object.json();
            break;
        }
        case 2: {
            json::Object object;
            object.import("b", json::Object());
            object.import("a", json::Array());
            text = object.json();
            break;
        }
        case 3: {
            json::Array array;
            array << 1.5 << std::string("s") << true << json::Null() << json::Value() << -7L << 4294967295U
                  << qint64(9007199254740993LL);
            text = array.json();
            break;
        }
        case 4:
            text = json::Value("a/b").json();
            break;
        }
        QCOMPARE(qbytes(text), expected);
    }

    // Accessors whose precondition fails report to the hook and hand out an empty payload that a write
    // cannot leak into later calls.
    void failedPreconditions_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("expectedReports");
        QTest::newRow("object, present key") << 0 << "has<T>(key)=1 is<Number>()=1";
        QTest::newRow("object, missing key") << 1 << "has<T>(key)=0 is<String>()=0";
        QTest::newRow("object, other kind") << 2 << "has<T>(key)=0 is<Array>()=0";
        QTest::newRow("array, index in range") << 3 << "i < size()=1 is<Boolean>()=1";
        QTest::newRow("array, index out of range") << 4 << "i < size()=0 is<Object>()=0";
        QTest::newRow("array, other kind") << 5 << "i < size()=1 is<String>()=0";
        QTest::newRow("value, other kind") << 6 << "is<Number>()=0";
        QTest::newRow("streamed key that is not a string") << 7 << "is<String>()=0 is<String>()=1";
    }

    void failedPreconditions()
    {
        QFETCH(int, row);
        QFETCH(QString, expectedReports);

        json::Object object;
        QVERIFY(object.parse(R"({"n":3,"s":"x","a":[true,"y"]})"));
        json::Array &array = object.get<json::Array>("a");
        const json::Object &constObject = object;

        ReportRecorder recorder;
        switch (row) {
        case 0:
            QCOMPARE(constObject.get<json::Number>("n"), 3.0);
            break;
        case 1: {
            json::String &fallback = object.get<json::String>("missing");
            QVERIFY(fallback.empty());
            fallback = "scribbled";
            QVERIFY(object.get<json::String>("missing").empty());
            reports().resize(2);
            break;
        }
        case 2:
            QVERIFY(object.get<json::Array>("s").empty());
            break;
        case 3:
            QCOMPARE(array.get<json::Boolean>(0), true);
            break;
        case 4: {
            json::Object &fallback = array.get<json::Object>(2);
            QVERIFY(fallback.empty());
            fallback << "k" << 1;
            QVERIFY(array.get<json::Object>(2).empty());
            reports().resize(2);
            break;
        }
        case 5:
            QVERIFY(array.get<json::String>(0).empty());
            break;
        case 6:
            QCOMPARE(json::Value("5").get<json::Number>(), 0.0);
            break;
        case 7: {
            json::Object streamed;
            streamed << 5 << "k"
                     << "v";
            QCOMPARE(qbytes(streamed.json()), lines({"{", R"(>"k":"v" )", "} "}));
            break;
        }
        }
        QCOMPARE(ReportRecorder::summary(), expectedReports);
        // The document itself is untouched by all of this.
        QCOMPARE(object.size(), size_t(3));
        QCOMPARE(array.size(), size_t(2));
    }

    void hasChecksKeyAndKind()
    {
        json::Object object;
        QVERIFY(object.parse(R"({"n":1,"s":"","b":false,"z":null,"a":[],"o":{}})"));
        QVERIFY(object.has<json::Number>("n") && object.has<json::String>("s") &&
                object.has<json::Boolean>("b") && object.has<json::Null>("z") &&
                object.has<json::Array>("a") && object.has<json::Object>("o"));
        QVERIFY(!object.has<json::String>("n") && !object.has<json::Number>("N") &&
                !object.has<json::Object>("a"));
        QVERIFY(object.get<json::Array>("a").empty());
        QVERIFY(!object.get<json::Array>("a").has<json::Null>(0));
    }

    // Copies are deep; assignment, import and self-use keep every document intact.
    void copiesAreDeep()
    {
        json::Object original;
        QVERIFY(original.parse(R"({"list":[1,{"x":"y"}],"o":{"k":"v"}})"));
        const std::string text = original.json();

        json::Object copy = original;
        copy.get<json::Array>("list").get<json::Object>(1).import("x", "changed");
        copy.get<json::Object>("o") << "k2" << 2;
        json::Value value(original);
        value.get<json::Object>().import("new", true);
        json::Array array;
        array << original;
        array.get<json::Object>(0).erase("o");

        QCOMPARE(original.json(), text);
        QVERIFY(copy.json() != text);
        QCOMPARE(copy.get<json::Array>("list").get<json::Object>(1).get<json::String>("x"),
                 std::string("changed"));
        QVERIFY(value.get<json::Object>().has<json::Boolean>("new"));
        QVERIFY(!array.get<json::Object>(0).has<json::Object>("o"));
    }

    void selfUse()
    {
        json::Object object;
        QVERIFY(object.parse(R"({"a":1,"child":{"b":[2]}})"));
        const std::string before = object.json();

        json::Object &alias = object;
        object = alias;
        QCOMPARE(object.json(), before);
        object.import(alias);
        QCOMPARE(object.json(), before);

        // Assigning a document from one of its own parts.
        object = object.get<json::Object>("child");
        QCOMPARE(qbytes(object.json()), lines({"{", R"(>"b":[)", ">>2 ", ">] ", "} "}));

        json::Array array;
        QVERIFY(array.parse("[1,[2]]"));
        array.import(array);
        QCOMPARE(qbytes(array.json()),
                 lines({"[", ">1,", ">[", ">>2 ", ">],", ">1,", ">[", ">>2 ", ">] ", "] "}));
        array = array.get<json::Array>(1);
        QCOMPARE(qbytes(array.json()), lines({"[", ">2 ", "] "}));

        json::Value value;
        QVERIFY(value.parse("[[3],4]"));
        json::Value &self = value;
        value = self;
        value = *value.get<json::Array>().values().front();
        QCOMPARE(qbytes(value.json()), lines({"[", ">3 ", "] "}));
        value = std::move(*value.get<json::Array>().values().front());
        QCOMPARE(qbytes(value.json()), QByteArray("3 \n"));
    }

    void importAndStreaming()
    {
        json::Object object;
        object << "a" << 1 << std::string("b") << "two"
               << ""
               << "empty key";
        object << "a" << json::Null(); // replaces
        object.import("c", json::Array());
        object << "pending"; // a pending key is dropped by import
        object.import("d", 4);
        object << "e" << 5;

        json::Object more;
        more << "a"
             << "from more"
             << "z" << false;
        object.import(more);

        QCOMPARE(qbytes(object.json()),
                 lines({"{", R"(>"":"empty key",)", R"(>"a":"from more",)", R"(>"b":"two",)", R"(>"c":[)",
                        ">],", R"(>"d":4,)", R"(>"e":5,)", R"(>"z":false )", "} "}));
        QVERIFY(object.erase("a"));
        QVERIFY(!object.erase("a"));
        QCOMPARE(object.size(), size_t(6));
    }

    void qtHelpers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("abc") << QStringLiteral("abc");
        QTest::newRow("two-byte and astral")
            << QByteArray("\xC3\xA9\xF0\x9F\x98\x80") << QString::fromUtf8("\xC3\xA9\xF0\x9F\x98\x80");
        QTest::newRow("stops at the first zero byte") << QByteArray("ab\0cd", 5) << QStringLiteral("ab");
        QTest::newRow("empty") << QByteArray() << QString();
    }

    void qtHelpers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(json::toQString(::bytes(bytes)), text);
        const int zero = bytes.indexOf('\0');
        QCOMPARE(qbytes(json::fromQString(text)), zero < 0 ? bytes : bytes.left(zero));
    }

    void pageArgument()
    {
        json::Object object;
        QVERIFY(object.parse("{\"name\":\"a\\tb\\n\xE4\xB8\xAD\",\"list\":[1,2],\"o\":{}}"));
        const QByteArray compact = "{\"list\":[1,2 ],\"name\":\"a\\tb\\n\xE4\xB8\xAD\",\"o\":{} } ";
        QCOMPARE(json::compacted(object.json()), QString::fromUtf8(compact));
        QCOMPARE(json::pageArgument(object), compact.toBase64());
        QCOMPARE(json::pageArgument(object),
                 QByteArray("eyJsaXN0IjpbMSwyIF0sIm5hbWUiOiJhXHRiXG7kuK0iLCJvIjp7fSB9IA=="));

        json::Array array;
        array << "x";
        QCOMPARE(json::pageArgument(array), QByteArray("WyJ4IiBdIA=="));
    }
};

QTEST_GUILESS_MAIN(TestJson)
#include "test_json.moc"
