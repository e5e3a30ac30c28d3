// The login page "loginPage.html" with the service's answers played by a fake transport: checks before a
// request, the requests of the three modes, and the "loginSuccess" it sends.

#include "FakeTransport.h"
#include "Resources/tools/PageHarness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebEngineView>

namespace {

const QString loginUrl = QStringLiteral("qrc:/html/Resources/html/loginPage.html");

// A sign-in answer's data; the QR check answers with the same shape.
QJsonObject loginData()
{
    return QJsonObject{
        {QStringLiteral("authToken"), QStringLiteral("T0K")},
        {QStringLiteral("userData"), QJsonObject{{QStringLiteral("uid"), 12345},
                                                 {QStringLiteral("ptToken"), QStringLiteral("PT")},
                                                 {QStringLiteral("username"), QStringLiteral("player1")}}},
        {QStringLiteral("extData"),
         QJsonObject{{QStringLiteral("nickName"), QStringLiteral("小鹿")},
                     {QStringLiteral("avatar"), QStringLiteral("http://h/a.png")}}}};
}

QJsonObject success()
{
    return QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), loginData()}};
}

QString answer(const QString &path, const QJsonValue &body)
{
    return QStringLiteral("window.__answers[") + PageHarness::jsString(path) +
           QStringLiteral("] = { body: ") +
           QString::fromUtf8(QJsonDocument(QJsonArray{body}).toJson(QJsonDocument::Compact)) +
           QStringLiteral("[0] };");
}

const char expectedLogin[] =
    "{\"authToken\":\"T0K\",\"avatarUrl\":\"http://h/a.png\",\"nickName\":\"小鹿\",\"ptToken\":\"PT\","
    "\"uid\":\"12345\",\"username\":\"player1\"}";

} // namespace

class LoginPageTest : public QObject
{
    Q_OBJECT

private:
    PageHarness *m_page = nullptr;

    QString text(const QString &script) { return m_page->eval(script).toString(); }

    bool openInMode(int mode)
    {
        if (!m_page->open(loginUrl, PageContext(), PageHarness::Bootstrap::Login))
            return false;
        m_page->run(fakeTransportScript());
        m_page->run(QStringLiteral("switchMode(%1)").arg(mode));
        // The fake transport may already have seen the QR request of a page that started in QR mode.
        m_page->run(QStringLiteral("window.__requests = []"));
        return true;
    }

    // The data of the "loginSuccess" action without userInfo, keys sorted.
    QString sentLogin()
    {
        for (const PageBridgeStub::Action &action : m_page->bridge()->actions()) {
            if (action.name == QLatin1String("loginSuccess")) {
                QJsonObject data = action.data;
                if (data.value(QLatin1String("userInfo")).toObject() != loginData())
                    return QStringLiteral("userInfo differs");
                data.remove(QStringLiteral("userInfo"));
                return QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact));
            }
        }
        return QString();
    }

    QString errorFields()
    {
        return text(
            QStringLiteral("$('.field.error input').map(function(){return this.id;}).get().join(',')"));
    }

