// The demo storefront and H5 game page inside Qt WebEngine, connected through a real QWebChannel the
// way the launcher connects its pages: the bridge object is registered as "bridge", then the action
// script and the channel script run after the load.

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

namespace {

const QString actionScript = QStringLiteral(
    "function doAction(action,data){var params = new Object();params.action = action;params.data = data;"
    "window.bridge.callback(JSON.stringify(params));}");
const QString channelScript = QStringLiteral("new QWebChannel(qt.webChannelTransport, function(channel) "
                                             "{window.bridge = channel.objects.bridge;pageInit();})");

} // namespace

class RecordingBridge : public QObject
{
    Q_OBJECT
public:
    QStringList envelopes;

    QStringList actions() const
    {
        QStringList names;
        for (const QString &text : envelopes)
            names
                << QJsonDocument::fromJson(text.toUtf8()).object().value(QStringLiteral("action")).toString();
        return names;
    }

    QJsonObject dataOf(const QString &action) const
    {
        for (const QString &text : envelopes) {
            const QJsonObject envelope = QJsonDocument::fromJson(text.toUtf8()).object();
            if (envelope.value(QStringLiteral("action")).toString() == action)
                return envelope.value(QStringLiteral("data")).toObject();
        }
        return {};
    }

public slots:
    void callback(const QString &text) { envelopes << text; }
};

class TestStorefrontWebEngine : public QObject
{
    Q_OBJECT

private:
    QProcess service;
    QString base;

    QVariant evaluate(QWebEnginePage *page, const QString &script)
    {
        QVariant result;
        bool done = false;
        page->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return QVariant();
        return result;
    }

    bool load(QWebEngineView &view, const QString &path)
    {
        QSignalSpy finished(&view, &QWebEngineView::loadFinished);
        view.load(QUrl(base + path));
        return finished.wait(20000) && finished.first().first().toBool();
    }

