// Renders the embedded pages with sample data into PNG files, to look at them:
//   page_shots <output folder>
// Needs a display (run it through Resources/tools/screenshot-pages, which starts Xvfb).

#include "Resources/ResourceInit.h"
#include "Resources/tools/PageHarness.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <QWebEngineView>

#include <cstdio>
#include <unistd.h>

namespace {

QString outDir;
int failures = 0;

void save(PageHarness &harness, const QString &name)
{
    QTest::qWait(700); // let transitions and images settle
    const QString path = outDir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (harness.grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "page_shots: cannot write %s\n", qPrintable(path));
        ++failures;
    }
}

QJsonObject settings()
{
    return QJsonObject{{QStringLiteral("useSound"), QStringLiteral("1")},
                       {QStringLiteral("autoLauch"), QStringLiteral("0")},
                       {QStringLiteral("showAfterCloseGame"), QStringLiteral("1")},
                       {QStringLiteral("laucherAppAfter"), QStringLiteral("1")},
                       {QStringLiteral("closeAction"), QStringLiteral("1")},
                       {QStringLiteral("downloadLimit"), QStringLiteral("1")},
                       {QStringLiteral("downloadLimitRate"), QStringLiteral("2048")},
                       {QStringLiteral("downloadPath"), QString()},
                       {QStringLiteral("userSelectInstallPath"), QString()},
                       {QStringLiteral("agreement"),
                        QStringLiteral("http://127.0.0.1:9/agreement/show/type/1/productCode/demo.html")},
                       {QStringLiteral("privateUrl"),
                        QStringLiteral("http://127.0.0.1:9/agreement/show/type/2/productCode/demo.html")},
                       {QStringLiteral("licenseUrl"), QString()}};
}

QJsonObject task(const QString &id, const QString &name, int status, const QString &rate,
                 const QString &sizeRate)
{
    return QJsonObject{{QStringLiteral("productId"), id},
                       {QStringLiteral("productName"), name},
                       {QStringLiteral("nowStatus"), status},
                       {QStringLiteral("rate"), rate},
                       {QStringLiteral("sizeRate"), sizeRate},
                       {QStringLiteral("logo"), QString()},
                       {QStringLiteral("installcmd"), QString()},
                       {QStringLiteral("startcmd"), QStringLiteral("APP_PATH/game.exe")},
                       {QStringLiteral("platform"), QStringLiteral("0")},
                       {QStringLiteral("package"), QString()},
                       {QStringLiteral("url"), QString(QStringLiteral("http://127.0.0.1:9/packages/") + id +
                                                       QStringLiteral(".zip"))}};
}

void settingsPage()
{
    PageHarness harness(QSize(650, 450));
    PageHarness::Context context;
    context.systemConf = PageHarness::base64Json(settings());
    if (!harness.open(QStringLiteral("qrc:/html/Resources/html/systemConf.html"), context)) {
        ++failures;
        return;
    }
    harness.run(QStringLiteral("setProductId('1001',\"APP_PATH/game.exe\")"));
    save(harness, QStringLiteral("systemConf"));
    harness.run(QStringLiteral("$('.navItem[type=1]').click()"));
    save(harness, QStringLiteral("systemConf-download"));
    harness.run(QStringLiteral("$('.navItem[type=2]').click()"));
    save(harness, QStringLiteral("systemConf-privacy"));
}

