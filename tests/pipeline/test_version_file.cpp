#include "core/QApi.h"
#include "tasks/VersionFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestVersionFile : public QObject
{
    Q_OBJECT

private slots:
    void plainVersionsKeepTheirExactText()
    {
        QCOMPARE(tasks::versionFileText(QStringLiteral("4"), QStringLiteral("1.0.4"), QStringLiteral("4")),
                 QStringLiteral(R"({"versionNo":"4","versionName":"1.0.4","baseVersionNo":"4"})"));
    }

    void anyVersionNameReadsBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "2.3.0";
        QTest::newRow("double quote") << "1.0 \"beta\"";
        QTest::newRow("backslash") << "C:\\builds\\7";
        QTest::newRow("control characters") << "line\nbreak\ttab\x01";
        QTest::newRow("non-ASCII") << QStringLiteral("正式版 1.2 🎮");
        QTest::newRow("empty") << "";
    }

    void anyVersionNameReadsBack()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QApi api(dir.path());
        const QString installDir = dir.filePath(QStringLiteral("Data/download/games/9/install"));
        const QString path = tasks::versionFilePath(installDir);
        QCOMPARE(path, dir.filePath(QStringLiteral("Data/download/games/9/version.data")));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(tasks::versionFileText(QStringLiteral("7"), name, QStringLiteral("7")).toUtf8());
        file.close();

        const QMap<QString, QString> read = api.readVersionData(installDir);
        QCOMPARE(read.value(QStringLiteral("versionNo")), QStringLiteral("7"));
        QCOMPARE(read.value(QStringLiteral("versionName")), name);
        QCOMPARE(read.value(QStringLiteral("baseVersionNo")), QStringLiteral("7"));
    }

    void fileLivesWhereItIsRead_data()
    {
        QTest::addColumn<QString>("installDir");
        QTest::addColumn<QString>("expected");
        QTest::newRow("default install directory") << "/a/games/7/install"
                                                   << "/a/games/7/version.data";
        QTest::newRow("with the trailing slash") << "/a/games/7/install/"
                                                 << "/a/games/7/version.data";
        QTest::newRow("user-selected directory") << "/mnt/My Games"
                                                 << "/mnt/My Games/version.data";
    }

    void fileLivesWhereItIsRead()
    {
        QFETCH(QString, installDir);
        QFETCH(QString, expected);
        QCOMPARE(tasks::versionFilePath(installDir), expected);
    }
};

QTEST_GUILESS_MAIN(TestVersionFile)
#include "test_version_file.moc"
