// The calls native code makes into a page that lists the user's games ("pcapp.js"), on a small game list
// built inside a page that loads the script.

#include "Resources/tools/PageHarness.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

namespace {

// A storefront-like fixture: the list of the user's games, one product card with its parts, one frame.
const char fixture[] =
    "$('body').append('<ul id=\"myAppList\"></ul><span class=\"myGameNum\"></span><span "
    "class=\"myGameEmpty\"></span>"
    "<div class=\"card downStatus_7\"><span class=\"downTips\"></span><span class=\"downTipsShort\"></span>"
    "<span class=\"downSpeedLabel\"></span><span class=\"downSpeed\"></span><span class=\"downRate\"></span>"
    "<div class=\"downProgress\"></div><span class=\"downSizeRate\"></span><span class=\"downError\" "
    "style=\"display:none\"></span>"
    "<a class=\"doActionDown downStatus_7\" productId=\"7\"><span class=\"downDots\"></span></a></div>"
    "<iframe id=\"pageDetailIFrame\" "
    "srcdoc=\"<script>window.got=[];window.addEventListener(&quot;message&quot;,"
    "function(e){window.got.push(e.data.action);});</script>\"></iframe>');";

QJsonObject record(const QString &id, int status, const QString &rate)
{
    return QJsonObject{{QStringLiteral("productId"), id},
                       {QStringLiteral("productName"), QString(QStringLiteral("游戏") + id)},
                       {QStringLiteral("nowStatus"), status},
                       {QStringLiteral("rate"), rate},
                       {QStringLiteral("sizeRate"), QStringLiteral("1MB")},
                       {QStringLiteral("logo"), QString()},
                       {QStringLiteral("startcmd"), QStringLiteral("APP_PATH/g.exe")},
                       {QStringLiteral("versionNo"), QStringLiteral("4")},
                       {QStringLiteral("versionName"), QStringLiteral("1.4")}};
}

} // namespace

class GameListCallsTest : public QObject
{
    Q_OBJECT

private:
    PageHarness *m_page = nullptr;

    QString text(const QString &script) { return m_page->eval(script).toString(); }

private slots:
    void init()
    {
        m_page = new PageHarness(QSize(650, 450));
        QVERIFY(m_page->open(QStringLiteral("qrc:/html/Resources/html/systemConf.html")));
        m_page->run(QString::fromUtf8(fixture));
        QVERIFY(m_page->waitFor(
            QStringLiteral("document.getElementById('pageDetailIFrame').contentWindow.got !== undefined")));
    }

    void cleanup()
    {
        delete m_page;
        m_page = nullptr;
    }

    // Stored tasks become items of the user's list once; installed games have their versions noted.
    void updateLocalProductStatusBuildsTheList()
    {
        const QJsonArray records{record(QStringLiteral("7"), 5, QStringLiteral("100")),
                                 record(QStringLiteral("8"), 1, QStringLiteral("30"))};
        const QString call = QStringLiteral("updateLocalProductStatus(") +
                             PageHarness::jsString(PageHarness::base64Json(records)) +
                             QStringLiteral(",'1')");
        m_page->run(call);
        m_page->run(call);
        QVERIFY(m_page->waitFor(QStringLiteral("$('.myGameNum').text() === '2'")));
        QCOMPARE(text(QStringLiteral(
                     "$('#myAppList .myGameItem').map(function(){return $(this).attr('productId')+':'+"
                     "$(this).find('.downTips').text();}).get().join(',')")),
                 QStringLiteral("7:启动游戏,8:下载中 30%"));
        QCOMPARE(text(QStringLiteral("$('#myAppList .selected').attr('productId')")), QStringLiteral("8"));
        QCOMPARE(
            text(QStringLiteral("JSON.stringify(nowVersion['7'])")),
            QStringLiteral(
                "{\"versionNo\":\"4\",\"versionName\":\"1.4\",\"versionZipExists\":0,\"baseVersionNo\":0}"));
        QCOMPARE(text(QStringLiteral("$('.card .downTips').text() + '|' + $('.card').attr('status')")),
                 QStringLiteral("启动游戏|5"));
        QVERIFY(m_page->waitFor(
            QStringLiteral("document.getElementById('pageDetailIFrame').contentWindow.got.join(',') === "
                           "'checkLocalComplete,downGame,downGame,checkLocalComplete,downGame,downGame'")));
    }

