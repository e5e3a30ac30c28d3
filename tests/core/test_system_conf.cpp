#include "CoreTestFiles.h"

#include "core/QApi.h"
#include "core/SystemConf.h"
#include "platform/ApplicationDir.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <unistd.h>

using coretest::readFile;
using coretest::settingsPath;
using coretest::writeFile;

namespace {

// A config with short values so the expected texts stay readable.
const QByteArray fixtureConfig = "{\"apiHost\":\"http://api.test\",\"website\":\"w\",\"productCode\":\"p\","
                                 "\"license\":\"l\"}";

QMap<QString, QString> defaultConf()
{
    return {
        {QStringLiteral("useSound"), QStringLiteral("1")},
        {QStringLiteral("autoLauch"), QStringLiteral("0")},
        {QStringLiteral("showAfterCloseGame"), QStringLiteral("1")},
        {QStringLiteral("laucherAppAfter"), QStringLiteral("1")},
        {QStringLiteral("closeAction"), QStringLiteral("0")},
        {QStringLiteral("downloadPath"), QString()},
        {QStringLiteral("userSelectInstallPath"), QString()},
        {QStringLiteral("downloadLimit"), QStringLiteral("0")},
        {QStringLiteral("downloadLimitRate"), QString()},
        {QStringLiteral("agreement"), QStringLiteral("w/agreement/show/type/1/productCode/p.html")},
        {QStringLiteral("privateUrl"), QStringLiteral("w/agreement/show/type/2/productCode/p.html")},
        {QStringLiteral("licenseUrl"), QStringLiteral("l")},
    };
}

QMap<QString, QString> withChanges(QMap<QString, QString> conf, const QVariantMap &changes)
{
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        conf[it.key()] = it.value().toString();
    return conf;
}

// The five keys a settings text must hold, then whatever the row adds.
QByteArray validSettings(const QByteArray &more = QByteArray(), const QByteArray &useSound = "1")
{
    return "{\"useSound\":\"" + useSound +
           "\",\"showAfterCloseGame\":\"1\",\"downloadLimit\":\"0\",\"laucherAppAfter\":\"1\","
           "\"closeAction\":\"0\"" +
           more + "}";
}

struct Fixture
{
    QTemporaryDir dir;
    explicit Fixture(const QByteArray &settings = QByteArray())
    {
        writeFile(dir.path() + QStringLiteral("/config"), fixtureConfig);
        if (!settings.isNull())
            writeFile(settingsPath(dir.path()), settings);
    }
    QString settingsFile() const { return settingsPath(dir.path()); }
};

} // namespace

class TestSystemConf : public QObject
{
    Q_OBJECT

private slots:
    void loadSystemConf_data()
    {
        QTest::addColumn<QByteArray>("settings"); // a null array: no file
        QTest::addColumn<QVariantMap>("changes");

        const QString encodedDrivePath = QStringLiteral("RDovR2FtZXMveA==");
        QTest::newRow("no file") << QByteArray() << QVariantMap();
        QTest::newRow("empty file") << QByteArray("") << QVariantMap();
        QTest::newRow("not json") << QByteArray("useSound=0") << QVariantMap();
        QTest::newRow("every loaded key")
            << QByteArray("{\"useSound\":\"0\",\"autoLauch\":\"1\",\"showAfterCloseGame\":\"0\","
                          "\"laucherAppAfter\":\"2\",\"closeAction\":\"1\",\"downloadLimit\":\"1\","
                          "\"downloadLimitRate\":\"512\",\"downloadPath\":\"D:/dl\"}")
            << QVariantMap{{QStringLiteral("useSound"), QStringLiteral("0")},
                           {QStringLiteral("autoLauch"), QStringLiteral("1")},
                           {QStringLiteral("showAfterCloseGame"), QStringLiteral("0")},
                           {QStringLiteral("laucherAppAfter"), QStringLiteral("2")},
                           {QStringLiteral("closeAction"), QStringLiteral("1")},
                           {QStringLiteral("downloadLimit"), QStringLiteral("1")},
                           {QStringLiteral("downloadLimitRate"), QStringLiteral("512")},
                           {QStringLiteral("downloadPath"), QStringLiteral("D:/dl")}};
        // One required key missing makes the whole file invalid, values it had included.
        QTest::newRow("closeAction missing")
            << QByteArray("{\"useSound\":\"0\",\"showAfterCloseGame\":\"0\",\"downloadLimit\":\"1\","
                          "\"laucherAppAfter\":\"2\",\"autoLauch\":\"1\"}")
            << QVariantMap();
        QTest::newRow("required key not a string")
            << QByteArray("{\"useSound\":0,\"showAfterCloseGame\":\"0\",\"downloadLimit\":\"1\","
                          "\"laucherAppAfter\":\"2\",\"closeAction\":\"1\"}")
            << QVariantMap();
        QTest::newRow("optional key not a string")
            << validSettings(",\"autoLauch\":1,\"downloadPath\":null") << QVariantMap();
        QTest::newRow("derived and unknown keys are not loaded")
            << validSettings(",\"agreement\":\"x\",\"privateUrl\":\"y\",\"licenseUrl\":\"z\",\"extra\":\"e\"")
            << QVariantMap();
        QTest::newRow("drive path is encoded")
            << validSettings(",\"userSelectInstallPath\":\"D:/Games/x\"")
            << QVariantMap{{QStringLiteral("userSelectInstallPath"), encodedDrivePath}};
        QTest::newRow("absolute path is encoded")
            << validSettings(",\"userSelectInstallPath\":\"/srv/g\"")
            << QVariantMap{{QStringLiteral("userSelectInstallPath"), QStringLiteral("L3Nydi9n")}};
        QTest::newRow("encoded path is kept")
            << validSettings(",\"userSelectInstallPath\":\"RDovR2FtZXMveA==\"")
            << QVariantMap{{QStringLiteral("userSelectInstallPath"), encodedDrivePath}};
        QTest::newRow("empty path stays empty")
            << validSettings(",\"userSelectInstallPath\":\"\"") << QVariantMap();
    }

