// The message box "messageBox.html" with the service's answers played by a fake transport: the requests
// it makes, how it lists and files messages, reading and group requests.

#include "FakeTransport.h"
#include "Resources/tools/PageHarness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QString boxUrl = QStringLiteral("qrc:/html/Resources/html/messageBox.html");

QJsonObject message(int id, int type, const QString &title, int isRead = 1)
{
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("type"), type},
                       {QStringLiteral("title"), title},
                       {QStringLiteral("showDesc"), QStringLiteral("<p>内容 <b>%1</b></p>").arg(id)},
                       {QStringLiteral("timeSay"), QStringLiteral("10分钟前")},
                       {QStringLiteral("isRead"), isRead}};
}

QJsonArray sampleMessages()
{
    QJsonObject withAvatar = message(5, 2, QStringLiteral("有人回复了你"), 0);
    withAvatar.insert(QStringLiteral("replyUserInfo"),
                      QJsonObject{{QStringLiteral("avatarUrl"),
                                   QStringLiteral("qrc:/images/Resources/images/defaultAvatar.png")}});
    return QJsonArray{message(1, 1, QStringLiteral("系统维护通知"), 0),
                      message(2, 3, QStringLiteral("入群申请"), 0),
                      message(3, 2, QStringLiteral("你有新粉丝")),
                      message(4, 2, QStringLiteral("收到点赞")),
                      withAvatar,
                      message(6, 2, QStringLiteral("活动提醒")),
                      message(7, 1, QStringLiteral("新粉丝的系统通知"))};
}

QString answer(const QString &path, const QJsonValue &body)
{
    return QStringLiteral("window.__answers[") + PageHarness::jsString(path) +
           QStringLiteral("] = { body: ") +
           QString::fromUtf8(QJsonDocument(QJsonArray{body}).toJson(QJsonDocument::Compact)) +
           QStringLiteral("[0] };");
}

QString item(int id)
{
    return QStringLiteral("$('.msgItem[msgId=\"%1\"]')").arg(id);
}

} // namespace

class MessageBoxTest : public QObject
{
    Q_OBJECT

private:
    PageHarness *m_page = nullptr;

    QString text(const QString &script) { return m_page->eval(script).toString(); }

    bool openWithMessages(const QJsonValue &listAnswer)
    {
        PageContext context;
        context.authToken = QStringLiteral("tok");
        if (!m_page->open(boxUrl, context))
            return false;
        m_page->run(fakeTransportScript());
        if (!listAnswer.isUndefined())
            m_page->run(answer(QStringLiteral("/app/getPcBoxMessage"), listAnswer));
        m_page->run(QStringLiteral("loadMessageList()"));
        return m_page->waitFor(
            QStringLiteral("!$('#loadingNotice').is(':visible') || $('.retryLink').length > 0"));
    }

    QString visibleIds()
    {
        return text(QStringLiteral(
            "$('.msgItem:visible').map(function(){return $(this).attr('msgId');}).get().join(',')"));
    }

private slots:
    void init() { m_page = new PageHarness(QSize(780, 520)); }
    void cleanup()
    {
        delete m_page;
        m_page = nullptr;
    }

