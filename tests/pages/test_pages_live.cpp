// The message box and the login page against the local operator service: the pages make their real
// requests, and the service's state afterwards shows what reached it.

#include "Resources/tools/PageHarness.h"
#include "tests/pipeline/DemoService.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

namespace {

const QString boxUrl = QStringLiteral("qrc:/html/Resources/html/messageBox.html");
const QString loginUrl = QStringLiteral("qrc:/html/Resources/html/loginPage.html");

QString item(int id)
{
    return QStringLiteral("$('.msgItem[msgId=\"%1\"]')").arg(id);
}

} // namespace

class PagesLiveTest : public QObject
{
    Q_OBJECT

private:
    // Made once the application exists.
    std::unique_ptr<DemoService> m_serviceOwner;
    QNetworkAccessManager *m_network = nullptr;
    PageHarness *m_page = nullptr;

    DemoService &service() { return *m_serviceOwner; }

    QString text(const QString &script) { return m_page->eval(script).toString(); }

    // A JSON answer of the service, asked for outside the page.
    QJsonObject serviceGet(const QString &path, const QUrlQuery &query = QUrlQuery())
    {
        QUrl url(service().base() + path);
        url.setQuery(query);
        QNetworkReply *reply = m_network->get(QNetworkRequest(url));
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        return QJsonDocument::fromJson(body).object();
    }

    // The service's inbox entry with this id.
    QJsonObject storedMessage(int id)
    {
        const QJsonArray list =
            serviceGet(QStringLiteral("/app/getPcBoxMessage")).value(QStringLiteral("data")).toArray();
        for (const QJsonValue &value : list) {
            if (value.toObject().value(QStringLiteral("id")).toInt() == id)
                return value.toObject();
        }
        return QJsonObject();
    }

    bool openMessageBox()
    {
        PageContext context;
        context.authToken = QStringLiteral("demotoken10001");
        context.apiHost = service().base();
        if (!m_page->open(boxUrl, context))
            return false;
        m_page->run(QStringLiteral("loadMessageList()"));
        return m_page->waitFor(QStringLiteral("$('.msgItem').length > 0"), 10000);
    }

    QString ids(const QString &selector)
    {
        return text(QStringLiteral("$('") + selector +
                    QStringLiteral("').map(function(){return $(this).attr('msgId');}).get().join(',')"));
    }

    bool openLogin(int mode)
    {
        PageContext context;
        context.apiHost = service().base();
        if (!m_page->open(loginUrl, context, PageHarness::Bootstrap::Login))
            return false;
        m_page->run(QStringLiteral("switchMode(%1)").arg(mode));
        return true;
    }

    // The "loginSuccess" the page sent, or an empty object.
    QJsonObject sentLogin()
    {
        for (const PageBridgeStub::Action &action : m_page->bridge()->actions()) {
            if (action.name == QLatin1String("loginSuccess"))
                return action.data;
        }
        return QJsonObject();
    }

    // The sign-in the page reported is a session the service knows, for the expected user.
    void verifySignedIn(const QString &uid, const QString &username)
    {
        const QJsonObject login = sentLogin();
        QCOMPARE(login.value(QStringLiteral("uid")).toString(), uid);
        QCOMPARE(login.value(QStringLiteral("username")).toString(), username);
        const QString token = login.value(QStringLiteral("authToken")).toString();
        QVERIFY(!token.isEmpty());
        QVERIFY(!login.value(QStringLiteral("ptToken")).toString().isEmpty());
        QCOMPARE(login.value(QStringLiteral("avatarUrl")).toString(),
                 service().base() + QStringLiteral("/static/avatar/") + uid + QStringLiteral(".png"));
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("authToken"), token);
        const QJsonObject check = serviceGet(QStringLiteral("/app/checkLogin"), query);
        QVERIFY2(check.value(QStringLiteral("status")).toBool(), qPrintable(token));
        QCOMPARE(QString::number(
                     check.value(QStringLiteral("data")).toObject().value(QStringLiteral("uid")).toInt()),
                 uid);
        QCOMPARE(m_page->bridge()->actionNames().count(QStringLiteral("loginSuccess")), 1);
    }

