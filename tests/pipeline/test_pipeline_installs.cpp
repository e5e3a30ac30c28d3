// Installation routes against the local operator service: update by patch and by full archive, repair
// from the kept package, program installers, Android packages and games found installed on disk.
#include "DemoService.h"
#include "PipelineFixture.h"

#include <QElapsedTimer>

namespace {

const QString starV1 = QStringLiteral("games/star-expedition-1.0.0.zip");
const QString starV2 = QStringLiteral("games/star-expedition-1.1.0.zip");
const QString starPatch = QStringLiteral("games/star-expedition-1.0.0-1.1.0.patch");
const QString kartSetup = QStringLiteral("games/pixel-kart-setup-1.2.0.exe");
const QString farmApk = QStringLiteral("games/pocket-farm-1.0.0.apk");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestPipelineInstalls : public QObject
{
    Q_OBJECT

private:
    DemoService demo;

    // Product 1001 installed at version 1 from a fresh download.
    void installVersionOne(PipelineFixture &f)
    {
        f.createTask(QStringLiteral("1001"), demo.url(starV1), QStringLiteral("1"), QStringLiteral("1.0.0"));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(QStringLiteral("1001")), QStringLiteral("5"), 30000);
        QTRY_VERIFY(!f.thread->runningProducts().contains(QStringLiteral("1001")));
    }

private slots:
    void initTestCase()
    {
        QString why;
        QVERIFY2(demo.start(4 * 1024 * 1024, &why), qPrintable(why));
    }

    void init() { QVERIFY(demo.reset()); }