    void loadSystemConf()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QVariantMap, changes);
        Fixture fixture(settings);
        QApi api(fixture.dir.path());
        const QMap<QString, QString> expected = withChanges(defaultConf(), changes);
        QCOMPARE(api.loadSystemConf(), expected);
        QCOMPARE(api.systemConf(), expected);
    }

    void derivedLinks_data()
    {
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("agreement");
        QTest::addColumn<QString>("privateUrl");
        QTest::addColumn<QString>("licenseUrl");
        QTest::newRow("built from website")
            << QByteArray("{\"website\":\"https://site.test\",\"productCode\":\"abc\"}")
            << QStringLiteral("https://site.test/agreement/show/type/1/productCode/abc.html")
            << QStringLiteral("https://site.test/agreement/show/type/2/productCode/abc.html") << QString();
        QTest::newRow("full addresses replace them")
            << QByteArray("{\"website\":\"https://site.test\",\"productCode\":\"abc\",\"agreementUrl\":"
                          "\"https://a.test/u\",\"privacyUrl\":\"http://a.test/p\",\"license\":\"https://"
                          "a.test/l\"}")
            << QStringLiteral("https://a.test/u") << QStringLiteral("http://a.test/p")
            << QStringLiteral("https://a.test/l");
        QTest::newRow("addresses without http are not used")
            << QByteArray("{\"website\":\"https://site.test\",\"productCode\":\"abc\",\"agreementUrl\":"
                          "\"a.test/u\",\"privacyUrl\":\"\"}")
            << QStringLiteral("https://site.test/agreement/show/type/1/productCode/abc.html")
            << QStringLiteral("https://site.test/agreement/show/type/2/productCode/abc.html") << QString();
    }

    void derivedLinks()
    {
        QFETCH(QByteArray, config);
        QFETCH(QString, agreement);
        QFETCH(QString, privateUrl);
        QFETCH(QString, licenseUrl);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.path() + QStringLiteral("/config"), config));
        // Stored links in the file never win over the derived ones.
        QVERIFY(writeFile(settingsPath(dir.path()),
                          validSettings(",\"agreement\":\"old\",\"licenseUrl\":\"old\"")));
        const QApi api(dir.path());
        QCOMPARE(api.getSystemConf(QStringLiteral("agreement")), agreement);
        QCOMPARE(api.getSystemConf(QStringLiteral("privateUrl")), privateUrl);
        QCOMPARE(api.getSystemConf(QStringLiteral("licenseUrl")), licenseUrl);
    }

    void isValidSystemConf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("five required keys") << QString::fromUtf8(validSettings()) << true;
        QTest::newRow("with other keys") << QString::fromUtf8(validSettings(",\"x\":1")) << true;
        QTest::newRow("compact text as written")
            << QStringLiteral("{\"closeAction\":\"0\",\"downloadLimit\":\"0\",\"laucherAppAfter\":\"1\","
                              "\"showAfterCloseGame\":\"1\",\"useSound\":\"1\" } ")
            << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("not json") << QStringLiteral("useSound") << false;
        QTest::newRow("empty object") << QStringLiteral("{}") << false;
        QTest::newRow("array") << QStringLiteral("[") + QString::fromUtf8(validSettings()) +
                                      QStringLiteral("]")
                               << false;
        QTest::newRow("closeAction missing")
            << QStringLiteral("{\"useSound\":\"1\",\"showAfterCloseGame\":\"1\",\"downloadLimit\":\"0\","
                              "\"laucherAppAfter\":\"1\"}")
            << false;
        QTest::newRow("downloadLimit a number")
            << QStringLiteral("{\"useSound\":\"1\",\"showAfterCloseGame\":\"1\",\"downloadLimit\":0,"
                              "\"laucherAppAfter\":\"1\",\"closeAction\":\"0\"}")
            << false;
        QTest::newRow("cut short") << QString::fromUtf8(validSettings()).chopped(1) << false;
    }

    void isValidSystemConf()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(QApi::isValidSystemConf(text), valid);
    }

    void saveWritesReloadsAndNotifies()
    {
        Fixture fixture(validSettings());
        QApi api(fixture.dir.path());
        QSignalSpy spy(&api, &QApi::systemConfHasUpate);
        // The settings page sends its whole object; keys the store does not load stay in the file.
        const QString text = QString::fromUtf8("{\"useSound\":\"0\",\"showAfterCloseGame\":\"1\","
                                               "\"downloadLimit\":\"0\",\"laucherAppAfter\":\"1\","
                                               "\"closeAction\":\"1\",\"pageOnly\":\"\xe4\xb8\xad\"}");
        api.saveSystemConf(text);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(readFile(fixture.settingsFile()), text.toUtf8());
        QCOMPARE(api.getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"));
        QCOMPARE(api.getSystemConf(QStringLiteral("closeAction")), QStringLiteral("1"));
        QVERIFY(!api.systemConf().contains(QStringLiteral("pageOnly")));
    }

    void saveIgnoresInvalidText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("not json") << QStringLiteral("{useSound:0");
        QTest::newRow("closeAction missing")
            << QStringLiteral("{\"useSound\":\"0\",\"showAfterCloseGame\":\"1\",\"downloadLimit\":\"0\","
                              "\"laucherAppAfter\":\"1\"}");
        QTest::newRow("empty") << QString();
    }

    void saveIgnoresInvalidText()
    {
        QFETCH(QString, text);
        const QByteArray old = validSettings(QByteArray(), "0");
        Fixture fixture(old);
        QApi api(fixture.dir.path());
        QSignalSpy spy(&api, &QApi::systemConfHasUpate);
        api.saveSystemConf(text);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(readFile(fixture.settingsFile()), old);
        QCOMPARE(api.getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"));
    }

    void saveCreatesMissingDirectory()
    {
        Fixture fixture;
        QApi api(fixture.dir.path());
        QVERIFY(!QFileInfo::exists(fixture.dir.path() + QStringLiteral("/Data")));
        api.setSystemConfValue(QStringLiteral("useSound"), QStringLiteral("0"));
        QVERIFY(QFileInfo::exists(fixture.settingsFile()));
        QCOMPARE(QApi(fixture.dir.path()).getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"));
    }

    // The file cannot be written (a directory stands in its place): the map is still reloaded from what is
    // there and the change is still announced, so the page shows what really holds.
    void failedWriteStillReloadsAndNotifies()
    {
        Fixture fixture;
        QApi api(fixture.dir.path());
        QVERIFY(QDir().mkpath(fixture.settingsFile()));
        QSignalSpy spy(&api, &QApi::systemConfHasUpate);
        api.saveSystemConf(QString::fromUtf8(validSettings(QByteArray(), "0")));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(api.systemConf(), defaultConf());
        api.setSystemConfValue(QStringLiteral("closeAction"), QStringLiteral("1"));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(api.getSystemConf(QStringLiteral("closeAction")), QStringLiteral("0"));
    }

    void failedWriteKeepsOldValues()
    {
        if (::geteuid() == 0)
            QSKIP("file permissions do not stop root");
        Fixture fixture(validSettings(QByteArray(), "0"));
        QApi api(fixture.dir.path());
        const QString confDir = QFileInfo(fixture.settingsFile()).absolutePath();
        QFile::setPermissions(fixture.settingsFile(), QFile::ReadOwner);
        QFile::setPermissions(confDir, QFile::ReadOwner | QFile::ExeOwner);
        QSignalSpy spy(&api, &QApi::systemConfHasUpate);
        api.setSystemConfValue(QStringLiteral("useSound"), QStringLiteral("1"));
        QFile::setPermissions(confDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(api.getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"));
    }

    // setSystemConfValue rewrites the file from the loaded map: compact, keys in byte order, every "/"
    // escaped, the derived links along, keys only the file knew dropped. The page then receives the map
    // reloaded from that file, in the same form.
    void setSystemConfValueWritesExactText_data()
    {
        QTest::addColumn<QByteArray>("settings"); // a null array: no file
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("expectedFile");
        QTest::addColumn<QByteArray>("expectedPage");

        const auto text = [](const QByteArray &useSound, const QByteArray &installPath,
                             const QByteArray &extra) -> QByteArray {
            return "{\"agreement\":\"w\\/agreement\\/show\\/type\\/1\\/productCode\\/"
                   "p.html\",\"autoLauch\":\"0\","
                   "\"closeAction\":\"0\",\"downloadLimit\":\"0\",\"downloadLimitRate\":\"\","
                   "\"downloadPath\":\"\"," +
                   extra +
                   "\"laucherAppAfter\":\"1\",\"licenseUrl\":\"l\","
                   "\"privateUrl\":\"w\\/agreement\\/show\\/type\\/2\\/productCode\\/p.html\","
                   "\"showAfterCloseGame\":\"1\",\"useSound\":\"" +
                   useSound + "\",\"userSelectInstallPath\":\"" + installPath + "\" } ";
        };
        QTest::newRow("defaults and one change")
            << QByteArray() << QStringLiteral("useSound") << QStringLiteral("0") << text("0", "", "")
            << text("0", "", "");
        QTest::newRow("drive path written back encoded")
            << validSettings(",\"userSelectInstallPath\":\"D:/Games/x\",\"pageOnly\":\"1\"")
            << QStringLiteral("useSound") << QStringLiteral("1") << text("1", "RDovR2FtZXMveA==", "")
            << text("1", "RDovR2FtZXMveA==", "");
        QTest::newRow("file, not memory, is the base")
            << validSettings(QByteArray(), "0") << QStringLiteral("userSelectInstallPath")
            << QStringLiteral("L3Nydi9n") << text("0", "L3Nydi9n", "") << text("0", "L3Nydi9n", "");
        // A key the store does not know reaches the file but is not loaded back.
        QTest::newRow("new key with quotes and chinese")
            << validSettings() << QStringLiteral("hint") << QStringLiteral("say \"hi\" 你好")
            << text("1", "", "\"hint\":\"say \\\"hi\\\" \xe4\xbd\xa0\xe5\xa5\xbd\",") << text("1", "", "");
    }

    void setSystemConfValueWritesExactText()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, expectedFile);
        QFETCH(QByteArray, expectedPage);
        Fixture fixture(settings);
        QApi api(fixture.dir.path());
        QSignalSpy spy(&api, &QApi::systemConfHasUpate);
        api.setSystemConfValue(key, value);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(readFile(fixture.settingsFile()), expectedFile);
        QCOMPARE(QByteArray::fromBase64(api.systemConfForPage().toLatin1()), expectedPage);
    }

    void systemConfForPageIsBase64OfTheCompactMap()
    {
        Fixture fixture(validSettings(",\"userSelectInstallPath\":\"/srv/g\""));
        const QApi api(fixture.dir.path());
        const QByteArray text = QByteArray::fromBase64(api.systemConfForPage().toLatin1());
        QCOMPARE(QString::fromUtf8(text), systemconf::serialize(api.systemConf()));
        QVERIFY(text.startsWith("{\"agreement\":\"w\\/agreement"));
        QVERIFY(text.endsWith("\"userSelectInstallPath\":\"L3Nydi9n\" } "));
        QVERIFY(!text.contains('\t') && !text.contains('\n'));
    }

    void getSystemConfFallback()
    {
        Fixture fixture;
        const QApi api(fixture.dir.path());
        QCOMPARE(api.getSystemConf(QStringLiteral("closeAction"), QStringLiteral("1")), QStringLiteral("0"));
        QCOMPARE(api.getSystemConf(QStringLiteral("noSuchKey"), QStringLiteral("fb")), QStringLiteral("fb"));
        QCOMPARE(api.getSystemConf(QStringLiteral("noSuchKey")), QString());
    }

    // The task manager thread reads while the GUI thread saves.
    void readsDuringSavesSeeWholeValues()
    {
        Fixture fixture;
        QApi api(fixture.dir.path());
        std::atomic<bool> stop{false};
        std::atomic<int> torn{0};
        QThread *reader = QThread::create([&] {
            while (!stop) {
                const QString value = api.getSystemConf(QStringLiteral("downloadLimitRate"));
                if (!value.isEmpty() && value != QStringLiteral("1111") && value != QStringLiteral("2222"))
                    ++torn;
                if (api.systemConf().size() != defaultConf().size())
                    ++torn;
            }
        });
        reader->start();
        for (int i = 0; i < 200; ++i)
            api.setSystemConfValue(QStringLiteral("downloadLimitRate"),
                                   i % 2 ? QStringLiteral("1111") : QStringLiteral("2222"));
        stop = true;
        reader->wait();
        delete reader;
        QCOMPARE(torn.load(), 0);
        QCOMPARE(api.getSystemConf(QStringLiteral("downloadLimitRate")), QStringLiteral("1111"));
    }

    void decodeInstallPath_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("path");
        QTest::newRow("padded") << QStringLiteral("RDovR2FtZXMveA==") << true << QStringLiteral("D:/Games/x");
        QTest::newRow("unpadded") << QStringLiteral("RDovR2FtZXMveA") << true << QStringLiteral("D:/Games/x");
        QTest::newRow("line breaks, spaces and dashes ignored")
            << QStringLiteral(" RDov-R2Ft\r\nZXMv\teA== \n") << true << QStringLiteral("D:/Games/x");
        QTest::newRow("chinese") << QStringLiteral("L+a4uOaIjw==") << true << QStringLiteral("/游戏");
        QTest::newRow("empty") << QString() << false << QString();
        QTest::newRow("only ignored characters") << QStringLiteral(" - \n") << false << QString();
        QTest::newRow("character outside the alphabet") << QStringLiteral("RDov_R2Ft") << false << QString();
        QTest::newRow("url-safe alphabet") << QStringLiteral("RDov_-8=") << false << QString();
        QTest::newRow("padding in the middle") << QStringLiteral("RD==R2Ft") << false << QString();
        QTest::newRow("too much padding") << QStringLiteral("RA===") << false << QString();
        QTest::newRow("impossible length") << QStringLiteral("RDovR") << false << QString();
        QTest::newRow("not UTF-8") << QStringLiteral("gICA") << false << QString();
        QTest::newRow("cut UTF-8 sequence") << QStringLiteral("L+a4") << false << QString();
        QTest::newRow("zero byte") << QStringLiteral("YQBi") << false << QString();
        QTest::newRow("network path") << QStringLiteral("\\\\server\\share") << false << QString();
    }

    void decodeInstallPath()
    {
        QFETCH(QString, value);
        QFETCH(bool, ok);
        QFETCH(QString, path);
        bool decoded = !ok;
        QCOMPARE(systemconf::decodeInstallPath(value, &decoded), path);
        QCOMPARE(decoded, ok);
        if (ok)
            QCOMPARE(systemconf::decodeInstallPath(systemconf::encodeInstallPath(path)), path);
    }

    void saveWindowSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("main window") << 1280 << 730 << QByteArray("1280,730");
        QTest::newRow("smaller replaces longer text") << 800 << 60 << QByteArray("800,60");
    }

    void saveWindowSize()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        platform::setApplicationDir(dir.path());
        const QString file = dir.path() + QStringLiteral("/Data/conf/22780358870497643540117482425477");
        QCOMPARE(windowSizeFile(), file);
        QVERIFY(::saveWindowSize(99999, 99999)); // creates Data/conf, then is replaced
        QVERIFY(::saveWindowSize(width, height));
        platform::setApplicationDir(QString());
        QCOMPARE(readFile(file), text);
    }
};

QTEST_GUILESS_MAIN(TestSystemConf)
#include "test_system_conf.moc"