void downloadBox()
{
    PageHarness harness(QSize(780, 520));
    if (!harness.open(QStringLiteral("qrc:/html/Resources/html/downloadBox.html"))) {
        ++failures;
        return;
    }
    save(harness, QStringLiteral("downloadBox-empty"));
    const QJsonArray tasks{
        task(QStringLiteral("1001"), QStringLiteral("星辰传说"), 1, QStringLiteral("46"),
             QStringLiteral("412.5MB/896.0MB")),
        task(QStringLiteral("1002"), QStringLiteral("幻境之城：重制版"), 4, QStringLiteral("73"),
             QStringLiteral("1.2GB/1.6GB")),
        task(QStringLiteral("1003"), QStringLiteral("极速赛车"), 0, QStringLiteral("0"), QString()),
        task(QStringLiteral("1004"), QStringLiteral("三国群英"), 5, QStringLiteral("100"),
             QStringLiteral("2.3GB")),
        task(QStringLiteral("1005"), QStringLiteral("海岛物语"), 2, QStringLiteral("100"),
             QStringLiteral("640.0MB")),
        task(QStringLiteral("1006"), QStringLiteral("像素冒险"), 3, QStringLiteral("12"),
             QStringLiteral("30.1MB/250.0MB"))};
    harness.run(QStringLiteral("updateLocalProductStatus(") +
                PageHarness::jsString(PageHarness::base64Json(tasks)) + QStringLiteral(",'0')"));
    harness.waitFor(QStringLiteral("currentTab !== null"));
    harness.run(QStringLiteral(
        "changeDownLoadStatus('downGame','1001','正在下载 46.2%','1','46','0','3.4','412.5MB/896.0MB','')"));
    harness.run(QStringLiteral("changeDownLoadStatus('downGame','1003','等待下载','0','0','0','','','')"));
    save(harness, QStringLiteral("downloadBox-downloading"));
    harness.run(
        QStringLiteral("changeDownLoadStatus('downGame','1005','正在解压','7','100','0','64%','','')"));
    harness.run(QStringLiteral("$('#tabs .tab[group=2]').click()"));
    save(harness, QStringLiteral("downloadBox-finished"));
    harness.run(QStringLiteral("$('#tabs .tab[group=3]').click()"));
    harness.run(QStringLiteral("changeDownload_error('1006','磁盘空间不足')"));
    save(harness, QStringLiteral("downloadBox-failed"));
    harness.run(QStringLiteral("$('.downItem[productId=1006] .btnAbort').click()"));
    save(harness, QStringLiteral("downloadBox-confirm"));
}

void messageBox()
{
    PageHarness harness(QSize(780, 520));
    if (!harness.open(QStringLiteral("qrc:/html/Resources/html/messageBox.html"))) {
        ++failures;
        return;
    }
    // Answer the list request in the page itself; the operator's service is not needed for a picture.
    harness.run(QStringLiteral(
        "$.ajax = function (options) { setTimeout(function () { options.success({ status: true, data: ["
        "{ id: 11, type: 1, title: '系统维护通知', showDesc: '<p>本周四 <b>02:00-06:00</b> "
        "停机维护，届时将无法登录。</p>', timeSay: '10分钟前', isRead: 0 },"
        "{ id: 12, type: 3, title: '入群申请', showDesc: '玩家「夜行者」申请加入「星辰传说官方群」', "
        "timeSay: '1小时前', isRead: 0 },"
        "{ id: 13, type: 2, title: '你有新粉丝', showDesc: '玩家「小鹿」关注了你', timeSay: '昨天 18:20', "
        "isRead: 1 },"
        "{ id: 14, type: 2, title: '有人回复了你', showDesc: '「这关我也卡了好久，试试先升级装备」', "
        "timeSay: '昨天 09:12', isRead: 1 },"
        "{ id: 15, type: 2, title: '收到点赞', showDesc: '你的评论获得了 12 个赞', timeSay: '3天前', isRead: "
        "1 }"
        "] }); }, 10); };"
        "loadMessageList();"));
    harness.waitFor(QStringLiteral("$('.msgItem').length === 5"));
    save(harness, QStringLiteral("messageBox"));
}

void loginPage()
{
    PageHarness harness(QSize(1200, 650));
    PageHarness::Context context;
    if (!harness.open(QStringLiteral("qrc:/html/Resources/html/loginPage.html"), context,
                      PageHarness::Bootstrap::Login)) {
        ++failures;
        return;
    }
    harness.run(QStringLiteral("switchMode(1)"));
    save(harness, QStringLiteral("loginPage"));
    harness.run(QStringLiteral("$('#submitBtn').click()"));
    save(harness, QStringLiteral("loginPage-errors"));
    harness.run(QStringLiteral("switchMode(3); $('#phone').val('13800138000').trigger('input')"));
    save(harness, QStringLiteral("loginPage-phone"));
    harness.run(QStringLiteral("switchMode(1)"));
}

} // namespace

int main(int argc, char **argv)
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    resources::init();
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: page_shots <output folder>\n");
        return 2;
    }
    outDir = args.at(1);
    QDir().mkpath(outDir);
    settingsPage();
    downloadBox();
    messageBox();
    loginPage();
    return failures == 0 ? 0 : 1;
}
