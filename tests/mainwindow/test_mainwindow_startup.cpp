// Loading the storefront behind the wait screen: progress, the reveal on "hideWait", the load timeout
// and the exit that follows it.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "core/QApi.h"
#include "tasks/ManageThread.h"
#include "ui/CWebPage.h"
#include "ui/Intervals.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QSignalSpy>

using namespace mwtest;

class TestMainWindowStartup : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;

    static bool revealed(MorvuSDKKFWinApp *window)
    {
        return window->isVisible() && window->windowOpacity() == 1.0 && window->waitScreenWindow() &&
               !window->waitScreenWindow()->isVisible();
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost(), QStringLiteral("\"lang\": \"us\"")));
        useApplicationDir(m_dir.path());
        QVERIFY(!QApi::instance()->apiHost().isEmpty());
    }

    void cleanup()
    {
        intervals::setLoadMainPageTimeoutForTesting(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The wait screen shows the progress, the window stays transparent until the page is ready, and it
    // is revealed once however often the page says so.
    void revealOnceOnHideWait()
    {
        QVERIFY(m_service.control("{\"reset\": true, \"hideWaitDelayMs\": 1500}"));
        intervals::setLoadMainPageTimeoutForTesting(5000);
        MorvuSDKKFWinApp window;
        QSignalSpy loaded(&window, &MorvuSDKKFWinApp::mainPageLoaded);
        QSignalSpy progress(&window, &MorvuSDKKFWinApp::waitPageUpdateProgress);
        window.loadMainPage(QString(), QString());
        window.show();

        LoginWait *wait = window.waitScreenWindow();
        QVERIFY(wait && wait->isVisible());
        QCOMPARE(window.windowOpacity(), 0.0);
        QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        QCOMPARE(wait->rateText(), QStringLiteral("0%"));

        // Progress reaches the wait screen while it is up.
        QTRY_VERIFY_WITH_TIMEOUT(progress.count() > 0 && wait->rateText() != QLatin1String("0%"), 20000);
        QVERIFY(!revealed(&window));

        QTRY_VERIFY_WITH_TIMEOUT(revealed(&window), 20000);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(window.windowFlags() & Qt::WindowType_Mask, Qt::Window);
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.size(), QSize(1280, 730));
        const QUrl address = window.mainView()->url();
        QCOMPARE(address.path(), QStringLiteral("//app/gameLaucher"));
        QCOMPARE(address.query(),
                 QStringLiteral("productCode=") + QApi::instance()->productCode +
                     QStringLiteral("&versionNo=114&authToken=&channelCode=default&lang=us&theme="));

        // A second "hideWait" only announces itself again: the window is not placed or faded in anew.
        window.move(17, 23);
        QTRY_COMPARE(window.pos(), QPoint(17, 23));
        runJs(window.mainView()->page(), QStringLiteral("doAction('hideWait', {})"));
        QTRY_COMPARE(loaded.count(), 2);
        QTest::qWait(300);
        QCOMPARE(window.pos(), QPoint(17, 23));

        // The load timeout finds the wait screen hidden and does nothing.
        QTest::qWait(5000);
        QVERIFY(!openMessageBox());
        QVERIFY(window.isVisible());
    }

    // A storefront that never reports readiness ends in the load-error message and the exit.
    void loadTimeoutEndsTheProgram()
    {
        QVERIFY(m_service.control("{\"reset\": true, \"hideWaitDelayMs\": -1}"));
        intervals::setLoadMainPageTimeoutForTesting(3000);
        auto *window = new MorvuSDKKFWinApp;
        QSignalSpy quit(window, &MorvuSDKKFWinApp::wantManageThreadQuit);
        QSignalSpy finished(window->taskManager(), &QThread::finished);
        window->loadMainPage(QString(), QString());
        window->show();

        // The box runs its own loop; a timer inside that loop reads it and presses OK.
        QString title, text;
        int icon = -1, quitBeforeOk = -1;
        bool waitHidden = false;
        QTimer watcher;
        watcher.setInterval(100);
        connect(&watcher, &QTimer::timeout, this, [&] {
            QMessageBox *box = openMessageBox();
            if (!box)
                return;
            watcher.stop();
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            quitBeforeOk = quit.count();
            waitHidden = !window->waitScreenWindow()->isVisible();
            box->button(QMessageBox::Ok)->click();
        });
        watcher.start();
        QTRY_VERIFY_WITH_TIMEOUT(!text.isEmpty(), 15000);
        QVERIFY(waitHidden);
        QCOMPARE(icon, int(QMessageBox::Critical));
        // No translation is installed here, so the keys show.
        QCOMPARE(title, QStringLiteral("LoadError"));
        QCOMPARE(text, QStringLiteral("cannotconnectserver"));
        QCOMPARE(quitBeforeOk, 0);

        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(quit.count(), 1);
        QVERIFY(!window->isVisible());
        clearQuitState();
        delete window;
    }
};

QTEST_MAIN(TestMainWindowStartup)
#include "test_mainwindow_startup.moc"
