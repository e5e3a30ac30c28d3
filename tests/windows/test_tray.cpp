// The main window's tray icon against the local operator service: its menu and the sound setting, the
// blinking for unread messages, what a click does, and the message chime.
#include "WindowsTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "tasks/ManageThread.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/LoginDialog.h"
#include "ui/LoginWait.h"
#include "ui/MessageSound.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>

using namespace mwtest;
using namespace wintest;

class TestTray : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    MorvuSDKKFWinApp *m_window = nullptr;

    QWebEnginePage *page() const { return m_window->mainView()->page(); }
    QSystemTrayIcon *tray() const
    {
        return m_window->findChild<QSystemTrayIcon *>(QString(), Qt::FindDirectChildrenOnly);
    }
    QMenu *menu() const { return tray() ? tray()->contextMenu() : nullptr; }
    QAction *soundEntry() const { return menu() ? menu()->actions().value(2) : nullptr; }

    void doAction(const QString &action, const QString &dataJson)
    {
        runJs(page(), QStringLiteral("doAction(") + jscall::singleQuoted(action) + QLatin1Char(',') +
                          dataJson + QLatin1Char(')'));
    }

    static bool iconShows(QSystemTrayIcon *icon) { return !icon->icon().pixmap(16, 16).isNull(); }

    // How many times the launcher called name in the storefront.
    int pageCalls(const QString &name)
    {
        int count = 0;
        for (const QJsonValue &call : nativeCalls(page()))
            count += call.toObject().value(QStringLiteral("fn")).toString() == name ? 1 : 0;
        return count;
    }

    // Clicks the tray icon once: the window is back and nothing is unread.
    void clickTray() { m_window->iconIsActived(QSystemTrayIcon::Trigger); }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost()));
        useApplicationDir(m_dir.path());
        QVERIFY(m_service.control("{}", QStringLiteral("/_control/reset")));

        m_window = new MorvuSDKKFWinApp;
        m_window->loadMainPage(QString(), QString());
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->windowOpacity() == 1.0 && !m_window->waitScreenWindow()->isVisible(), 30000);
        QVERIFY(waitForJs(page(), QStringLiteral("document.body.dataset.ready === '1'")));
        // The settings page is where the sound switch lives.
        QVERIFY(waitForJs(m_window->settingsPage()->webView()->page(),
                          QStringLiteral("typeof doAction === 'function'")));
    }

    void cleanupTestCase()
    {
        delete m_window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        clearSavedLogin();
        platform::setApplicationDir(QString());
    }

    // The storefront's first reveal made the tray icon with its menu, whether or not the desktop has a
    // tray to show it in.
    void menuEntries()
    {
        QSystemTrayIcon *icon = tray();
        QVERIFY(icon);
        QVERIFY(icon->isVisible());
        QCOMPARE(icon->toolTip(), QStringLiteral("Test Box"));
        QVERIFY(iconShows(icon));
        QMenu *entries = menu();
        QVERIFY(entries);
        QCOMPARE(entries->objectName(), QStringLiteral("notfiyMenu"));
        QVERIFY(!entries->parent());
        QVERIFY(!entries->mask().isEmpty());
        const QList<QAction *> actions = entries->actions();
        QCOMPARE(actions.size(), 5);
        QCOMPARE(actions.at(0)->text(), QStringLiteral("changeAccount"));
        QVERIFY(!actions.at(0)->icon().isNull());
        QVERIFY(actions.at(1)->isSeparator());
        QVERIFY(actions.at(3)->isSeparator());
        QCOMPARE(actions.at(4)->text(), QStringLiteral("exit"));

        // Only one tray icon, however often the page is revealed.
        m_window->JS_mainPageLoadSuccess(QString());
        QCOMPARE(m_window->findChildren<QSystemTrayIcon *>().size(), 1);
        QCOMPARE(tray(), icon);
    }

    // The sound entry says what choosing it will do, following the setting however it changes.
    void soundEntryFollowsTheSetting_data()
    {
        QTest::addColumn<QString>("useSound");
        QTest::addColumn<QString>("text");
        QTest::newRow("sound off") << "0"
                                   << "openSound";
        QTest::newRow("sound on") << "1"
                                  << "closeSound";
        QTest::newRow("anything but 0 counts as on") << "2"
                                                     << "closeSound";
    }

    void soundEntryFollowsTheSetting()
    {
        QFETCH(QString, useSound);
        QFETCH(QString, text);
        QApi::instance()->setSystemConfValue(QStringLiteral("useSound"), useSound);
        QCOMPARE(soundEntry()->text(), text);
    }

    // Choosing the entry switches the settings page, which saves; the entry then reads the other way.
    void soundEntryGoesThroughTheSettingsPage()
    {
        QApi *api = QApi::instance();
        api->setSystemConfValue(QStringLiteral("useSound"), QStringLiteral("0"));
        QCOMPARE(soundEntry()->text(), QStringLiteral("openSound"));
        soundEntry()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(api->getSystemConf(QStringLiteral("useSound")), QStringLiteral("1"), 10000);
        QCOMPARE(soundEntry()->text(), QStringLiteral("closeSound"));
        soundEntry()->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(api->getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"), 10000);
        QCOMPARE(soundEntry()->text(), QStringLiteral("openSound"));
    }

    // The icon blinks only while the window is hidden with an unread message, and shows normally again
    // once that ends, however the window came back.
    void blinkOnlyWhileHiddenWithUnread_data()
    {
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<bool>("unread");
        QTest::newRow("hidden with a message") << true << true;
        QTest::newRow("visible with a message") << false << true;
        QTest::newRow("hidden without messages") << true << false;
        QTest::newRow("visible without messages") << false << false;
    }

    void blinkOnlyWhileHiddenWithUnread()
    {
        QFETCH(bool, hidden);
        QFETCH(bool, unread);
        clickTray();
        QTRY_VERIFY(m_window->isVisible());
        QCOMPARE(m_window->unreadMessages(), 0);

        if (unread) {
            m_window->hide();
            doAction(QStringLiteral("newMessage"),
                     QStringLiteral("{content:'c',title:'t',isSelected:0,isMust:0}"));
            QTRY_COMPARE(m_window->unreadMessages(), 1);
        }
        m_window->setVisible(!hidden);
        QTRY_COMPARE(m_window->isVisible(), !hidden);

        bool sawOff = false;
        bool sawOn = false;
        for (int i = 0; i < 25; ++i) {
            QTest::qWait(100);
            (iconShows(tray()) ? sawOn : sawOff) = true;
        }
        QCOMPARE(sawOff, hidden && unread);
        QVERIFY(sawOn);

        // The window comes back without the tray: the icon is whole again at the next tick.
        m_window->show();
        QTest::qWait(500);
        QVERIFY(iconShows(tray()));
    }

    // A click on the icon after a message brings the window and the messages once; a double click does
    // not bring the window.
    void clickOpensMessagesOnce()
    {
        clickTray();
        m_window->hide();
        doAction(QStringLiteral("newMessage"),
                 QStringLiteral("{content:'c',title:'t',isSelected:1,isMust:0}"));
        QTRY_COMPARE(m_window->unreadMessages(), 1);

        m_window->iconIsActived(QSystemTrayIcon::DoubleClick);
        m_window->iconIsActived(QSystemTrayIcon::Context);
        QTest::qWait(200);
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_window->unreadMessages(), 1);

        const int before = pageCalls(QStringLiteral("changeToFriendPage"));
        clickTray();
        QTRY_VERIFY(m_window->isVisible());
        QCOMPARE(m_window->unreadMessages(), 0);
        QTRY_COMPARE(pageCalls(QStringLiteral("changeToFriendPage")), before + 1);
        clickTray();
        QTest::qWait(300);
        QCOMPARE(pageCalls(QStringLiteral("changeToFriendPage")), before + 1);
        if (m_window->messageBox())
            m_window->messageBox()->hide();
    }

    // A message the launcher shows as a notification is heard, unless the sound is off; one the user
    // already sees is not.
    void chimeForShownMessages_data()
    {
        QTest::addColumn<QString>("useSound");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<int>("isMust");
        QTest::addColumn<bool>("heard");
        QTest::newRow("hidden window") << "1" << true << 0 << true;
        QTest::newRow("hidden window, sound off") << "0" << true << 0 << false;
        QTest::newRow("window in front, must be shown") << "1" << false << 1 << true;
        QTest::newRow("window in front") << "1" << false << 0 << false;
    }

    void chimeForShownMessages()
    {
        QFETCH(QString, useSound);
        QFETCH(bool, hidden);
        QFETCH(int, isMust);
        QFETCH(bool, heard);
        QApi::instance()->setSystemConfValue(QStringLiteral("useSound"), useSound);
        clickTray();
        if (hidden) {
            m_window->hide();
        } else {
            m_window->activateWindow();
            QTRY_VERIFY(QApplication::activeWindow());
        }
        auto *sound = m_window->findChild<MessageSound *>();
        QVERIFY(sound);
        QSignalSpy played(sound, &MessageSound::played);
        doAction(QStringLiteral("newMessage"), QStringLiteral("{content:'c',title:'t',isSelected:0,isMust:") +
                                                   QString::number(isMust) + QLatin1Char('}'));
        QTRY_VERIFY(!hidden || m_window->unreadMessages() == 1);
        QTest::qWait(300);
        QCOMPARE(played.count(), heard ? 1 : 0);
    }

    // The account entry forgets the login and asks for a new one; the exit entry ends the launcher.
    void accountAndExitEntries()
    {
        writeSavedLogin(QStringLiteral("10001"), QStringLiteral("demotoken10001"));
        menu()->actions().at(0)->trigger();
        QVERIFY(readSavedLogin().isEmpty());
        QTRY_VERIFY(m_window->loginDialogWindow()->isVisible());
        m_window->loginDialogWindow()->hide();

        QSignalSpy quit(m_window, &MorvuSDKKFWinApp::wantManageThreadQuit);
        QPointer<QSystemTrayIcon> icon = tray();
        menu()->actions().at(4)->trigger();
        QCOMPARE(quit.count(), 1);
        QTRY_VERIFY(icon.isNull());
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->taskManager()->isRunning(), 30000);
        clearQuitState();
    }
};

QTEST_MAIN(TestTray)
#include "test_tray.moc"
