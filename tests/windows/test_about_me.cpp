// The About window: its version line, the version check, the links it opens and how the main window
// shows it.
#include "WindowsTestSupport.h"

#include "Resources/ResourceInit.h"
#include "core/QApi.h"
#include "ui/AboutMe.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QLabel>
#include <QPushButton>

using namespace mwtest;
using namespace wintest;

class TestAboutMe : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<BrowserStandIn> m_browser;

    static QList<AboutMe *> aboutWindows()
    {
        QList<AboutMe *> found;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *about = qobject_cast<AboutMe *>(window))
                found << about;
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        // Nothing listens at this address: the links are only handed to the browser stand-in.
        QVERIFY(
            writeConfig(m_dir.path(), QStringLiteral("http://127.0.0.1:9"),
                        QStringLiteral("\"productCode\": \"pc42\", \"website\": \"http://site.test/home\"")));
        useApplicationDir(m_dir.path());
        QCOMPARE(QApi::instance()->productCode, QStringLiteral("pc42"));
        m_browser = std::make_unique<BrowserStandIn>();
    }

    void cleanupTestCase()
    {
        m_browser.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setApplicationDir(QString());
    }

    // Name, version and the version check; the window is small and fixed.
    void showsNameAndVersion()
    {
        AboutMe about;
        about.show();
        QCOMPARE(about.size(), QSize(320, 440));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(about.windowTitle(), QStringLiteral("aboutUs"));
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("appName"))->text(), QStringLiteral("Test Box"));
        QCOMPARE(about.findChild<QLabel *>(QStringLiteral("versionNo"))->text(),
                 QStringLiteral("Version Standard 1.1.4 - 114"));
        QVERIFY(!about.findChild<QLabel *>(QStringLiteral("logo"))->pixmap(Qt::ReturnByValue).isNull());

        auto *tips = about.findChild<QLabel *>(QStringLiteral("versionTips"));
        QVERIFY(!tips->isVisible());
        about.findChild<QPushButton *>(QStringLiteral("checkVersion"))->click();
        QVERIFY(tips->isVisible());
        QCOMPARE(tips->text(), QStringLiteral("isLastest"));
        QVERIFY(m_browser->opened.isEmpty()); // the check asks nobody

        about.findChild<QPushButton *>(QStringLiteral("closeButton"))->click();
        QVERIFY(!about.isVisible());
        about.show();
        QVERIFY(tips->isVisible()); // shown once, it stays
    }

    // Each link opens its page in the browser, the product code included as it is, even when empty.
    void links_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("productCode");
        QTest::addColumn<QString>("address");
        const QString agreement = QStringLiteral("http://127.0.0.1:9//agreement/show/type/");
        QTest::newRow("web site") << "linkButton1"
                                  << "pc42"
                                  << "http://site.test/home";
        QTest::newRow("privacy") << "linkButton1_2"
                                 << "pc42" << agreement + QStringLiteral("2/productCode/pc42");
        QTest::newRow("agreement") << "linkButton1_3"
                                   << "pc42" << agreement + QStringLiteral("1/productCode/pc42");
        QTest::newRow("information") << "linkButton1_4"
                                     << "pc42" << agreement + QStringLiteral("3/productCode/pc42");
        QTest::newRow("sharing list") << "linkButton1_5"
                                      << "pc42" << agreement + QStringLiteral("4/productCode/pc42");
        QTest::newRow("no product code")
            << "linkButton1_3" << QString() << agreement + QStringLiteral("1/productCode/");
    }

    void links()
    {
        QFETCH(QString, button);
        QFETCH(QString, productCode);
        QFETCH(QString, address);
        AboutMe about;
        about.setUserContext(QStringLiteral("10001"), productCode, QStringLiteral("tok"));
        m_browser->opened.clear();
        about.findChild<QPushButton *>(button)->click();
        QCOMPARE(m_browser->opened.size(), 1);
        QCOMPARE(m_browser->opened.first().toString(), address);
    }

    // The main window makes the About window on first use, with its product code, and shows the same
    // window again later.
    void shownByTheMainWindow()
    {
        MorvuSDKKFWinApp window;
        const QString open = envelope(QStringLiteral("openAboutme"));
        window.JS_mainPageEvent(QStringLiteral("openAboutme"), open);
        QCOMPARE(aboutWindows().size(), 1);
        QPointer<AboutMe> about = aboutWindows().first();
        QTRY_VERIFY(about->isVisible());
        QCOMPARE(about->productCode, QStringLiteral("pc42"));
        about->findChild<QPushButton *>(QStringLiteral("closeButton"))->click();
        QVERIFY(!about->isVisible());

        window.openAbountMe();
        QCOMPARE(aboutWindows(), QList<AboutMe *>{about.data()});
        QTRY_VERIFY(about->isVisible());
        QTRY_COMPARE(about->windowOpacity(), 1.0);
    }
};

QTEST_MAIN(TestAboutMe)
#include "test_about_me.moc"