private slots:
    void init() { m_page = new PageHarness(QSize(1200, 650)); }
    void cleanup()
    {
        m_page->run(QStringLiteral("try { localStorage.removeItem('loginType'); } catch (e) {}"));
        delete m_page;
        m_page = nullptr;
    }

    void passwordChecksBeforeAsking_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("agree");
        QTest::addColumn<QString>("errors");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<int>("requests");
        QTest::newRow("nothing typed")
            << QString() << QString() << true << QStringLiteral("username,password") << QString() << 0;
        QTest::newRow("no password") << QStringLiteral("player1") << QString() << true
                                     << QStringLiteral("password") << QString() << 0;
        QTest::newRow("agreement not ticked") << QStringLiteral("player1") << QStringLiteral("pw") << false
                                              << QString() << QStringLiteral("请阅读并同意用户协议") << 0;
        QTest::newRow("ready, the service does not answer")
            << QStringLiteral("player1") << QStringLiteral("pw") << true << QString()
            << QStringLiteral("网络失败，请重试或联系客服") << 1;
    }

    void passwordChecksBeforeAsking()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(bool, agree);
        QFETCH(QString, errors);
        QFETCH(QString, toast);
        QFETCH(int, requests);
        QVERIFY(openInMode(1));
        m_page->run(
            QStringLiteral("$('#username').val(%1); $('#password').val(%2); $('#agree').prop('checked', %3);"
                           "$('#loginForm').submit()")
                .arg(PageHarness::jsString(username), PageHarness::jsString(password),
                     agree ? QStringLiteral("true") : QStringLiteral("false")));
        QTest::qWait(100);
        QCOMPARE(errorFields(), errors);
        QCOMPARE(text(QStringLiteral("$('#boxToast').hasClass('show') ? $('#boxToast').text() : ''")), toast);
        QCOMPARE(m_page->eval(QStringLiteral("window.__requests.length")).toInt(), requests);
    }

    // Enter in the password field signs in; the answer's user becomes the "loginSuccess" data, all text.
    void passwordLoginByEnter()
    {
        QVERIFY(openInMode(1));
        m_page->run(answer(QStringLiteral("/app/loginApp"), success()));
        m_page->run(QStringLiteral(
            "$('#username').val('player1'); $('#password').val('p&w=1'); $('#agree').prop('checked', true);"
            "$('#password').focus()"));
        QWidget *target = m_page->view()->focusProxy();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(m_page->waitForActions(1));
        QCOMPARE(
            text(requestShapeScript(0)),
            QStringLiteral("GET /app/loginApp: "
                           "deviceId=pcbox&format=json&password=p&w=1&productCode=demo&username=player1"));
        QCOMPARE(sentLogin(), QString::fromUtf8(expectedLogin));
        QVERIFY(m_page->eval(QStringLiteral("$('#successNotice').is(':visible')")).toBool());
    }

    void rejectedLoginMarksTheSecret_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("fill");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("markedField");
        QTest::newRow("password") << 1
                                  << QStringLiteral(
                                         "$('#username').val('player1'); $('#password').val('bad')")
                                  << QStringLiteral("/app/loginApp") << QStringLiteral("password");
        QTest::newRow("phone code") << 3
                                    << QStringLiteral(
                                           "$('#phone').val('13800138000'); $('#code').val('000000')")
                                    << QStringLiteral("/app/loginByPhone") << QStringLiteral("code");
    }

    void rejectedLoginMarksTheSecret()
    {
        QFETCH(int, mode);
        QFETCH(QString, fill);
        QFETCH(QString, path);
        QFETCH(QString, markedField);
        QVERIFY(openInMode(mode));
        m_page->run(answer(path, QJsonObject{{QStringLiteral("status"), false},
                                             {QStringLiteral("msg"), QStringLiteral("密码错误")}}));
        m_page->run(fill + QStringLiteral("; $('#agree').prop('checked', true); $('#loginForm').submit()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.field.error').length > 0")));
        QCOMPARE(errorFields(), markedField);
        QVERIFY(!m_page->eval(QStringLiteral("$('#submitBtn').prop('disabled')")).toBool());
        QCOMPARE(text(QStringLiteral("$('#boxToast').text()")), QStringLiteral("密码错误"));
        QCOMPARE(m_page->bridge()->actions().size(), 0);
    }

    void sendCodeNeedsElevenDigits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("ten digits") << QStringLiteral("1380013800") << QStringLiteral("1380013800") << false;
        QTest::newRow("eleven digits")
            << QStringLiteral("13800138000") << QStringLiteral("13800138000") << true;
        QTest::newRow("letters are dropped")
            << QStringLiteral("138-0013-8000") << QStringLiteral("13800138000") << true;
    }

    void sendCodeNeedsElevenDigits()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(bool, enabled);
        QVERIFY(openInMode(3));
        m_page->run(QStringLiteral("$('#phone').val(%1).trigger('input')").arg(PageHarness::jsString(typed)));
        QCOMPARE(text(QStringLiteral("$('#phone').val()")), kept);
        QCOMPARE(!m_page->eval(QStringLiteral("$('#sendCode').prop('disabled')")).toBool(), enabled);
    }

    void sendingACode_data()
    {
        QTest::addColumn<QString>("phone");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("request");
        QTest::newRow("not a mobile number")
            << QStringLiteral("23800138000") << QStringLiteral("手机号码格式错误")
            << QStringLiteral("发送验证码") << QString();
        QTest::newRow("mobile number")
            << QStringLiteral("13800138000") << QString() << QStringLiteral("还剩60秒")
            << QStringLiteral("GET /app/sendPhoneCode: deviceId=pcbox&format=json&phone=13800138000&"
                              "productCode=demo&sendType=1");
    }

    void sendingACode()
    {
        QFETCH(QString, phone);
        QFETCH(QString, toast);
        QFETCH(QString, button);
        QFETCH(QString, request);
        QVERIFY(openInMode(3));
        m_page->run(
            answer(QStringLiteral("/app/sendPhoneCode"), QJsonObject{{QStringLiteral("status"), true}}));
        m_page->run(QStringLiteral("$('#phone').val(%1).trigger('input'); $('#sendCode').click()")
                        .arg(PageHarness::jsString(phone)));
        QTest::qWait(100);
        QCOMPARE(text(QStringLiteral("$('#boxToast').hasClass('show') ? $('#boxToast').text() : ''")), toast);
        QCOMPARE(text(QStringLiteral("$('#sendCode').text()")), button);
        QCOMPARE(text(requestShapeScript(0)), request);
        if (!request.isEmpty()) {
            QCOMPARE(text(QStringLiteral("String(window.__requests[0].timeout)")), QStringLiteral("5000"));
            QVERIFY(m_page->eval(QStringLiteral("$('#sendCode').prop('disabled')")).toBool());
        }
    }

    void phoneLogin()
    {
        QVERIFY(openInMode(3));
        m_page->run(answer(QStringLiteral("/app/loginByPhone"), success()));
        m_page->run(QStringLiteral(
            "$('#phone').val('13800138000'); $('#code').val('12345'); $('#agree').prop('checked', true);"
            "$('#loginForm').submit()"));
        QTest::qWait(50);
        QCOMPARE(errorFields(), QStringLiteral("code"));
        QCOMPARE(m_page->eval(QStringLiteral("window.__requests.length")).toInt(), 0);
        m_page->run(QStringLiteral("$('#code').val('123456'); $('#loginForm').submit()"));
        QVERIFY(m_page->waitForActions(1));
        QCOMPARE(text(requestShapeScript(0)),
                 QStringLiteral("GET /app/loginByPhone: "
                                "code=123456&deviceId=pcbox&format=json&phone=13800138000&productCode=demo"));
        QCOMPARE(sentLogin(), QString::fromUtf8(expectedLogin));
    }

    void qrLogin_data()
    {
        QTest::addColumn<QString>("createAnswer"); // script, or empty for a network error
        QTest::addColumn<QString>("checkAnswer");
        QTest::addColumn<QString>("mask"); // text over the code, empty: none
        QTest::addColumn<bool>("signsIn");
        const QString created =
            answer(QStringLiteral("/open/qrUrlcreate"),
                   QJsonObject{
                       {QStringLiteral("status"), true},
                       {QStringLiteral("data"),
                        QJsonObject{{QStringLiteral("data"),
                                     QJsonObject{{QStringLiteral("qrurl"), QStringLiteral("http://h/qr?k=1")},
                                                 {QStringLiteral("token"), QStringLiteral("tk")}}}}}});
        QJsonObject scanned = success();
        scanned.insert(QStringLiteral("code"), 200);
        QTest::newRow("scanned") << created << answer(QStringLiteral("/open/ckTokenLoginPcBox"), scanned)
                                 << QStringLiteral("登录成功") << true;
        QTest::newRow("expired") << created
                                 << answer(
                                        QStringLiteral("/open/ckTokenLoginPcBox"),
                                        QJsonObject{{QStringLiteral("status"), false},
                                                    {QStringLiteral("code"), 101},
                                                    {QStringLiteral("msg"), QStringLiteral("二维码已过期")}})
                                 << QStringLiteral("二维码已过期") << false;
        QTest::newRow("check fails") << created << QString() << QStringLiteral("网络失败，请重试或联系客服")
                                     << false;
        QTest::newRow("creation fails")
            << QString() << QString() << QStringLiteral("网络失败，请重试或联系客服") << false;
        QTest::newRow("answer without status")
            << answer(QStringLiteral("/open/qrUrlcreate"),
                      QJsonObject{{QStringLiteral("data"), QJsonObject()}})
            << QString() << QStringLiteral("网络失败，请重试或联系客服") << false;
    }

    void qrLogin()
    {
        QFETCH(QString, createAnswer);
        QFETCH(QString, checkAnswer);
        QFETCH(QString, mask);
        QFETCH(bool, signsIn);
        QVERIFY(openInMode(1));
        if (!createAnswer.isEmpty())
            m_page->run(createAnswer);
        if (!checkAnswer.isEmpty())
            m_page->run(checkAnswer);
        m_page->run(QStringLiteral("$('#cornerSwitch').click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('#qrMask').is(':visible')"), 4000));
        QCOMPARE(text(QStringLiteral("$('#qrMessage').text()")), mask);
        QCOMPARE(
            text(QStringLiteral(
                "(function(){var r=window.__requests[0]; return r.type+' '+r.url+' '+r.data.logintype+' '+"
                "r.data.referrer+' '+(r.data.t_s > 1600000000000);})()")),
            QStringLiteral("POST http://127.0.0.1:9/open/qrUrlcreate 2 http://127.0.0.1:9 true"));
        if (!checkAnswer.isEmpty() || createAnswer.contains(QLatin1String("qrurl"))) {
            QCOMPARE(text(QStringLiteral("$('#qrImage').attr('src')")),
                     QStringLiteral("http://127.0.0.1:9/open/qrImgCreate?data=http%3A%2F%2Fh%2Fqr%3Fk%3D1"));
            QCOMPARE(text(QStringLiteral("(function(){var r=window.__requests[1]; return r.type+' '+r.url+' "
                                         "'+r.data.logintype+' '+"
                                         "r.data.token+' ['+r.data.redirect+']';})()")),
                     QStringLiteral("POST http://127.0.0.1:9/open/ckTokenLoginPcBox?from=pcapp 2 tk []"));
        }
        if (signsIn) {
            QVERIFY(m_page->waitForActions(1, 3000));
            QCOMPARE(sentLogin(), QString::fromUtf8(expectedLogin));
        } else {
            // Polling stops, and the link makes a new code.
            const int requests = m_page->eval(QStringLiteral("window.__requests.length")).toInt();
            QTest::qWait(1300);
            QCOMPARE(m_page->eval(QStringLiteral("window.__requests.length")).toInt(), requests);
            QVERIFY(m_page->eval(QStringLiteral("$('#qrRefresh').is(':visible')")).toBool());
            m_page->run(QStringLiteral("$('#qrRefresh').click()"));
            QVERIFY(m_page->waitFor(QStringLiteral("window.__requests.length === %1").arg(requests + 1)));
            QCOMPARE(m_page->bridge()->actions().size(), 0);
        }
    }

    void leavingQrModeStopsPolling()
    {
        QVERIFY(openInMode(1));
        m_page->run(answer(
            QStringLiteral("/open/qrUrlcreate"),
            QJsonObject{{QStringLiteral("status"), true},
                        {QStringLiteral("data"),
                         QJsonObject{{QStringLiteral("data"),
                                      QJsonObject{{QStringLiteral("qrurl"), QStringLiteral("u")},
                                                  {QStringLiteral("token"), QStringLiteral("t")}}}}}}));
        m_page->run(answer(QStringLiteral("/open/ckTokenLoginPcBox"),
                           QJsonObject{{QStringLiteral("status"), false}, {QStringLiteral("code"), 100}}));
        m_page->run(QStringLiteral("switchMode(2)"));
        QVERIFY(m_page->waitFor(QStringLiteral("window.__requests.length >= 2"), 3000));
        m_page->run(QStringLiteral("switchMode(1)"));
        const int requests = m_page->eval(QStringLiteral("window.__requests.length")).toInt();
        QTest::qWait(1300);
        QCOMPARE(m_page->eval(QStringLiteral("window.__requests.length")).toInt(), requests);
    }

    void resetPageClearsTheForm()
    {
        QVERIFY(openInMode(1));
        m_page->run(QStringLiteral(
            "$('#username').val('u'); $('#password').val('p'); $('.field').addClass('error');"
            "$('#submitBtn').prop('disabled', true); $('#successNotice').show(); resetPage();"));
        QCOMPARE(text(QStringLiteral("[$('#username').val(), $('#password').val(), $('.field.error').length,"
                                     "$('#submitBtn').prop('disabled'), $('#successNotice').is(':visible'), "
                                     "loginMode].join('|')")),
                 QStringLiteral("||0|false|false|1"));
        // A user who last chose the QR code gets a fresh code.
        m_page->run(QStringLiteral("localStorage.setItem('loginType', '2'); resetPage();"));
        QVERIFY(m_page->waitFor(QStringLiteral("window.__requests.length === 1")));
        QCOMPARE(text(QStringLiteral("loginMode + '|' + window.__requests[0].url")),
                 QStringLiteral("2|http://127.0.0.1:9/open/qrUrlcreate"));
    }

    void windowAndLinkActions_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("expected");
        QTest::newRow("minimise") << QStringLiteral("$('.winSmall').click()")
                                  << QStringLiteral("{\"action\":\"window_small\",\"data\":{}}");
        QTest::newRow("close") << QStringLiteral("$('.winClose').click()")
                               << QStringLiteral("{\"action\":\"window_close\",\"data\":{}}");
        QTest::newRow("drag") << QStringLiteral("$('.dragArea').trigger('mousedown')")
                              << QStringLiteral("{\"action\":\"moveWindow\",\"data\":{}}");
        QTest::newRow("register")
            << QStringLiteral("$('.bottomLinks .openUrl').click()")
            << QStringLiteral("{\"action\":\"openUrl\",\"data\":{\"url\":\"/gamesite/register\"}}");
        QTest::newRow("user agreement, box stays unticked")
            << QStringLiteral("$('.agreementLine .openUrl').first()[0].click()")
            << QStringLiteral("{\"action\":\"openUrl\",\"data\":{\"url\":\"/agreement/show/productCode/"
                              "{productCode}/type/1\"}}");
        QTest::newRow("privacy policy")
            << QStringLiteral("$('.agreementLine .openUrl').last()[0].click()")
            << QStringLiteral("{\"action\":\"openUrl\",\"data\":{\"url\":\"/agreement/show/productCode/"
                              "{productCode}/type/2\"}}");
    }

    void windowAndLinkActions()
    {
        QFETCH(QString, gesture);
        QFETCH(QString, expected);
        QVERIFY(openInMode(1));
        m_page->run(gesture);
        QVERIFY(m_page->waitForActions(1));
        QTest::qWait(100);
        QCOMPARE(m_page->bridge()->actions().size(), 1);
        QCOMPARE(m_page->bridge()->actions().at(0).text, expected);
        QVERIFY(!m_page->eval(QStringLiteral("$('#agree').prop('checked')")).toBool());
    }

    void formActionFollowsTheReferrer()
    {
        QVERIFY(openInMode(1));
        QCOMPARE(text(QStringLiteral("$('#loginForm').attr('action')")),
                 QStringLiteral("http://127.0.0.1:9/base/loginHandle?from=pcapp"));
    }
};

LAUNCHER_PAGE_TEST_MAIN(LoginPageTest)
#include "test_login_page.moc"