    void emptyListInvitesToTheShop()
    {
        m_page->run(QStringLiteral("updateLocalProductStatus(") +
                    PageHarness::jsString(PageHarness::base64Json(QJsonArray())) + QStringLiteral(",'1')"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.myGameEmpty').text() === '浏览商城添加应用吧'")));
        QCOMPARE(text(QStringLiteral("$('.myGameNum').text()")), QStringLiteral("0"));
    }

    // Extraction labels the speed "解压进度" and animates dots until no product extracts any more.
    void extractionAnimation()
    {
        m_page->run(
            QStringLiteral("changeDownLoadStatus('downGame','7','正在解压','7','100','0','64%','','')"));
        QCOMPARE(
            text(QStringLiteral("$('.card .downSpeedLabel').text() + '|' + $('.card .downSpeed').text()")),
            QStringLiteral("解压进度|64%"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.downDots').text() === '..'"), 2000));
        m_page->run(QStringLiteral("changeDownLoadStatus('downGame','7','启动游戏','5','100','0','','','')"));
        QCOMPARE(text(QStringLiteral("$('.card .downSpeedLabel').text() + '|' + $('.downDots').text() + '|' "
                                     "+ (extractTimer === null)")),
                 QStringLiteral("下载速度||true"));
        // The animation starts again for the next extraction.
        m_page->run(QStringLiteral("changeDownLoadStatus('downGame','7','正在解压','7','100','0','','','')"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.downDots').text() === '.'"), 2000));
    }

    void usbStatus_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("phoneArea");
        QTest::newRow("no phone") << QStringLiteral("1,0") << QStringLiteral("当前USB未连接手机")
                                  << QString();
        QTest::newRow("phone connected")
            << QStringLiteral("2,0") << QStringLiteral("当前已有USB连接手机") << QString();
        QTest::newRow("checking") << QStringLiteral("0,0") << QStringLiteral("正在检测是否USB连接手机..")
                                  << QString();
        QTest::newRow("checking, reset the area")
            << QStringLiteral("0,1") << QStringLiteral("正在检测是否USB连接手机..")
            << QStringLiteral("请通过USB连接您的手机安装应用需手机开启USB调试模式点击查看如何开启USB传输");
    }

    void usbStatus()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, tooltip);
        QFETCH(QString, phoneArea);
        m_page->run(
            QStringLiteral("$('body').append('<i class=\"usbStatus\"></i><div class=\"phoneArea\"></div>')"));
        m_page->run(QStringLiteral("channgeUsbStatus(%1)").arg(arguments));
        QCOMPARE(text(QStringLiteral("$('.usbStatus').attr('title')")), tooltip);
        QCOMPARE(text(QStringLiteral("$('.phoneArea').text()")), phoneArea);
    }

    void resetAndRemoveAProduct()
    {
        m_page->run(
            QStringLiteral("changeDownLoadStatus('downGame','7','下载中','1','50','1','2.5','5MB/10MB','')"));
        QCOMPARE(text(QStringLiteral(
                     "$('.card .downSpeed').text() + '|' + $('.card .doActionDown').hasClass('disabled')")),
                 QStringLiteral("2.5Mb/S|true"));
        m_page->run(QStringLiteral("changeDownload_error('7','网络中断')"));
        QCOMPARE(
            text(QStringLiteral("$('.card .downError').text() + '|' + $('.card .downError').css('display')")),
            QStringLiteral("网络中断|inline"));
        m_page->run(QStringLiteral("resetGameDownload('7')"));
        QCOMPARE(text(QStringLiteral("[$('.card .downTips').text(), $('.card').attr('status') === undefined,"
                                     "$('.card .doActionDown').hasClass('disabled')].join('|')")),
                 QStringLiteral("开始下载|true|false"));
        m_page->run(QStringLiteral("deleteDownTask('7')"));
        QCOMPARE(text(QStringLiteral("String(document.getElementsByClassName('downStatus_7').length)")),
                 QStringLiteral("0"));
    }

    void smallHelpers()
    {
        QCOMPARE(
            text(QStringLiteral("changeTipsShort('正在下载 45.5%') + '|' + changeTipsShort('等待下载')")),
            QStringLiteral("正在下载 |等待下载"));
        QCOMPARE(text(QStringLiteral("getSystemConf('nothing', 'fallback')")), QStringLiteral("fallback"));
        m_page->run(QStringLiteral("updateSystemConf('useSound', '0')"));
        QCOMPARE(text(QStringLiteral("getSystemConf('useSound', '1')")), QStringLiteral("0"));
        m_page->run(QStringLiteral("autoMustUpdate = 1; autoAllUpdate = 1; stopAutoUpdateNoTips()"));
        QCOMPARE(text(QStringLiteral("autoMustUpdate + '|' + autoAllUpdate")), QStringLiteral("0|0"));
        m_page->run(QStringLiteral("setLastClick(5)"));
        QVERIFY(m_page->eval(QStringLiteral("lastDownClick - getTimeStamp() > 4.9")).toBool());
        QCOMPARE(text(QStringLiteral("getLang('js_kaishixiazai', '开始下载')")), QStringLiteral("开始下载"));
    }
};

LAUNCHER_PAGE_TEST_MAIN(GameListCallsTest)
#include "test_game_list_calls.moc"
