// The whole road of a game through the real main window and task manager against the local operator
// service: a click on "download" in the storefront, the status notices in order, the installed game
// started; and an exit in the middle of a download that waits for the task manager.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "core/QApi.h"
#include "store/TaskManager.h"
#include "tasks/ManageThread.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QJsonArray>
#include <QSignalSpy>

using namespace mwtest;

class TestDownloadRoad : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    MorvuSDKKFWinApp *m_window = nullptr;
    QString m_launchRecord;

    QWebEnginePage *page() const { return m_window->mainView()->page(); }

    QString cardField(const QString &productId, const QString &field)
    {
        return runJs(page(), QStringLiteral("(document.getElementById('card-") + productId +
                                 QStringLiteral("') || {dataset: {}}).dataset.") + field)
            .toString();
    }

    void clickMain(const QString &productId)
    {
        runJs(page(), QStringLiteral("document.querySelector('#card-") + productId +
                          QStringLiteral(" .btn.main').click()"));
    }

    // The status notices the page received for a product: [status, tips] in order.
    QList<QPair<int, QString>> notices(const QString &productId)
    {
        QList<QPair<int, QString>> list;
        for (const QJsonValue &value : nativeCalls(page())) {
            const QJsonObject call = value.toObject();
            const QJsonArray args = call.value(QStringLiteral("args")).toArray();
            if (call.value(QStringLiteral("fn")).toString() == QLatin1String("changeDownLoadStatus") &&
                args.at(1).toString() == productId)
                list << qMakePair(args.at(3).toVariant().toInt(), args.at(2).toString());
        }
        return list;
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost(), QStringLiteral("\"lang\": \"zh\"")));
        useApplicationDir(m_dir.path());
        m_launchRecord = m_dir.filePath(QStringLiteral("launches.jsonl"));
        qputenv("DEMO_GAME_RECORD", QFile::encodeName(m_launchRecord));
        QVERIFY(m_service.control("{\"reset\": true}"));
        QApi::instance()->setSystemConfValue(QStringLiteral("laucherAppAfter"), QStringLiteral("2"));

        m_window = new MorvuSDKKFWinApp;
        m_window->loadMainPage(QString(), QString());
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->windowOpacity() == 1.0 && !m_window->waitScreenWindow()->isVisible(), 30000);
        QVERIFY(waitForJs(page(), QStringLiteral("document.body.dataset.ready === '1'")));
    }

    void cleanupTestCase()
    {
        delete m_window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void downloadInstallAndStart()
    {
        clickMain(QStringLiteral("1001"));
        QTRY_VERIFY_WITH_TIMEOUT(
            cardField(QStringLiteral("1001"), QStringLiteral("status")) == QLatin1String("5"), 90000);

        // Queued, downloading, downloaded, extracting, installed: in this order, never back.
        const QList<QPair<int, QString>> seen = notices(QStringLiteral("1001"));
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.first(), qMakePair(1, QStringLiteral("kaishixiazai")));
        QCOMPARE(seen.last().first, 5);
        QCOMPARE(seen.last().second, QStringLiteral("qidongyouxi"));
        const QList<int> stages = {1, 2, 7, 5};
        int stage = 0;
        for (const auto &notice : seen) {
            const int at = stages.indexOf(notice.first);
            QVERIFY2(at >= stage,
                     qPrintable(QStringLiteral("status %1 after stage %2").arg(notice.first).arg(stage)));
            stage = at;
        }
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](const auto &n) { return n.first == 2; }));
        QVERIFY(std::any_of(seen.begin(), seen.end(), [](const auto &n) { return n.first == 7; }));
        const QString installed =
            m_dir.filePath(QStringLiteral("Data/download/games/1001/install/bin/game.exe"));
        QVERIFY2(QFileInfo::exists(installed), qPrintable(installed));
        QCOMPARE(TaskManager::instance()->getTask(QStringLiteral("1001")).value(QStringLiteral("nowStatus")),
                 QStringLiteral("5"));

        // The download box heard the same notices: it lists the game.
        QWebEnginePage *box = m_window->downloadBox()->webView()->page();
        QVERIFY(
            waitForJs(box, QStringLiteral("document.getElementsByClassName('downStatus_1001').length > 0")));

        // The installed game starts with the launcher's arguments.
        QTest::qWait(1100); // the page accepts one click per second
        clickMain(QStringLiteral("1001"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(m_launchRecord).size() > 0, 20000);
        QFile record(m_launchRecord);
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QJsonObject launch = QJsonDocument::fromJson(record.readLine()).object();
        QCOMPARE(launch.value(QStringLiteral("productId")).toString(), QStringLiteral("1001"));
        const QString args =
            launch.value(QStringLiteral("args")).toVariant().toStringList().join(QLatin1Char(' '));
        QVERIFY2(args.contains(QStringLiteral("productCode=") + QApi::instance()->productCode),
                 qPrintable(args));
        QVERIFY2(args.contains(QStringLiteral("channelCode=default")), qPrintable(args));
    }

    // Closing while a download runs ends only after the task manager stopped; the task is kept paused.
    void closeDuringDownload()
    {
        QVERIFY(m_service.control("{\"throttle\": 1048576}"));
        QApi::instance()->setSystemConfValue(QStringLiteral("closeAction"), QStringLiteral("2"));
        QTest::qWait(1100);
        clickMain(QStringLiteral("1002"));
        QTRY_VERIFY_WITH_TIMEOUT(cardField(QStringLiteral("1002"), QStringLiteral("status")) ==
                                         QLatin1String("1") &&
                                     cardField(QStringLiteral("1002"), QStringLiteral("rate")).toDouble() > 0,
                                 30000);

        QSignalSpy quit(m_window, &MorvuSDKKFWinApp::wantManageThreadQuit);
        QSignalSpy finished(m_window->taskManager(), &QThread::finished);
        runJs(page(), QStringLiteral("doAction('window_close', {})"));
        QTRY_COMPARE(quit.count(), 1);
        QVERIFY(!m_window->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        clearQuitState();

        const tasks::TaskRecord task = TaskManager::instance()->getTask(QStringLiteral("1002"));
        QCOMPARE(task.value(QStringLiteral("nowStatus")), QStringLiteral("4"));
        const qint64 kept = task.value(QStringLiteral("downSize")).toLongLong();
        QVERIFY2(kept > 0, qPrintable(task.value(QStringLiteral("downSize"))));
        QCOMPARE(QFileInfo(task.value(QStringLiteral("savePath"))).size(), kept);
        QVERIFY(m_service.control("{\"throttle\": 0}"));
    }
};

QTEST_MAIN(TestDownloadRoad)
#include "test_download_road.moc"
