// Signing in through the operator's OAuth page in the login dialog: in the dialog's own view, through a
// popup the page opens, the real-name relay, and what the main window does with the login.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "ui/CWebPage.h"
#include "ui/LoginAddress.h"
#include "ui/LoginDialog.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QUrlQuery>

using namespace mwtest;

class TestSignIn : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    MorvuSDKKFWinApp *m_window = nullptr;

    LoginDialog *dialog() const { return m_window->loginDialogWindow(); }
    QWebEnginePage *dialogPage() const { return dialog()->webView()->page(); }

    // Opens the dialog and waits until the OAuth form is shown.
    void openDialog()
    {
        dialog()->hide();
        runJs(m_window->mainView()->page(), QStringLiteral("doAction('openLoginDialog', {})"));
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->isVisible() && dialog()->webView()->isVisible(), 20000);
        QVERIFY(waitForJs(dialogPage(), QStringLiteral("document.readyState === 'complete' && window.BOOT")));
    }

    static QString fillAndSubmit(const QString &user, const QString &password)
    {
        return QStringLiteral("document.getElementById('username').value=") + jscall::singleQuoted(user) +
               QStringLiteral(";document.getElementById('password').value=") +
               jscall::singleQuoted(password) + QStringLiteral(";document.getElementById('submit').click();");
    }

    QStringList lastUserInfoCall()
    {
        const QJsonArray calls = nativeCalls(m_window->mainView()->page());
        for (int i = calls.size() - 1; i >= 0; --i) {
            const QJsonObject call = calls.at(i).toObject();
            if (call.value(QStringLiteral("fn")).toString() == QLatin1String("setUserInfo")) {
                QStringList args;
                for (const QJsonValue &arg : call.value(QStringLiteral("args")).toArray())
                    args << arg.toString();
                return args;
            }
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost(),
                            QStringLiteral("\"lang\": \"zh\", \"loginParams\": \"&extra=1\"")));
        useApplicationDir(m_dir.path());
        QVERIFY(m_service.control("{\"reset\": true}"));
        m_window = new MorvuSDKKFWinApp;
        m_window->loadMainPage(QString(), QString());
        m_window->show();
        QTRY_VERIFY_WITH_TIMEOUT(
            m_window->windowOpacity() == 1.0 && !m_window->waitScreenWindow()->isVisible(), 30000);
    }

    void cleanupTestCase()
    {
        delete m_window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        clearSavedLogin();
    }

    void oauthAddress()
    {
        QApi *api = QApi::instance();
        const QString address = LoginDialog::loginAddress();
        QCOMPARE(address, api->apiHost() + QStringLiteral("/open/oauth?openId=gameLaucher&successUrl=") +
                              loginaddress::loginSuccessUrl() + QStringLiteral("&productCode=") +
                              api->productCode +
                              QStringLiteral("&channelCode=default&sign=4a2c7e9d1b06f358ad0e2c94b7f1e6d2"
                                             "&stopClose=1&theme=gameLaucher&lang=zh&extra=1"));
        // The success host is never a real one.
        QVERIFY(loginaddress::loginSuccessHost().endsWith(QLatin1String(".invalid")));
    }

    // A sign-in in the dialog's own view reaches the window, the saved login and the page.
    void signInInDialog_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("uid");
        QTest::newRow("plain account") << "demo"
                                       << "demo123"
                                       << "10001";
        QTest::newRow("name that needs encoding") << QString::fromUtf8("星辰 旅人&Co") << "star123"
                                                  << "10002";
    }

    void signInInDialog()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, uid);
        clearSavedLogin();
        openDialog();
        QSignalSpy signedIn(dialog(), &LoginDialog::setUserInfo);
        runJs(dialogPage(), fillAndSubmit(user, password));
        QTRY_COMPARE_WITH_TIMEOUT(signedIn.count(), 1, 20000);
        QVERIFY(!dialog()->isVisible());

        const QString token = signedIn.at(0).at(4).toString();
        QVERIFY(!token.isEmpty());
        QCOMPARE(signedIn.at(0).at(0).toString(), uid);
        QCOMPARE(signedIn.at(0).at(1).toString(), user);
        QCOMPARE(m_window->currentUid(), uid);
        QCOMPARE(m_window->currentUsername(), user);
        QCOMPARE(m_window->currentAuthToken(), token);
        const QMap<QString, QString> saved = readSavedLogin();
        QCOMPARE(saved.value(QStringLiteral("uid")), uid);
        QCOMPARE(saved.value(QStringLiteral("token")), token);
        QTRY_COMPARE(lastUserInfoCall(), (QStringList{uid, user, token}));

        // The dialog is ready for the next sign-in: it loads the form again and is not shown.
        QTRY_VERIFY_WITH_TIMEOUT(dialog()->webView()->url().path().endsWith(QLatin1String("/open/oauth")),
                                 20000);
        QTest::qWait(500);
        QCOMPARE(signedIn.count(), 1);
        QVERIFY(!dialog()->isVisible());
    }

    // A wrong password leaves everything as it was.
    void wrongPasswordChangesNothing()
    {
        clearSavedLogin();
        openDialog();
        QSignalSpy signedIn(dialog(), &LoginDialog::setUserInfo);
        runJs(dialogPage(), fillAndSubmit(QStringLiteral("demo"), QStringLiteral("nope")));
        QVERIFY(
            waitForJs(dialogPage(),
                      QStringLiteral(
                          "(document.getElementById('error') || {textContent: ''}).textContent.length > 0")));
        QTest::qWait(500);
        QCOMPARE(signedIn.count(), 0);
        QVERIFY(dialog()->isVisible());
        QVERIFY(readSavedLogin().isEmpty());
        dialog()->hide();
    }

    // The OAuth page opens a popup for another account; its sign-in is relayed by the dialog's view.
    void signInInPopup()
    {
        clearSavedLogin();
        openDialog();
        CWebPage *view = dialog()->webView();
        QSignalSpy signedIn(dialog(), &LoginDialog::setUserInfo);
        runJs(dialogPage(), QStringLiteral("document.getElementById('otherAuth').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(view->popups.size(), 1, 10000);
        CWebPage *popup = view->popups.first();
        QCOMPARE(popup->mode, int(CWebPage::PopupView));
        QVERIFY(
            waitForJs(popup->page(), QStringLiteral("document.readyState === 'complete' && window.BOOT")));

        runJs(popup->page(), fillAndSubmit(QStringLiteral("demo"), QStringLiteral("demo123")));

        QTRY_COMPARE_WITH_TIMEOUT(signedIn.count(), 1, 20000);
        QCOMPARE(signedIn.at(0).at(0).toString(), QStringLiteral("10001"));
        QCOMPARE(signedIn.at(0).at(1).toString(), QStringLiteral("demo"));
        QTRY_VERIFY(view->popups.isEmpty());
        QCOMPARE(m_window->currentUid(), QStringLiteral("10001"));
        QCOMPARE(readSavedLogin().value(QStringLiteral("uid")), QStringLiteral("10001"));
        QVERIFY(!dialog()->isVisible());
    }

    // A real-name popup's result goes back into the OAuth page.
    void realNameRelay()
    {
        openDialog();
        CWebPage *view = dialog()->webView();
        runJs(dialogPage(), QStringLiteral("document.getElementById('realName').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(view->popups.size(), 1, 10000);
        CWebPage *popup = view->popups.first();
        QVERIFY(
            waitForJs(popup->page(), QStringLiteral("document.readyState === 'complete' && window.BOOT")));
        runJs(popup->page(), QStringLiteral("document.querySelector('#form button').click()"));
        QVERIFY(waitForJs(
            dialogPage(),
            QStringLiteral("document.getElementById('realNameResult').textContent.indexOf('110') >= 0"),
            20000));
        const QString shown =
            runJs(dialogPage(), QStringLiteral("document.getElementById('realNameResult').textContent"))
                .toString();
        QVERIFY2(shown.contains(QString::fromUtf8("张*")), qPrintable(shown));
        QTRY_VERIFY(view->popups.isEmpty());
        dialog()->hide();
    }

    // Signing out forgets the login everywhere; changing the account also shows the dialog.
    void signOut()
    {
        dialog()->hide();
        writeSavedLogin(QStringLiteral("10001"), QStringLiteral("demotoken10001"));
        m_window->setUserInfo(QStringLiteral("10001"), QStringLiteral("demo"), QString(), QString(),
                              QStringLiteral("demotoken10001"));
        QVERIFY(!readSavedLogin().isEmpty());
        m_window->changeAccountSlot(true, false);
        QVERIFY(readSavedLogin().isEmpty());
        QVERIFY(m_window->currentUid().isEmpty());
        QVERIFY(m_window->currentAuthToken().isEmpty());
        QVERIFY(!dialog()->isVisible());

        m_window->changeAccountSlot(true);
        QTRY_VERIFY(dialog()->isVisible());
        QVERIFY(m_window->isVisible());
        dialog()->hide();
    }
};

QTEST_MAIN(TestSignIn)
#include "test_signin.moc"
