#include "baselibs/json/QtJson.h"
#include "devices/AdbThread.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString standinDir = QStringLiteral(LAUNCHER_SOURCE_DIR "/tests/devices/standin");
const QString testdataDir = QStringLiteral(LAUNCHER_SOURCE_DIR "/tests/devices/testdata/");
const QString phoneA = QStringLiteral("R5CT20ABCDE");
const QString phoneB = QStringLiteral("emulator-5554");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The stand-in adb's answers and its record of calls, in a fresh folder per test (ADB_STANDIN_DIR).
class StandinAdb
{
public:
    StandinAdb() { qputenv("ADB_STANDIN_DIR", dir.path().toUtf8()); }
    ~StandinAdb() { qunsetenv("ADB_STANDIN_DIR"); }

    bool isValid() const { return dir.isValid(); }
    QString path(const QString &name) const { return dir.filePath(name); }

    void answer(const QString &command, const QByteArray &out, const QByteArray &err = {}, int code = 0)
    {
        writeFile(path(command + QStringLiteral(".out")), out);
        writeFile(path(command + QStringLiteral(".err")), err);
        writeFile(path(command + QStringLiteral(".rc")), QByteArray::number(code));
    }
    void answerFromFile(const QString &command, const QString &testdataName)
    {
        answer(command, readFile(testdataDir + testdataName));
    }
    void fallSilent(const QString &command) { writeFile(path(command + QStringLiteral(".hang")), {}); }

    QList<QStringList> calls() const
    {
        QList<QStringList> result;
        const QList<QByteArray> lines = readFile(path(QStringLiteral("calls.txt"))).split('\n');
        for (const QByteArray &line : lines) {
            if (line.isEmpty())
                continue;
            QStringList arguments = QString::fromUtf8(line).split(QChar(0x1F));
            arguments.removeLast(); // every argument ends with the separator
            result << arguments;
        }
        return result;
    }
    // The process id of the last run of command, 0 before it started.
    qint64 pid(const QString &command) const
    {
        return readFile(path(command + QStringLiteral(".pid"))).trimmed().toLongLong();
    }

private:
    QTemporaryDir dir;
};

bool processGone(qint64 pid)
{
    return pid > 0 && !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

struct Notice
{
    QString action, id;
    int status;
    QString tips, rate, runRate;
    bool showDisable;
    QString downSizeRate;
};

struct InstallReport
{
    QString productId;
    int status;
    QString tips, error;
};

// Collects what the bridge reports, on the test's thread (the signals arrive queued).
class Recorder : public QObject
{
    Q_OBJECT

public:
    explicit Recorder(AdbThread *bridge)
    {
        connect(bridge, &AdbThread::changeUSBStatus, this, [this](int s) { usbStatus << s; });
        connect(bridge, &AdbThread::getUSBdevices, this, [this](const QString &s) { deviceLists << s; });
        connect(bridge, &AdbThread::choseDefaultDevice, this, [this](const QString &s) { chosen << s; });
        connect(bridge, &AdbThread::installStatus, this,
                [this](const QString &id, int status, const QString &tips, const QString &error) {
                    installs << InstallReport{id, status, tips, error};
                });
        connect(bridge, &AdbThread::updateDownloadTaskStatus, this,
                [this](const QString &action, const QString &id, int status, const QString &tips,
                       const QString &rate, const QString &runRate, bool showDisable, const QString &size) {
                    notices << Notice{action, id, status, tips, rate, runRate, showDisable, size};
                });
    }

    QList<int> usbStatus;
    QStringList deviceLists;
    QStringList chosen;
    QList<InstallReport> installs;
    QList<Notice> notices;
};

// A published device list as "serial|model|1 or 0" per entry, read back from its Base64 JSON.
QStringList entriesOf(const QString &base64)
{
    json::Array list;
    if (!list.parse(QByteArray::fromBase64(base64.toLatin1()).toStdString()))
        return {QStringLiteral("unreadable")};
    QStringList entries;
    for (size_t i = 0; i < list.size(); ++i) {
        const json::Object &entry = list.get<json::Object>(i);
        entries << json::toQString(entry.get<json::String>("deviceType")) + QLatin1Char('|') +
                       json::toQString(entry.get<json::String>("deviceName")) + QLatin1Char('|') +
                       (entry.get<json::Boolean>("isDefault") ? QLatin1Char('1') : QLatin1Char('0'));
    }
    return entries;
}

} // namespace

class TestAdbThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        originalPath = qgetenv("PATH");
        testPath = standinDir.toUtf8() + ':' + originalPath;
        qputenv("PATH", testPath);
        QVERIFY(QFileInfo(standinDir + QStringLiteral("/adb")).isExecutable());
    }

    // A test that changed PATH gives the stand-in back to the next one, even when it failed.
    void cleanup() { qputenv("PATH", testPath); }

    void cleanupTestCase() { qputenv("PATH", originalPath); }

    void listing_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("daemonMessages");
        QTest::addColumn<QString>("chosenBefore");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("status");

        const QString a = phoneA + QStringLiteral("|SM_A525F|");
        const QString b = phoneB + QStringLiteral("|Android_SDK_built_for_x86|");
        const QString none;
        QTest::newRow("one phone becomes the default")
            << "one_device.txt" << none << none << QStringList{"0B201JEC203456|Pixel_5|1"} << 2;
        QTest::newRow("first of two becomes the default")
            << "two_devices.txt" << none << none << QStringList{a + "1", b + "0"} << 2;
        QTest::newRow("an earlier choice keeps the mark")
            << "two_devices.txt" << none << phoneB << QStringList{a + "0", b + "1"} << 2;
        QTest::newRow("a chosen phone that is gone stays the default")
            << "two_devices.txt" << none << QStringLiteral("GONE0001") << QStringList{a + "0", b + "0"} << 2;
        QTest::newRow("only ready phones are listed")
            << "not_ready_devices.txt" << QStringLiteral("daemon_started.err") << none
            << QStringList{"0B201JEC203456|Pixel_5|1"} << 2;
        QTest::newRow("no phone") << "no_devices.txt" << QStringLiteral("daemon_started.err") << none
                                  << QStringList{} << 1;
    }

    void listing()
    {
        QFETCH(QString, answer);
        QFETCH(QString, daemonMessages);
        QFETCH(QString, chosenBefore);
        QFETCH(QStringList, expected);
        QFETCH(int, status);

        StandinAdb adb;
        QVERIFY(adb.isValid());
        adb.answer(QStringLiteral("devices"), readFile(testdataDir + answer),
                   daemonMessages.isEmpty() ? QByteArray() : readFile(testdataDir + daemonMessages));
        AdbThread bridge;
        Recorder recorder(&bridge);
        if (!chosenBefore.isEmpty())
            bridge.changeDefaultDevice(chosenBefore);
        bridge.start();
        bridge.checkDevices();

        QTRY_COMPARE_WITH_TIMEOUT(recorder.usbStatus, QList<int>{status}, 10000);
        QCOMPARE(recorder.deviceLists.size(), 1);
        QCOMPARE(entriesOf(recorder.deviceLists.first()), expected);
        QCOMPARE(adb.calls(), (QList<QStringList>{{"devices", "-l"}}));
    }

    void pageReceivesCompactBase64()
    {
        StandinAdb adb;
        adb.answerFromFile(QStringLiteral("devices"), QStringLiteral("one_device.txt"));
        AdbThread bridge;
        Recorder recorder(&bridge);
        bridge.start();
        bridge.checkDevices();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.deviceLists.size(), 1, 10000);
        const QByteArray text = QByteArray::fromBase64(recorder.deviceLists.first().toLatin1(),
                                                       QByteArray::AbortOnBase64DecodingErrors);
        QCOMPARE(
            text,
            QByteArray(R"([{"deviceName":"Pixel_5","deviceType":"0B201JEC203456","isDefault":true } ] )"));

        adb.answerFromFile(QStringLiteral("devices"), QStringLiteral("no_devices.txt"));
        bridge.checkDevices();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.deviceLists.size(), 2, 10000);
        QCOMPARE(QByteArray::fromBase64(recorder.deviceLists.last().toLatin1()), QByteArray("[] "));
    }

    // The first phone listed becomes the default; a choice moves the mark and the target of installs.
    void defaultFollowsTheChoice()
    {
        StandinAdb adb;
        adb.answerFromFile(QStringLiteral("devices"), QStringLiteral("two_devices.txt"));
        adb.answer(QStringLiteral("install"), "Success\n");
        QTemporaryDir packages;
        const QString apk = packages.filePath(QStringLiteral("game.apk"));
        QVERIFY(writeFile(apk, "apk"));
        AdbThread bridge;
        Recorder recorder(&bridge);
        bridge.start();

        bridge.checkDevices();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.deviceLists.size(), 1, 10000);
        QCOMPARE(entriesOf(recorder.deviceLists.last()).value(0).right(1), QStringLiteral("1"));

        bridge.changeDefaultDevice(phoneB);
        QTRY_COMPARE(recorder.chosen, QStringList{phoneB});
        bridge.checkDevices();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.deviceLists.size(), 2, 10000);
        QCOMPARE(entriesOf(recorder.deviceLists.last()),
                 (QStringList{phoneA + "|SM_A525F|0", phoneB + "|Android_SDK_built_for_x86|1"}));

        bridge.checkDeviceCanInstall(QStringLiteral("42"), apk, QStringLiteral("com.morvu.game"));
        QTRY_COMPARE_WITH_TIMEOUT(recorder.installs.size(), 1, 10000);
        QCOMPARE(adb.calls().last().mid(0, 3), (QStringList{"-s", phoneB, "install"}));
    }

    // Checks asked for while one is still queued make one listing; requests are served in order.
    void queuedChecksMakeOneListing()
    {
        StandinAdb adb;
        adb.answerFromFile(QStringLiteral("devices"), QStringLiteral("no_devices.txt"));
        AdbThread bridge;
        Recorder recorder(&bridge);
        bridge.checkDevices();
        bridge.checkDevices();
        bridge.checkDeviceCanInstall(QStringLiteral("7"), QStringLiteral("/nowhere/game.apk"),
                                     QStringLiteral("com.morvu.game"));
        bridge.checkDevices();
        bridge.start();

        QTRY_COMPARE_WITH_TIMEOUT(recorder.installs.size(), 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.usbStatus.size(), 1, 10000);
        QTest::qWait(200);
        QCOMPARE(recorder.usbStatus.size(), 1);
        QCOMPARE(adb.calls().size(), 1);
    }

    void install_data()
    {
        QTest::addColumn<bool>("hasDevice");
        QTest::addColumn<bool>("packageExists");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("tips");
        QTest::addColumn<QString>("errorPart"); // empty: no error text at all
        QTest::addColumn<bool>("adbRuns");

        const QString installed = QStringLiteral("qidongyouxi");
        const QString failed = QStringLiteral("安装失败");
        QTest::newRow("installed") << true << true << QByteArray("Performing Streamed Install\nSuccess\n")
                                   << QByteArray() << 0 << 5 << installed << "" << true;
        QTest::newRow("refused by the phone")
            << true << true << QByteArray("Performing Streamed Install\n")
            << QByteArray("adb: failed to install game.apk: Failure [INSTALL_FAILED_UPDATE_INCOMPATIBLE: "
                          "Package com.morvu.game signatures do not match]\n")
            << 1 << 9 << failed << "INSTALL_FAILED_UPDATE_INCOMPATIBLE" << true;
        QTest::newRow("failure reported with exit code 0")
            << true << true << QByteArray("Failure [INSTALL_FAILED_INSUFFICIENT_STORAGE]\n") << QByteArray()
            << 0 << 9 << failed << "INSTALL_FAILED_INSUFFICIENT_STORAGE" << true;
        QTest::newRow("phone unplugged")
            << true << true << QByteArray() << QByteArray("adb: device 'R5CT20ABCDE' not found\n") << 1 << 9
            << failed << "not found" << true;
        QTest::newRow("silent failure")
            << true << true << QByteArray() << QByteArray() << 255 << 9 << failed << "255" << true;
        QTest::newRow("no phone") << false << true << QByteArray() << QByteArray() << 0 << 9 << failed
                                  << "USB" << false;
        QTest::newRow("package file gone") << true << false << QByteArray() << QByteArray() << 0 << 9
                                           << failed << "game's $(id).apk" << false;
    }

    void install()
    {
        QFETCH(bool, hasDevice);
        QFETCH(bool, packageExists);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, exitCode);
        QFETCH(int, status);
        QFETCH(QString, tips);
        QFETCH(QString, errorPart);
        QFETCH(bool, adbRuns);

        StandinAdb adb;
        adb.answer(QStringLiteral("install"), out, err, exitCode);
        QTemporaryDir packages;
        // Spaces, quotes and shell syntax in the path must reach adb as one argument.
        const QString apk = packages.filePath(QStringLiteral("my game's $(id).apk"));
        if (packageExists)
            QVERIFY(writeFile(apk, "apk"));
        AdbThread bridge;
        Recorder recorder(&bridge);
        if (hasDevice)
            bridge.changeDefaultDevice(phoneA);
        bridge.start();
        bridge.checkDeviceCanInstall(QStringLiteral("1001"), apk, QStringLiteral("com.morvu.game"));

        QTRY_COMPARE_WITH_TIMEOUT(recorder.installs.size(), 1, 10000);
        const InstallReport report = recorder.installs.first();
        QCOMPARE(report.productId, QStringLiteral("1001"));
        QCOMPARE(report.status, status);
        QCOMPARE(report.tips, tips);
        if (errorPart.isEmpty())
            QCOMPARE(report.error, QString());
        else
            QVERIFY2(report.error.contains(errorPart), qPrintable(report.error));
        const QList<QStringList> expectedCalls{{"-s", phoneA, "install", "-r", apk}};
        QCOMPARE(adb.calls(), adbRuns ? expectedCalls : QList<QStringList>{});
    }

    void start_data()
    {
        QTest::addColumn<bool>("hasDevice");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("activity");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("command"); // what follows "-s SERIAL shell"; empty: adb must not run
        QTest::addColumn<QString>("tips");
        QTest::addColumn<QString>("errorPart");

        const QString started = QStringLiteral("qidongyouxi");
        const QString failed = QStringLiteral("qidongshibai");
        const QStringList named{"am", "start", "-n", "com.morvu.game/.MainActivity"};
        const QStringList launcher{"am",
                                   "start",
                                   "-a",
                                   "android.intent.action.MAIN",
                                   "-c",
                                   "android.intent.category.LAUNCHER",
                                   "com.morvu.game"};
        QTest::newRow("named activity")
            << true << "com.morvu.game"
            << ".MainActivity" << QByteArray("Starting: Intent { cmp=com.morvu.game/.MainActivity }\n") << 0
            << named << started << "";
        QTest::newRow("launcher activity")
            << true << "com.morvu.game"
            << "" << QByteArray("Starting: Intent { act=android.intent.action.MAIN }\n") << 0 << launcher
            << started << "";
        QTest::newRow("activity missing on the phone")
            << true << "com.morvu.game"
            << ".MainActivity"
            << QByteArray(
                   "Starting: Intent { cmp=com.morvu.game/.MainActivity }\nError type 3\nError: Activity "
                   "class {com.morvu.game/.MainActivity} does not exist.\n")
            << 0 << named << failed << "does not exist";
        QTest::newRow("app not installed")
            << true << "com.morvu.game"
            << "" << QByteArray("Error: Activity not started, unable to resolve Intent\n") << 1 << launcher
            << failed << "unable to resolve";
        QTest::newRow("shell text in the package")
            << true << "com.morvu.game;reboot"
            << ".Main" << QByteArray() << 0 << QStringList{} << failed << "com.morvu.game;reboot";
        QTest::newRow("shell text in the activity")
            << true << "com.morvu.game"
            << ".Main $(reboot)" << QByteArray() << 0 << QStringList{} << failed << "$(reboot)";
        QTest::newRow("no phone") << false << "com.morvu.game"
                                  << ".MainActivity" << QByteArray() << 0 << QStringList{} << failed << "USB";
    }

    void start()
    {
        QFETCH(bool, hasDevice);
        QFETCH(QString, package);
        QFETCH(QString, activity);
        QFETCH(QByteArray, out);
        QFETCH(int, exitCode);
        QFETCH(QStringList, command);
        QFETCH(QString, tips);
        QFETCH(QString, errorPart);

        StandinAdb adb;
        adb.answer(QStringLiteral("shell"), out, {}, exitCode);
        AdbThread bridge;
        Recorder recorder(&bridge);
        if (hasDevice)
            bridge.changeDefaultDevice(phoneB);
        bridge.start();
        bridge.adbStartAndroidApp(QStringLiteral("2002"), package, activity);

        QTRY_COMPARE_WITH_TIMEOUT(recorder.notices.size(), 2, 10000);
        const Notice waiting = recorder.notices.at(0);
        QCOMPARE(waiting.action, QStringLiteral("downGame"));
        QCOMPARE(waiting.id, QStringLiteral("2002"));
        QCOMPARE(waiting.status, 8);
        QCOMPARE(waiting.tips, QStringLiteral("等待启动.."));
        QCOMPARE(waiting.rate, QStringLiteral("100"));
        QVERIFY(waiting.showDisable);

        const Notice result = recorder.notices.at(1);
        QCOMPARE(result.id, QStringLiteral("2002"));
        QCOMPARE(result.status, 5);
        QCOMPARE(result.tips, tips);
        QVERIFY(!result.showDisable);
        if (errorPart.isEmpty())
            QCOMPARE(result.downSizeRate, QString());
        else
            QVERIFY2(result.downSizeRate.contains(errorPart), qPrintable(result.downSizeRate));
        const QList<QStringList> expectedCalls{QStringList{"-s", phoneB, "shell"} + command};
        QCOMPARE(adb.calls(), command.isEmpty() ? QList<QStringList>{} : expectedCalls);
    }

    // An adb that stops answering ends the listing at the bound, with what it printed before.
    void silentAdbEndsAtTheBound_data()
    {
        QTest::addColumn<QString>("printedFirst");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("status");
        QTest::newRow("prints nothing") << "" << QStringList{} << 1;
        QTest::newRow("lists a phone, then falls silent")
            << "one_device.txt" << QStringList{"0B201JEC203456|Pixel_5|1"} << 2;
    }

    void silentAdbEndsAtTheBound()
    {
        QFETCH(QString, printedFirst);
        QFETCH(QStringList, expected);
        QFETCH(int, status);

        StandinAdb adb;
        adb.answer(QStringLiteral("devices"),
                   printedFirst.isEmpty() ? QByteArray() : readFile(testdataDir + printedFirst));
        adb.fallSilent(QStringLiteral("devices"));
        AdbThread bridge;
        AdbThread::Timing timing;
        timing.listingTimeoutMs = 1000;
        bridge.setTiming(timing);
        Recorder recorder(&bridge);
        bridge.start();
        QElapsedTimer elapsed;
        elapsed.start();
        bridge.checkDevices();

        QTRY_COMPARE_WITH_TIMEOUT(recorder.usbStatus, QList<int>{status}, 10000);
        QVERIFY2(elapsed.elapsed() >= 900, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(entriesOf(recorder.deviceLists.value(0)), expected);
        QTRY_VERIFY(processGone(adb.pid(QStringLiteral("devices"))));
    }

    // Quit ends the thread promptly whatever it is doing; a running adb is killed and reports nothing.
    void quitEndsTheThreadPromptly_data()
    {
        QTest::addColumn<QString>("busyWith"); // the adb command running at quit, or empty for idle
        QTest::newRow("idle") << "";
        QTest::newRow("while listing") << "devices";
        QTest::newRow("while installing") << "install";
        QTest::newRow("while starting an app") << "shell";
    }

    void quitEndsTheThreadPromptly()
    {
        QFETCH(QString, busyWith);

        StandinAdb adb;
        QTemporaryDir packages;
        const QString apk = packages.filePath(QStringLiteral("game.apk"));
        QVERIFY(writeFile(apk, "apk"));
        AdbThread bridge;
        Recorder recorder(&bridge);
        bridge.changeDefaultDevice(phoneA);
        bridge.start();
        if (!busyWith.isEmpty()) {
            adb.fallSilent(busyWith);
            if (busyWith == QLatin1String("devices"))
                bridge.checkDevices();
            else if (busyWith == QLatin1String("install"))
                bridge.checkDeviceCanInstall(QStringLiteral("1"), apk, QStringLiteral("com.morvu.game"));
            else
                bridge.adbStartAndroidApp(QStringLiteral("1"), QStringLiteral("com.morvu.game"), QString());
            QTRY_VERIFY_WITH_TIMEOUT(adb.pid(busyWith) > 0, 10000);
        }

        bridge.wantAdbThreadQuit();
        // Far below every bound of a run (30 s listing and start, 10 min install).
        QVERIFY(bridge.wait(5000));
        if (!busyWith.isEmpty())
            QVERIFY(processGone(adb.pid(busyWith)));
        QTest::qWait(100);
        QVERIFY(recorder.usbStatus.isEmpty());
        QVERIFY(recorder.deviceLists.isEmpty());
        QVERIFY(recorder.installs.isEmpty());
        QVERIFY(recorder.notices.size() <= 1); // at most the "waiting to start" notice
    }

    // The demo puts the stand-in on PATH without answer files: two ready phones, installs and starts work.
    void standinForTheDemo()
    {
        QVERIFY(qEnvironmentVariableIsEmpty("ADB_STANDIN_DIR"));
        QTemporaryDir packages;
        const QString apk = packages.filePath(QStringLiteral("game.apk"));
        QVERIFY(writeFile(apk, "apk"));
        AdbThread bridge;
        Recorder recorder(&bridge);
        bridge.start();
        bridge.checkDevices();
        QTRY_COMPARE_WITH_TIMEOUT(recorder.usbStatus, QList<int>{2}, 10000);
        QCOMPARE(entriesOf(recorder.deviceLists.first()),
                 (QStringList{phoneA + "|SM_A525F|1", phoneB + "|Android_SDK_built_for_x86|0"}));

        bridge.checkDeviceCanInstall(QStringLiteral("3"), apk, QStringLiteral("com.morvu.game"));
        bridge.adbStartAndroidApp(QStringLiteral("3"), QStringLiteral("com.morvu.game"), QString());
        QTRY_COMPARE_WITH_TIMEOUT(recorder.notices.size(), 2, 10000);
        QCOMPARE(recorder.installs.size(), 1);
        QCOMPARE(recorder.installs.first().status, 5);
        QCOMPARE(recorder.notices.last().tips, QStringLiteral("qidongyouxi"));
    }

    // Without adb on the machine, requests end at once (the waits above are far below the bounds).
    void missingAdbEndsAtOnce_data()
    {
        QTest::addColumn<bool>("listing");
        QTest::newRow("listing") << true;
        QTest::newRow("install") << false;
    }

    void missingAdbEndsAtOnce()
    {
        QFETCH(bool, listing);

        QTemporaryDir emptyPath;
        QTemporaryDir packages;
        const QString apk = packages.filePath(QStringLiteral("game.apk"));
        QVERIFY(writeFile(apk, "apk"));
        qputenv("PATH", emptyPath.path().toUtf8());
        AdbThread bridge;
        Recorder recorder(&bridge);
        bridge.changeDefaultDevice(phoneA);
        bridge.start();
        if (listing)
            bridge.checkDevices();
        else
            bridge.checkDeviceCanInstall(QStringLiteral("5"), apk, QStringLiteral("com.morvu.game"));

        if (listing) {
            QTRY_COMPARE_WITH_TIMEOUT(recorder.usbStatus, QList<int>{1}, 10000);
            QCOMPARE(entriesOf(recorder.deviceLists.value(0)), QStringList());
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(recorder.installs.size(), 1, 10000);
            QCOMPARE(recorder.installs.first().status, 9);
            QVERIFY2(recorder.installs.first().error.contains(QLatin1String("adb")),
                     qPrintable(recorder.installs.first().error));
        }
    }

private:
    QByteArray originalPath;
    QByteArray testPath;
};

QTEST_GUILESS_MAIN(TestAdbThread)
#include "test_adb_thread.moc"