    void listRequestCarriesTheSessionValues()
    {
        QVERIFY(openWithMessages(
            QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), QJsonArray()}}));
        QCOMPARE(
            text(requestShapeScript(0)),
            QStringLiteral(
                "GET /app/getPcBoxMessage: authToken=tok&channelCode=pcbox&defaultAvatar=&deviceId=pcbox&"
                "format=json&page=1&platform=0&productCode=demo&type=list_myInfo&whereType=0"));
        QCOMPARE(text(QStringLiteral(
                     "$('#emptyNotice').is(':visible') + '|' + $('#emptyNotice .emptyText').text()")),
                 QStringLiteral("true|没有需要关注的消息哦"));
    }

    void tabsFileMessages_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("visible");
        QTest::newRow("all") << QStringLiteral("0") << QStringLiteral("1,2,3,4,5,6,7");
        QTest::newRow("new fans by title") << QStringLiteral("1") << QStringLiteral("3");
        QTest::newRow("replies by title") << QStringLiteral("2") << QStringLiteral("5");
        QTest::newRow("likes by title") << QStringLiteral("3") << QStringLiteral("4");
        QTest::newRow("group requests by type") << QStringLiteral("4") << QStringLiteral("2");
        QTest::newRow("system notices by type, before the title")
            << QStringLiteral("5") << QStringLiteral("1,7");
    }

    void tabsFileMessages()
    {
        QFETCH(QString, category);
        QFETCH(QString, visible);
        QVERIFY(openWithMessages(
            QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), sampleMessages()}}));
        m_page->run(QStringLiteral("$('#tabs .tab[category=\"") + category + QStringLiteral("\"]').click()"));
        QCOMPARE(visibleIds(), visible);
    }

    void itemsShowTextOnly()
    {
        QJsonObject hostile = message(9, 2, QStringLiteral("<img src=x onerror=\"window.__ran=1\">标题"), 0);
        hostile.insert(QStringLiteral("showDesc"),
                       QStringLiteral("<script>window.__ran=2</script><i>斜体</i>描述"));
        QJsonArray list = sampleMessages();
        list.append(hostile);
        QVERIFY(
            openWithMessages(QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), list}}));
        QTest::qWait(100);
        QCOMPARE(text(item(9) + QStringLiteral(".find('.msgTitle').text()")),
                 QStringLiteral("<img src=x onerror=\"window.__ran=1\">标题"));
        QCOMPARE(text(item(9) + QStringLiteral(".find('.msgDesc').text()")),
                 QStringLiteral("window.__ran=2斜体描述"));
        QCOMPARE(text(QStringLiteral("String(window.__ran)")), QStringLiteral("undefined"));
        // A group request has its own title and two buttons; others have none.
        QCOMPARE(text(item(2) + QStringLiteral(".find('.msgTitle').text() + '|' + ") + item(2) +
                      QStringLiteral(
                          ".find('.applyBtn').map(function(){return $(this).text();}).get().join(',')")),
                 QStringLiteral("新的入群申请|拒绝,允许"));
        QCOMPARE(text(item(1) + QStringLiteral(".find('.applyBtn').length")), QStringLiteral("0"));
        QCOMPARE(text(item(5) + QStringLiteral(".find('.msgAvatar').attr('src') + '|' + ") + item(1) +
                      QStringLiteral(".find('.msgAvatar').attr('src')")),
                 QStringLiteral("qrc:/images/Resources/images/defaultAvatar.png|qrc:/images/Resources/images/"
                                "defaultApp.png"));
        QCOMPARE(text(QStringLiteral(
                     "$('.msgItem.unread').map(function(){return $(this).attr('msgId');}).get().join(',')")),
                 QStringLiteral("1,2,5,9"));
    }

    // Reading the last unread message tells the launcher once; reading a message sends its id.
    void readingMessages()
    {
        QJsonArray list{
            message(1, 1, QStringLiteral("通知一"), 0), message(2, 1, QStringLiteral("通知二"), 0),
            message(3, 1, QStringLiteral("通知三"), 1), message(0, 1, QStringLiteral("无编号"), 1)};
        QVERIFY(
            openWithMessages(QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), list}}));
        m_page->run(
            answer(QStringLiteral("/app/readMessage"), QJsonObject{{QStringLiteral("status"), true}}));

        m_page->run(item(1) + QStringLiteral(".click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("!") + item(1) + QStringLiteral(".hasClass('unread')")));
        QCOMPARE(text(requestShapeScript(1)),
                 QStringLiteral(
                     "GET /app/readMessage: authToken=tok&channelCode=pcbox&deviceId=pcbox&format=json&id=1&"
                     "platform=0&productCode=demo"));
        QTest::qWait(100);
        QCOMPARE(m_page->bridge()->actions().size(), 0);

        // An item without a positive id sends nothing.
        m_page->run(item(0) + QStringLiteral(".click()"));
        QTest::qWait(100);
        QCOMPARE(text(QStringLiteral("String(window.__requests.length)")), QStringLiteral("2"));

        m_page->run(item(2) + QStringLiteral(".click()"));
        QVERIFY(m_page->waitForActions(1));
        QCOMPARE(m_page->bridge()->actions().at(0).text,
                 QStringLiteral("{\"action\":\"clearUnReadMessage\",\"data\":{}}"));

        // Reading an already read message again does not repeat it.
        m_page->run(item(3) + QStringLiteral(".click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("window.__requests.length === 4")));
        QTest::qWait(150);
        QCOMPARE(m_page->bridge()->actions().size(), 1);
    }

    void failedReadChangesNothing()
    {
        QVERIFY(openWithMessages(
            QJsonObject{{QStringLiteral("status"), true},
                        {QStringLiteral("data"), QJsonArray{message(1, 1, QStringLiteral("通知"), 0)}}}));
        m_page->run(
            answer(QStringLiteral("/app/readMessage"), QJsonObject{{QStringLiteral("status"), false}}));
        m_page->run(item(1) + QStringLiteral(".click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("window.__requests.length === 2")));
        QTest::qWait(150);
        QVERIFY(m_page->eval(item(1) + QStringLiteral(".hasClass('unread')")).toBool());
        QCOMPARE(m_page->bridge()->actions().size(), 0);
    }

    void groupRequestAnswers_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("answerScript");
        QTest::addColumn<QString>("toast");
        QTest::addColumn<bool>("buttonsEnabled");
        QTest::addColumn<QString>("type");
        QTest::newRow("allowed") << QStringLiteral("1")
                                 << answer(QStringLiteral("/app/applyGroupDo"),
                                           QJsonObject{{QStringLiteral("status"), true}})
                                 << QStringLiteral("操作成功") << false << QStringLiteral("1");
        QTest::newRow("refused, service says no")
            << QStringLiteral("0")
            << answer(QStringLiteral("/app/applyGroupDo"), QJsonObject{{QStringLiteral("status"), false}})
            << QStringLiteral("请求失败，请重试") << true << QStringLiteral("0");
        QTest::newRow("network error") << QStringLiteral("1") << QString()
                                       << QStringLiteral("请求失败，请重试") << true << QStringLiteral("1");
    }

    void groupRequestAnswers()
    {
        QFETCH(QString, button);
        QFETCH(QString, answerScript);
        QFETCH(QString, toast);
        QFETCH(bool, buttonsEnabled);
        QFETCH(QString, type);
        QVERIFY(openWithMessages(
            QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), sampleMessages()}}));
        if (!answerScript.isEmpty())
            m_page->run(answerScript);
        m_page->run(item(2) + QStringLiteral(".find('.applyBtn[applyType=\"") + button +
                    QStringLiteral("\"]').click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.layui-layer-msg').text() === ") +
                                PageHarness::jsString(toast)));
        QCOMPARE(
            text(requestShapeScript(1)),
            QStringLiteral(
                "GET /app/applyGroupDo: authToken=tok&channelCode=pcbox&deviceId=pcbox&format=json&nid=2&"
                "platform=0&productCode=demo&type=") +
                type);
        QCOMPARE(text(QStringLiteral("String(window.__requests[1].timeout)")), QStringLiteral("5000"));
        QCOMPARE(m_page->eval(item(2) + QStringLiteral(".find('.applyBtn:enabled').length === 2")).toBool(),
                 buttonsEnabled);
        // The buttons do not read the message as well.
        QCOMPARE(text(QStringLiteral("String(window.__requests.length)")), QStringLiteral("2"));
    }

    void failedListOffersARetry()
    {
        QVERIFY(openWithMessages(QJsonValue::Undefined));
        QCOMPARE(text(QStringLiteral("$('#loadingNotice').text()")),
                 QStringLiteral("消息加载失败，重新加载"));
        m_page->run(answer(
            QStringLiteral("/app/getPcBoxMessage"),
            QJsonObject{{QStringLiteral("status"), true}, {QStringLiteral("data"), sampleMessages()}}));
        m_page->run(QStringLiteral("$('.retryLink').click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.msgItem').length === 7")));
        QVERIFY(!m_page->eval(QStringLiteral("$('#loadingNotice').is(':visible')")).toBool());
    }
};

LAUNCHER_PAGE_TEST_MAIN(MessageBoxTest)
#include "test_message_box.moc"