    void updateToVersionTwo_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("by patch") << starPatch;
        QTest::newRow("by full archive") << starV2;
    }

    void updateToVersionTwo()
    {
        QFETCH(QString, file);
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        installVersionOne(f);
        const QString v1Package = f.store->zipPath(id, QStringLiteral("1"));
        QVERIFY(!v1Package.isEmpty());

        f.thread->updateGame(id, demo.url(file), QStringLiteral("2"), QStringLiteral("1.1.0"));
        QVERIFY(f.hasNotice(id, 1, QStringLiteral("zhunbeigengxin")));
        QCOMPARE(f.task(id).value(QStringLiteral("fromVersion")), QStringLiteral("1"));
        QTRY_COMPARE_WITH_TIMEOUT(f.task(id).value(QStringLiteral("versionNo")), QStringLiteral("2"), 30000);
        QTRY_COMPARE(f.status(id), QStringLiteral("5"));

        // The install is version 2 file for file.
        QCOMPARE(readAll(f.installDir(id) + QStringLiteral("/data/config.ini")),
                 QByteArray("[game]\nversion=1.1.0\nlevels=5\n"));
        QVERIFY(QFileInfo::exists(f.installDir(id) + QStringLiteral("/data/levels.pak")));
        QCOMPARE(readAll(f.productDir(id) + QStringLiteral("/version.data")),
                 QByteArray(R"({"versionNo":"2","versionName":"1.1.0","baseVersionNo":"2"})"));
        // Exactly one package stays, the full version 2 archive, kept under the new version.
        const QStringList packages =
            QDir(f.productDir(id))
                .entryList({QStringLiteral("*.zip"), QStringLiteral("*.patch"), QStringLiteral("*.package")},
                           QDir::Files);
        QCOMPARE(packages.size(), 1);
        const QString kept = f.store->zipPath(id, QStringLiteral("2"));
        QCOMPARE(QFileInfo(kept).fileName(), packages.first());
        QCOMPARE(DemoService::md5(kept), DemoService::md5(demo.filePath(starV2)));
        QVERIFY(!QFileInfo::exists(v1Package));
        QVERIFY(f.store->zipPath(id, QStringLiteral("1")).isEmpty());
        if (file == starPatch)
            QVERIFY(kept.endsWith(QLatin1String("/diffpath_1_2.zip")));
    }

    void failedPatchClearsTheGame()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        installVersionOne(f);
        // The kept base package is damaged: the patch cannot apply.
        const QString base = f.store->zipPath(id, QStringLiteral("1"));
        QFile damaged(base);
        QVERIFY(damaged.open(QIODevice::ReadWrite));
        damaged.seek(1000);
        damaged.write(QByteArray(4096, 'x'));
        damaged.close();

        f.thread->updateGame(id, demo.url(starPatch), QStringLiteral("2"), QStringLiteral("1.1.0"));
        QTRY_VERIFY_WITH_TIMEOUT(!f.store->hasTask(id), 30000);
        QVERIFY(!QFileInfo::exists(f.productDir(id)));
        QVERIFY(f.hasNotice(id, 0, QStringLiteral("huoquyouxi")));
        QCOMPARE(f.mainPageCalls->last().at(0).toString(), QStringLiteral("getProductInfoByProductCode(1)"));
    }

    void repairReextractsTheKeptPackageWithoutDownloading()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        installVersionOne(f);
        QFile::remove(f.installDir(id) + QStringLiteral("/bin/game.exe"));
        f.writeFile(QStringLiteral("Data/download/games/1001/install/data/config.ini"), "broken");
        const int requests = demo.requests().size();
        const int before = f.notices.size();

        f.thread->checkLocalGameResource(
            id, QStringLiteral("Game"), demo.url(starV1), QStringLiteral("APP_PATH/bin/game.exe"), QString(),
            QString(), QStringLiteral("0"), QString(), QStringLiteral("1"), QStringLiteral("1.0.0"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(f.installDir(id) + QStringLiteral("/bin/game.exe")),
                                 20000);
        QTRY_VERIFY(f.notices.size() > before && f.notices.last().tips == QLatin1String("qidongyouxi"));
        QCOMPARE(readAll(f.installDir(id) + QStringLiteral("/data/config.ini")),
                 QByteArray("[game]\nversion=1.0.0\nlevels=3\n"));
        QCOMPARE(demo.requests().size(), requests);
        QCOMPARE(f.status(id), QStringLiteral("5"));

        // Asked for another version than the kept one: cleared and downloaded again.
        f.thread->checkLocalGameResource(
            id, QStringLiteral("Game"), demo.url(starV2), QStringLiteral("APP_PATH/bin/game.exe"), QString(),
            QString(), QStringLiteral("0"), QString(), QStringLiteral("2"), QStringLiteral("1.1.0"));
        QTRY_COMPARE_WITH_TIMEOUT(f.task(id).value(QStringLiteral("versionNo")), QStringLiteral("2"), 30000);
        QVERIFY(demo.requests().size() > requests);
    }

    void repairInAUserSelectedFolderKeepsWhatElseIsThere()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        const QString folder = f.appDir + QStringLiteral("/my-games");
        f.writeFile(QStringLiteral("my-games/other-game/save.dat"), "the user's own files");
        f.api->setSystemConfValue(QStringLiteral("userSelectInstallPath"),
                                  QString::fromLatin1(folder.toUtf8().toBase64()));
        installVersionOne(f);
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/bin/game.exe")));
        QFile::remove(folder + QStringLiteral("/bin/game.exe"));

        f.thread->checkLocalGameResource(
            id, QStringLiteral("Game"), demo.url(starV1), QStringLiteral("APP_PATH/bin/game.exe"), QString(),
            QString(), QStringLiteral("0"), QString(), QStringLiteral("1"), QStringLiteral("1.0.0"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder + QStringLiteral("/bin/game.exe")), 20000);
        QTRY_COMPARE(f.status(id), QStringLiteral("5"));
        // The folder is shared: the repair extracts over it and removes nothing else.
        QCOMPARE(readAll(folder + QStringLiteral("/other-game/save.dat")),
                 QByteArray("the user's own files"));
    }

    void installerProgramRunsQuietlyAndEndsInstalled()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1003");
        const QString record = f.appDir + QStringLiteral("/installer.jsonl");
        qputenv("DEMO_INSTALLER_RECORD", QFile::encodeName(record));
        f.createTask(id, demo.url(kartSetup), QStringLiteral("12"), QStringLiteral("1.2.0"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(f.status(id), QStringLiteral("5"), 30000);
        qunsetenv("DEMO_INSTALLER_RECORD");
        QVERIFY(f.hasNotice(id, 2, QStringLiteral("zhengzaianzhuang")));
        QVERIFY(f.hasNotice(id, 5, QStringLiteral("qidongyouxi")));
        const QJsonObject entry = QJsonDocument::fromJson(readAll(record).trimmed()).object();
        QCOMPARE(entry.value(QStringLiteral("args")).toArray(), QJsonArray({QStringLiteral("--quiet")}));
        QCOMPARE(entry.value(QStringLiteral("program")).toString(),
                 f.task(id).value(QStringLiteral("savePath")));
    }

    void androidPackageGoesToTheDeviceBridge()
    {
        PipelineFixture f;
        QSignalSpy device(f.thread.get(), &ManageThread::checkDeviceCanInstall);
        const QString id = QStringLiteral("1004");
        f.createTask(id, demo.url(farmApk), QStringLiteral("1"), QStringLiteral("1.0.0"),
                     QStringLiteral("com.morvu.pocketfarm.MainActivity"), QStringLiteral("1"),
                     QStringLiteral("com.morvu.pocketfarm"));
        QTRY_COMPARE_WITH_TIMEOUT(device.count(), 1, 30000);
        QCOMPARE(device.at(0).at(0).toString(), id);
        QCOMPARE(device.at(0).at(1).toString(), f.task(id).value(QStringLiteral("savePath")));
        QCOMPARE(device.at(0).at(2).toString(), QStringLiteral("com.morvu.pocketfarm"));
        QCOMPARE(f.status(id), QStringLiteral("7"));
        QVERIFY(f.hasNotice(id, 7, QStringLiteral("jijianganzhuang__")));

        // The bridge reports back.
        f.thread->changeInstallStatus(id, 5, QStringLiteral("安装成功"), QString());
        QCOMPARE(f.status(id), QStringLiteral("5"));
        QCOMPARE(f.notices.last().tips, QStringLiteral("安装成功"));
    }

    void routerRefusesWhatItCannotInstall_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("tips");
        QTest::newRow("msi") << "setup.msi" << true << 2 << "wufaanzhuang";
        QTest::newRow("unknown suffix") << "game.tar.gz" << true << 2 << "wufaanzhuang";
        QTest::newRow("missing package") << "gone.zip" << false << 3 << "xiazaichucuo";
    }

    void routerRefusesWhatItCannotInstall()
    {
        QFETCH(QString, name);
        QFETCH(bool, exists);
        QFETCH(int, status);
        QFETCH(QString, tips);
        PipelineFixture f;
        if (exists)
            f.writeFile(QStringLiteral("Data/download/games/8/") + name, "payload");
        f.thread->doInstallDownloadFile(QStringLiteral("8"),
                                        f.productDir(QStringLiteral("8")) + QLatin1Char('/') + name,
                                        QString(), QString());
        QCOMPARE(f.notices.size(), 1);
        QCOMPARE(f.notices.first().status, status);
        QCOMPARE(f.notices.first().tips, tips);
        QVERIFY(!QFileInfo::exists(f.installDir(QStringLiteral("8"))));
    }

    // The archiver is what ends in these rows: it cannot be found, or it still runs when the launcher
    // closes. Either way the notice says the extraction failed and the package stays for a later try.
    void archiverThatDoesNotFinishItsWork_data()
    {
        QTest::addColumn<QByteArray>("fakeArchiver");
        QTest::newRow("archiver missing") << QByteArray();
        QTest::newRow("archiver killed when the launcher closes")
            << QByteArray("#!/bin/sh\nprintf '1 file, 100 bytes\\n'\nexec /bin/sleep 60\n");
    }

    void archiverThatDoesNotFinishItsWork()
    {
        QFETCH(QByteArray, fakeArchiver);
        QTemporaryDir bin;
        if (!fakeArchiver.isEmpty()) {
            QFile tool(bin.filePath(QStringLiteral("7z")));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write(fakeArchiver);
            tool.close();
            QVERIFY(tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        f.createTask(id, demo.url(starV1));
        QTRY_VERIFY_WITH_TIMEOUT(f.hasNotice(id, 7, QStringLiteral("kaishijiaye__")), 30000);
        QElapsedTimer clock;
        clock.start();
        if (!fakeArchiver.isEmpty()) {
            QTest::qWait(300);
            QVERIFY(!f.hasNotice(id, 9, QString()));
            f.thread->wantManageThreadQuit();
            QTRY_VERIFY_WITH_TIMEOUT(f.thread->isFinished(), 10000);
        }
        qputenv("PATH", path);
        QTRY_VERIFY(f.hasNotice(id, 9, QStringLiteral("jieyashibai")));
        QCOMPARE(f.noticesOf(id).last().downSizeRate, QStringLiteral("qingguanbiyouxichongxinjieya"));
        QVERIFY(clock.elapsed() < 10000);
        QCOMPARE(f.status(id), QStringLiteral("2"));
        QVERIFY(QFileInfo::exists(f.task(id).value(QStringLiteral("savePath"))));
    }

    void gameFoundOnDiskIsStoredInstalled()
    {
        PipelineFixture f;
        QSignalSpy autoUpdate(f.thread.get(), &ManageThread::clearAutoUpdateKey);
        const QString id = QStringLiteral("1001");
        // A row without a package, and the program present under the install directory.
        f.thread->addGameToMy(id, QStringLiteral("Game"), demo.url(starV1),
                              QStringLiteral("APP_PATH/bin/game.exe"), QString(), QString(),
                              QStringLiteral("0"), QString());
        QCOMPARE(f.status(id), QStringLiteral("6"));
        f.writeFile(QStringLiteral("Data/download/games/1001/install/bin/game.exe"), "#!/bin/sh\n");
        f.createTask(id, demo.url(starV1));
        QCOMPARE(f.status(id), QStringLiteral("5"));
        QCOMPARE(autoUpdate.count(), 1);
        QCOMPARE(f.notices.last().tips, QStringLiteral("qidongyouxi"));
        QTest::qWait(300);
        QVERIFY(demo.requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPipelineInstalls)
#include "test_pipeline_installs.moc"
