#include "core/QApi.h"
#include "core/SystemConf.h"
#include "platform/ApplicationDir.h"
#include "tasks/FileHelpers.h"
#include "tasks/TaskPaths.h"
#include "tasks/TextHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tasks;

using StringMap = QMap<QString, QString>;

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

QString withApp(QString text, const QString &appDir)
{
    return text.replace(QLatin1String("<app>"), appDir);
}

} // namespace

class TestTaskPaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void installDir_data();
    void installDir();
    void installDirFollowsTheSetting();
    void savePath();
    void savePathKeepsPackagesInTheProductDir_data();
    void savePathKeepsPackagesInTheProductDir();
    void startCommand_data();
    void startCommand();
    void gameInstalled();

    void removeDirRemovesTreeAndEmptyParents();
    void removeDirNeverFollowsLinks();
    void removeDirKeepsParentsInUse();
    void removeDirRefuses_data();
    void removeDirRefuses();
    void dirSizeCountsHiddenFilesOnce();
    void md5_data();
    void md5();
    void textFiles();

    void allDigits_data();
    void allDigits();
    void urlQuery_data();
    void urlQuery();

private:
    QString path(const QString &relative) const { return m_app->path() + QLatin1Char('/') + relative; }

    QTemporaryDir m_apiDir;
    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<QTemporaryDir> m_outside;
};

void TestTaskPaths::initTestCase()
{
    QVERIFY(m_apiDir.isValid());
    // The configuration object is created once per process, from the directory set first.
    platform::setApplicationDir(m_apiDir.path());
    QVERIFY(QApi::instance());
}

void TestTaskPaths::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    m_outside = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid() && m_outside->isValid());
    platform::setApplicationDir(m_app->path());
}

void TestTaskPaths::cleanup()
{
    platform::setApplicationDir(QString());
    m_app.reset();
    m_outside.reset();
}

void TestTaskPaths::cleanupTestCase()
{
    QApi::instance()->setSystemConfValue(QStringLiteral("userSelectInstallPath"), QString());
}

void TestTaskPaths::installDir_data()
{
    QTest::addColumn<QString>("productId");
    QTest::addColumn<QString>("userSelected");
    QTest::addColumn<QString>("expectedProductDir");
    QTest::addColumn<QString>("expectedInstallDir");

    QTest::newRow("default place") << "1001"
                                   << ""
                                   << "<app>/Data/download/games/1001"
                                   << "<app>/Data/download/games/1001/install";
    QTest::newRow("user-selected directory replaces it") << "1001"
                                                         << "/srv/Games/X"
                                                         << "<app>/Data/download/games/1001"
                                                         << "/srv/Games/X";
    QTest::newRow("catalogue text id") << "abc-1"
                                       << ""
                                       << "<app>/Data/download/games/abc-1"
                                       << "<app>/Data/download/games/abc-1/install";
    QTest::newRow("empty id") << ""
                              << ""
                              << ""
                              << "";
    QTest::newRow("parent directory") << ".."
                                      << ""
                                      << ""
                                      << "";
    QTest::newRow("current directory") << "."
                                       << ""
                                       << ""
                                       << "";
    QTest::newRow("nested path") << "12/../../x"
                                 << ""
                                 << ""
                                 << "";
    QTest::newRow("backslash path") << "..\\x"
                                    << ""
                                    << ""
                                    << "";
}

void TestTaskPaths::installDir()
{
    QFETCH(QString, productId);
    QFETCH(QString, userSelected);
    QFETCH(QString, expectedProductDir);
    QFETCH(QString, expectedInstallDir);
    QCOMPARE(productDir(productId), withApp(expectedProductDir, m_app->path()));
    QCOMPARE(resolveInstallDir(productId, userSelected), withApp(expectedInstallDir, m_app->path()));
}

void TestTaskPaths::installDirFollowsTheSetting()
{
    const QString key = QStringLiteral("userSelectInstallPath");
    QApi::instance()->setSystemConfValue(key, systemconf::encodeInstallPath(QStringLiteral("/srv/Games/X")));
    QCOMPARE(resolveInstallDir(QStringLiteral("7")), QStringLiteral("/srv/Games/X"));
    QCOMPARE(resolveInstallDir(QStringLiteral("8")), QStringLiteral("/srv/Games/X"));

    QApi::instance()->setSystemConfValue(key, QString());
    QCOMPARE(resolveInstallDir(QStringLiteral("7")), path(QStringLiteral("Data/download/games/7/install")));
}

