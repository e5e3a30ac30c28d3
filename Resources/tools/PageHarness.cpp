#include "Resources/tools/PageHarness.h"

#include "Resources/ResourceInit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <unistd.h>

namespace {

// The scripts the launcher's windows inject after a load.
const char actionScript[] = "function doAction(action,data){var params = new Object();params.action = action;"
                            "params.data = data;window.bridge.callback(JSON.stringify(params));}";
const char channelScript[] = "new QWebChannel(qt.webChannelTransport, function(channel) {"
                             "window.bridge = channel.objects.bridge;pageInit();})";
const char loginChannelScript[] = "new QWebChannel(qt.webChannelTransport, function(channel) {"
                                  "window.bridge = channel.objects.bridge;pageInit(); deviceId=\"pcbox\" })";

} // namespace

PageBridgeStub::PageBridgeStub(QObject *parent) : QObject(parent) {}

QList<PageBridgeStub::Action> PageBridgeStub::actions() const
{
    return m_actions;
}

QStringList PageBridgeStub::actionNames() const
{
    QStringList names;
    for (const Action &action : m_actions)
        names.append(action.name);
    return names;
}

void PageBridgeStub::clear()
{
    m_actions.clear();
}

void PageBridgeStub::callback(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return;
    const QJsonObject envelope = document.object();
    Action action{envelope.value(QLatin1String("action")).toString(),
                  envelope.value(QLatin1String("data")).toObject(), text};
    m_actions.append(action);
    emit actionReceived(action.name);
}

PageHarness::PageHarness(QSize viewSize, QObject *parent)
    : QObject(parent), m_view(new QWebEngineView), m_bridge(new PageBridgeStub(this))
{
    m_view->resize(viewSize);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->show();
}

PageHarness::~PageHarness()
{
    delete m_view;
}

bool PageHarness::open(const QString &url, const Context &context, Bootstrap bootstrap, int timeoutMs)
{
    QEventLoop loop;
    bool finished = false;
    const auto connection = connect(m_view, &QWebEngineView::loadFinished, &loop, [&](bool) {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    m_view->load(QUrl(url));
    loop.exec();
    disconnect(connection);
    if (!finished)
        return false;
    if (bootstrap == Bootstrap::None)
        return true;

    delete m_channel;
    m_channel = new QWebChannel(m_view->page());
    m_channel->registerObject(QStringLiteral("bridge"), m_bridge);
    m_view->page()->setWebChannel(m_channel);

    QWebEnginePage *page = m_view->page();
    if (bootstrap == Bootstrap::Login) {
        page->runJavaScript(QString::fromLatin1(loginChannelScript));
        page->runJavaScript(QString::fromLatin1(actionScript) + QStringLiteral(";pageconfig.referrer = \"") +
                            context.apiHost + QStringLiteral("\";checkPageAction();"));
        page->runJavaScript(QStringLiteral("apiHost=") + jsString(context.apiHost) +
                            QStringLiteral(";productCode=") + jsString(context.productCode) +
                            QLatin1Char(';'));
    } else {
        page->runJavaScript(QString::fromLatin1(channelScript));
        page->runJavaScript(QString::fromLatin1(actionScript));
        page->runJavaScript(QStringLiteral("var authToken=") + jsString(context.authToken));
        page->runJavaScript(QStringLiteral("var productCode=") + jsString(context.productCode));
        page->runJavaScript(QStringLiteral("var deviceId='pcbox'"));
        page->runJavaScript(QStringLiteral("var apiHost=") + jsString(context.apiHost));
        if (!context.systemConf.isEmpty())
            page->runJavaScript(QStringLiteral("setSystemConf(") + jsString(context.systemConf) +
                                QLatin1Char(')'));
        if (!context.language.isEmpty())
            page->runJavaScript(QStringLiteral("setLanguage(") + jsString(context.language) +
                                QLatin1Char(')'));
    }
    return waitFor(QStringLiteral("typeof window.bridge === 'object' && window.bridge !== null"), timeoutMs);
}

QVariant PageHarness::eval(const QString &script, int timeoutMs)
{
    QEventLoop loop;
    QVariant result;
    bool done = false;
    QPointer<QEventLoop> guard(&loop);
    m_view->page()->runJavaScript(script, [&, guard](const QVariant &value) {
        if (!guard)
            return;
        result = value;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    return done ? result : QVariant();
}

void PageHarness::run(const QString &script, int timeoutMs)
{
    eval(script + QStringLiteral("\n;void 0"), timeoutMs);
}

bool PageHarness::waitFor(const QString &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (eval(QStringLiteral("!!(") + condition + QLatin1Char(')'), 1000).toBool())
            return true;
        QTest::qWait(20);
    }
    return false;
}

bool PageHarness::waitForActions(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_bridge->actions().size() >= count; }, timeoutMs);
}

PageBridgeStub *PageHarness::bridge() const
{
    return m_bridge;
}

QWebEngineView *PageHarness::view() const
{
    return m_view;
}

QImage PageHarness::grab() const
{
    return m_view->grab().toImage();
}

QString PageHarness::jsString(const QString &text)
{
    // A JSON string is a valid JavaScript string; the outer quotes become single quotes.
    const QString json = QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    QString inner = json.mid(2, json.size() - 4);
    inner.replace(QLatin1String("\\\""), QLatin1String("\""));
    inner.replace(QLatin1Char('\''), QLatin1String("\\'"));
    inner.replace(QChar(0x2028), QLatin1String("\\u2028"));
    inner.replace(QChar(0x2029), QLatin1String("\\u2029"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

QString PageHarness::base64Json(const QJsonObject &object)
{
    return QString::fromLatin1(QJsonDocument(object).toJson(QJsonDocument::Compact).toBase64());
}

QString PageHarness::base64Json(const QJsonArray &array)
{
    return QString::fromLatin1(QJsonDocument(array).toJson(QJsonDocument::Compact).toBase64());
}

int runPageTest(QObject *test, int argc, char **argv)
{
    // The web engine refuses its sandbox when run as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    resources::init();
    return QTest::qExec(test, argc, argv);
}
