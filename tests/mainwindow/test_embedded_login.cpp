// The embedded login page: its bootstrap, a sign-in it reports through the shared bridge object, the
// main window that sign-in opens, and the login page hidden once that window's storefront is ready.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JavascriptCallback.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "ui/CWebPage.h"
#include "ui/LoginPage.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QWebEngineView>

using namespace mwtest;

class TestEmbeddedLogin : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;

    static QList<MorvuSDKKFWinApp *> mainWindows()
    {
        QList<MorvuSDKKFWinApp *> windows;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<MorvuSDKKFWinApp *>(widget))
                windows << window;
        }
        return windows;
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost()));
        useApplicationDir(m_dir.path());
        QVERIFY(m_service.control("{\"reset\": true}"));
        JavascriptCallback::setLoginOpener(&MorvuSDKKFWinApp::openForEmbeddedLogin);
    }

    void signInOpensTheStorefront()
    {
        clearSavedLogin();
        LoginPage page;
        QWebEnginePage *web = page.webView()->page();
        QVERIFY(waitForJs(web, QStringLiteral("typeof window.doAction === 'function' && window.bridge && "
                                              "typeof pageconfig !== 'undefined'")));
        QTRY_VERIFY(page.isVisible());
        QCOMPARE(page.size(), QSize(1200, 650));
        QCOMPARE(runJs(web, QStringLiteral("apiHost")).toString(), QApi::instance()->apiHost());
        QCOMPARE(runJs(web, QStringLiteral("productCode")).toString(), QApi::instance()->productCode);
        QVERIFY(waitForJs(web, QStringLiteral("deviceId === 'pcbox'")));
        QCOMPARE(runJs(web, QStringLiteral("pageconfig.referrer")).toString(), QApi::instance()->apiHost());
        QCOMPARE(JavascriptCallback::instance()->pageOwner, &page);

        QVERIFY(mainWindows().isEmpty());
        runJs(web, QStringLiteral("$('#username').val('demo'); $('#password').val('demo123');"
                                  "$('#agree').prop('checked', true); $('#submitBtn').click();"));
        QTRY_COMPARE_WITH_TIMEOUT(mainWindows().size(), 1, 20000);
        MorvuSDKKFWinApp *window = mainWindows().first();
        QCOMPARE(window->loginPageWindow, &page);

        // The saved login and the window keep the access token, not the ptToken.
        const QString token = window->currentAuthToken();
        QVERIFY(!token.isEmpty());
        QCOMPARE(window->currentUid(), QStringLiteral("10001"));
        QCOMPARE(readSavedLogin().value(QStringLiteral("token")), token);
        const QUrl address = window->mainView()->url();
        QCOMPARE(address.path(), QStringLiteral("//app/pcbox"));
        QVERIFY2(address.query().startsWith(QStringLiteral("from=pcapp&authToken=") + token +
                                            QStringLiteral("&productCode=")),
                 qPrintable(address.toString()));

        // Once the storefront is ready the window shows and the login page goes away.
        QTRY_VERIFY_WITH_TIMEOUT(window->windowOpacity() == 1.0 && window->isVisible(), 30000);
        QTRY_VERIFY(!page.isVisible());
        delete window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void windowActions()
    {
        LoginPage page;
        QTRY_VERIFY_WITH_TIMEOUT(page.isVisible(), 20000);
        page.JS_mainPageEvent(QStringLiteral("window_hide"), QString());
        QVERIFY(!page.isVisible());
    }
};

int main(int argc, char *argv[])
{
    // As the launcher itself: the embedded pages talk to the operator's service.
    static char disableWebSecurity[] = "--disable-web-security";
    std::vector<char *> arguments(argv, argv + argc);
    arguments.push_back(disableWebSecurity);
    arguments.push_back(nullptr);
    int count = argc + 1;
    QApplication app(count, arguments.data());
    TestEmbeddedLogin test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_embedded_login.moc"
