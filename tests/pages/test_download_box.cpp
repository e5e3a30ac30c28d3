// The download box "downloadBox.html": rows from stored tasks and live notices, their groups and tabs,
// the row buttons and the actions they send.

#include "Resources/tools/PageHarness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QString boxUrl = QStringLiteral("qrc:/html/Resources/html/downloadBox.html");

QJsonObject task(const QString &id, int status, const QString &rate = QStringLiteral("40"))
{
    return QJsonObject{
        {QStringLiteral("productId"), id},
        {QStringLiteral("productName"), QString(QStringLiteral("游戏") + id)},
        {QStringLiteral("nowStatus"), status},
        {QStringLiteral("rate"), rate},
        {QStringLiteral("sizeRate"), QStringLiteral("1MB/2MB")},
        {QStringLiteral("logo"), QString()},
        {QStringLiteral("installcmd"), QStringLiteral("setup.exe /S")},
        {QStringLiteral("startcmd"), QStringLiteral("APP_PATH/game.exe")},
        {QStringLiteral("platform"), QStringLiteral("0")},
        {QStringLiteral("package"), QStringLiteral("com.demo.game")},
        {QStringLiteral("url"), QString(QStringLiteral("http://h/p/") + id + QStringLiteral(".zip"))},
        {QStringLiteral("versionNo"), QStringLiteral("3")},
        {QStringLiteral("versionName"), QStringLiteral("1.0.3")}};
}

QString statusCall(const QJsonArray &tasks)
{
    return QStringLiteral("updateLocalProductStatus(") +
           PageHarness::jsString(PageHarness::base64Json(tasks)) + QStringLiteral(",'0')");
}

QString row(const QString &id)
{
    return QStringLiteral("$('.downItem[productId=\"") + id + QStringLiteral("\"]')");
}

} // namespace

class DownloadBoxTest : public QObject
{
    Q_OBJECT

private:
    PageHarness *m_page = nullptr;

    QString text(const QString &script) { return m_page->eval(script).toString(); }

    bool openWith(const QJsonArray &tasks)
    {
        if (!m_page->open(boxUrl))
            return false;
        if (tasks.isEmpty())
            return true;
        m_page->run(statusCall(tasks));
        return m_page->waitFor(QStringLiteral("currentTab !== null"));
    }

    QString visibleIds()
    {
        return text(QStringLiteral(
            "$('.downItem:visible').map(function(){return $(this).attr('productId');}).get().join(',')"));
    }

private slots:
    void init() { m_page = new PageHarness(QSize(780, 520)); }
    void cleanup()
    {
        delete m_page;
        m_page = nullptr;
    }

