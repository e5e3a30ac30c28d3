// Downloads against the local operator service: fresh install and launch, resume, server faults, the
// scheduler's limits, clearing and disk space.
#include "DemoService.h"
#include "PipelineFixture.h"

#include "tasks/TaskFormat.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QRegularExpression>

namespace {

const QString starV1 = QStringLiteral("games/star-expedition-1.0.0.zip");

QStringList readLaunchRecord(const QString &path, QString *cwd)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->trimmed().isEmpty())
            continue;
        const QJsonObject entry = QJsonDocument::fromJson(*it).object();
        *cwd = entry.value(QStringLiteral("cwd")).toString();
        QStringList args;
        for (const QJsonValue &arg : entry.value(QStringLiteral("args")).toArray())
            args << arg.toString();
        return args;
    }
    return {};
}

// A download progress notice: status 1 with the done/total size text.
bool hasProgressNotice(const PipelineFixture &f, const QString &productId)
{
    for (const Notice &n : f.noticesOf(productId))
        if (n.status == 1 && n.downSizeRate.contains(QLatin1Char('/')))
            return true;
    return false;
}

int lineCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().count('\n');
}

} // namespace

class TestPipelineDownloads : public QObject
{
    Q_OBJECT

private:
    DemoService demo;
    qint64 starSize = 0;

    QJsonObject rangedRequest()
    {
        for (const QJsonValue &request : demo.requests())
            if (request.toObject().value(QStringLiteral("range")).isString())
                return request.toObject();
        return QJsonObject();
    }

    QJsonObject lastRequest()
    {
        const QJsonArray all = demo.requests();
        return all.isEmpty() ? QJsonObject() : all.last().toObject();
    }

private slots:
    void initTestCase()
    {
        QString why;
        QVERIFY2(demo.start(4 * 1024 * 1024, &why), qPrintable(why));
        starSize = QFileInfo(demo.filePath(starV1)).size();
        QVERIFY(starSize > 1024 * 1024);
    }

    void init() { QVERIFY(demo.reset()); }

    void freshDownloadExtractsRecordsVersionAndLaunches()
    {
        PipelineFixture f;
        f.login = {{QStringLiteral("uid"), QStringLiteral("42")},
                   {QStringLiteral("token"), QStringLiteral("t0k")}};
        QSignalSpy mini(f.thread.get(), &ManageThread::mainWindowMini);
        f.createTask(QStringLiteral("1001"), demo.url(starV1));
        QVERIFY(f.hasNotice(QStringLiteral("1001"), 1, QStringLiteral("kaishixiazai")));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(QStringLiteral("1001")), QStringLiteral("5"), 30000);

        // Notices along the way, in order: progress, downloaded, extraction, installed.
        const QList<Notice> seen = f.noticesOf(QStringLiteral("1001"));
        const auto indexOf = [&seen](int status, const QString &tips) {
            for (int i = 0; i < seen.size(); ++i)
                if (seen[i].status == status && seen[i].tips.startsWith(tips))
                    return i;
            return -1;
        };
        int progress = -1;
        for (int i = 0; i < seen.size() && progress < 0; ++i)
            if (seen[i].status == 1 && seen[i].downSizeRate.contains(QLatin1Char('/')))
                progress = i;
        const int done = indexOf(2, QStringLiteral("zhunbeianzhuang"));
        const int extracting = indexOf(7, QStringLiteral("kaishijiaye__"));
        const int installed = indexOf(5, QStringLiteral("qidongyouxi"));
        QVERIFY(progress >= 0 && progress < done && done < extracting && extracting < installed);
        QCOMPARE(seen[progress].runRate, QStringLiteral("0.00"));
        QCOMPARE(seen[extracting].downSizeRate, QStringLiteral("jieyazhongqingdengdai"));
        QVERIFY(seen[extracting].showDisable);
        QCOMPARE(seen[done].rate, QStringLiteral("100"));
        QVERIFY(f.errors->isEmpty());