private slots:
    void initTestCase()
    {
        m_serviceOwner = std::make_unique<DemoService>();
        m_network = new QNetworkAccessManager(this);
        service().setDataDir(QStringLiteral(LAUNCHER_BINARY_DIR "/pages-demo-data"));
        QString why;
        QVERIFY2(service().start(1024 * 1024, &why), qPrintable(why));
    }

    void cleanupTestCase() { m_serviceOwner.reset(); }

    void init()
    {
        QVERIFY(service().reset());
        m_page = new PageHarness(QSize(1200, 650));
    }

    void cleanup()
    {
        m_page->run(QStringLiteral("try { localStorage.removeItem('loginType'); } catch (e) {}"));
        delete m_page;
        m_page = nullptr;
    }

    // The inbox as the service holds it, with a system message pushed before the box opens.
    void inboxFilesIntoTabs_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("visible");
        QTest::newRow("all") << QStringLiteral("0") << QStringLiteral("6,1,2,3,4,5");
        QTest::newRow("new fans") << QStringLiteral("1") << QStringLiteral("4");
        QTest::newRow("replies") << QStringLiteral("2") << QStringLiteral("3");
        QTest::newRow("likes") << QStringLiteral("3") << QStringLiteral("5");
        QTest::newRow("group requests") << QStringLiteral("4") << QStringLiteral("2");
        QTest::newRow("system notices, the pushed one first") << QStringLiteral("5") << QStringLiteral("6,1");
    }

    void inboxFilesIntoTabs()
    {
        QFETCH(QString, category);
        QFETCH(QString, visible);
        QVERIFY(service().control(QJsonObject{
            {QStringLiteral("message"),
             QJsonObject{{QStringLiteral("title"), QStringLiteral("停服维护 <b>今晚</b>")},
                         {QStringLiteral("desc"), QStringLiteral("<p>维护 <i>两小时</i></p>")}}}}));
        QVERIFY(openMessageBox());
        QCOMPARE(ids(QStringLiteral(".msgItem")), QStringLiteral("6,1,2,3,4,5"));
        QCOMPARE(ids(QStringLiteral(".msgItem.unread")), QStringLiteral("6,1,2,3"));
        QCOMPARE(text(item(6) + QStringLiteral(".find('.msgTitle').text() + '|' + ") + item(6) +
                      QStringLiteral(".find('.msgDesc').text()")),
                 QStringLiteral("停服维护 <b>今晚</b>|维护 两小时"));
        // The service's avatars are absolute addresses on it, and they load.
        QVERIFY(m_page->waitFor(item(3) + QStringLiteral(".find('.msgAvatar')[0].naturalWidth > 0"), 5000));
        QCOMPARE(text(item(3) + QStringLiteral(".find('.msgAvatar').attr('src')")),
                 service().base() + QStringLiteral("/static/avatar/20002.png"));

        m_page->run(QStringLiteral("$('#tabs .tab[category=\"") + category + QStringLiteral("\"]').click()"));
        QCOMPARE(ids(QStringLiteral(".msgItem:visible")), visible);
        QVERIFY(!m_page->eval(QStringLiteral("$('#emptyNotice').is(':visible')")).toBool());
        // Fans and likes hold only read messages; every other tab has an unread one.
        QCOMPARE(text(QStringLiteral("$('#tabs .tab.hasUnread').map(function(){return "
                                     "$(this).attr('category');}).get().join(',')")),
                 QStringLiteral("0,2,4,5"));
    }

    // Reading marks the message read at the service; the last unread one tells the launcher once.
    void readingReachesTheService()
    {
        QVERIFY(openMessageBox());
        m_page->run(item(1) + QStringLiteral(".click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("!") + item(1) + QStringLiteral(".hasClass('unread')"), 5000));
        QCOMPARE(storedMessage(1).value(QStringLiteral("isRead")).toInt(), 1);
        QCOMPARE(storedMessage(2).value(QStringLiteral("isRead")).toInt(), 0);
        QTest::qWait(100);
        QCOMPARE(m_page->bridge()->actions().size(), 0);

        // The group request is read by clicking its text, not its buttons.
        m_page->run(item(2) + QStringLiteral(".click()"));
        m_page->run(item(3) + QStringLiteral(".click()"));
        QVERIFY(m_page->waitForActions(1, 5000));
        QCOMPARE(m_page->bridge()->actions().at(0).text,
                 QStringLiteral("{\"action\":\"clearUnReadMessage\",\"data\":{}}"));
        QCOMPARE(serviceGet(QStringLiteral("/app/getPcBoxMessage")).value(QStringLiteral("unread")).toInt(),
                 0);
        QVERIFY(!storedMessage(2).contains(QStringLiteral("answer")));

        // Reading a read message again says nothing more, and a reload shows the state the service kept.
        m_page->run(item(4) + QStringLiteral(".click()"));
        QTest::qWait(300);
        QCOMPARE(m_page->bridge()->actions().size(), 1);
        m_page->run(QStringLiteral("loadMessageList()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.msgItem').length === 5"), 5000));
        QCOMPARE(ids(QStringLiteral(".msgItem.unread")), QString());
        QCOMPARE(text(QStringLiteral("String($('#tabs .tab.hasUnread').length)")), QStringLiteral("0"));
    }

    void groupRequestReachesTheService_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("refuse") << 0;
        QTest::newRow("allow") << 1;
    }

    void groupRequestReachesTheService()
    {
        QFETCH(int, button);
        QVERIFY(openMessageBox());
        m_page->run(item(2) + QStringLiteral(".find('.applyBtn[applyType=\"%1\"]').click()").arg(button));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.layui-layer-msg').text() === '操作成功'"), 5000));
        const QJsonObject stored = storedMessage(2);
        QCOMPARE(stored.value(QStringLiteral("answer")).toInt(-1), button);
        // Answered requests cannot be answered twice; the buttons did not read any other message.
        QCOMPARE(
            text(QStringLiteral("String(") + item(2) + QStringLiteral(".find('.applyBtn:enabled').length)")),
            QStringLiteral("0"));
        QCOMPARE(storedMessage(1).value(QStringLiteral("isRead")).toInt(), 0);
        QCOMPARE(storedMessage(3).value(QStringLiteral("isRead")).toInt(), 0);
    }

    void passwordSignIn_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("uid"); // empty: refused
        QTest::newRow("demo account")
            << QStringLiteral("demo") << QStringLiteral("demo123") << QStringLiteral("10001");
        QTest::newRow("name with a space, ampersand and CJK")
            << QStringLiteral("星辰 旅人&Co") << QStringLiteral("star123") << QStringLiteral("10002");
        QTest::newRow("wrong password") << QStringLiteral("demo") << QStringLiteral("demo124") << QString();
    }

    void passwordSignIn()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(QString, uid);
        QVERIFY(openLogin(1));
        m_page->run(
            QStringLiteral("$('#username').val(%1); $('#password').val(%2); $('#agree').prop('checked', "
                           "true); $('#loginForm').submit()")
                .arg(PageHarness::jsString(username), PageHarness::jsString(password)));
        if (uid.isEmpty()) {
            QVERIFY(m_page->waitFor(QStringLiteral("$('.field.error #password').length === 1"), 5000));
            QVERIFY(!text(QStringLiteral("$('#boxToast').text()")).isEmpty());
            QVERIFY(!m_page->eval(QStringLiteral("$('#submitBtn').prop('disabled')")).toBool());
            QTest::qWait(200);
            QCOMPARE(m_page->bridge()->actions().size(), 0);
            return;
        }
        QVERIFY(m_page->waitForActions(1, 5000));
        verifySignedIn(uid, username);
    }

    void phoneSignIn_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("uid"); // empty: refused
        QTest::addColumn<QString>("username");
        QTest::newRow("demo phone") << QStringLiteral("13800138000") << QStringLiteral("123456")
                                    << QStringLiteral("10001") << QStringLiteral("demo");
        QTest::newRow("second account") << QStringLiteral("13900139000") << QStringLiteral("123456")
                                        << QStringLiteral("10002") << QStringLiteral("星辰 旅人&Co");
        QTest::newRow("wrong code") << QStringLiteral("13800138000") << QStringLiteral("654321") << QString()
                                    << QString();
    }

    void phoneSignIn()
    {
        QFETCH(QString, phone);
        QFETCH(QString, code);
        QFETCH(QString, uid);
        QFETCH(QString, username);
        QVERIFY(openLogin(3));
        m_page->run(QStringLiteral("$('#phone').val(%1).trigger('input'); $('#sendCode').click()")
                        .arg(PageHarness::jsString(phone)));
        QCOMPARE(text(QStringLiteral("$('#sendCode').text()")), QStringLiteral("还剩60秒"));
        // The countdown runs, the button stays disabled, and the service took the number without complaint.
        QVERIFY(m_page->waitFor(QStringLiteral("$('#sendCode').text() === '还剩59秒'"), 3000));
        QVERIFY(m_page->eval(QStringLiteral("$('#sendCode').prop('disabled')")).toBool());
        QVERIFY(!m_page->eval(QStringLiteral("$('#boxToast').hasClass('show')")).toBool());

        m_page->run(
            QStringLiteral("$('#code').val(%1); $('#agree').prop('checked', true); $('#loginForm').submit()")
                .arg(PageHarness::jsString(code)));
        if (uid.isEmpty()) {
            QVERIFY(m_page->waitFor(QStringLiteral("$('.field.error #code').length === 1"), 5000));
            QVERIFY(!m_page->eval(QStringLiteral("$('#submitBtn').prop('disabled')")).toBool());
            QTest::qWait(200);
            QCOMPARE(m_page->bridge()->actions().size(), 0);
            return;
        }
        QVERIFY(m_page->waitForActions(1, 5000));
        verifySignedIn(uid, username);
    }

    void qrSignIn_data()
    {
        QTest::addColumn<int>("confirmAfterPolls"); // the service's own confirmation, 0: never
        QTest::addColumn<bool>("phoneScans");
        QTest::addColumn<bool>("signsIn");
        QTest::newRow("service confirms at the third poll") << 3 << false << true;
        QTest::newRow("phone scans the code") << 0 << true << true;
        QTest::newRow("nobody scans") << 0 << false << false;
    }

    void qrSignIn()
    {
        QFETCH(int, confirmAfterPolls);
        QFETCH(bool, phoneScans);
        QFETCH(bool, signsIn);
        QVERIFY(service().control(QJsonObject{{QStringLiteral("qrConfirmAfterPolls"), confirmAfterPolls}}));
        QVERIFY(openLogin(1));
        m_page->run(QStringLiteral("$('#cornerSwitch').click()"));
        // The code image is the service's picture of the address the phone opens.
        QVERIFY(m_page->waitFor(QStringLiteral("qrToken !== '' && $('#qrImage')[0].complete && "
                                               "$('#qrImage')[0].naturalWidth > 0"),
                                5000));
        const QString token = text(QStringLiteral("qrToken"));
        QCOMPARE(text(QStringLiteral("$('#qrImage').attr('src')")),
                 service().base() + QStringLiteral("/open/qrImgCreate?data=") +
                     QString::fromLatin1(QUrl::toPercentEncoding(
                         service().base() + QStringLiteral("/open/qrScan?token=") + token)));
        QVERIFY(!m_page->eval(QStringLiteral("$('#qrMask').is(':visible')")).toBool());

        if (phoneScans) {
            QUrlQuery query;
            query.addQueryItem(QStringLiteral("token"), token);
            serviceGet(QStringLiteral("/open/qrScan"), query);
        }
        if (!signsIn) {
            QTest::qWait(3500);
            QCOMPARE(m_page->bridge()->actions().size(), 0);
            QVERIFY(!m_page->eval(QStringLiteral("$('#qrMask').is(':visible')")).toBool());
            return;
        }
        QVERIFY(m_page->waitFor(QStringLiteral("$('#qrMessage').text() === '登录成功'"), 6000));
        QVERIFY(m_page->waitForActions(1, 3000));
        verifySignedIn(QStringLiteral("10001"), QStringLiteral("demo"));
    }
};

int main(int argc, char **argv)
{
    // As in the launcher, the qrc pages talk to the service's origin.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --disable-web-security");
    PagesLiveTest test;
    return runPageTest(&test, argc, argv);
}

#include "test_pages_live.moc"