    // A stored task that waits shows under "等待下载", a notice of the same status under "正在下载".
    void statusGroupsInBothFunctions_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("storedGroup");
        QTest::addColumn<QString>("noticeGroup");
        QTest::addColumn<QString>("tips");
        QTest::newRow("0 waiting") << 0 << QStringLiteral("0") << QStringLiteral("1")
                                   << QStringLiteral("等待下载");
        QTest::newRow("1 downloading")
            << 1 << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("下载中 40%");
        QTest::newRow("2 downloaded")
            << 2 << QStringLiteral("2") << QStringLiteral("2") << QStringLiteral("准备安装");
        QTest::newRow("3 failed") << 3 << QStringLiteral("3") << QStringLiteral("3")
                                  << QStringLiteral("下载出错");
        QTest::newRow("4 paused") << 4 << QStringLiteral("1") << QStringLiteral("1")
                                  << QStringLiteral("继续下载");
        QTest::newRow("5 installed") << 5 << QStringLiteral("2") << QStringLiteral("2")
                                     << QStringLiteral("启动游戏");
        QTest::newRow("6 in library")
            << 6 << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("开始下载");
        QTest::newRow("7 installing")
            << 7 << QStringLiteral("2") << QStringLiteral("2") << QStringLiteral("即将安装..");
        QTest::newRow("8 remote start")
            << 8 << QStringLiteral("2") << QStringLiteral("2") << QStringLiteral("远程启动应用");
        QTest::newRow("9 install failed")
            << 9 << QStringLiteral("2") << QStringLiteral("2") << QStringLiteral("安装失败");
        QTest::newRow("10 start game")
            << 10 << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("开始游戏");
        QTest::newRow("11 phone link")
            << 11 << QStringLiteral("0") << QStringLiteral("0") << QStringLiteral("手机扫码游戏");
        QTest::newRow("unknown") << 42 << QStringLiteral("0") << QStringLiteral("0")
                                 << QStringLiteral("获取游戏");
    }

    void statusGroupsInBothFunctions()
    {
        QFETCH(int, status);
        QFETCH(QString, storedGroup);
        QFETCH(QString, noticeGroup);
        QFETCH(QString, tips);
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("501"), status)}));
        QCOMPARE(text(row(QStringLiteral("501")) + QStringLiteral(".attr('group')")), storedGroup);
        QCOMPARE(text(row(QStringLiteral("501")) + QStringLiteral(".find('.downTips').text()")), tips);
        m_page->run(QStringLiteral("changeDownLoadStatus('downGame','501','tips','%1','50','0','','','')")
                        .arg(status));
        QCOMPARE(text(row(QStringLiteral("501")) + QStringLiteral(".attr('group')")), noticeGroup);
    }

    void storedTaskWithARowOnlyChangesGroup()
    {
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("501"), 1)}));
        QJsonObject later = task(QStringLiteral("501"), 5, QStringLiteral("100"));
        later.insert(QStringLiteral("productName"), QStringLiteral("新名字"));
        m_page->run(statusCall(QJsonArray{later}));
        QCOMPARE(text(QStringLiteral("$('.downItem').length")), QStringLiteral("1"));
        QCOMPARE(text(row(QStringLiteral("501")) + QStringLiteral(".attr('group')")), QStringLiteral("2"));
        QCOMPARE(text(row(QStringLiteral("501")) + QStringLiteral(".find('.itemName').text() + '|' + ") +
                      row(QStringLiteral("501")) + QStringLiteral(".find('.downTips').text() + '|' + ") +
                      row(QStringLiteral("501")) + QStringLiteral(".find('.downRate').text()")),
                 QStringLiteral("游戏501|下载中 40%|40%"));
    }

    void tabsShowTheirGroupAndCounts_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("visible");
        QTest::newRow("selected by itself: downloading") << QString() << QStringLiteral("11,14");
        QTest::newRow("waiting") << QStringLiteral("0") << QStringLiteral("10");
        QTest::newRow("finished") << QStringLiteral("2") << QStringLiteral("15,12");
        QTest::newRow("failed") << QStringLiteral("3") << QStringLiteral("13");
        QTest::newRow("every task") << QStringLiteral("all") << QStringLiteral("10,11,12,13,14,15");
    }

    void tabsShowTheirGroupAndCounts()
    {
        QFETCH(QString, tab);
        QFETCH(QString, visible);
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("10"), 0), task(QStringLiteral("11"), 1),
                                    task(QStringLiteral("12"), 2), task(QStringLiteral("13"), 3),
                                    task(QStringLiteral("14"), 4)}));
        // A live notice moves a task and a second status call adds one more row.
        m_page->run(QStringLiteral("changeDownLoadStatus('downGame','12','','5','100','0','','','')"));
        m_page->run(statusCall(QJsonArray{task(QStringLiteral("15"), 7)}));
        QCOMPARE(text(QStringLiteral("$('#tabs .tab').map(function(){return "
                                     "$(this).attr('group')+'='+$(this).find('.count').text();})"
                                     ".get().join(' ')")),
                 QStringLiteral("1=2 0=1 2=2 3=1 all=6"));
        if (!tab.isEmpty())
            m_page->run(QStringLiteral("$('#tabs .tab[group=\"") + tab + QStringLiteral("\"]').click()"));
        // Rows are in the order they came; the finished tab lists 12 after 15 because 15 came later.
        QStringList expected = visible.split(QLatin1Char(','));
        QStringList shown = visibleIds().split(QLatin1Char(','));
        std::sort(expected.begin(), expected.end());
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, expected);
        QVERIFY(!m_page->eval(QStringLiteral("$('#emptyNotice').is(':visible')")).toBool());
    }

    void emptyTexts_data()
    {
        QTest::addColumn<int>("presentStatus"); // the one task there is, or -1 for none
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no task, no tab clicked") << -1 << QString() << QStringLiteral("暂无游戏下载记录");
        QTest::newRow("no task, a tab clicked")
            << -1 << QStringLiteral("2") << QStringLiteral("暂无游戏下载任务，快去商城看看吧");
        QTest::newRow("nothing downloading")
            << 5 << QStringLiteral("1") << QStringLiteral("暂无下载中的任务");
        QTest::newRow("nothing waiting") << 5 << QStringLiteral("0") << QStringLiteral("暂无等待下载的任务");
        QTest::newRow("nothing finished") << 1 << QStringLiteral("2") << QStringLiteral("暂无下载完成的任务");
        QTest::newRow("nothing failed") << 1 << QStringLiteral("3") << QStringLiteral("暂无下载失败的任务");
    }

    void emptyTexts()
    {
        QFETCH(int, presentStatus);
        QFETCH(QString, tab);
        QFETCH(QString, expected);
        QVERIFY(openWith(presentStatus < 0 ? QJsonArray()
                                           : QJsonArray{task(QStringLiteral("20"), presentStatus)}));
        if (!tab.isEmpty())
            m_page->run(QStringLiteral("$('#tabs .tab[group=\"") + tab + QStringLiteral("\"]').click()"));
        QVERIFY(m_page->eval(QStringLiteral("$('#emptyNotice').is(':visible')")).toBool());
        QCOMPARE(text(QStringLiteral("$('#emptyNotice .emptyText').text()")), expected);
    }

    void lastRowRemovedShowsTheEmptyList()
    {
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("30"), 1)}));
        m_page->run(QStringLiteral("deleteDownTask('30')"));
        QCOMPARE(text(QStringLiteral("$('.downItem').length + '|' + $('#tabs .tab[group=1] .count').text()")),
                 QStringLiteral("0|0"));
        QCOMPARE(text(QStringLiteral("$('#emptyNotice .emptyText').text()")),
                 QStringLiteral("暂无游戏下载记录"));
    }

    // The button a row shows for its status, and what a click on it sends.
    void buttonActsByStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("action");    // empty: nothing is sent
        QTest::addColumn<QString>("tipsAfter"); // empty: unchanged
        QTest::newRow("downloading pauses")
            << 1 << QStringLiteral(".btnPlay") << QStringLiteral("pauseDown") << QStringLiteral("正在暂停..");
        QTest::newRow("paused resumes")
            << 4 << QStringLiteral(".btnPlay") << QStringLiteral("downGame") << QStringLiteral("正在准备..");
        QTest::newRow("failed starts again")
            << 3 << QStringLiteral(".btnPlay") << QStringLiteral("downGame") << QStringLiteral("正在准备..");
        QTest::newRow("downloaded installs") << 2 << QStringLiteral(".btnInstall")
                                             << QStringLiteral("downGame") << QStringLiteral("正在安装..");
        QTest::newRow("installed starts the game")
            << 5 << QStringLiteral(".btnInstall") << QStringLiteral("startApp") << QString();
        QTest::newRow("extracting does nothing")
            << 7 << QStringLiteral(".btnInstall") << QString() << QString();
        QTest::newRow("remote start")
            << 8 << QStringLiteral(".btnInstall") << QStringLiteral("startAndroidApp") << QString();
        QTest::newRow("failed install is checked again")
            << 9 << QStringLiteral(".btnInstall") << QStringLiteral("recheckInstall") << QString();
    }

    void buttonActsByStatus()
    {
        QFETCH(int, status);
        QFETCH(QString, button);
        QFETCH(QString, action);
        QFETCH(QString, tipsAfter);
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("40"), status)}));
        const QString target =
            row(QStringLiteral("40")) + QStringLiteral(".find('") + button + QStringLiteral("')");
        m_page->run(QStringLiteral("$('#tabs .tab[group=\"' + ") + row(QStringLiteral("40")) +
                    QStringLiteral(".attr('group') + '\"]').click()"));
        QVERIFY(m_page->eval(target + QStringLiteral(".is(':visible')")).toBool());
        const QString tipsBefore =
            text(row(QStringLiteral("40")) + QStringLiteral(".find('.downTips').text()"));
        m_page->run(target + QStringLiteral(".click()"));
        if (action.isEmpty()) {
            QTest::qWait(150);
            QCOMPARE(m_page->bridge()->actions().size(), 0);
        } else {
            QVERIFY(m_page->waitForActions(1));
            const PageBridgeStub::Action sent = m_page->bridge()->actions().at(0);
            QCOMPARE(sent.name, action);
            QCOMPARE(
                QString::fromUtf8(QJsonDocument(sent.data).toJson(QJsonDocument::Compact)),
                QStringLiteral("{\"installcmd\":\"setup.exe /S\",\"logo\":\"\",\"package\":\"com.demo.game\","
                               "\"platform\":\"0\",\"productId\":\"40\",\"productName\":\"游戏40\","
                               "\"startcmd\":\"APP_PATH/game.exe\",\"url\":\"http://h/p/"
                               "40.zip\",\"versionName\":\"1.0.3\","
                               "\"versionNo\":\"3\"}"));
        }
        QCOMPARE(text(row(QStringLiteral("40")) + QStringLiteral(".find('.downTips').text()")),
                 tipsAfter.isEmpty() ? tipsBefore : tipsAfter);
    }

    void phoneTaskInstallsItsPackage()
    {
        QJsonObject phone = task(QStringLiteral("41"), 2);
        phone.insert(QStringLiteral("platform"), QStringLiteral("1"));
        QVERIFY(openWith(QJsonArray{phone}));
        m_page->run(row(QStringLiteral("41")) + QStringLiteral(".find('.btnInstall').click()"));
        QVERIFY(m_page->waitForActions(1));
        QCOMPARE(m_page->bridge()->actions().at(0).data.value(QLatin1String("installcmd")).toString(),
                 QStringLiteral("com.demo.game"));
        // Installing disables the row's buttons until the next notice says otherwise.
        QVERIFY(m_page
                    ->eval(row(QStringLiteral("41")) +
                           QStringLiteral(".find('.btnInstall').hasClass('disabled')"))
                    .toBool());
        m_page->bridge()->clear();
        m_page->run(row(QStringLiteral("41")) + QStringLiteral(".find('.btnFolder').click()"));
        QTest::qWait(100);
        QCOMPARE(m_page->bridge()->actions().size(), 0);
        m_page->run(QStringLiteral("changeDownLoadStatus('downGame','41','','5','100','0','','','')"));
        QVERIFY(!m_page
                     ->eval(row(QStringLiteral("41")) +
                            QStringLiteral(".find('.btnInstall').hasClass('disabled')"))
                     .toBool());
    }

    void qrTaskShowsACode()
    {
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("42"), 11)}));
        m_page->run(QStringLiteral("$('#tabs .tab[group=0]').click()"));
        m_page->run(row(QStringLiteral("42")) + QStringLiteral(".find('.btnPlay').click()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.layui-layer .qrPlayImage').length === 1")));
        QCOMPARE(text(QStringLiteral("$('.layui-layer .qrPlayImage').attr('src')")),
                 QStringLiteral("http://127.0.0.1:9/open/qrImgCreate?data=http%3A%2F%2Fh%2Fp%2F42.zip"));
        QCOMPARE(m_page->bridge()->actions().size(), 0);
    }

    // Two clicks within a second send one action; a click a second later sends the next.
    void clickGuard_data()
    {
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<int>("actions");
        QTest::newRow("double click") << 0 << 1;
        QTest::newRow("within the second") << 600 << 1;
        QTest::newRow("a second later") << 1100 << 2;
    }

    void clickGuard()
    {
        QFETCH(int, pauseMs);
        QFETCH(int, actions);
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("50"), 4)}));
        const QString click = row(QStringLiteral("50")) + QStringLiteral(".find('.btnPlay').click()");
        m_page->run(click);
        QTest::qWait(pauseMs);
        m_page->run(click);
        QVERIFY(m_page->waitForActions(1));
        QTest::qWait(150);
        QCOMPARE(m_page->bridge()->actions().size(), actions);
    }

    void noticeUpdatesTheRow_data()
    {
        QTest::addColumn<QString>("arguments"); // tips, status, rate, showDisable, runRate, sizeRate
        QTest::addColumn<QString>("expected");  // tips|short|bar|rate|speed|size|disabled
        QTest::newRow("progress") << QStringLiteral("'正在下载 46.2%','1','46','0','3.4','412MB/896MB'")
                                  << QStringLiteral(
                                         "正在下载 46.2%|正在下载 |46%|46%|3.4Mb/S|412MB/896MB|false");
        QTest::newRow("keep everything") << QStringLiteral("'keep','1','keep','0','keep','keep'")
                                         << QStringLiteral("下载中 40%|下载中 |40%|40%||1MB/2MB|false");
        QTest::newRow("empty size keeps the size") << QStringLiteral("'已暂停','4','keep','0','','' ")
                                                   << QStringLiteral("已暂停|已暂停|40%|40%||1MB/2MB|false");
        QTest::newRow("extraction progress")
            << QStringLiteral("'正在解压','7','100','1','64%',''")
            << QStringLiteral("正在解压|正在解压|100%|100%|64%|1MB/2MB|true");
        QTest::newRow("zero speed is not shown") << QStringLiteral("'下载中','1','41','0','0',''")
                                                 << QStringLiteral("下载中|下载中|41%|41%||1MB/2MB|false");
    }

    void noticeUpdatesTheRow()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, expected);
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("60"), 1)}));
        const QStringList args = arguments.split(QLatin1Char(','));
        m_page->run(QStringLiteral("changeDownLoadStatus('downGame','60',%1,%2,%3,%4,%5,%6,'')")
                        .arg(args.at(0), args.at(1), args.at(2), args.at(3), args.at(4), args.at(5)));
        const QString r = row(QStringLiteral("60"));
        QCOMPARE(text(QStringLiteral("[%1.find('.downTips').text(), %1.find('.downTipsShort').text(),"
                                     "%1.find('.downProgress')[0].style.width, %1.find('.downRate').text(),"
                                     "%1.find('.downSpeed').text(), %1.find('.downSizeRate').text(),"
                                     "%1.find('.btnPlay').hasClass('disabled')].join('|')")
                          .arg(r)),
                 expected);
    }

    // Texts from tasks and notices are shown as text, never run as markup.
    void valuesStayText()
    {
        QJsonObject hostile = task(QStringLiteral("70"), 3);
        hostile.insert(QStringLiteral("productName"),
                       QStringLiteral("<img src=x onerror=\"window.__ran=1\">名"));
        hostile.insert(QStringLiteral("logo"), QStringLiteral("javascript:window.__ran=2"));
        QVERIFY(openWith(QJsonArray{hostile}));
        m_page->run(QStringLiteral(
            "changeDownLoadStatus('downGame','70','<b onmouseover=x>错</b>','3','keep','0','','','')"));
        m_page->run(QStringLiteral("changeDownload_error('70','<img src=y onerror=\"window.__ran=3\">')"));
        QTest::qWait(200);
        const QString r = row(QStringLiteral("70"));
        QCOMPARE(text(r + QStringLiteral(".find('.itemName').text()")),
                 QStringLiteral("<img src=x onerror=\"window.__ran=1\">名"));
        QCOMPARE(text(r + QStringLiteral(".find('.downTips').text()")),
                 QStringLiteral("<b onmouseover=x>错</b>"));
        QCOMPARE(text(r + QStringLiteral(".find('.downError').text()")),
                 QStringLiteral("<img src=y onerror=\"window.__ran=3\">"));
        QCOMPARE(text(r + QStringLiteral(".find('img').length")), QStringLiteral("1"));
        QCOMPARE(text(QStringLiteral("String(window.__ran)")), QStringLiteral("undefined"));
    }

    void rowAndWindowActions_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("expected"); // envelope text, or empty for none
        QTest::addColumn<QString>("rowsLeft");
        QTest::newRow("drag the title strip")
            << QStringLiteral("$('#titleStrip').trigger('mousedown')")
            << QStringLiteral("{\"action\":\"moveDialogWindow\",\"data\":{\"id\":2}}") << QStringLiteral("1");
        QTest::newRow("close") << QStringLiteral("$('#closeBtn').trigger('mousedown').click()")
                               << QStringLiteral("{\"action\":\"hideWindow\",\"data\":{}}")
                               << QStringLiteral("1");
        QTest::newRow("open the folder")
            << QStringLiteral("$('.btnFolder').click()")
            << QStringLiteral("{\"action\":\"openFilePath\",\"data\":{\"productId\":\"80\"}}")
            << QStringLiteral("1");
        QTest::newRow("abort, confirmed")
            << QStringLiteral("$('.btnAbort').click(); $('.layui-layer-btn0').click()")
            << QStringLiteral("{\"action\":\"deleteDownTask\",\"data\":{\"productId\":\"80\"}}")
            << QStringLiteral("0");
        QTest::newRow("abort, cancelled")
            << QStringLiteral("$('.btnAbort').click(); $('.layui-layer-btn1').click()") << QString()
            << QStringLiteral("1");
        QTest::newRow("delete the package, confirmed")
            << QStringLiteral("$('.btnDelete').click(); $('.layui-layer-btn0').click()")
            << QStringLiteral("{\"action\":\"deleteDownloadFile\",\"data\":{\"productId\":\"80\"}}")
            << QStringLiteral("1");
    }

    void rowAndWindowActions()
    {
        QFETCH(QString, gesture);
        QFETCH(QString, expected);
        QFETCH(QString, rowsLeft);
        // Status 3 shows the abort button, status 2 the folder and delete buttons: use one of each.
        const bool finished =
            gesture.contains(QLatin1String("btnFolder")) || gesture.contains(QLatin1String("btnDelete"));
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("80"), finished ? 2 : 3)}));
        if (gesture.contains(QLatin1String("layui-layer-btn"))) {
            // The confirmation asks first and sends nothing yet.
            m_page->run(gesture.section(QLatin1Char(';'), 0, 0));
            QVERIFY(m_page->waitFor(QStringLiteral(
                "$('.layui-layer-dialog .layui-layer-content').text().indexOf('确认要删除') === 0")));
            QCOMPARE(m_page->bridge()->actions().size(), 0);
            m_page->run(gesture.section(QLatin1Char(';'), 1));
        } else {
            m_page->run(gesture);
        }
        if (expected.isEmpty()) {
            QTest::qWait(150);
            QCOMPARE(m_page->bridge()->actions().size(), 0);
        } else {
            QVERIFY(m_page->waitForActions(1));
            QTest::qWait(100);
            QCOMPARE(m_page->bridge()->actions().size(), 1);
            QCOMPARE(m_page->bridge()->actions().at(0).text, expected);
        }
        QCOMPARE(text(QStringLiteral("String($('.downItem').length)")), rowsLeft);
    }

    void deleteFileCallbackShowsTheTip()
    {
        QVERIFY(openWith(QJsonArray{task(QStringLiteral("90"), 2)}));
        m_page->run(QStringLiteral("deleteFileCallback(1,'已成功删除该安装包')"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.layui-layer-msg').text() === '已成功删除该安装包'")));
        QVERIFY(
            m_page->eval(QStringLiteral("$('.layui-layer-msg .layui-layer-ico1').length === 1")).toBool());
    }
};

LAUNCHER_PAGE_TEST_MAIN(DownloadBoxTest)
#include "test_download_box.moc"
