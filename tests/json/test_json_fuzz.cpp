#include "baselibs/json/Json.h"

#include <QtTest>

#include <random>
#include <sstream>

namespace {

// Documents that between them use every feature of the reader.
const char *const kCorpus[] = {
    R"({"a":[1,,2,],"b":{'c':"d\u4e2d\ud83d\ude00",},"e":-1.5e2,"f":true,"g":null,"h":[[],{}]})",
    "// comment\n{\"k\" : // more\n [ 'x\\'y', \"\\b\\f\\n\\r\\t\\/\\\\\\q\", .5, +7, 1e-400 ] }",
    R"({"list":[{"productId":"12","status":5,"rate":"45.5%"},{"productId":"13","status":0}],"total":2})",
    "{\"raw\":\"\x01\x7f\xff\t\",\"\":{\"\":[false,true,null]}}",
    R"({"deep":[[[[[[[[[[{"x":[[[[1]]]]}]]]]]]]]]],"u":"\u00e9x","v":"\uzzzz"})",
};

// Every parse returns; what parses writes text that parses again to the same text.
void check(const std::string &text)
{
    json::Object object;
    if (object.parse(text)) {
        const std::string written = object.json();
        json::Object again;
        QVERIFY2(again.parse(written), written.c_str());
        QCOMPARE(again.json(), written);
    } else {
        json::Object again;
        QVERIFY(again.parse(object.json())); // what a failed parse kept is a sound document
    }

    json::Array array;
    if (array.parse(text)) {
        json::Array again;
        QVERIFY(again.parse(array.json()));
        QCOMPARE(again.json(), array.json());
    }

    json::Value value;
    if (value.parse(text)) {
        json::Value again;
        QVERIFY(again.parse(value.json()));
        QCOMPARE(again.json(), value.json());
    }
}

std::string randomBytes(std::mt19937 &random, size_t length, bool anyByte)
{
    static const char alphabet[] = "{}[]:,'\"\\/ \n\tu0123456789abcdefeE+-.truefalsenull";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (anyByte)
            text += static_cast<char>(random() & 0xFF);
        else
            text += alphabet[random() % (sizeof alphabet - 1)];
    }
    return text;
}

} // namespace

class TestJsonFuzz : public QObject
{
    Q_OBJECT

private slots:
    void corpusParses()
    {
        for (const char *document : kCorpus) {
            json::Object object;
            QVERIFY2(object.parse(document), document);
        }
    }

    void truncatedPrefixes()
    {
        for (const std::string document : kCorpus) {
            for (size_t length = 0; length <= document.size(); ++length) {
                check(document.substr(0, length));
                if (QTest::currentTestFailed())
                    QFAIL(document.substr(0, length).c_str());
            }
        }
    }

    void mutatedDocuments()
    {
        std::mt19937 random(20240611u);
        const size_t corpusSize = sizeof kCorpus / sizeof kCorpus[0];
        for (int round = 0; round < 3000; ++round) {
            std::string text = kCorpus[random() % corpusSize];
            const int edits = 1 + static_cast<int>(random() % 4);
            for (int edit = 0; edit < edits && !text.empty(); ++edit) {
                const size_t at = random() % text.size();
                switch (random() % 3) {
                case 0:
                    text[at] = randomBytes(random, 1, random() % 4 == 0)[0];
                    break;
                case 1:
                    text.insert(at, randomBytes(random, 1 + random() % 3, false));
                    break;
                default:
                    text.erase(at, 1 + random() % 4);
                }
            }
            check(text);
            if (QTest::currentTestFailed())
                QFAIL(text.c_str());
        }
    }

    void randomTexts()
    {
        std::mt19937 random(7u);
        for (int round = 0; round < 3000; ++round) {
            std::string text = randomBytes(random, random() % 64, round % 2 == 0);
            if (round % 3 == 0)
                text.insert(0, 1, '{');
            check(text);
            if (QTest::currentTestFailed())
                QFAIL(text.c_str());
        }
    }

    // Reading from a stream takes the same path; the stream is left where reading stopped.
    void streamsOfPrefixes()
    {
        const std::string document = kCorpus[0];
        for (size_t length = 0; length <= document.size(); length += 3) {
            std::istringstream stream(document.substr(0, length));
            json::Object object;
            object.parse(stream);
            QVERIFY(!stream.bad());
        }
    }
};

QTEST_GUILESS_MAIN(TestJsonFuzz)
#include "test_json_fuzz.moc"
