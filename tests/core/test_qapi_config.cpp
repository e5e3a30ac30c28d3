#include "CoreTestFiles.h"

#include "core/LanguageCode.h"
#include "core/QApi.h"
#include "core/SystemConf.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using coretest::writeFile;

namespace {

const char printLangOption[] = "--print-lang";

// Every fixed value of the object as text, so a table row can say which ones a config changes.
QMap<QString, QString> fieldsOf(const QApi &api)
{
    return {
        {QStringLiteral("apiHost"), api.apiHost()},
        {QStringLiteral("gameLaucherUrl"), api.gameLaucherUrl()},
        {QStringLiteral("productCode"), api.productCode},
        {QStringLiteral("channelCode"), api.channelCode},
        {QStringLiteral("appName"), api.appName},
        {QStringLiteral("website"), api.website},
        {QStringLiteral("lang"), api.lang},
        {QStringLiteral("paySite"), api.paySite},
        {QStringLiteral("fixLocalpath"), api.fixLocalpath},
        {QStringLiteral("openId"), api.openId},
        {QStringLiteral("loginParams"), api.loginParams},
        {QStringLiteral("mustLogin"), api.mustLogin},
        {QStringLiteral("oversea"), api.oversea},
        {QStringLiteral("theme"), api.theme},
        {QStringLiteral("single"), api.single},
        {QStringLiteral("agreementUrl"), api.agreementUrl},
        {QStringLiteral("privacyUrl"), api.privacyUrl},
        {QStringLiteral("license"), api.license},
        {QStringLiteral("useHidiffz"), api.useHidiffz ? QStringLiteral("on") : QStringLiteral("off")},
        {QStringLiteral("gameProcess"), api.gameProcess().join(QLatin1Char('|'))},
    };
}

QMap<QString, QString> defaultFields()
{
    return {
        {QStringLiteral("apiHost"), QString()},
        {QStringLiteral("gameLaucherUrl"), QStringLiteral("/app/gameLaucher")},
        {QStringLiteral("productCode"), QStringLiteral("e17a9b20d6f3c85a0e4d92b7f1c6a308")},
        {QStringLiteral("channelCode"), QStringLiteral("default")},
        {QStringLiteral("appName"), QStringLiteral("畅玩游戏盒子")},
        {QStringLiteral("website"), QString()},
        {QStringLiteral("lang"), QStringLiteral("autolocate")},
        {QStringLiteral("paySite"), QString()},
        {QStringLiteral("fixLocalpath"), QString()},
        {QStringLiteral("openId"), QStringLiteral("gameLaucher")},
        {QStringLiteral("loginParams"), QString()},
        {QStringLiteral("mustLogin"), QStringLiteral("0")},
        {QStringLiteral("oversea"), QStringLiteral("0")},
        {QStringLiteral("theme"), QString()},
        {QStringLiteral("single"), QStringLiteral("0")},
        {QStringLiteral("agreementUrl"), QString()},
        {QStringLiteral("privacyUrl"), QString()},
        {QStringLiteral("license"), QString()},
        {QStringLiteral("useHidiffz"), QStringLiteral("off")},
        {QStringLiteral("gameProcess"), QString()},
    };
}

// The keys of "config" that hold plain strings, with the field each one fills.
const char *const stringKeys[] = {"productCode",  "appName", "website",      "lang",       "paySite",
                                  "fixLocalpath", "openId",  "loginParams",  "mustLogin",  "oversea",
                                  "theme",        "single",  "agreementUrl", "privacyUrl", "license"};

// A config holding every string key and "apiHost" with the same JSON value.
QByteArray everyKeyWith(const QByteArray &jsonValue)
{
    QByteArray config =
        "{\"apiHost\":" + jsonValue + ",\"useHidiffz\":" + jsonValue + ",\"gameProcess\":" + jsonValue;
    for (const char *key : stringKeys)
        config += ",\"" + QByteArray(key) + "\":" + jsonValue;
    return config + '}';
}

QString settingsWithInstallPath(const QString &value)
{
    return QStringLiteral("{\"useSound\":\"1\",\"showAfterCloseGame\":\"1\",\"downloadLimit\":\"0\","
                          "\"laucherAppAfter\":\"1\",\"closeAction\":\"0\",\"userSelectInstallPath\":\"") +
           value + QStringLiteral("\"}");
}

} // namespace

