#include "platform/ApplicationDir.h"
#include "platform/ToolNames.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QtTest>

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void applicationDirDefaultsToExecutableDir()
    {
        platform::setApplicationDir(QString());
        qunsetenv("LAUNCHER_APP_DIR");
        QCOMPARE(platform::applicationDir(), QCoreApplication::applicationDirPath());
    }

    void applicationDirOverrides()
    {
        QTemporaryDir dir;
        qputenv("LAUNCHER_APP_DIR", QFile::encodeName(dir.path() + QStringLiteral("/env/")));
        QCOMPARE(platform::applicationDir(), dir.path() + QStringLiteral("/env"));

        // The test override wins over the environment.
        platform::setApplicationDir(dir.path() + QStringLiteral("/set//"));
        QCOMPARE(platform::applicationDir(), dir.path() + QStringLiteral("/set"));

        platform::setApplicationDir(QString());
        qunsetenv("LAUNCHER_APP_DIR");
        QCOMPARE(platform::applicationDir(), QCoreApplication::applicationDirPath());
    }

    void toolProgram_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expectedEnd");
        QTest::newRow("archiver") << "7z.exe" << "/7z";
        QTest::newRow("archiver upper case") << "7Z.EXE" << "/7z";
        QTest::newRow("interpreter") << "cmd" << "/bin/sh";
        QTest::newRow("patch adapter beside the launcher") << "hpatchz.exe" << "/appdir/hpatchz";
        QTest::newRow("unknown stays") << "game.exe" << "game.exe";
    }

    void toolProgram()
    {
        QFETCH(QString, name);
        QFETCH(QString, expectedEnd);
        platform::setApplicationDir(QStringLiteral("/appdir"));
        const QString program = platform::toolProgram(name);
        platform::setApplicationDir(QString());
        QVERIFY2(program.endsWith(expectedEnd), qPrintable(program));
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