void TestTaskPaths::savePath()
{
    const QDateTime at(QDate(2024, 5, 1), QTime(8, 9, 10));
    QCOMPARE(makeSavePath(QStringLiteral("123"), QStringLiteral("pkg.zip"), at),
             path(QStringLiteral("Data/download/games/123/20240501080910_pkg.zip")));
    QVERIFY(QFileInfo(path(QStringLiteral("Data/download/games/123"))).isDir());

    // The clock form names the file after the current second.
    const QString now = makeSavePath(QStringLiteral("123"), QStringLiteral("pkg.zip"));
    const QString stamp = QFileInfo(now).fileName().section(QLatin1Char('_'), 0, 0);
    QVERIFY2(QDateTime::fromString(stamp, QStringLiteral("yyyyMMddhhmmss")).isValid(), qPrintable(now));
}

void TestTaskPaths::savePathKeepsPackagesInTheProductDir_data()
{
    QTest::addColumn<QString>("productId");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain name") << "5"
                                << "game.7z"
                                << "<app>/Data/download/games/5/20240501080910_game.7z";
    QTest::newRow("name with a path") << "5"
                                      << "../../evil.zip"
                                      << "<app>/Data/download/games/5/20240501080910_evil.zip";
    QTest::newRow("name with backslashes") << "5"
                                           << "..\\..\\evil.zip"
                                           << "<app>/Data/download/games/5/20240501080910_evil.zip";
    QTest::newRow("unsafe product id") << ".."
                                       << "game.7z"
                                       << "";
}

void TestTaskPaths::savePathKeepsPackagesInTheProductDir()
{
    QFETCH(QString, productId);
    QFETCH(QString, fileName);
    QFETCH(QString, expected);
    const QDateTime at(QDate(2024, 5, 1), QTime(8, 9, 10));
    QCOMPARE(makeSavePath(productId, fileName, at), withApp(expected, m_app->path()));
    if (expected.isEmpty())
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("Data"))));
}

void TestTaskPaths::startCommand_data()
{
    QTest::addColumn<QString>("startcmd");
    QTest::addColumn<QString>("expected");

    QTest::newRow("install directory") << "APP_PATH/bin/game.exe"
                                       << "/games/7/install/bin/game.exe";
    QTest::newRow("every occurrence") << "APP_PATH/APP_PATH.exe"
                                      << "/games/7/install//games/7/install.exe";
    QTest::newRow("package file") << "FILENAME.exe"
                                  << "/games/7/pkg.exe";
    QTest::newRow("both placeholders") << "APP_PATH/FILENAME.exe"
                                       << "/games/7/install//games/7/pkg.exe";
    QTest::newRow("placeholders are case-sensitive") << "app_path/filename.exe"
                                                     << "app_path/filename.exe";
    QTest::newRow("FILENAME without .exe stays") << "APP_PATH/FILENAME.EXE"
                                                 << "/games/7/install/FILENAME.EXE";
    QTest::newRow("absolute command") << "/opt/game/run"
                                      << "/opt/game/run";
}

void TestTaskPaths::startCommand()
{
    QFETCH(QString, startcmd);
    QFETCH(QString, expected);
    QCOMPARE(
        expandStartCommand(startcmd, QStringLiteral("/games/7/install"), QStringLiteral("/games/7/pkg.exe")),
        expected);
}

void TestTaskPaths::gameInstalled()
{
    writeFile(path(QStringLiteral("Data/download/games/7/install/bin/game.exe")), "x");
    writeFile(path(QStringLiteral("Data/download/games/7/setup.exe")), "x");

    QVERIFY(isGameInstalled(QStringLiteral("7"), QStringLiteral("APP_PATH/bin/game.exe"), QString()));
    QVERIFY(!isGameInstalled(QStringLiteral("8"), QStringLiteral("APP_PATH/bin/game.exe"), QString()));
    QVERIFY(!isGameInstalled(QStringLiteral("7"), QStringLiteral("APP_PATH/bin/other.exe"), QString()));
    QVERIFY(isGameInstalled(QStringLiteral("7"), QStringLiteral("FILENAME.exe"),
                            path(QStringLiteral("Data/download/games/7/setup.exe"))));
    QVERIFY(!isGameInstalled(QStringLiteral("7"), QString(), QString()));
    QVERIFY(!isGameInstalled(QStringLiteral(".."), QStringLiteral("APP_PATH/bin/game.exe"), QString()));
}