    void connectPage(QWebEngineView &view, RecordingBridge &bridge, const QStringList &extraScripts = {})
    {
        auto *channel = new QWebChannel(view.page());
        channel->registerObject(QStringLiteral("bridge"), &bridge);
        view.page()->setWebChannel(channel);
        view.page()->runJavaScript(actionScript);
        view.page()->runJavaScript(channelScript);
        for (const QString &script : extraScripts)
            view.page()->runJavaScript(script);
    }

private slots:
    void initTestCase()
    {
        service.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(LAUNCHER_SOURCE_DIR "/demo/server.py"), QStringLiteral("--port"),
                       QStringLiteral("0"), QStringLiteral("--data"),
                       QStringLiteral(LAUNCHER_BINARY_DIR "/demo-test-data"), QStringLiteral("--big-size"),
                       QStringLiteral("8388608"), QStringLiteral("--exit-with-stdin")});
        QVERIFY(service.waitForStarted(10000));
        QVERIFY(service.waitForReadyRead(120000));
        const QString line = QString::fromUtf8(service.readLine()).trimmed();
        QVERIFY2(line.startsWith(QLatin1String("LISTENING http://127.0.0.1:")), qPrintable(line));
        base = line.mid(10);
    }

    void cleanupTestCase()
    {
        service.closeWriteChannel();
        QVERIFY(service.waitForFinished(10000));
    }

    void storefrontConnectsThroughTheChannelAndSendsHideWait()
    {
        QWebEngineView view;
        view.resize(1280, 730);
        view.show();
        RecordingBridge bridge;
        QVERIFY(load(
            view, QStringLiteral("//app/gameLaucher?productCode=e17a&versionNo=114&authToken=demotoken10001"
                                 "&channelCode=demo&lang=zh&theme=")));
        connectPage(view, bridge);
        QTRY_VERIFY_WITH_TIMEOUT(bridge.actions().contains(QStringLiteral("hideWait")), 15000);
        QCOMPARE(bridge.actions(),
                 QStringList({QStringLiteral("checkProductInstall"), QStringLiteral("checkProductInstallAll"),
                              QStringLiteral("hideWait")}));
        QCOMPARE(bridge.dataOf(QStringLiteral("checkProductInstall"))
                     .value(QStringLiteral("productIds"))
                     .toString(),
                 QStringLiteral("(1001,1002,1003,1004,1005,1006)"));
        QCOMPARE(evaluate(view.page(), QStringLiteral("document.getElementById('userName').textContent"))
                     .toString(),
                 QStringLiteral("演示玩家"));

        // A click goes through the channel with the fields the launcher reads.
        evaluate(view.page(), QStringLiteral("document.querySelector('#card-1002 .main').click(); 1"));
        QTRY_VERIFY_WITH_TIMEOUT(bridge.actions().contains(QStringLiteral("downGame")), 5000);
        const QJsonObject download = bridge.dataOf(QStringLiteral("downGame"));
        QCOMPARE(download.value(QStringLiteral("productId")).toString(), QStringLiteral("1002"));
        QVERIFY(download.value(QStringLiteral("url"))
                    .toString()
                    .startsWith(base + QStringLiteral("/download/games/")));
        QCOMPARE(download.keys().size(), 10);
    }

    void pageCallsAreShownAndLogged()
    {
        QWebEngineView view;
        RecordingBridge bridge;
        QVERIFY(load(
            view, QStringLiteral("/app/gameLaucher?productCode=e17a&versionNo=114&authToken=&channelCode=demo"
                                 "&lang=zh&theme=")));
        connectPage(view, bridge);
        QTRY_VERIFY_WITH_TIMEOUT(bridge.actions().contains(QStringLiteral("hideWait")), 15000);
        // Calls as the main window builds them: arguments in single quotes, tips before the status.
        for (const QString &call :
             {QStringLiteral("setAppName(\"Demo Box\")"),
              QStringLiteral("changeDownLoadStatus('downGame','1002','zhengzaixiazai__25.00%','1','25.00','0'"
                             ",'3.50','2.0MB/8.0MB')"),
              QStringLiteral("changeDownLoadStatus('downGame','1002','keep','4','keep','0','','')"),
              QStringLiteral("layer.msg('disk full',{icon:2})")})
            view.page()->runJavaScript(call);
        const QJsonArray log =
            QJsonDocument::fromJson(
                evaluate(view.page(), QStringLiteral("JSON.stringify(nativeCallLog)")).toString().toUtf8())
                .array();
        QStringList names;
        for (const QJsonValue &entry : log)
            names << entry.toObject().value(QStringLiteral("fn")).toString();
        QCOMPARE(names, QStringList({QStringLiteral("pageInit"), QStringLiteral("setAppName"),
                                     QStringLiteral("changeDownLoadStatus"),
                                     QStringLiteral("changeDownLoadStatus"), QStringLiteral("layer.msg")}));
        const QString card =
            evaluate(view.page(),
                     QStringLiteral("JSON.stringify(document.getElementById('card-1002').dataset)"))
                .toString();
        const QJsonObject data = QJsonDocument::fromJson(card.toUtf8()).object();
        QCOMPARE(data.value(QStringLiteral("status")).toString(), QStringLiteral("4"));
        QCOMPARE(data.value(QStringLiteral("tips")).toString(), QStringLiteral("zhengzaixiazai__25.00%"));
        QCOMPARE(data.value(QStringLiteral("rate")).toString(), QStringLiteral("25.00"));
        QCOMPARE(data.value(QStringLiteral("sizeRate")).toString(), QStringLiteral("2.0MB/8.0MB"));
        QCOMPARE(evaluate(view.page(), QStringLiteral("pageErrors.length")).toInt(), 0);
    }

    void h5GameReadsTheInjectedVariables()
    {
        QWebEngineView view;
        RecordingBridge bridge;
        QVERIFY(load(view, QStringLiteral("/h5/starcatcher/index.html?ptToken=p&from=pcbox")));
        connectPage(view, bridge,
                    {QStringLiteral("var authToken='demotoken10001'"),
                     QStringLiteral("var productCode='e17a'"), QStringLiteral("var deviceId='pcbox'"),
                     QStringLiteral("var apiHost='") + base + QStringLiteral("/'")});
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(view.page(), QStringLiteral("document.getElementById('player').textContent")).toString(),
            QStringLiteral("玩家：演示玩家"), 15000);
        const QJsonObject context =
            QJsonDocument::fromJson(
                evaluate(view.page(), QStringLiteral("JSON.stringify(h5Context)")).toString().toUtf8())
                .object();
        QCOMPARE(context.value(QStringLiteral("productCode")).toString(), QStringLiteral("e17a"));
        QCOMPARE(context.value(QStringLiteral("deviceId")).toString(), QStringLiteral("pcbox"));
        evaluate(view.page(), QStringLiteral("document.getElementById('hide').click(); 1"));
        QTRY_VERIFY_WITH_TIMEOUT(bridge.actions().contains(QStringLiteral("hideWindow")), 5000);
    }
};

int main(int argc, char **argv)
{
    // WebEngine refuses its sandbox when run as root; the test needs none.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestStorefrontWebEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_storefront_webengine.moc"