        // The files: program, data, version file and the kept package, byte for byte the served one.
        QVERIFY(
            QFileInfo(f.installDir(QStringLiteral("1001")) + QStringLiteral("/bin/game.exe")).isExecutable());
        QVERIFY(QFileInfo::exists(f.installDir(QStringLiteral("1001")) + QStringLiteral("/data/world.pak")));
        QFile version(f.productDir(QStringLiteral("1001")) + QStringLiteral("/version.data"));
        QVERIFY(version.open(QIODevice::ReadOnly));
        QCOMPARE(version.readAll(),
                 QByteArray(R"({"versionNo":"1","versionName":"1.0.0","baseVersionNo":"1"})"));
        const tasks::TaskRecord task = f.task(QStringLiteral("1001"));
        QCOMPARE(task.value(QStringLiteral("versionNo")), QStringLiteral("1"));
        QCOMPARE(task.value(QStringLiteral("totalSize")), QString::number(starSize));
        const QString kept = f.store->zipPath(QStringLiteral("1001"), QStringLiteral("1"));
        QCOMPARE(kept, task.value(QStringLiteral("savePath")));
        QCOMPARE(DemoService::md5(kept), DemoService::md5(demo.filePath(starV1)));
        QVERIFY(lastRequest().value(QStringLiteral("range")).isNull());

        // Launch with the exact arguments and working directory.
        const QString record = f.appDir + QStringLiteral("/launches.jsonl");
        qputenv("DEMO_GAME_RECORD", QFile::encodeName(record));
        f.thread->manageThreadStartApp(QStringLiteral("1001"), QStringLiteral("APP_PATH/bin/game.exe"),
                                       QStringLiteral("0"));
        QVERIFY(f.hasNotice(QStringLiteral("1001"), 5, QStringLiteral("zhengzaiqidong__")));
        QTRY_COMPARE_WITH_TIMEOUT(lineCount(record), 1, 10000);
        QString cwd;
        const QStringList args = readLaunchRecord(record, &cwd);
        QCOMPARE(args, QStringList({QStringLiteral("channelCode=test-channel"), QStringLiteral("lang=zh"),
                                    QStringLiteral("oversea=0"), QStringLiteral("productCode=c0ffee"),
                                    QStringLiteral("authToken=t0k"), QStringLiteral("uid=42"),
                                    QStringLiteral("username=")}));
        QCOMPARE(cwd, f.installDir(QStringLiteral("1001")) + QStringLiteral("/bin"));
        QCOMPARE(mini.count(), 1);

