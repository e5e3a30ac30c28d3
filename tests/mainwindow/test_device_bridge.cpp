// The Android device bridge inside the real main window: the storefront's phone actions reach the
// stand-in adb and its answers come back as page calls; closing the window ends the process only after
// the task manager and the bridge have both finished.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "devices/AdbThread.h"
#include "tasks/ManageThread.h"
#include "ui/CWebPage.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QJsonArray>
#include <QSignalSpy>

#include <signal.h>

using namespace mwtest;

class TestDeviceBridge : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    QTemporaryDir m_adbDir;
    MorvuSDKKFWinApp *m_window = nullptr;

    QWebEnginePage *page() const { return m_window->mainView()->page(); }

    void doAction(const QString &action, const QString &dataJson)
    {
        runJs(page(), QStringLiteral("doAction(") + jscall::singleQuoted(action) + QLatin1Char(',') +
                          dataJson + QStringLiteral(")"));
    }

    // The stand-in adb answers "devices" with the recorded listing (nothing: no answer file).
    void answerDevicesWith(const QString &recording)
    {
        QFile::remove(m_adbDir.filePath(QStringLiteral("devices.out")));
        if (!recording.isEmpty())
            QVERIFY(QFile::copy(QStringLiteral(LAUNCHER_SOURCE_DIR "/tests/devices/testdata/") + recording,
                                m_adbDir.filePath(QStringLiteral("devices.out"))));
    }

    // The arguments of every stand-in adb call so far.
    QList<QStringList> adbCalls()
    {
        QFile file(m_adbDir.filePath(QStringLiteral("calls.txt")));
        QList<QStringList> calls;
        if (!file.open(QIODevice::ReadOnly))
            return calls;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            QStringList arguments = QString::fromUtf8(line).split(QChar(0x1F));
            arguments.removeLast();
            calls << arguments;
        }
        return calls;
    }

    // The page calls named fn made after the first `from` calls, each as its arguments.
    QList<QJsonArray> callsOf(const QString &fn, int from)
    {
        QList<QJsonArray> found;
        const QJsonArray calls = nativeCalls(page());
        for (int i = from; i < calls.size(); ++i) {
            const QJsonObject call = calls.at(i).toObject();
            if (call.value(QStringLiteral("fn")).toString() == fn)
                found << call.value(QStringLiteral("args")).toArray();
        }
        return found;
    }

    int callCount() { return nativeCalls(page()).size(); }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY(m_adbDir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost(), QStringLiteral("\"lang\": \"zh\"")));
        useApplicationDir(m_dir.path());
        useStandinAdb();
        qputenv("ADB_STANDIN_DIR", QFile::encodeName(m_adbDir.path()));
        QVERIFY(m_service.control("{\"reset\": true}"));

        m_window = new MorvuSDKKFWinApp;
        QVERIFY(m_window->deviceBridge());
        QVERIFY(m_window->deviceBridge()->isRunning());
        m_window->loadMainPage(QString(), QString());
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->windowOpacity() == 1.0 && !m_window->waitScreenWindow()->isVisible(), 30000);
        QVERIFY(waitForJs(page(), QStringLiteral("document.body.dataset.ready === '1'")));
    }

    void cleanupTestCase()
    {
        delete m_window;
        m_window = nullptr;
    }

    // "checkDevices" runs the listing on the phones adb reports; the page hears the list, then the status.
    void listingReachesThePage_data()
    {
        QTest::addColumn<QString>("recording");
        QTest::addColumn<QStringList>("serials");
        QTest::addColumn<int>("status");
        QTest::newRow("two phones") << "two_devices.txt"
                                    << QStringList{QStringLiteral("R5CT20ABCDE"),
                                                   QStringLiteral("emulator-5554")}
                                    << 2;
        QTest::newRow("only the ready phone of many")
            << "not_ready_devices.txt" << QStringList{QStringLiteral("0B201JEC203456")} << 2;
        QTest::newRow("no phone") << "no_devices.txt" << QStringList{} << 1;
        QTest::newRow("adb prints nothing at all") << QString() << QStringList{} << 1;
    }

    void listingReachesThePage()
    {
        QFETCH(QString, recording);
        QFETCH(QStringList, serials);
        QFETCH(int, status);
        answerDevicesWith(recording);
        const int from = callCount();
        doAction(QStringLiteral("checkDevices"), QStringLiteral("{}"));
        QTRY_COMPARE_WITH_TIMEOUT(callsOf(QStringLiteral("channgeUsbStatus"), from).size(), 1, 15000);

        QCOMPARE(callsOf(QStringLiteral("channgeUsbStatus"), from).first().at(0).toString(),
                 QString::number(status));
        const QList<QJsonArray> lists = callsOf(QStringLiteral("setUsbDevices"), from);
        QCOMPARE(lists.size(), 1);
        const QByteArray json = QByteArray::fromBase64(lists.first().at(0).toString().toLatin1());
        QStringList listed;
        for (const QJsonValue &device : QJsonDocument::fromJson(json).array())
            listed << device.toObject().value(QStringLiteral("deviceType")).toString();
        QCOMPARE(listed, serials);
        // The page keeps what it was told.
        QCOMPARE(runJs(page(), QStringLiteral("document.getElementById('usbButton').classList.contains("
                                              "'connected')"))
                     .toBool(),
                 status == 2);
        QVERIFY(adbCalls().contains(QStringList{QStringLiteral("devices"), QStringLiteral("-l")}));
    }

    // "startAndroidApp" starts the activity on the default phone; the page hears the bridge's notice.
    void startReachesThePhone()
    {
        answerDevicesWith(QStringLiteral("one_device.txt"));
        int from = callCount();
        doAction(QStringLiteral("checkDevices"), QStringLiteral("{}"));
        QTRY_COMPARE_WITH_TIMEOUT(callsOf(QStringLiteral("channgeUsbStatus"), from).size(), 1, 15000);
        doAction(QStringLiteral("changeDefaultDevice"), QStringLiteral("{deviceType:'0B201JEC203456'}"));

        QFile shellOut(m_adbDir.filePath(QStringLiteral("shell.out")));
        QVERIFY(shellOut.open(QIODevice::WriteOnly));
        shellOut.write("Starting: Intent { cmp=com.demo.run/.Main }\n");
        shellOut.close();

        from = callCount();
        doAction(QStringLiteral("startAndroidApp"),
                 QStringLiteral("{productId:'3001',package:'com.demo.run',startcmd:'com.demo.run.Main'}"));
        const QStringList expected{QStringLiteral("-s"),
                                   QStringLiteral("0B201JEC203456"),
                                   QStringLiteral("shell"),
                                   QStringLiteral("am"),
                                   QStringLiteral("start"),
                                   QStringLiteral("-n"),
                                   QStringLiteral("com.demo.run/com.demo.run.Main")};
        QTRY_VERIFY_WITH_TIMEOUT(adbCalls().contains(expected), 15000);
        // First the waiting notice, then the started one (status 5, no error text).
        QTRY_VERIFY(callsOf(QStringLiteral("changeDownLoadStatus"), from).size() >= 2);
        const QJsonArray started = callsOf(QStringLiteral("changeDownLoadStatus"), from).last();
        QCOMPARE(started.at(1).toString(), QStringLiteral("3001"));
        QCOMPARE(started.at(3).toString(), QStringLiteral("5"));
        QCOMPARE(started.at(7).toString(), QString());
    }

    // The chosen phone comes back to the page as it was sent, whatever its characters.
    void defaultChoiceEchoed_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::newRow("listed phone") << QStringLiteral("emulator-5554");
        QTest::newRow("quotes and backslash") << QStringLiteral("a'b\"c\\d");
        QTest::newRow("script end and line break") << QStringLiteral("</script>\n);alert(1);//");
        QTest::newRow("non-Latin") << QString::fromUtf8("手机\u2028一");
    }

    void defaultChoiceEchoed()
    {
        QFETCH(QString, serial);
        const int from = callCount();
        runJs(page(), QStringLiteral("doAction('changeDefaultDevice', {deviceType: ") +
                          jscall::singleQuoted(serial) + QStringLiteral("})"));
        QTRY_COMPARE_WITH_TIMEOUT(callsOf(QStringLiteral("choseDefaultDevice"), from).size(), 1, 10000);
        QCOMPARE(callsOf(QStringLiteral("choseDefaultDevice"), from).first().at(0).toString(), serial);
    }

    // Closing while adb hangs in a listing: the bridge kills it, and the process leaves its event loop only
    // once both worker threads have finished.
    void closeWaitsForBothThreads()
    {
        QFile hang(m_adbDir.filePath(QStringLiteral("devices.hang")));
        QVERIFY(hang.open(QIODevice::WriteOnly));
        hang.close();
        QFile::remove(m_adbDir.filePath(QStringLiteral("devices.pid")));
        answerDevicesWith(QStringLiteral("two_devices.txt"));
        doAction(QStringLiteral("checkDevices"), QStringLiteral("{}"));
        auto hangingAdb = [this] {
            QFile pidFile(m_adbDir.filePath(QStringLiteral("devices.pid")));
            return pidFile.open(QIODevice::ReadOnly) ? pidFile.readAll().trimmed().toLongLong() : 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(hangingAdb() > 0, 10000);
        const qint64 adbPid = hangingAdb();

        QApi::instance()->setSystemConfValue(QStringLiteral("closeAction"), QStringLiteral("2"));
        QSignalSpy managerQuit(m_window, &MorvuSDKKFWinApp::wantManageThreadQuit);
        QSignalSpy bridgeQuit(m_window, &MorvuSDKKFWinApp::wantAdbThreadQuit);
        ManageThread *manager = m_window->taskManager();
        AdbThread *bridge = m_window->deviceBridge();
        bool bothFinishedAtExit = false;
        QObject guard;
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &guard,
                [&] { bothFinishedAtExit = manager->isFinished() && bridge->isFinished(); });
        QTimer::singleShot(0, m_window, [this] { m_window->closeApplication(false); });
        // A close that never ends the loop shows up as exit code 99.
        QTimer::singleShot(30000, &guard, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);

        QCOMPARE(managerQuit.count(), 1);
        QCOMPARE(bridgeQuit.count(), 1);
        QVERIFY(bothFinishedAtExit);
        QVERIFY(!m_window->isVisible());
        // The hanging adb went with the bridge.
        QTRY_VERIFY(::kill(static_cast<pid_t>(adbPid), 0) != 0);
    }
};

QTEST_MAIN(TestDeviceBridge)
#include "test_device_bridge.moc"