class TestQApiConfig : public QObject
{
    Q_OBJECT

private slots:
    void configTypeRules_data()
    {
        QTest::addColumn<QByteArray>("config"); // a null array: no file
        QTest::addColumn<QVariantMap>("changed");

        QVariantMap everyString;
        everyString[QStringLiteral("apiHost")] = QStringLiteral("v/");
        everyString[QStringLiteral("gameLaucherUrl")] = QStringLiteral("v//app/gameLaucher");
        everyString[QStringLiteral("useHidiffz")] = QStringLiteral("on");
        for (const char *key : stringKeys)
            everyString[QLatin1String(key)] = QStringLiteral("v");

        QTest::newRow("no file") << QByteArray() << QVariantMap();
        QTest::newRow("empty file") << QByteArray("") << QVariantMap();
        QTest::newRow("not json") << QByteArray("apiHost=http://x") << QVariantMap();
        QTest::newRow("top level array") << QByteArray("[{\"apiHost\":\"http://x\"}]") << QVariantMap();
        QTest::newRow("every key a string") << everyKeyWith("\"v\"") << everyString;
        QTest::newRow("every key a number") << everyKeyWith("1") << QVariantMap();
        QTest::newRow("every key a boolean") << everyKeyWith("true") << QVariantMap();
        QTest::newRow("every key an object") << everyKeyWith("{\"a\":\"b\"}") << QVariantMap();
        QTest::newRow("every key null") << everyKeyWith("null") << QVariantMap();
        QTest::newRow("string keys as arrays")
            << everyKeyWith("[\"v\"]") << QVariantMap{{QStringLiteral("gameProcess"), QStringLiteral("v")}};
        QTest::newRow("single only as the string 1") << QByteArray("{\"single\":1}") << QVariantMap();
        QTest::newRow("useHidiffz 0 switches on")
            << QByteArray("{\"useHidiffz\":\"0\"}")
            << QVariantMap{{QStringLiteral("useHidiffz"), QStringLiteral("on")}};
        QTest::newRow("useHidiffz empty switches on")
            << QByteArray("{\"useHidiffz\":\"\"}")
            << QVariantMap{{QStringLiteral("useHidiffz"), QStringLiteral("on")}};
        QTest::newRow("apiHost gains one slash")
            << QByteArray("{\"apiHost\":\"http://api.test\"}")
            << QVariantMap{
                   {QStringLiteral("apiHost"), QStringLiteral("http://api.test/")},
                   {QStringLiteral("gameLaucherUrl"), QStringLiteral("http://api.test//app/gameLaucher")}};
        QTest::newRow("apiHost with a slash gains another")
            << QByteArray("{\"apiHost\":\"http://api.test/\"}")
            << QVariantMap{
                   {QStringLiteral("apiHost"), QStringLiteral("http://api.test//")},
                   {QStringLiteral("gameLaucherUrl"), QStringLiteral("http://api.test///app/gameLaucher")}};
        // An empty host must stay empty so start-up still refuses the broken installation.
        QTest::newRow("empty apiHost stays empty") << QByteArray("{\"apiHost\":\"\"}") << QVariantMap();
        QTest::newRow("gameProcess skips what is not a string")
            << QByteArray("{\"gameProcess\":[\"a.exe\",5,null,{\"n\":\"x\"},[\"y\"],\"b.exe\",true]}")
            << QVariantMap{{QStringLiteral("gameProcess"), QStringLiteral("a.exe|b.exe")}};
        QTest::newRow("explicit language kept")
            << QByteArray("{\"lang\":\"th\"}") << QVariantMap{{QStringLiteral("lang"), QStringLiteral("th")}};
        QTest::newRow("utf-8 text") << QByteArray("{\"appName\":\"\xe6\xb8\xb8\xe6\x88\x8f\"}")
                                    << QVariantMap{{QStringLiteral("appName"), QStringLiteral("游戏")}};
        QTest::newRow("byte-order mark before the object")
            << QByteArray("\xef\xbb\xbf{\"theme\":\"dark\"}")
            << QVariantMap{{QStringLiteral("theme"), QStringLiteral("dark")}};
        QTest::newRow("comments and trailing comma")
            << QByteArray("// operator values\n{\"oversea\":\"1\",}")
            << QVariantMap{{QStringLiteral("oversea"), QStringLiteral("1")}};
    }

    void configTypeRules()
    {
        QFETCH(QByteArray, config);
        QFETCH(QVariantMap, changed);
        QTemporaryDir dir;
        if (!config.isNull())
            QVERIFY(writeFile(dir.path() + QStringLiteral("/config"), config));

        QMap<QString, QString> expected = defaultFields();
        for (auto it = changed.cbegin(); it != changed.cend(); ++it)
            expected[it.key()] = it.value().toString();

        const QApi api(dir.path());
        QCOMPARE(fieldsOf(api), expected);
        QCOMPARE(api.versionCode(), 114);
        QCOMPARE(api.versionName(), QStringLiteral("Standard 1.1.4"));
    }