void TestTaskPaths::removeDirRemovesTreeAndEmptyParents()
{
    const QString install = path(QStringLiteral("Data/download/games/12/install"));
    writeFile(install + QStringLiteral("/game.exe"), "exe");
    writeFile(install + QStringLiteral("/.hidden"), "dot");
    writeFile(install + QStringLiteral("/data/.cache/level.bin"), "level");
    QDir().mkpath(install + QStringLiteral("/empty"));
    writeFile(path(QStringLiteral("config")), "{}");

    QVERIFY(removeDirRecursively(install));
    QVERIFY(!QFileInfo::exists(install));
    // The product directory and the folders above it held nothing else; the application directory stays.
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("Data/download/games/12"))));
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("Data"))));
    QVERIFY(QFileInfo(m_app->path()).isDir());
    QVERIFY(QFileInfo::exists(path(QStringLiteral("config"))));
}

void TestTaskPaths::removeDirNeverFollowsLinks()
{
    const QString outside = m_outside->path();
    writeFile(outside + QStringLiteral("/keep.txt"), "keep");
    writeFile(outside + QStringLiteral("/sub/deep.txt"), "deep");

    const QString install = path(QStringLiteral("Data/download/games/12/install"));
    writeFile(install + QStringLiteral("/game.exe"), "exe");
    QVERIFY(QFile::link(outside, install + QStringLiteral("/linkToDir")));
    QVERIFY(QFile::link(outside + QStringLiteral("/keep.txt"), install + QStringLiteral("/linkToFile")));
    QVERIFY(QFile::link(outside + QStringLiteral("/missing"), install + QStringLiteral("/brokenLink")));
    QDir().mkpath(install + QStringLiteral("/nested"));
    QVERIFY(QFile::link(outside + QStringLiteral("/sub"), install + QStringLiteral("/nested/linkToSub")));
    // A link standing for the whole directory is removed as a link.
    const QString linkedInstall = path(QStringLiteral("Data/download/games/13/install"));
    QDir().mkpath(path(QStringLiteral("Data/download/games/13")));
    QVERIFY(QFile::link(outside, linkedInstall));

    QVERIFY(removeDirRecursively(install));
    QVERIFY(!QFileInfo::exists(install));
    QVERIFY(removeDirRecursively(linkedInstall));
    QVERIFY(!QFileInfo(linkedInstall).isSymLink());

    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("keep.txt"), QStringLiteral("sub")}));
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/sub/deep.txt")));
}

void TestTaskPaths::removeDirKeepsParentsInUse()
{
    const QString product = path(QStringLiteral("Data/download/games/12"));
    writeFile(product + QStringLiteral("/install/game.exe"), "exe");
    writeFile(product + QStringLiteral("/version.data"), "{}");

    QVERIFY(removeDirRecursively(product + QStringLiteral("/install")));
    QVERIFY(!QFileInfo::exists(product + QStringLiteral("/install")));
    QVERIFY(QFileInfo::exists(product + QStringLiteral("/version.data")));

    // A directory outside the application directory goes alone; its empty parents are not ours.
    const QString selected = m_outside->path() + QStringLiteral("/Games/X");
    writeFile(selected + QStringLiteral("/game.exe"), "exe");
    QVERIFY(removeDirRecursively(selected));
    QVERIFY(!QFileInfo::exists(selected));
    QVERIFY(QFileInfo(m_outside->path() + QStringLiteral("/Games")).isDir());
}

void TestTaskPaths::removeDirRefuses_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("expected");

    QTest::newRow("empty path") << "" << false;
    QTest::newRow("filesystem root") << "/" << false;
    QTest::newRow("application directory") << "<app>" << false;
    QTest::newRow("application directory, other spelling") << "<app>/Data/.." << false;
    QTest::newRow("parent of the application directory") << "<app>/.." << false;
    QTest::newRow("a file") << "<app>/Data/file.txt" << false;
    QTest::newRow("missing directory is already gone") << "<app>/Data/missing" << true;
}

