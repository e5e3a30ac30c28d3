// The storefront's actions and the launcher's calls into the storefront, driven through the real main
// window against the local operator service.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/DirectoryChooser.h"
#include "ui/LoginDialog.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QDesktopServices>
#include <QDir>
#include <QJsonArray>
#include <QMetaMethod>
#include <QSignalSpy>

Q_DECLARE_METATYPE(QJsonArray)

using namespace mwtest;

class TestMainWindowActions : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    MorvuSDKKFWinApp *m_window = nullptr;
    QString m_fixLocal;

    QWebEnginePage *page() const { return m_window->mainView()->page(); }

    void doAction(const QString &action, const QString &dataJson)
    {
        runJs(page(), QStringLiteral("doAction(") + jscall::singleQuoted(action) + QLatin1Char(',') +
                          dataJson + QStringLiteral(")"));
    }

    int callCount() { return nativeCalls(page()).size(); }

    // The calls made after the first `from`, once at least `expected` of them arrived.
    QJsonArray callsSince(int from, int expected)
    {
        QJsonArray calls;
        QTest::qWaitFor(
            [&] {
                calls = nativeCalls(page());
                return calls.size() >= from + expected;
            },
            10000);
        QJsonArray since;
        for (int i = from; i < calls.size(); ++i)
            since.append(calls.at(i));
        return since;
    }

    static QStringList argsOf(const QJsonValue &call)
    {
        QStringList args;
        for (const QJsonValue &arg : call.toObject().value(QStringLiteral("args")).toArray())
            args << (arg.isObject()
                         ? QString::fromUtf8(QJsonDocument(arg.toObject()).toJson(QJsonDocument::Compact))
                         : arg.toVariant().toString());
        return args;
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        m_fixLocal = m_dir.filePath(QStringLiteral("fixed/game.sh"));
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost(),
                            QStringLiteral("\"paySite\": \"http://pay.test/p?a=1\", \"fixLocalpath\": \"") +
                                m_fixLocal + QStringLiteral("\"")));
        useApplicationDir(m_dir.path());
        useStandinAdb();
        QCOMPARE(QApi::instance()->apiHost(), m_service.apiHost() + QLatin1Char('/'));
        QVERIFY(m_service.control("{}", QStringLiteral("/_control/reset")));

        m_window = new MorvuSDKKFWinApp;
        m_window->loadMainPage(QString(), QString());
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->windowOpacity() == 1.0 && !m_window->waitScreenWindow()->isVisible(), 30000);
        QVERIFY(waitForJs(page(), QStringLiteral("document.body.dataset.ready === '1'")));
    }

    void cleanupTestCase()
    {
        directorychooser::setChooserForTesting(nullptr);
        delete m_window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setApplicationDir(QString());
    }

    // After every load the page gets the settings, the name and the payment address.
    void initialCallsAfterLoad()
    {
        const QJsonArray calls = nativeCalls(page());
        QStringList names;
        for (const QJsonValue &call : calls)
            names << call.toObject().value(QStringLiteral("fn")).toString();
        const int conf = names.indexOf(QStringLiteral("setSystemConf"));
        QVERIFY(conf >= 0);
        QCOMPARE(argsOf(calls.at(conf)), QStringList{QApi::instance()->systemConfForPage()});
        const int name = names.indexOf(QStringLiteral("setAppName"));
        QVERIFY(name > conf);
        QCOMPARE(argsOf(calls.at(name)), QStringList{QStringLiteral("Test Box")});
        const int pay = names.indexOf(QStringLiteral("setPayUrl"));
        QVERIFY(pay > name);
        QCOMPARE(argsOf(calls.at(pay)), QStringList{QStringLiteral("http://pay.test/p?a=1")});
        QVERIFY(names.indexOf(QStringLiteral("pageInit")) > conf);
    }

    // Each action of the storefront produces its signal with the values read from "data".
    void actionSignals_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("createFixedGame");

        const QString game =
            QStringLiteral("{productId:'9001',productName:'Test "
                           "Game',url:'http://127.0.0.1:9/none.zip',startcmd:'APP_PATH/g.exe',"
                           "installcmd:'setup "
                           "/S',logo:'http://127.0.0.1:9/l.png',platform:'0',package:'com.x',versionNo:'3',"
                           "versionName:'1.3'}");
        const QStringList ten = {"9001",
                                 "Test Game",
                                 "http://127.0.0.1:9/none.zip",
                                 "APP_PATH/g.exe",
                                 "setup /S",
                                 "http://127.0.0.1:9/l.png",
                                 "0",
                                 "com.x",
                                 "3",
                                 "1.3"};
        const QByteArray tenArgs =
            "(QString,QString,QString,QString,QString,QString,QString,QString,QString,QString)";

        QTest::newRow("downGame") << "downGame" << game << QByteArray("manageThreadCrateTask" + tenArgs)
                                  << ten << false;
        QTest::newRow("downGame with empty data reads empty texts")
            << "downGame"
            << "{}" << QByteArray("manageThreadCrateTask" + tenArgs)
            << QStringList{"", "", "", "", "", "", "", "", "", ""} << false;
        QTest::newRow("recheckInstall")
            << "recheckInstall" << game << QByteArray("manageThreadRecheckInstall" + tenArgs) << ten << false;
        QStringList noLogo = ten;
        noLogo[5] = QString();
        QTest::newRow("checkLocalGame drops the logo")
            << "checkLocalGame" << game << QByteArray("checkLocalGameResource" + tenArgs) << noLogo << false;
        QTest::newRow("addGameToMy") << "addGameToMy" << game
                                     << QByteArray(
                                            "addGameToMy(QString,QString,QString,QString,QString,QString,"
                                            "QString,QString)")
                                     << QStringList(ten.mid(0, 8)) << false;
        QTest::newRow("pauseDown") << "pauseDown"
                                   << "{productId:'9001',productName:'x',url:'y'}"
                                   << QByteArray("manageThreadPauseTask(QString)") << QStringList{"9001"}
                                   << false;
        QTest::newRow("updateGame reorders url before versions")
            << "updateGame"
            << "{productId:'9001',versionNo:'4',versionName:'1.4',url:'http://127.0.0.1:9/p'}"
            << QByteArray("manageThreadUpdateGame(QString,QString,QString,QString)")
            << QStringList{"9001", "http://127.0.0.1:9/p", "4", "1.4"} << false;
        QTest::newRow("startApp") << "startApp"
                                  << "{productId:'9001',startcmd:'/nowhere/g',platform:'0'}"
                                  << QByteArray("manageThreadStartApp(QString,QString,QString)")
                                  << QStringList{"9001", "/nowhere/g", "0"} << false;
        QTest::newRow("startApp with a fixed local game")
            << "startApp"
            << "{productId:'9001',startcmd:'x',platform:'0'}"
            << QByteArray("manageThreadStartApp(QString,QString,QString)") << QStringList{"1", "FIXED", "11"}
            << true;
        QTest::newRow("startAndroidApp") << "startAndroidApp"
                                         << "{productId:'1004',package:'com.p',startcmd:'.Main'}"
                                         << QByteArray("adbStartAndroidApp(QString,QString,QString)")
                                         << QStringList{"1004", "com.p", ".Main"} << false;
        QTest::newRow("checkProductInstall")
            << "checkProductInstall"
            << "{productIds:'(1001,1002)'}" << QByteArray("checkLocalProductIds(QString)")
            << QStringList{"(1001,1002)"} << false;
        QTest::newRow("checkProductInstallAll")
            << "checkProductInstallAll"
            << "{}" << QByteArray("checkLocalProductAll(bool)") << QStringList{"true"} << false;
        QTest::newRow("deleteDownTask") << "deleteDownTask"
                                        << "{productId:'9001'}" << QByteArray("deleteDownLoadTask(QString)")
                                        << QStringList{"9001"} << false;
        QTest::newRow("changeDefaultDevice")
            << "changeDefaultDevice"
            << "{deviceType:'2'}" << QByteArray("changeDefaultDevice(QString)") << QStringList{"2"} << false;
        QTest::newRow("setProductTop")
            << "setProductTop"
            << "{productId:'9001'}" << QByteArray("setProductTop(QString)") << QStringList{"9001"} << false;
        QTest::newRow("deleteMyGame pauses first")
            << "deleteMyGame"
            << "{productId:'9002'}" << QByteArray("manageThreadPauseTask(QString)") << QStringList{"9002"}
            << false;
        QTest::newRow("deleteMyGame removes")
            << "deleteMyGame"
            << "{productId:'9002'}" << QByteArray("deleteMyGame(QString)") << QStringList{"9002"} << false;
        QTest::newRow("clearGameData")
            << "clearGameData"
            << "{productId:'9001'}" << QByteArray("clearLocalGameData(QString,bool)")
            << QStringList{"9001", "false"} << false;
        QTest::newRow("clearHistoryData with keyword")
            << "clearHistoryData"
            << "{productId:'9001',keyword:'old'}" << QByteArray("clearHistoryGameData(QString,QString)")
            << QStringList{"9001", "old"} << false;
        QTest::newRow("clearHistoryData without keyword")
            << "clearHistoryData"
            << "{productId:'9001'}" << QByteArray("clearHistoryGameData(QString,QString)")
            << QStringList{"9001", ""} << false;
        QTest::newRow("openH5Game adds the game as platform 3")
            << "openH5Game"
            << "{productId:'1005',productName:'Star',url:'http://127.0.0.1:9/h5',logo:'http://127.0.0.1:9/"
               "L.png',platform:'3'}"
            << QByteArray("addGameToMy(QString,QString,QString,QString,QString,QString,QString,QString)")
            << QStringList{"1005", "Star", "http://127.0.0.1:9/h5", "", "", "http://127.0.0.1:9/L.png",
                           "3",    ""}
            << false;
        QTest::newRow("checkDevices") << "checkDevices"
                                      << "{}" << QByteArray("checkDevices()") << QStringList{} << false;
        QTest::newRow("runJavascript")
            << "runJavascript"
            << "{fun:'go()'}" << QByteArray("runJavascript(QString)") << QStringList{"go()"} << false;
        QTest::newRow("updateSystemConf")
            << "updateSystemConf"
            << "{key:'useSound',val:'0'}" << QByteArray("updateSystemConfPage()") << QStringList{} << false;
        QTest::newRow("moveWindow is relayed")
            << "moveWindow"
            << "{}" << QByteArray("moveMainWindow()") << QStringList{} << false;
        QTest::newRow("numbers in data read as text")
            << "setProductTop"
            << "{productId:1234}" << QByteArray("setProductTop(QString)") << QStringList{"1234"} << false;
    }

    void actionSignals()
    {
        QFETCH(QString, action);
        QFETCH(QString, data);
        QFETCH(QByteArray, signal);
        QFETCH(QStringList, expected);
        QFETCH(bool, createFixedGame);

        if (createFixedGame) {
            QDir().mkpath(QFileInfo(m_fixLocal).path());
            QFile file(m_fixLocal);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.close();
            expected.replaceInStrings(QStringLiteral("FIXED"), m_fixLocal);
        }
        QSignalSpy spy(m_window, QByteArray("2" + signal).constData());
        QVERIFY2(spy.isValid(), signal.constData());
        doAction(action, data);
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 10000);
        QStringList got;
        for (const QVariant &arg : spy.at(0))
            got << arg.toString();
        QCOMPARE(got, expected);
        if (createFixedGame)
            QFile::remove(m_fixLocal);
    }

    // Actions without a "data" object never reach the task manager; broken messages break nothing.
    void malformedActionsAreIgnored_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("no data") << "window.bridge.callback(JSON.stringify({action:'downGame'}))";
        QTest::newRow("data not an object")
            << "window.bridge.callback(JSON.stringify({action:'downGame',data:'x'}))";
        QTest::newRow("action not a string") << "window.bridge.callback(JSON.stringify({action:7,data:{}}))";
        QTest::newRow("not json") << "window.bridge.callback('{{{')";
        QTest::newRow("unknown action") << "doAction('noSuchAction',{productId:'1'})";
    }

    void malformedActionsAreIgnored()
    {
        QFETCH(QString, script);
        QSignalSpy create(m_window, &MorvuSDKKFWinApp::manageThreadCrateTask);
        runJs(page(), script);
        // A later well-formed action still arrives, so the bridge survived.
        QSignalSpy top(m_window, &MorvuSDKKFWinApp::setProductTop);
        doAction(QStringLiteral("setProductTop"), QStringLiteral("{productId:'after'}"));
        QTRY_COMPARE(top.count(), 1);
        QCOMPARE(create.count(), 0);
    }

    void settingsAndDialogWindows()
    {
        // updateSystemConf changes the stored setting.
        doAction(QStringLiteral("updateSystemConf"), QStringLiteral("{key:'downloadLimitRate',val:'512'}"));
        QTRY_COMPARE(QApi::instance()->getSystemConf(QStringLiteral("downloadLimitRate")),
                     QStringLiteral("512"));

        // openSystemConf toggles the settings page and hands it the product.
        DialogPage *settings = m_window->settingsPage();
        QVERIFY(settings);
        doAction(QStringLiteral("openSystemConf"),
                 QStringLiteral("{productId:'1001',startcmd:'APP_PATH/bin/game.exe'}"));
        QTRY_VERIFY(settings->isVisible());
        QCOMPARE(settings->productId, QStringLiteral("1001"));
        QCOMPARE(settings->size(), QSize(650, 450));
        doAction(QStringLiteral("openSystemConf"), QStringLiteral("{productId:'1001'}"));
        QTRY_VERIFY(!settings->isVisible());

        // openWindow sizes and shows the download box; an unknown type does nothing.
        DialogPage *box = m_window->downloadBox();
        QVERIFY(box);
        doAction(
            QStringLiteral("openWindow"),
            QStringLiteral("{title:'Downloads',fun:'',modal:0,width:700,height:500,type:'downloadBox'}"));
        QTRY_VERIFY(box->isVisible());
        QCOMPARE(box->windowTitle(), QStringLiteral("Downloads"));
        QCOMPARE(box->size(), QSize(700, 500));
        box->hide();
        doAction(QStringLiteral("openWindow"), QStringLiteral("{type:'nothing',width:10,height:10}"));
        QTest::qWait(300);
        QVERIFY(!box->isVisible() && !m_window->messageBox()->isVisible());

        // openLoginDialog toggles the sign-in dialog.
        LoginDialog *login = m_window->loginDialogWindow();
        doAction(QStringLiteral("openLoginDialog"), QStringLiteral("{}"));
        QTRY_VERIFY(login->isVisible());
        doAction(QStringLiteral("openLoginDialog"), QStringLiteral("{}"));
        QTRY_VERIFY(!login->isVisible());
    }

    void selectInstallPath()
    {
        QTemporaryDir games;
        QDir().mkpath(games.filePath(QStringLiteral("bin")));
        QFile program(games.filePath(QStringLiteral("bin/game.exe")));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.close();
        QString chosen;
        directorychooser::setChooserForTesting([&chosen] { return chosen; });
        QApi *api = QApi::instance();
        QSignalSpy created(m_window, &MorvuSDKKFWinApp::manageThreadCrateHasInstallTask);

        // Cancelled: nothing changes.
        api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), QString());
        doAction(QStringLiteral("selectInstallPath"), QStringLiteral("{}"));
        QTest::qWait(300);
        QCOMPARE(api->getSystemConf(QStringLiteral("userSelectInstallPath")), QString());

        // Without a start command the directory becomes the install path.
        chosen = games.path();
        doAction(QStringLiteral("selectInstallPath"), QStringLiteral("{}"));
        QTRY_COMPARE(api->userSelectInstallPath(), games.path());
        QCOMPARE(created.count(), 0);

        // A directory without the game: the page says so and nothing is created.
        api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), QString());
        const int before = callCount();
        doAction(QStringLiteral("selectInstallPath"),
                 QStringLiteral("{startcmd:'APP_PATH/bin/missing.exe',productId:'1001'}"));
        const QJsonArray calls = callsSince(before, 1);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.at(0).toObject().value(QStringLiteral("fn")).toString(), QStringLiteral("layer.msg"));
        QCOMPARE(argsOf(calls.at(0)), (QStringList{"pathNoGame", "{\"icon\":2}"}));
        QCOMPARE(created.count(), 0);
        QCOMPARE(api->getSystemConf(QStringLiteral("userSelectInstallPath")), QString());

        // A directory with the game: an installed task for that directory.
        doAction(QStringLiteral("selectInstallPath"),
                 QStringLiteral("{startcmd:'APP_PATH/bin/game.exe',productId:'9100',productName:'N',url:'u',"
                                "installcmd:'',logo:'',platform:'0',package:''}"));
        QTRY_COMPARE(created.count(), 1);
        QCOMPARE(created.at(0).at(0).toString(), QStringLiteral("9100"));
        QCOMPARE(created.at(0).at(3).toString(), QStringLiteral("APP_PATH/bin/game.exe"));
        QCOMPARE(created.at(0).at(8).toString(), QStringLiteral("1"));
        QCOMPARE(created.at(0).at(9).toString(), QStringLiteral("1.0.0"));
        QCOMPARE(created.at(0).at(10).toString(), games.path());
        QCOMPARE(api->userSelectInstallPath(), games.path());
        api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), QString());
        directorychooser::setChooserForTesting(nullptr);
    }

    // Every call the main window makes into the storefront, read back from the page's call log.
    void pageCalls_data()
    {
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QStringList>("functions");
        QTest::addColumn<QList<QStringList>>("callArgs");

        QTest::newRow("status notice: tips before status, flag as 1")
            << QByteArray("changeDownload_status")
            << QVariantList{"downGame", "1001", 1, "kaishixiazai", "45.23", "1.50", true, "1MB/2MB"}
            << QStringList{"changeDownLoadStatus"}
            << QList<QStringList>{{"downGame", "1001", "kaishixiazai", "1", "45.23", "1", "1.50", "1MB/2MB"}};
        QTest::newRow("status notice keeps fields")
            << QByteArray("changeDownload_status")
            << QVariantList{"downGame", "1001", 4, "keep", "keep", "keep", false, ""}
            << QStringList{"changeDownLoadStatus"}
            << QList<QStringList>{{"downGame", "1001", "keep", "4", "keep", "0", "keep", ""}};
        QTest::newRow("download error")
            << QByteArray("changeDownload_error") << QVariantList{"1001", "HTTP 404"}
            << QStringList{"changeDownload_error"} << QList<QStringList>{{"1001", "HTTP 404"}};
        QTest::newRow("inventory") << QByteArray("updateLocalProductStatus") << QVariantList{"W10=", true}
                                   << QStringList{"updateLocalProductStatus"}
                                   << QList<QStringList>{{"W10=", "1"}};
        QTest::newRow("statement run as given")
            << QByteArray("runMainPageFunc") << QVariantList{"setHasSelectInstall('done')"}
            << QStringList{"setHasSelectInstall"} << QList<QStringList>{{"done"}};
        QTest::newRow("auto update stops") << QByteArray("clearAutoUpdateKey") << QVariantList{}
                                           << QStringList{"stopAutoUpdate"} << QList<QStringList>{{}};
        QTest::newRow("disk space warning without translation")
            << QByteArray("spaceWarnOnlyTips") << QVariantList{"1001"}
            << QStringList{"layer.msg", "setLastClick", "stopAutoUpdateNoTips"}
            << QList<QStringList>{{QString::fromUtf8("您的磁盘空间不足，请清理"), "{\"icon\":2}"}, {"2"}, {}};
        QTest::newRow("disk space warning during a download")
            << QByteArray("spaceWarn") << QVariantList{"1001"}
            << QStringList{"layer.msg", "setLastClick", "stopAutoUpdateNoTips"}
            << QList<QStringList>{{QString::fromUtf8("您的磁盘空间不足，请清理"), "{\"icon\":2}"}, {"2"}, {}};
        QTest::newRow("unread messages") << QByteArray("clearUnreadMessage") << QVariantList{}
                                         << QStringList{"clearUnReadaMessage"} << QList<QStringList>{{}};
        QTest::newRow("reset a game") << QByteArray("resetGameDownload") << QVariantList{"1003"}
                                      << QStringList{"resetGameDownload"} << QList<QStringList>{{"1003"}};
        QTest::newRow("usb status") << QByteArray("changeUSBStatus") << QVariantList{1}
                                    << QStringList{"channgeUsbStatus"} << QList<QStringList>{{"1"}};
        QTest::newRow("usb devices") << QByteArray("setUSBdevices") << QVariantList{"W10="}
                                     << QStringList{"setUsbDevices"} << QList<QStringList>{{"W10="}};
        QTest::newRow("default device") << QByteArray("choseDefaultDevice") << QVariantList{"2"}
                                        << QStringList{"choseDefaultDevice"} << QList<QStringList>{{"2"}};
    }

    void pageCalls()
    {
        QFETCH(QByteArray, slot);
        QFETCH(QVariantList, args);
        QFETCH(QStringList, functions);
        QFETCH(QList<QStringList>, callArgs);

        const int before = callCount();
        QMetaMethod method;
        const QMetaObject *meta = m_window->metaObject();
        for (int i = 0; i < meta->methodCount(); ++i) {
            if (meta->method(i).name() == slot && meta->method(i).parameterCount() == args.size())
                method = meta->method(i);
        }
        QVERIFY2(method.isValid(), slot.constData());
        QGenericArgument a[8];
        for (int i = 0; i < args.size(); ++i)
            a[i] = QGenericArgument(args[i].typeName(), args[i].constData());
        QVERIFY(
            method.invoke(m_window, Qt::DirectConnection, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]));

        const QJsonArray calls = callsSince(before, functions.size());
        QCOMPARE(calls.size(), functions.size());
        for (int i = 0; i < calls.size(); ++i) {
            QCOMPARE(calls.at(i).toObject().value(QStringLiteral("fn")).toString(), functions.at(i));
            QCOMPARE(argsOf(calls.at(i)), callArgs.at(i));
        }
    }

    // Texts with quotes and script reach the page as the same texts and run nothing.
    void hostileTextsArriveAsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote breaking out") << QStringLiteral("Bad'); window.injected=1; ('");
        QTest::newRow("double quotes and backslash") << QStringLiteral("C:\\\"x\\\" \\");
        QTest::newRow("script element") << QStringLiteral("</script><script>window.injected=1</script>");
        QTest::newRow("line breaks") << QStringLiteral("a\nb\r\nwindow.injected=1");
    }

    void hostileTextsArriveAsText()
    {
        QFETCH(QString, text);
        runJs(page(), QStringLiteral("window.injected = 0"));
        const int before = callCount();
        m_window->changeDownload_status(QStringLiteral("downGame"), QStringLiteral("1001"), 3, text,
                                        QStringLiteral("0"), QString(), false, QString());
        m_window->changeDownload_error(QStringLiteral("1001"), text);
        m_window->setUserInfo(QStringLiteral("7"), text, QString(), QString(), QStringLiteral("tok'en"));
        const QJsonArray calls = callsSince(before, 3);
        QCOMPARE(calls.size(), 3);
        QCOMPARE(argsOf(calls.at(0)).value(2), text);
        QCOMPARE(argsOf(calls.at(1)).value(1), text);
        QCOMPARE(argsOf(calls.at(2)), (QStringList{"7", text, "tok'en"}));
        QCOMPARE(runJs(page(), QStringLiteral("window.injected")).toInt(), 0);
        // The card shows the text as text.
        QCOMPARE(
            runJs(page(), QStringLiteral("document.getElementById('card-1001').dataset.tips")).toString(),
            text);
        clearSavedLogin();
    }

    void accountActions()
    {
        writeSavedLogin(QStringLiteral("10001"), QStringLiteral("demotoken10001"));
        LoginDialog *login = m_window->loginDialogWindow();
        login->hide();

        int before = callCount();
        doAction(QStringLiteral("logout"), QStringLiteral("{}"));
        QJsonArray calls = callsSince(before, 1);
        QCOMPARE(calls.at(0).toObject().value(QStringLiteral("fn")).toString(),
                 QStringLiteral("clearUserUnfo"));
        QVERIFY(readSavedLogin().isEmpty());
        QVERIFY(m_window->currentAuthToken().isEmpty());
        QTest::qWait(200);
        QVERIFY(!login->isVisible());

        writeSavedLogin(QStringLiteral("10001"), QStringLiteral("demotoken10001"));
        before = callCount();
        doAction(QStringLiteral("changeAccount"), QStringLiteral("{}"));
        calls = callsSince(before, 1);
        QCOMPARE(calls.at(0).toObject().value(QStringLiteral("fn")).toString(),
                 QStringLiteral("clearUserUnfo"));
        QVERIFY(readSavedLogin().isEmpty());
        QTRY_VERIFY(login->isVisible());
        login->hide();
    }

    void messagesWhileHidden()
    {
        m_window->hide();
        doAction(QStringLiteral("newMessage"),
                 QStringLiteral("{content:'c',title:'t',isSelected:1,isMust:0}"));
        QTRY_COMPARE(m_window->unreadMessages(), 1);
        m_window->show();
    }

    void windowActions()
    {
        QApi::instance()->setSystemConfValue(QStringLiteral("closeAction"), QStringLiteral("1"));
        QSignalSpy quit(m_window, &MorvuSDKKFWinApp::wantManageThreadQuit);
        doAction(QStringLiteral("window_close"), QStringLiteral("{}"));
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(quit.count(), 0); // the close setting "1" only hides
        m_window->show();
        doAction(QStringLiteral("window_hide"), QStringLiteral("{}"));
        QTRY_VERIFY(!m_window->isVisible());
        m_window->show();
        QTRY_VERIFY(m_window->isVisible());
    }

    // A page of another origin in the main view gets no bridge: it cannot reach the native side.
    void foreignPageGetsNoBridge()
    {
        QString foreign = m_service.apiHost();
        foreign.replace(QLatin1String("127.0.0.1"), QLatin1String("localhost"));
        QSignalSpy events(m_window, &MorvuSDKKFWinApp::setProductTop);
        QSignalSpy loaded(m_window->mainView(), &QWebEngineView::loadFinished);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral(
                                             "^bridge (withdrawn from|refused to) .*localhost")));
        m_window->mainView()->setUrl(QUrl(foreign + QStringLiteral("/app/gameLaucher?productCode=x")));
        QVERIFY(loaded.wait(20000));
        QTest::qWait(1500);
        QCOMPARE(runJs(page(), QStringLiteral("typeof window.doAction")).toString(),
                 QStringLiteral("undefined"));
        QCOMPARE(
            runJs(page(), QStringLiteral("typeof qt === 'undefined' || !qt.webChannelTransport")).toBool(),
            true);
        QCOMPARE(runJs(page(), QStringLiteral("typeof window.bridge")).toString(),
                 QStringLiteral("undefined"));
        // Even a page bringing its own channel client has nothing to talk to.
        runJs(page(),
              QStringLiteral("try { qt.webChannelTransport.send(JSON.stringify({type:6,object:'bridge',"
                             "method:0,args:['{}'],id:1})); } catch (e) {}"));
        QTest::qWait(500);
        QCOMPARE(events.count(), 0);

        // Back on the operator's page the bridge is there again.
        loaded.clear();
        m_window->mainView()->setUrl(
            QUrl(m_service.apiHost() + QStringLiteral("/app/gameLaucher?productCode=x")));
        QVERIFY(loaded.wait(20000));
        QVERIFY(waitForJs(page(), QStringLiteral("typeof window.doAction === 'function' && window.bridge")));
        doAction(QStringLiteral("setProductTop"), QStringLiteral("{productId:'back'}"));
        QTRY_COMPARE(events.count(), 1);
    }
};

QTEST_MAIN(TestMainWindowActions)
#include "test_mainwindow_actions.moc"