    void channelFile_data()
    {
        QTest::addColumn<QByteArray>("content"); // a null array: no file
        QTest::addColumn<QString>("channelCode");
        QTest::newRow("no file") << QByteArray() << QStringLiteral("default");
        QTest::newRow("empty file") << QByteArray("") << QStringLiteral("default");
        QTest::newRow("line break kept") << QByteArray("abc\n") << QStringLiteral("abc\n");
        QTest::newRow("spaces kept") << QByteArray(" c1 ") << QStringLiteral(" c1 ");
        QTest::newRow("utf-8") << QByteArray("\xe6\xb8\xa0\xe9\x81\x93") << QStringLiteral("渠道");
    }

    void channelFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, channelCode);
        QTemporaryDir dir;
        if (!content.isNull())
            QVERIFY(writeFile(dir.path() + QStringLiteral("/channel_id.txt"), content));
        QCOMPARE(QApi(dir.path()).channelCode, channelCode);
    }

    void languageCodes_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("code");
        QTest::newRow("English") << int(QLocale::English) << QStringLiteral("us");
        QTest::newRow("Chinese") << int(QLocale::Chinese) << QStringLiteral("zh");
        QTest::newRow("Thai") << int(QLocale::Thai) << QStringLiteral("th");
        QTest::newRow("Japanese") << int(QLocale::Japanese) << QStringLiteral("jp");
        QTest::newRow("German") << int(QLocale::German) << QStringLiteral("zh");
        QTest::newRow("C locale") << int(QLocale::C) << QStringLiteral("zh");
    }

    void languageCodes()
    {
        QFETCH(int, language);
        QFETCH(QString, code);
        QCOMPARE(languageCodeFor(QLocale::Language(language)), code);
    }

    // The system language is fixed per process, so each row starts this test program again under another
    // locale and lets it print the language it resolved.
    void autolocateFollowsSystemLanguage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("lang");
        QTest::newRow("English") << QStringLiteral("en_US.UTF-8") << QStringLiteral("us");
        QTest::newRow("Chinese") << QStringLiteral("zh_CN.UTF-8") << QStringLiteral("zh");
        QTest::newRow("Thai") << QStringLiteral("th_TH.UTF-8") << QStringLiteral("th");
        QTest::newRow("Japanese") << QStringLiteral("ja_JP.UTF-8") << QStringLiteral("jp");
        QTest::newRow("German") << QStringLiteral("de_DE.UTF-8") << QStringLiteral("zh");
    }

    void autolocateFollowsSystemLanguage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, lang);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + QStringLiteral("/config"), "{\"lang\":\"autolocate\"}"));

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name :
             {QStringLiteral("LC_ALL"), QStringLiteral("LC_MESSAGES"), QStringLiteral("LANG"),
              QStringLiteral("LC_NUMERIC"), QStringLiteral("LANGUAGE")})
            environment.insert(name, locale);
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(printLangOption), dir.path()});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), lang);
    }

    void installPath_data()
    {
        QTest::addColumn<QString>("setting");  // a null string: no settings file
        QTest::addColumn<QString>("expected"); // "APP" stands for the application directory
        QTest::addColumn<bool>("logged");

        const QString base64 = systemconf::encodeInstallPath(QStringLiteral("D:/Games/X"));
        QTest::newRow("no settings") << QString() << QStringLiteral("APP/Data/download/games/ID/install/")
                                     << false;
        QTest::newRow("empty setting")
            << QStringLiteral("") << QStringLiteral("APP/Data/download/games/ID/install/") << false;
        QTest::newRow("encoded path") << base64 << QStringLiteral("D:/Games/X") << false;
        QTest::newRow("drive path in the file")
            << QStringLiteral("D:/Games/X") << QStringLiteral("D:/Games/X") << false;
        QTest::newRow("absolute path in the file")
            << QStringLiteral("/srv/games/X") << QStringLiteral("/srv/games/X") << false;
        QTest::newRow("chinese path") << systemconf::encodeInstallPath(QStringLiteral("/游戏/目录"))
                                      << QStringLiteral("/游戏/目录") << false;
        // Neither a path nor Base64: the default place is used and one line says why.
        QTest::newRow("network path") << QStringLiteral("\\\\\\\\server\\\\games")
                                      << QStringLiteral("APP/Data/download/games/ID/install/") << true;
        QTest::newRow("Base64 of bytes that are not UTF-8")
            << QStringLiteral("gICA") << QStringLiteral("APP/Data/download/games/ID/install/") << true;
    }

    void installPath()
    {
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        QFETCH(bool, logged);
        QTemporaryDir dir;
        if (!setting.isNull())
            QVERIFY(writeFile(coretest::settingsPath(dir.path()), settingsWithInstallPath(setting).toUtf8()));
        const QApi api(dir.path());
        expected.replace(QStringLiteral("APP"), dir.path());
        // The same directory for every product when the user chose one.
        for (const QString &productId : {QStringLiteral("123"), QStringLiteral("456")}) {
            if (logged)
                QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("cannot be decoded")));
            QCOMPARE(api.installPath(productId), QString(expected).replace(QStringLiteral("ID"), productId));
        }
    }

    void readVersionData_data()
    {
        QTest::addColumn<QString>("installDir");  // "APP" stands for the application directory
        QTest::addColumn<QString>("versionFile"); // a null string: no file
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected"); // versionNo, versionName, baseVersionNo

        const QByteArray full = "{\"versionNo\":\"4\",\"versionName\":\"1.0.4\",\"baseVersionNo\":\"3\"}";
        const QStringList fromFile{QStringLiteral("4"), QStringLiteral("1.0.4"), QStringLiteral("3")};
        const QStringList defaults{QStringLiteral("1"), QStringLiteral("1.0.0"), QStringLiteral("0")};

        QTest::newRow("default place, file in the product directory")
            << QStringLiteral("APP/Data/download/games/7/install/")
            << QStringLiteral("APP/Data/download/games/7/version.data") << full << fromFile;
        QTest::newRow("default place without the trailing slash")
            << QStringLiteral("APP/Data/download/games/7/install")
            << QStringLiteral("APP/Data/download/games/7/version.data") << full << fromFile;
        QTest::newRow("user directory keeps its file inside")
            << QStringLiteral("APP/games") << QStringLiteral("APP/games/version.data") << full << fromFile;
        // Only the product's own install directory loses its last part, never a name that merely contains it.
        QTest::newRow("user directory whose name contains install")
            << QStringLiteral("APP/installed/install") << QStringLiteral("APP/installed/install/version.data")
            << full << fromFile;
        QTest::newRow("no file") << QStringLiteral("APP/Data/download/games/7/install/") << QString()
                                 << QByteArray() << defaults;
        QTest::newRow("not json") << QStringLiteral("APP/games") << QStringLiteral("APP/games/version.data")
                                  << QByteArray("4") << defaults;
        QTest::newRow("only some members are strings")
            << QStringLiteral("APP/games") << QStringLiteral("APP/games/version.data")
            << QByteArray("{\"versionNo\":5,\"versionName\":\"2.0\",\"other\":\"x\"}")
            << QStringList{QStringLiteral("1"), QStringLiteral("2.0"), QStringLiteral("0")};
    }

    void readVersionData()
    {
        QFETCH(QString, installDir);
        QFETCH(QString, versionFile);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        if (!versionFile.isNull())
            QVERIFY(writeFile(versionFile.replace(QStringLiteral("APP"), dir.path()), content));
        const QApi api(dir.path());
        const QMap<QString, QString> version =
            api.readVersionData(installDir.replace(QStringLiteral("APP"), dir.path()));
        QCOMPARE(version.keys(), (QStringList{QStringLiteral("baseVersionNo"), QStringLiteral("versionName"),
                                              QStringLiteral("versionNo")}));
        QCOMPARE((QStringList{version.value(QStringLiteral("versionNo")),
                              version.value(QStringLiteral("versionName")),
                              version.value(QStringLiteral("baseVersionNo"))}),
                 expected);
    }

    void killGameProcessesEndsEveryListedGame()
    {
        QTemporaryDir dir;
        const QString sleep = QStandardPaths::findExecutable(QStringLiteral("sleep"));
        QVERIFY(!sleep.isEmpty());
        const QStringList names{QStringLiteral("core-test-game-a.exe"),
                                QStringLiteral("core-test-game-b.exe"),
                                QStringLiteral("core-test-bystander.exe")};
        for (const QString &name : names)
            QVERIFY(QFile::copy(sleep, dir.path() + QLatin1Char('/') + name));
        QVERIFY(writeFile(dir.path() + QStringLiteral("/config"),
                          "{\"gameProcess\":[\"core-test-game-a.exe\",7,\"core-test-game-b.exe\"]}"));

        QProcess games[3];
        for (int i = 0; i < 3; ++i) {
            games[i].start(dir.path() + QLatin1Char('/') + names.at(i), {QStringLiteral("30")});
            QVERIFY(games[i].waitForStarted());
        }
        QApi(dir.path()).killGameProcesses();

        QVERIFY(games[0].waitForFinished(5000));
        QVERIFY(games[1].waitForFinished(5000));
        QCOMPARE(games[2].state(), QProcess::Running);
        games[2].kill();
        games[2].waitForFinished();
    }
};

int main(int argc, char *argv[])
{
    // The child started by autolocateFollowsSystemLanguage: print what "autolocate" became in the given dir.
    if (argc == 3 && qstrcmp(argv[1], printLangOption) == 0) {
        QCoreApplication app(argc, argv);
        const QApi api(QString::fromLocal8Bit(argv[2]));
        std::fputs(api.lang.toUtf8().constData(), stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestQApiConfig test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_qapi_config.moc"