void TestTaskPaths::removeDirRefuses()
{
    QFETCH(QString, target);
    QFETCH(bool, expected);
    writeFile(path(QStringLiteral("Data/file.txt")), "data");
    writeFile(path(QStringLiteral("config")), "{}");

    QCOMPARE(removeDirRecursively(withApp(target, m_app->path())), expected);
    QVERIFY(QFileInfo::exists(path(QStringLiteral("Data/file.txt"))));
    QVERIFY(QFileInfo::exists(path(QStringLiteral("config"))));
}

void TestTaskPaths::dirSizeCountsHiddenFilesOnce()
{
    const QString dir = path(QStringLiteral("tree"));
    writeFile(dir + QStringLiteral("/a.bin"), QByteArray(10, 'a'));
    writeFile(dir + QStringLiteral("/.hidden"), QByteArray(5, 'h'));
    writeFile(dir + QStringLiteral("/sub/b.bin"), QByteArray(20, 'b'));
    writeFile(dir + QStringLiteral("/sub/.deeper/c.bin"), QByteArray(7, 'c'));
    // A link back up would loop forever if it were entered.
    QVERIFY(QFile::link(dir, dir + QStringLiteral("/sub/loop")));

    QCOMPARE(dirSize(dir), qint64(42));
    QCOMPARE(dirSize(path(QStringLiteral("missing"))), qint64(0));
}

void TestTaskPaths::md5_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");

    QTest::newRow("abc") << "file.bin" << QByteArray("abc") << "900150983CD24FB0D6963F7D28E17F72";
    QTest::newRow("empty file") << "file.bin" << QByteArray() << "D41D8CD98F00B204E9800998ECF8427E";
    QTest::newRow("missing file") << "" << QByteArray() << "";
}

void TestTaskPaths::md5()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    if (!name.isEmpty())
        writeFile(path(name), content);
    QCOMPARE(fileMd5Hex(path(name.isEmpty() ? QStringLiteral("missing.bin") : name)), expected);
    QCOMPARE(fileMd5Hex(m_app->path()), QString());
}

void TestTaskPaths::textFiles()
{
    const QString file = path(QStringLiteral("version.data"));
    const QString text = QStringLiteral("{\"versionName\":\"版本 1.0.4\"}\nsecond line");
    QVERIFY(saveTextFile(file, QStringLiteral("a much longer previous content that must not survive")));
    QVERIFY(saveTextFile(file, text));
    QCOMPARE(loadTextFile(file), text);
    QFile raw(file);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QCOMPARE(raw.readAll(), text.toUtf8());

    QCOMPARE(loadTextFile(path(QStringLiteral("missing.txt"))), QString());
    QVERIFY(!saveTextFile(path(QStringLiteral("no/such/dir/file.txt")), text));
    QVERIFY(!saveTextFile(m_app->path(), text));
}

void TestTaskPaths::allDigits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("empty") << "" << true;
    QTest::newRow("every digit") << "0123456789" << true;
    QTest::newRow("letter") << "12a" << false;
    QTest::newRow("sign") << "-1" << false;
    QTest::newRow("space") << " 12" << false;
    QTest::newRow("fullwidth digits") << QStringLiteral("１２") << false;
    QTest::newRow("arabic-indic digits") << QStringLiteral("١٢") << false;
}

void TestTaskPaths::allDigits()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(isAllDigits(text), expected);
}

void TestTaskPaths::urlQuery_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<StringMap>("expected");

    QTest::newRow("two items") << "http://host/p?a=1&b=2" << StringMap{{"a", "1"}, {"b", "2"}};
    QTest::newRow("repeated key keeps the last") << "http://host/p?a=1&a=2" << StringMap{{"a", "2"}};
    QTest::newRow("decoded text") << "http://host/p?name=%E6%B8%B8%E6%88%8F&s=a%20b"
                                  << StringMap{{"name", QStringLiteral("游戏")}, {"s", "a b"}};
    QTest::newRow("value holding =") << "http://host/p?k=a=b" << StringMap{{"k", "a=b"}};
    QTest::newRow("key without value") << "http://host/p?flag" << StringMap{{"flag", ""}};
    QTest::newRow("no query") << "http://host/p" << StringMap();
    QTest::newRow("invalid url") << "http://[::1/p?a=1" << StringMap();
}

void TestTaskPaths::urlQuery()
{
    QFETCH(QString, url);
    QFETCH(StringMap, expected);
    QCOMPARE(urlQueryToMap(url), expected);
}

QTEST_GUILESS_MAIN(TestTaskPaths)
#include "test_task_paths.moc"
