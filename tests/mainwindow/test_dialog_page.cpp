// The dialog page host with the settings page: what it gives the page after a load, the actions it
// handles itself or passes on, and the translated texts it shows.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JavascriptCallback.h"
#include "core/QApi.h"
#include "core/SystemConf.h"
#include "store/TaskManager.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"
#include "ui/DirectoryChooser.h"

#include <QDesktopServices>
#include <QDir>
#include <QSignalSpy>
#include <QTranslator>
#include <QWebChannel>

using namespace mwtest;

class FileManagerRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestDialogPage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FileManagerRecorder m_files;
    DialogPage *m_page = nullptr;

    QWebEnginePage *web() const { return m_page->webView()->page(); }

    static QString envelope(const QString &action, const QString &data)
    {
        return QStringLiteral("{\"action\":\"") + action + QStringLiteral("\",\"data\":") + data +
               QLatin1Char('}');
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY(writeConfig(m_dir.path(), QStringLiteral("http://127.0.0.1:9")));
        useApplicationDir(m_dir.path());
        useStandinAdb();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_files, "open");

        m_page = new DialogPage;
        m_page->setPageContext(QStringLiteral("pc-code"), QStringLiteral("tok'1"));
        QSignalSpy loaded(m_page->webView(), &QWebEngineView::loadFinished);
        m_page->loadPageUrl(QStringLiteral("qrc:/html/Resources/html/systemConf.html"));
        QVERIFY(loaded.wait(20000));
        QVERIFY(
            waitForJs(web(), QStringLiteral("window.systemConf && typeof window.doAction === 'function'")));
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        directorychooser::setChooserForTesting(nullptr);
        delete m_page;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // After a load the page knows the user, the product, the host, the settings and the texts.
    void bootstrapGivesThePageItsContext()
    {
        QCOMPARE(runJs(web(), QStringLiteral("authToken")).toString(), QStringLiteral("tok'1"));
        QCOMPARE(runJs(web(), QStringLiteral("productCode")).toString(), QStringLiteral("pc-code"));
        QCOMPARE(runJs(web(), QStringLiteral("deviceId")).toString(), QStringLiteral("pcbox"));
        QCOMPARE(runJs(web(), QStringLiteral("apiHost")).toString(), QStringLiteral("http://127.0.0.1:9/"));
        QCOMPARE(runJs(web(), QStringLiteral("systemConf.closeAction")).toString(),
                 QApi::instance()->getSystemConf(QStringLiteral("closeAction")));
        QVERIFY(waitForJs(web(), QStringLiteral("Object.keys(lang).length === 34")));
        // Without a translation every text is its key.
        QCOMPARE(runJs(web(), QStringLiteral("lang.soundSetting")).toString(),
                 QStringLiteral("soundSetting"));
    }

    // Each load gets a fresh bridge object and channel; those of the load before are released.
    void earlierBridgesAreReleased()
    {
        QPointer<JavascriptCallback> first = m_page->bridge;
        QPointer<QWebChannel> firstChannel = m_page->channel;
        QVERIFY(first && firstChannel);
        QSignalSpy loaded(m_page->webView(), &QWebEngineView::loadFinished);
        m_page->webView()->reload();
        QVERIFY(loaded.wait(20000));
        QTRY_VERIFY(!first && !firstChannel);
        QVERIFY(m_page->bridge && m_page->channel);
        QVERIFY(
            waitForJs(web(), QStringLiteral("window.systemConf && typeof window.doAction === 'function'")));
        QSignalSpy about(m_page, &DialogPage::openAbountMe);
        runJs(web(), QStringLiteral("doAction('openAboutme', {})"));
        QTRY_COMPARE(about.count(), 1);
    }

    void actionsBecomeSignals_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("downGame without logo")
            << "downGame"
            << "{\"productId\":\"7\",\"productName\":\"G\",\"url\":\"u\"}"
            << QByteArray("manageThreadCrateTask(QString,QString,QString,QString,"
                          "QString,QString,QString,QString)")
            << QStringList{"7", "G", "u", "", "", "", "", ""};
        QTest::newRow("pauseDown") << "pauseDown"
                                   << "{\"productId\":\"7\"}" << QByteArray("manageThreadPauseTask(QString)")
                                   << QStringList{"7"};
        QTest::newRow("clearGameData")
            << "clearGameData"
            << "{\"productId\":\"7\"}" << QByteArray("clearLocalGameData(QString,bool)")
            << QStringList{"7", "false"};
        QTest::newRow("startApp") << "startApp"
                                  << "{\"productId\":\"7\",\"startcmd\":\"s\",\"platform\":\"0\"}"
                                  << QByteArray("manageThreadStartApp(QString,QString,QString)")
                                  << QStringList{"7", "s", "0"};
        QTest::newRow("startAndroidApp")
            << "startAndroidApp"
            << "{\"productId\":\"7\",\"package\":\"p\",\"startcmd\":\"a\"}"
            << QByteArray("adbStartAndroidApp(QString,QString,QString)") << QStringList{"7", "p", "a"};
        QTest::newRow("checkProductInstall")
            << "checkProductInstall"
            << "{\"productIds\":\"(7)\"}" << QByteArray("checkLocalProductIds(QString)")
            << QStringList{"(7)"};
        QTest::newRow("checkProductInstallAll without data")
            << "checkProductInstallAll"
            << "null" << QByteArray("checkLocalProductAll(bool)") << QStringList{"true"};
        QTest::newRow("deleteDownTask")
            << "deleteDownTask"
            << "{\"productId\":\"7\"}" << QByteArray("deleteDownLoadTask(QString)") << QStringList{"7"};
        QTest::newRow("openAboutme") << "openAboutme"
                                     << "{}" << QByteArray("openAbountMe()") << QStringList{};
        QTest::newRow("clearUnReadMessage") << "clearUnReadMessage"
                                            << "{}" << QByteArray("clearUnreadMessage()") << QStringList{};
    }

    void actionsBecomeSignals()
    {
        QFETCH(QString, action);
        QFETCH(QString, data);
        QFETCH(QByteArray, signal);
        QFETCH(QStringList, expected);
        QSignalSpy spy(m_page, QByteArray("2" + signal).constData());
        QVERIFY(spy.isValid());
        m_page->JS_mainPageEvent(action, envelope(action, data));
        QCOMPARE(spy.count(), 1);
        QStringList got;
        for (const QVariant &arg : spy.at(0))
            got << arg.toString();
        QCOMPARE(got, expected);
    }

    // The page's own click sends its action through the real bridge.
    void pageClickReachesTheHost()
    {
        QSignalSpy about(m_page, &DialogPage::openAbountMe);
        runJs(web(), QStringLiteral("doAction('openAboutme', {})"));
        QTRY_COMPARE(about.count(), 1);
        m_page->productId = QStringLiteral("1001");
        QSignalSpy cache(m_page, &DialogPage::clearCache);
        runJs(web(), QStringLiteral("doAction('clearCache', {})"));
        QTRY_COMPARE(cache.count(), 1);
        QCOMPARE(cache.at(0).at(0).toString(), QStringLiteral("1001"));
    }

    void saveSystemConf()
    {
        QApi *api = QApi::instance();
        const QString conf =
            QStringLiteral("{\\\"useSound\\\":\\\"0\\\",\\\"showAfterCloseGame\\\":\\\"1\\\","
                           "\\\"downloadLimit\\\":\\\"0\\\",\\\"laucherAppAfter\\\":\\\"2\\\","
                           "\\\"closeAction\\\":\\\"1\\\"}");
        m_page->JS_mainPageEvent(
            QStringLiteral("saveSystemConf"),
            envelope(QStringLiteral("saveSystemConf"),
                     QStringLiteral("{\"confString\":\"") + conf + QStringLiteral("\"}")));
        QCOMPARE(api->getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"));
        QCOMPARE(api->getSystemConf(QStringLiteral("laucherAppAfter")), QStringLiteral("2"));
        // An invalid settings text changes nothing.
        m_page->JS_mainPageEvent(
            QStringLiteral("saveSystemConf"),
            envelope(QStringLiteral("saveSystemConf"), QStringLiteral("{\"confString\":\"{}\"}")));
        QCOMPARE(api->getSystemConf(QStringLiteral("useSound")), QStringLiteral("0"));
    }

    void openFilePath()
    {
        m_files.opened.clear();
        m_page->JS_mainPageEvent(
            QStringLiteral("openFilePath"),
            envelope(QStringLiteral("openFilePath"), QStringLiteral("{\"productId\":\"4242\"}")));
        const QString folder = m_dir.filePath(QStringLiteral("Data/download/games/4242"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(m_files.opened.size(), 1);
        QCOMPARE(m_files.opened.at(0).toLocalFile(), folder);

        // A product id that is a path never leads out of the games folder.
        m_files.opened.clear();
        m_page->JS_mainPageEvent(
            QStringLiteral("openFilePath"),
            envelope(QStringLiteral("openFilePath"), QStringLiteral("{\"productId\":\"../../x\"}")));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("Data/x"))));
        QCOMPARE(m_files.opened.size(), 1);
        QCOMPARE(QDir::cleanPath(m_files.opened.at(0).toLocalFile()),
                 m_dir.filePath(QStringLiteral("Data/download/games")));
    }

    void deleteDownloadFile()
    {
        const QString package = m_dir.filePath(QStringLiteral("pkg.zip"));
        QFile file(package);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("zip");
        file.close();
        TaskManager *store = TaskManager::instance();
        QVERIFY(store->insertInstalledTask(
            QStringLiteral("5151"), QStringLiteral("P"), QStringLiteral("u/pkg.zip"), QString(), QString(),
            QString(), QStringLiteral("0"), QString(), QStringLiteral("1"), QStringLiteral("1.0"), package));
        QVERIFY(store->hasTask(QStringLiteral("5151")));
        m_page->JS_mainPageEvent(
            QStringLiteral("deleteDownloadFile"),
            envelope(QStringLiteral("deleteDownloadFile"), QStringLiteral("{\"productId\":\"5151\"}")));
        QVERIFY(!QFileInfo::exists(package));
    }

    void selectInstallPath()
    {
        QTemporaryDir games;
        QString chosen;
        directorychooser::setChooserForTesting([&chosen] { return chosen; });
        QApi *api = QApi::instance();
        QSignalSpy created(m_page, &DialogPage::manageThreadCrateHasInstallTask);

        chosen = games.path();
        m_page->JS_mainPageEvent(QStringLiteral("selectInstallPath"),
                                 envelope(QStringLiteral("selectInstallPath"), QStringLiteral("{}")));
        QCOMPARE(api->userSelectInstallPath(), games.path());
        QCOMPARE(created.count(), 0);

        QDir().mkpath(games.filePath(QStringLiteral("bin")));
        QFile program(games.filePath(QStringLiteral("bin/run")));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.close();
        m_page->JS_mainPageEvent(
            QStringLiteral("selectInstallPath"),
            envelope(QStringLiteral("selectInstallPath"),
                     QStringLiteral("{\"startcmd\":\"APP_PATH/bin/run\",\"productId\":\"88\"}")));
        QCOMPARE(created.count(), 1);
        QCOMPARE(created.at(0).at(0).toString(), QStringLiteral("88"));
        QCOMPARE(created.at(0).at(3).toString(), QStringLiteral("APP_PATH/bin/run"));
        QCOMPARE(created.at(0).at(10).toString(), games.path());
        api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), QString());
        directorychooser::setChooserForTesting(nullptr);
    }

    // With a translation installed the pages and native texts read as words.
    void translationsCoverTheKeys_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("words");
        const QList<QStringList> rows = {
            {"us", "ManageThread", "kaishixiazai", "Download"},
            {"zh", "ManageThread", "kaishixiazai", QString::fromUtf8("开始下载")},
            {"us", "ManageThread", "jieyashibai", "Extraction failed"},
            {"zh", "ManageThread", "qidongyouxi", QString::fromUtf8("启动游戏")},
            {"us", "MorvuSDKKFWinApp", "cannotconnectserver",
             "Cannot reach the server. Check your network and try again."},
            {"zh", "MorvuSDKKFWinApp", "diskUsed", QString::fromUtf8("您的磁盘空间不足，请清理")},
            {"us", "MorvuSDKKFWinApp", "closeSound", "Sound off"},
            {"us", "DialogPage", "soundSetting", "Sound"},
            {"zh", "DialogPage", "hideToTask", QString::fromUtf8("最小化到托盘")},
            {"us", "LoginWait", "jiazaitupian__", "Loading pictures"},
            {"us", "CWebPage", "shouquandenglu", "Authorised sign-in"},
            {"zh", "CWebPage", "shouquandenglu", QString::fromUtf8("授权登录")},
            {"us", "QObject", "selectInstallPath", "Choose the game's folder"},
            {"us", "AboutMeClass", "checkVersion", "Check for updates"},
        };
        for (const QStringList &row : rows)
            QTest::newRow(qPrintable(row[0] + QLatin1Char(' ') + row[2]))
                << row[0] << row[1] << row[2] << row[3];
    }

    void translationsCoverTheKeys()
    {
        QFETCH(QString, lang);
        QFETCH(QString, context);
        QFETCH(QString, key);
        QFETCH(QString, words);
        QTranslator translator;
        QVERIFY(translator.load(QStringLiteral(LAUNCHER_BINARY_DIR "/app/Translation_") + lang +
                                QStringLiteral(".qm")));
        QCOMPARE(translator.translate(context.toUtf8().constData(), key.toUtf8().constData()), words);
    }

    // Every text the settings page asks for has words in both languages.
    void settingsPageTextsAreTranslated()
    {
        for (const QString lang : {QStringLiteral("us"), QStringLiteral("zh")}) {
            QTranslator translator;
            QVERIFY(translator.load(QStringLiteral(LAUNCHER_BINARY_DIR "/app/Translation_") + lang +
                                    QStringLiteral(".qm")));
            QCoreApplication::installTranslator(&translator);
            DialogPage page;
            QCOMPARE(page.languageTexts.size(), 34);
            for (auto it = page.languageTexts.cbegin(); it != page.languageTexts.cend(); ++it)
                QVERIFY2(it.value() != it.key() || lang == QLatin1String("zh"), qPrintable(it.key()));
            QCoreApplication::removeTranslator(&translator);
        }
    }
};

QTEST_MAIN(TestDialogPage)
#include "test_dialog_page.moc"
