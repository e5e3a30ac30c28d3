// The H5 game window against the local operator service: its title bar and images, what its page
// receives after every load, the few actions its bridge carries, its buttons, and how the main window
// opens, reuses and closes these windows.
#include "WindowsTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "platform/Autostart.h"
#include "ui/CWebPage.h"
#include "ui/GameBridge.h"
#include "ui/MorvuSDKKFWinApp.h"
#include "ui/PlayGame.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

using namespace mwtest;
using namespace wintest;

class TestPlayGame : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    std::unique_ptr<BrowserStandIn> m_browser;
    // One connected game page serves every row of the bridge table.
    std::unique_ptr<PlayGame> m_bridgeGame;

    QString address(const QString &path) const { return m_service.apiHost() + path; }
    QString starCatcher() const { return address(QStringLiteral("/h5/starcatcher/index.html")); }

    // A game window set up the way the main window sets one up, shown.
    std::unique_ptr<PlayGame> openGame(const QString &url, const QString &productId,
                                       const QString &avatarUrl = QString(), const QString &logo = QString(),
                                       const QString &token = QStringLiteral("demotoken10001"))
    {
        auto game = std::make_unique<PlayGame>();
        game->loadGameUrl(url);
        game->setGameInfo(QStringLiteral("10001"), QStringLiteral("demo"), QStringLiteral("Demo"), avatarUrl,
                          logo, productId, QStringLiteral("星光捕手"), QStringLiteral("pc42"), token,
                          QStringLiteral("pt-1"));
        game->resize(700, 600);
        game->show();
        return game;
    }

    // Waits until the page of game has its bridge and has run pageInit (the demo game records what it
    // was given in window.h5Context).
    static bool waitConnected(PlayGame *game)
    {
        return waitForJs(game->webView()->page(),
                         QStringLiteral("window.h5Context && typeof doAction === 'function'"), 20000);
    }

    static QImage imageOf(const QLabel *label) { return label->pixmap(Qt::ReturnByValue).toImage(); }

    static QImage resourceImage(const QString &name)
    {
        return QPixmap(QStringLiteral(":/images/Resources/images/") + name).toImage();
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost(), QStringLiteral("\"productCode\": \"pc42\"")));
        useApplicationDir(m_dir.path());
        QCOMPARE(QApi::instance()->productCode, QStringLiteral("pc42"));
        m_browser = std::make_unique<BrowserStandIn>();
    }

    void cleanupTestCase()
    {
        m_bridgeGame.reset();
        m_browser.reset();
        clearSavedLogin();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setApplicationDir(QString());
    }

    void cleanup()
    {
        m_browser->opened.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The title bar shows the game's name; the icon and the avatar are fetched when there is an address
    // and keep their defaults when there is none or it fails.
    void titleBarAndImages_data()
    {
        QTest::addColumn<QString>("avatarPath");
        QTest::addColumn<QString>("logoPath");
        QTest::addColumn<bool>("avatarArrives");
        QTest::addColumn<bool>("iconArrives");
        QTest::newRow("avatar and icon") << "/static/avatar/10001.png"
                                         << "/static/logo/1005.png" << true << true;
        QTest::newRow("no avatar address") << QString() << "/static/logo/1005.png" << false << true;
        QTest::newRow("missing pictures") << "/static/avatar/none.png"
                                          << "/static/logo/none.png" << false << false;
        QTest::newRow("no icon address") << "/static/avatar/10001.png" << QString() << true << false;
    }

    void titleBarAndImages()
    {
        QFETCH(QString, avatarPath);
        QFETCH(QString, logoPath);
        QFETCH(bool, avatarArrives);
        QFETCH(bool, iconArrives);
        auto game = openGame(QStringLiteral("about:blank"), QStringLiteral("1005"),
                             avatarPath.isEmpty() ? QString() : address(avatarPath),
                             logoPath.isEmpty() ? QString() : address(logoPath));
        auto *title = game->findChild<QLabel *>(QStringLiteral("title"));
        auto *icon = game->findChild<QLabel *>(QStringLiteral("icon"));
        auto *avatar = game->findChild<QLabel *>(QStringLiteral("avatar"));
        QVERIFY(title && icon && avatar);
        QCOMPARE(title->text(), QStringLiteral("星光捕手"));
        QCOMPARE(game->windowTitle(), QStringLiteral("星光捕手"));
        QCOMPARE(game->avatarLoader != nullptr, !avatarPath.isEmpty());
        QCOMPARE(game->iconLoader != nullptr, !logoPath.isEmpty());

        const QImage defaultIcon = resourceImage(QStringLiteral("icon.png"));
        const QImage avatarBefore = imageOf(avatar);
        QVERIFY(!imageOf(icon).isNull());
        if (iconArrives) {
            QTRY_VERIFY_WITH_TIMEOUT(imageOf(icon) != defaultIcon, 10000);
            QVERIFY(game->windowIcon().pixmap(16).toImage() !=
                    QIcon(QStringLiteral(":/images/Resources/images/icon.png")).pixmap(16).toImage());
        }
        if (avatarArrives)
            QTRY_VERIFY_WITH_TIMEOUT(!imageOf(avatar).isNull() && imageOf(avatar) != avatarBefore, 10000);
        if (avatarPath.isEmpty())
            QVERIFY(!imageOf(avatar).isNull()); // the default avatar, at once
        // Failed or absent downloads leave the defaults.
        QTest::qWait(1000);
        if (!iconArrives)
            QCOMPARE(imageOf(icon), defaultIcon);
        if (!avatarArrives)
            QCOMPARE(imageOf(avatar), avatarBefore);
    }

    // Every load, navigation inside the game included, gives the page the user's context as exactly the
    // texts the window holds, and a working doAction.
    void contextAfterEveryLoad_data()
    {
        QTest::addColumn<QString>("token");
        QTest::newRow("plain token") << QStringLiteral("demotoken10001");
        QTest::newRow("hostile token") << QStringLiteral("x';window.ran=1;'\\\"</script>\n\u2028");
        QTest::newRow("empty token") << QString();
    }

    void contextAfterEveryLoad()
    {
        QFETCH(QString, token);
        auto game = openGame(starCatcher(), QStringLiteral("1005"), QString(), QString(), token);
        QWebEnginePage *page = game->webView()->page();
        const QList<QPair<QString, QString>> context = {
            {QStringLiteral("authToken"), token},
            {QStringLiteral("productCode"), QStringLiteral("pc42")},
            {QStringLiteral("deviceId"), QStringLiteral("pcbox")},
            {QStringLiteral("apiHost"), QApi::instance()->apiHost()},
        };

        for (const QString &path :
             {QStringLiteral("/h5/starcatcher/index.html"), QStringLiteral("/gameCenter/play/1006")}) {
            if (path != QLatin1String("/h5/starcatcher/index.html"))
                runJs(page, QStringLiteral("location.href = ") + jscall::singleQuoted(address(path)));
            QTRY_VERIFY_WITH_TIMEOUT(game->webView()->url().path() == path, 20000);
            QVERIFY(waitConnected(game.get()));
            for (const auto &variable : context)
                QCOMPARE(runJs(page, variable.first).toString(), variable.second);
            QCOMPARE(runJs(page, QStringLiteral("typeof window.ran")).toString(),
                     QStringLiteral("undefined"));
        }

        // The bridge of the last load carries the window's actions.
        QVERIFY(game->isVisible());
        runJs(page, QStringLiteral("doAction('hideWindow', {})"));
        QTRY_VERIFY(!game->isVisible());
    }

    // The game maker's page reaches only the window's own actions: what the storefront's bridge would do
    // for these actions does not happen, although the window hears every one of them.
    void bridgeCarriesOnlyWindowActions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("data");
        QTest::newRow("sign-in result")
            << "loginSuccess"
            << "{uid:'666',authToken:'stolen',ptToken:'p',username:'u',nickName:'n',avatarUrl:''}";
        QTest::newRow("start with the desktop") << "changeAutoLauch"
                                                << "{status:1}";
        QTest::newRow("operator link") << "openUrl"
                                       << "{url:'http://127.0.0.1:9/x'}";
        QTest::newRow("any link") << "openUrl2"
                                  << "{url:'http://127.0.0.1:9/y'}";
        QTest::newRow("storefront move") << "moveWindow"
                                         << "{}";
        QTest::newRow("storefront readiness") << "hideWait"
                                              << "{}";
    }

    void bridgeCarriesOnlyWindowActions()
    {
        QFETCH(QString, action);
        QFETCH(QString, data);
        clearSavedLogin();
        if (!m_bridgeGame)
            m_bridgeGame = openGame(starCatcher(), QStringLiteral("1005"));
        PlayGame *game = m_bridgeGame.get();
        QVERIFY(waitConnected(game));
        QVERIFY(game->bridge);
        QSignalSpy heard(game->bridge, &GameBridge::mainPageEvent);
        const QString name = QCoreApplication::applicationName();
        QVERIFY(!platform::isAutostartEnabled(name));

        runJs(game->webView()->page(), QStringLiteral("doAction(") + jscall::singleQuoted(action) +
                                           QLatin1Char(',') + data + QLatin1Char(')'));
        QTRY_COMPARE(heard.count(), 1);
        QCOMPARE(heard.at(0).at(0).toString(), action);
        QTest::qWait(300);
        QVERIFY(m_browser->opened.isEmpty());
        QVERIFY(readSavedLogin().isEmpty());
        QVERIFY(!platform::isAutostartEnabled(name));
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<MorvuSDKKFWinApp *>(window));
        QVERIFY(game->isVisible());
    }

    // A new window starts with sound on; the switch mutes and unmutes its page and shows which it is.
    void soundSwitch()
    {
        auto game = openGame(starCatcher(), QStringLiteral("1005"));
        auto *button = game->findChild<QPushButton *>(QStringLiteral("soundSwitch"));
        QVERIFY(button);
        QWebEnginePage *page = game->webView()->page();
        QVERIFY(!page->isAudioMuted());
        QVERIFY(button->styleSheet().contains(QLatin1String("sound_2.png")));
        QCOMPARE(button->toolTip(), QStringLiteral("点击关闭声音"));

        button->click();
        QVERIFY(page->isAudioMuted());
        QVERIFY(button->styleSheet().contains(QLatin1String("sound_1.png")));
        QVERIFY(!button->styleSheet().contains(QLatin1String("sound_2.png")));
        QCOMPARE(button->toolTip(), QStringLiteral("点击恢复声音"));

        // Muting belongs to the window, not to the page it shows.
        QVERIFY(waitConnected(game.get()));
        game->webView()->reload();
        QVERIFY(waitConnected(game.get()));
        QVERIFY(page->isAudioMuted());

        button->click();
        QVERIFY(!page->isAudioMuted());
        QVERIFY(button->styleSheet().contains(QLatin1String("sound_2.png")));
        QCOMPARE(button->toolTip(), QStringLiteral("点击关闭声音"));
    }

    // Phone mode narrows the window to the phone width, which its minimum allows; full screen toggles.
    void phoneModeAndFullScreen()
    {
        auto game = openGame(QStringLiteral("about:blank"), QStringLiteral("1005"));
        QTRY_COMPARE(game->size(), QSize(700, 600));
        QVERIFY(game->minimumWidth() <= 600);
        game->findChild<QPushButton *>(QStringLiteral("phonemode"))->click();
        QTRY_COMPARE(game->size(), QSize(600, 600));

        auto *full = game->findChild<QPushButton *>(QStringLiteral("fullButton"));
        full->click();
        QTRY_VERIFY(game->isFullScreen());
        full->click();
        QTRY_VERIFY(!game->isFullScreen());
        QTRY_COMPARE(game->size(), QSize(600, 600));
    }

    // The browser button opens the address the view shows now, navigation inside the game included;
    // back and forward move through the view's history.
    void navigationAndBrowser()
    {
        auto game = openGame(starCatcher(), QStringLiteral("1005"));
        QVERIFY(waitConnected(game.get()));
        const QString second = address(QStringLiteral("/gameCenter/play/1006"));
        runJs(game->webView()->page(), QStringLiteral("location.href = ") + jscall::singleQuoted(second));
        QTRY_COMPARE_WITH_TIMEOUT(game->webView()->url().toString(), second, 20000);

        auto *browser = game->findChild<QPushButton *>(QStringLiteral("useBrower"));
        browser->click();
        QCOMPARE(m_browser->opened, QList<QUrl>{QUrl(second)});
        QVERIFY(game->isVisible());

        const QString third = address(QStringLiteral("/gameCenter/error"));
        game->webView()->load(QUrl(third));
        QTRY_COMPARE_WITH_TIMEOUT(game->webView()->url().toString(), third, 20000);
        game->findChild<QPushButton *>(QStringLiteral("backButton"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(game->webView()->url().toString(), second, 20000);
        browser->click();
        QCOMPARE(m_browser->opened.last(), QUrl(second));
        game->findChild<QPushButton *>(QStringLiteral("forwardButton"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(game->webView()->url().toString(), third, 20000);

        // A reload connects the page again.
        game->webView()->load(QUrl(second));
        QVERIFY(waitConnected(game.get()));
        runJs(game->webView()->page(), QStringLiteral("window.h5Context = null"));
        game->findChild<QPushButton *>(QStringLiteral("refershButton"))->click();
        QVERIFY(waitConnected(game.get()));
    }

    // The close button asks the owner to close a product's window; a window of product "0" only hides.
    void closeButton_data()
    {
        QTest::addColumn<QString>("productId");
        QTest::addColumn<bool>("asksOwner");
        QTest::newRow("product window") << "1005" << true;
        QTest::newRow("window without product") << "0" << false;
    }

    void closeButton()
    {
        QFETCH(QString, productId);
        QFETCH(bool, asksOwner);
        auto game = openGame(QStringLiteral("about:blank"), productId);
        QSignalSpy asked(game.get(), &PlayGame::closePlayGamePage);
        QTRY_VERIFY(game->isVisible());
        game->findChild<QPushButton *>(QStringLiteral("closeButton"))->click();
        if (asksOwner) {
            QCOMPARE(asked.count(), 1);
            QCOMPARE(asked.at(0).at(0).toString(), productId);
            QVERIFY(game->isVisible()); // the owner decides
        } else {
            QCOMPARE(asked.count(), 0);
            QTRY_VERIFY(!game->isVisible());
        }
    }

    // The main window opens one game window per product with the user's data, phone games at the phone
    // width, brings an open one back, and closes and forgets it when its close button is pressed.
    void openedByTheMainWindow()
    {
        MorvuSDKKFWinApp window;
        window.setUserInfo(QStringLiteral("10001"), QStringLiteral("demo"), QStringLiteral("Demo"),
                           address(QStringLiteral("/static/avatar/10001.png")),
                           QStringLiteral("demotoken10001"));
        window.setPtToken(QStringLiteral("pt-1"));
        const QString phoneGame = address(QStringLiteral("/gameCenter/play/1006"));
        const QString open = envelope(
            QStringLiteral("openH5Game"),
            QStringLiteral("{\"productId\":\"1006\",\"productName\":\"方块叠叠乐\",\"url\":\"") + phoneGame +
                QStringLiteral("\",\"logo\":\"") + address(QStringLiteral("/static/logo/1006.png")) +
                QStringLiteral("\",\"platform\":\"3\"}"));
        window.JS_mainPageEvent(QStringLiteral("openH5Game"), open);
        QPointer<PlayGame> game = qobject_cast<PlayGame *>(window.gameWindow(QStringLiteral("1006")));
        QVERIFY(game);
        QTRY_VERIFY(game->isVisible());
        QCOMPARE(game->width(), 600);
        QCOMPARE(game->productName, QStringLiteral("方块叠叠乐"));
        QCOMPARE(game->avatarUrl, address(QStringLiteral("/static/avatar/10001.png")));
        QCOMPARE(game->uid, QStringLiteral("10001"));
        QCOMPARE(game->productCode, QStringLiteral("pc42"));
        QCOMPARE(game->authToken, QStringLiteral("demotoken10001"));
        QTRY_COMPARE_WITH_TIMEOUT(game->webView()->url().toString(),
                                  phoneGame + QStringLiteral("?ptToken=pt-1&from=pcbox"), 20000);

        game->hide();
        window.JS_mainPageEvent(QStringLiteral("openH5Game"), open);
        QCOMPARE(window.gameWindow(QStringLiteral("1006")), game.data());
        QTRY_VERIFY(game->isVisible());
        int games = 0;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            auto *other = qobject_cast<PlayGame *>(top);
            games += other && other->productId == QLatin1String("1006") ? 1 : 0;
        }
        QCOMPARE(games, 1);

        game->findChild<QPushButton *>(QStringLiteral("closeButton"))->click();
        QTRY_VERIFY(game.isNull());
        QVERIFY(!window.gameWindow(QStringLiteral("1006")));
    }
};

QTEST_MAIN(TestPlayGame)
#include "test_play_game.moc"