        // Asking for the installed game again starts it instead of downloading; without a login four
        // arguments are passed.
        f.login.clear();
        const int requestsBefore = demo.requests().size();
        f.createTask(QStringLiteral("1001"), demo.url(starV1));
        QTRY_COMPARE_WITH_TIMEOUT(lineCount(record), 2, 10000);
        QCOMPARE(readLaunchRecord(record, &cwd).size(), 4);
        QCOMPARE(demo.requests().size(), requestsBefore);
        qunsetenv("DEMO_GAME_RECORD");
    }

    // At most one progress notice per interval, the first and the last always.
    void progressNoticesAreCoalesced()
    {
        PipelineFixture::Options options;
        options.timing.progressIntervalMs = 250;
        PipelineFixture f(options);
        const QString id = QStringLiteral("1001");
        QVERIFY(demo.control({{QStringLiteral("throttle"), 800000}}));
        QElapsedTimer clock;
        clock.start();
        f.createTask(id, demo.url(starV1));
        QTRY_VERIFY_WITH_TIMEOUT(f.hasNotice(id, 2, QStringLiteral("zhunbeianzhuang")), 20000);
        const double seconds = clock.elapsed() / 1000.0;
        QList<Notice> progress;
        for (const Notice &n : f.noticesOf(id))
            if (n.status == 1 && n.downSizeRate.contains(QLatin1Char('/')))
                progress.append(n);
        QVERIFY(progress.size() >= 3);
        QVERIFY2(progress.size() <= int(seconds / 0.25) + 2, qPrintable(QString::number(progress.size())));
        QCOMPARE(progress.first().runRate, QStringLiteral("0.00"));
        QVERIFY(progress.first().rate.toDouble() < 20);
        QCOMPARE(progress.last().tips, QStringLiteral("jijiangwancheng"));
        QCOMPARE(progress.last().rate, QStringLiteral("100.00"));
        const QString total = QString::number(starSize / 1048576.0, 'f', 1) + QStringLiteral("MB");
        QCOMPARE(progress.last().downSizeRate, total + QLatin1Char('/') + total);
        // Speeds are megabytes per second with two decimals.
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d$"))
                    .match(progress.at(progress.size() / 2).runRate)
                    .hasMatch());
    }

    void launchFailuresSayStartFailed_data()
    {
        QTest::addColumn<QString>("startcmd");
        QTest::addColumn<bool>("createProgram");
        QTest::addColumn<bool>("executable");
        QTest::newRow("program missing") << "APP_PATH/bin/game.exe" << false << false;
        QTest::newRow("program cannot start") << "APP_PATH/bin/game.exe" << true << false;
    }

    void launchFailuresSayStartFailed()
    {
        QFETCH(QString, startcmd);
        QFETCH(bool, createProgram);
        QFETCH(bool, executable);
        PipelineFixture f;
        QSignalSpy mini(f.thread.get(), &ManageThread::mainWindowMini);
        if (createProgram) {
            f.writeFile(QStringLiteral("Data/download/games/7/install/bin/game.exe"), "not a program");
            QFile(f.installDir(QStringLiteral("7")) + QStringLiteral("/bin/game.exe"))
                .setPermissions(executable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                           : QFileDevice::ReadOwner);
        }
        f.thread->manageThreadStartApp(QStringLiteral("7"), startcmd, QStringLiteral("0"));
        QVERIFY(f.hasNotice(QStringLiteral("7"), 5, QStringLiteral("qidongshibai")));
        QVERIFY(!f.hasNotice(QStringLiteral("7"), 5, QStringLiteral("qidongyouxi")));
        QCOMPARE(mini.count(), 0);
    }

    void pauseAndResumeContinueTheSameFile_data()
    {
        QTest::addColumn<bool>("serverIgnoresRange");
        QTest::newRow("server honours Range") << false;
        QTest::newRow("server ignores Range") << true;
    }

    void pauseAndResumeContinueTheSameFile()
    {
        QFETCH(bool, serverIgnoresRange);
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        QVERIFY(demo.control({{QStringLiteral("throttle"), 400000}}));
        f.createTask(id, demo.url(starV1));
        QTRY_VERIFY_WITH_TIMEOUT(f.packageBytes(id) > 300000, 20000);
        f.thread->pauseTask(id);
        QTRY_COMPARE_WITH_TIMEOUT(f.status(id), QStringLiteral("4"), 10000);
        const qint64 kept = f.packageBytes(id);
        QVERIFY(kept > 0 && kept < starSize);
        QCOMPARE(f.task(id).value(QStringLiteral("downSize")), QString::number(kept));
        QTRY_VERIFY(f.hasNotice(id, 4, QStringLiteral("yizanting")));
        QCOMPARE(f.noticesOf(id).last().rate, QStringLiteral("keep"));
        QVERIFY(f.thread->runningProducts().isEmpty());

        QVERIFY(demo.control(
            {{QStringLiteral("throttle"), 0}, {QStringLiteral("ignoreRange"), serverIgnoresRange}}));
        const int before = f.notices.size();
        f.createTask(id, demo.url(starV1));
        const Notice restart = f.notices.at(before);
        QCOMPARE(restart.status, 1);
        QCOMPARE(restart.tips, QStringLiteral("jijiangkaishi"));
        QCOMPARE(restart.rate, tasks::formatPercent(starSize, kept));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(id), QStringLiteral("5"), 30000);

        // The service records a request when it has served it: look for the resumed one.
        QJsonObject resumed;
        QTRY_VERIFY(!(resumed = rangedRequest()).isEmpty());
        QCOMPARE(resumed.value(QStringLiteral("range")).toString(),
                 QStringLiteral("bytes=%1-%2").arg(kept).arg(starSize));
        QCOMPARE(resumed.value(QStringLiteral("status")).toInt(), serverIgnoresRange ? 200 : 206);
        // The first progress notice of the resumed transfer counts from what was already there (or from
        // zero when the server sent everything again).
        for (int i = before; i < f.notices.size(); ++i) {
            if (f.notices[i].tips.startsWith(QLatin1String("zhengzaixiazai__"))) {
                const double pct = f.notices[i].rate.toDouble();
                if (serverIgnoresRange)
                    QVERIFY(pct < 100.0 * kept / starSize + 0.01);
                else
                    QVERIFY(pct >= 100.0 * kept / starSize - 0.01);
                break;
            }
        }
        const QString package = f.task(id).value(QStringLiteral("savePath"));
        QCOMPARE(QFileInfo(package).size(), starSize);
        QCOMPARE(DemoService::md5(package), DemoService::md5(demo.filePath(starV1)));
        // One row, one package file.
        QCOMPARE(QDir(f.productDir(id)).entryList({QStringLiteral("*.zip")}, QDir::Files).size(), 1);
    }

    void serverErrorsAreTransferErrors_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("404 from a fault") << 404 << starV1 << "HTTP 404";
        QTest::newRow("500") << 500 << starV1 << "HTTP 500";
        QTest::newRow("503") << 503 << starV1 << "HTTP 503";
        QTest::newRow("unknown package") << 0 << "games/no-such-game.zip"
                                         << "HTTP 404";
    }

    void serverErrorsAreTransferErrors()
    {
        QFETCH(int, status);
        QFETCH(QString, file);
        QFETCH(QString, errorStart);
        PipelineFixture f;
        if (status)
            QVERIFY(demo.control({{QStringLiteral("status"), status}}));
        f.createTask(QStringLiteral("1001"), demo.url(file));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(QStringLiteral("1001")), QStringLiteral("3"), 15000);
        QTRY_COMPARE(f.errors->count(), 1);
        QCOMPARE(f.errors->at(0).at(0).toString(), QStringLiteral("1001"));
        QVERIFY2(f.errors->at(0).at(1).toString().startsWith(errorStart),
                 qPrintable(f.errors->at(0).at(1).toString()));
        QVERIFY(f.hasNotice(QStringLiteral("1001"), 3, QStringLiteral("xiazaichucuo")));
        QVERIFY(!f.hasNotice(QStringLiteral("1001"), 2, QString()));
        QVERIFY(!f.hasNotice(QStringLiteral("1001"), 5, QString()));
        QCOMPARE(f.packageBytes(QStringLiteral("1001")), 0);
        QVERIFY(!QFileInfo::exists(f.installDir(QStringLiteral("1001"))));
        QVERIFY(f.thread->runningProducts().isEmpty());
    }

    void interruptedTransfersFailAndResume_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<QString>("errorPart");
        QTest::addColumn<int>("stallTimeoutMs");
        QTest::newRow("connection dropped halfway")
            << QJsonObject{{QStringLiteral("dropAfter"), 700000}, {QStringLiteral("dropTimes"), 1}} << ""
            << 1500;
        // One byte a second: the gaps are longer than the stall timeout.
        QTest::newRow("connection stalls")
            << QJsonObject{{QStringLiteral("throttle"), 1}} << "stalled" << 600;
    }

    void interruptedTransfersFailAndResume()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(QString, errorPart);
        QFETCH(int, stallTimeoutMs);
        PipelineFixture::Options options;
        options.timing.stallTimeoutMs = stallTimeoutMs;
        PipelineFixture f(options);
        const QString id = QStringLiteral("1001");
        QVERIFY(demo.control(fault));
        f.createTask(id, demo.url(starV1));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(id), QStringLiteral("3"), 15000);
        QTRY_COMPARE(f.errors->count(), 1);
        QVERIFY(f.errors->at(0).at(1).toString().contains(errorPart));
        QVERIFY(!f.hasNotice(id, 2, QString()));
        const qint64 partial = f.packageBytes(id);
        QVERIFY(partial < starSize);

        QVERIFY(demo.reset());
        f.createTask(id, demo.url(starV1));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(id), QStringLiteral("5"), 30000);
        if (partial > 0)
            QCOMPARE(rangedRequest().value(QStringLiteral("range")).toString(),
                     QStringLiteral("bytes=%1-%2").arg(partial).arg(starSize));
        QCOMPARE(DemoService::md5(f.task(id).value(QStringLiteral("savePath"))),
                 DemoService::md5(demo.filePath(starV1)));
    }

    void threeRunAtOnceAndTheFourthWaits()
    {
        PipelineFixture f;
        QVERIFY(demo.control({{QStringLiteral("throttle"), 150000}}));
        const QStringList ids = {QStringLiteral("2001"), QStringLiteral("2002"), QStringLiteral("2003"),
                                 QStringLiteral("2004")};
        for (const QString &id : ids) {
            f.createTask(id, demo.url(starV1));
            QTRY_VERIFY(f.thread->runningProducts().size() == qMin(3, ids.indexOf(id) + 1));
        }
        QVERIFY(f.hasNotice(ids[0], 1, QStringLiteral("kaishixiazai")));
        QVERIFY(f.hasNotice(ids[3], 1, QStringLiteral("dengdaixiazai")));
        QTest::qWait(300);
        QCOMPARE(f.thread->runningProducts().size(), 3);
        QCOMPARE(f.status(ids[3]), QStringLiteral("0"));

        // A second request for a running download starts nothing and hears its state.
        const int requestsBefore = demo.requests().size();
        const int noticesBefore = f.notices.size();
        f.createTask(ids[0], demo.url(starV1));
        QCOMPARE(f.notices.size(), noticesBefore + 1);
        QCOMPARE(f.notices.last().status, 1);
        QVERIFY(f.notices.last().tips.startsWith(QLatin1String("zhengzaixiazai__")));
        QTest::qWait(200);
        QCOMPARE(f.thread->runningProducts().size(), 3);
        QCOMPARE(demo.requests().size(), requestsBefore);

        // A slot frees: the waiting task starts.
        f.thread->pauseTask(ids[0]);
        QTRY_COMPARE_WITH_TIMEOUT(f.status(ids[3]), QStringLiteral("1"), 5000);
        QTRY_VERIFY(f.thread->runningProducts().contains(ids[3]));
        QCOMPARE(f.status(ids[0]), QStringLiteral("4"));

        // Closing aborts every transfer and stores it as paused with the bytes kept.
        f.thread->wantManageThreadQuit();
        QTRY_VERIFY_WITH_TIMEOUT(f.thread->isFinished(), 10000);
        for (const QString &id : ids) {
            QCOMPARE(f.status(id), QStringLiteral("4"));
            QCOMPARE(f.task(id).value(QStringLiteral("downSize")), QString::number(f.packageBytes(id)));
        }
    }

    void waitingTaskWithPartialFileContinuesIt()
    {
        PipelineFixture f;
        QVERIFY(demo.control({{QStringLiteral("throttle"), 150000}}));
        const QString partialId = QStringLiteral("3001");
        f.createTask(partialId, demo.url(starV1));
        QTRY_VERIFY_WITH_TIMEOUT(f.packageBytes(partialId) > 100000, 10000);
        f.thread->pauseTask(partialId);
        QTRY_COMPARE(f.status(partialId), QStringLiteral("4"));
        const qint64 kept = f.packageBytes(partialId);
        const QString savePath = f.task(partialId).value(QStringLiteral("savePath"));

        for (const QString &id : {QStringLiteral("3002"), QStringLiteral("3003"), QStringLiteral("3004")})
            f.createTask(id, demo.url(starV1));
        QTRY_COMPARE(f.thread->runningProducts().size(), 3);
        // Three run: the paused task is put back in the queue, keeping its file.
        f.createTask(partialId, demo.url(starV1));
        QVERIFY(f.noticesOf(partialId).last().tips == QLatin1String("dengdaixiazai"));
        QCOMPARE(f.status(partialId), QStringLiteral("0"));

        QVERIFY(demo.control({{QStringLiteral("throttle"), 0}}));
        f.thread->pauseTask(QStringLiteral("3002"));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(partialId), QStringLiteral("5"), 30000);
        QCOMPARE(f.task(partialId).value(QStringLiteral("savePath")), savePath);
        bool resumed = false;
        for (const QJsonValue &request : demo.requests())
            resumed |= request.toObject().value(QStringLiteral("range")).toString() ==
                       QStringLiteral("bytes=%1-%2").arg(kept).arg(starSize);
        QVERIFY(resumed);
        QCOMPARE(DemoService::md5(savePath), DemoService::md5(demo.filePath(starV1)));
    }

    void clearGameDataDuringADownload()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        QVERIFY(demo.control({{QStringLiteral("throttle"), 200000}}));
        f.createTask(id, demo.url(starV1));
        QTRY_VERIFY_WITH_TIMEOUT(f.packageBytes(id) > 0, 10000);
        f.thread->clearGameData(id, false);

        QVERIFY(!f.store->hasTask(id));
        QTRY_VERIFY(f.thread->runningProducts().isEmpty());
        QTRY_COMPARE(f.countNotices(id, 0, QStringLiteral("huoquyouxi")), 2);
        QTRY_VERIFY(!QFileInfo::exists(f.productDir(id)));
        QCOMPARE(f.systemPageCalls->count(), 2);
        QCOMPARE(f.systemPageCalls->at(0).at(0).toString(), QStringLiteral("clearLocalDataSuccess()"));
        QStringList mainCalls;
        for (const QList<QVariant> &call : *f.mainPageCalls)
            mainCalls << call.at(0).toString();
        QCOMPARE(mainCalls, QStringList({QStringLiteral("setHasSelectInstall(\" localHasClear \")"),
                                         QStringLiteral("getProductInfoByProductCode()")}));
        QTest::qWait(300);
        QVERIFY(!f.store->hasTask(id));
    }

    // Removing the download list entry stores 6 at once; the aborted transfer then reports like a pause.
    void deleteDownLoadTaskDuringADownload()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        QVERIFY(demo.control({{QStringLiteral("throttle"), 200000}}));
        f.createTask(id, demo.url(starV1));
        QTRY_VERIFY_WITH_TIMEOUT(f.packageBytes(id) > 0, 10000);
        const int before = f.notices.size();
        f.thread->deleteDownLoadTask(id);
        QCOMPARE(f.notices.at(before).status, 6);
        QCOMPARE(f.notices.at(before).tips, QStringLiteral("kaishixiazai"));
        QTRY_VERIFY(f.thread->runningProducts().isEmpty());
        QTRY_COMPARE(f.noticesOf(id).last().tips, QStringLiteral("yizanting"));
        QCOMPARE(f.status(id), QStringLiteral("4"));
        QCOMPARE(f.task(id).value(QStringLiteral("downSize")), QString::number(f.packageBytes(id)));
    }

    void libraryCommands()
    {
        PipelineFixture f;
        f.thread->addGameToMy(QStringLiteral("11"), QStringLiteral("A"), QStringLiteral("http://x/a.zip"),
                              QString(), QString(), QString(), QStringLiteral("0"), QString());
        f.thread->addGameToMy(QStringLiteral("12"), QStringLiteral("B"),
                              QStringLiteral("itms-services://?action=download-manifest"), QString(),
                              QString(), QString(), QStringLiteral("0"), QString());
        QCOMPARE(f.status(QStringLiteral("11")), QStringLiteral("6"));
        QCOMPARE(f.status(QStringLiteral("12")), QStringLiteral("11"));
        // A known product stays as it is.
        f.thread->addGameToMy(QStringLiteral("12"), QStringLiteral("B"), QStringLiteral("http://x/b.zip"),
                              QString(), QString(), QString(), QStringLiteral("0"), QString());
        QCOMPARE(f.status(QStringLiteral("12")), QStringLiteral("11"));
        f.thread->pauseTask(QStringLiteral("11")); // nothing runs: nothing changes
        QCOMPARE(f.status(QStringLiteral("11")), QStringLiteral("6"));
        f.writeFile(QStringLiteral("Data/download/games/11/keep.zip"), "bytes");
        f.thread->deleteMyGame(QStringLiteral("11"));
        QVERIFY(!f.store->hasTask(QStringLiteral("11")));
        QVERIFY(QFileInfo::exists(f.productDir(QStringLiteral("11")) + QStringLiteral("/keep.zip")));
        QVERIFY(f.notices.isEmpty());
    }

    void lowDiskSpace_data()
    {
        QTest::addColumn<double>("freeFactor");
        QTest::addColumn<bool>("extracts");
        QTest::newRow("under twice the package: warnings, no extraction") << 1.5 << false;
        QTest::newRow("between twice and six times: warnings stop at the check") << 3.0 << true;
    }

    void lowDiskSpace()
    {
        QFETCH(double, freeFactor);
        QFETCH(bool, extracts);
        PipelineFixture f;
        QSignalSpy onlyTips(f.thread.get(), &ManageThread::spaceWarnOnlyTips);
        const QString id = QStringLiteral("1001");
        platform::setFreeSpaceOverride(qint64(starSize * freeFactor));
        f.createTask(id, demo.url(starV1));
        QTRY_COMPARE_WITH_TIMEOUT(f.status(id), extracts ? QStringLiteral("5") : QStringLiteral("2"), 30000);
        if (extracts) {
            QVERIFY(f.spaceWarnings->isEmpty());
            QVERIFY(hasProgressNotice(f, id));
            QVERIFY(onlyTips.isEmpty());
        } else {
            // Every progress event warns instead of showing progress; the transfer still completes.
            QVERIFY(!f.spaceWarnings->isEmpty());
            QCOMPARE(f.spaceWarnings->at(0).at(0).toString(), id);
            QVERIFY(!hasProgressNotice(f, id));
            QTRY_COMPARE(onlyTips.count(), 1);
            QVERIFY(f.hasNotice(id, 2, QStringLiteral("wufaanzhuang")));
            QVERIFY(!QFileInfo::exists(f.installDir(id) + QStringLiteral("/bin/game.exe")));
            QCOMPARE(f.packageBytes(id), starSize);
        }
    }

    void unopenablePackageFileEndsAtOnce()
    {
        PipelineFixture f;
        const QString id = QStringLiteral("1001");
        f.createTask(id, demo.url(starV1));
        // Let the first start go, then point a new start at a path under a regular file.
        QTRY_VERIFY_WITH_TIMEOUT(f.status(id) == QLatin1String("5"), 30000);
        f.writeFile(QStringLiteral("blocker"), "a file, not a directory");
        tasks::TaskRecord task = f.task(id);
        task.insert(QStringLiteral("totalSize"), QStringLiteral("0"));
        const int requestsBefore = demo.requests().size();
        QVERIFY(f.thread->startDownloadTask(task, f.appDir + QStringLiteral("/blocker/pkg.zip"), 0));
        QTRY_COMPARE(f.status(id), QStringLiteral("3"));
        QTRY_COMPARE(f.errors->count(), 1);
        QCOMPARE(f.errors->at(0).at(1).toString(), QStringLiteral("无法打开文件"));
        QTest::qWait(200);
        QCOMPARE(demo.requests().size(), requestsBefore);
        QCOMPARE(f.countNotices(id, 2, QStringLiteral("zhunbeianzhuang")), 1);
    }
};

QTEST_GUILESS_MAIN(TestPipelineDownloads)
#include "test_pipeline_downloads.moc"
