#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QVariant>

class QImage;
class QWebChannel;
class QWebEngineView;

// Stands in for the native "bridge" object of a page: records every action envelope the page sends.
class PageBridgeStub : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(PageBridgeStub)

public:
    struct Action
    {
        QString name;
        QJsonObject data;
        QString text;
    };

    explicit PageBridgeStub(QObject *parent = nullptr);

    QList<Action> actions() const;
    QStringList actionNames() const;
    void clear();

public slots:
    void callback(const QString &text);

signals:
    void actionReceived(const QString &name);

private:
    QList<Action> m_actions;
};

// What a launcher window injects into a page after a load.
struct PageContext
{
    QString authToken;
    QString productCode = QStringLiteral("demo");
    QString apiHost = QStringLiteral("http://127.0.0.1:9");
    QString systemConf; // Base64 JSON, or empty for no setSystemConf call
    QString language;   // Base64 JSON, or empty for no setLanguage call
};

// One embedded page in a real web view, bootstrapped the way the launcher's windows do it, so tests and
// the screenshot tool can call page functions and watch the actions the page sends.
class PageHarness : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(PageHarness)

public:
    // Dialog: the settings, download and message windows; Login: the login page; None: only load.
    enum class Bootstrap
    {
        Dialog,
        Login,
        None
    };

    using Context = PageContext;

    explicit PageHarness(QSize viewSize = QSize(800, 600), QObject *parent = nullptr);
    ~PageHarness() override;

    // Loads the page, installs the channel and the bridge stub, runs the bootstrap and waits until the
    // page's channel is connected (pageInit has run). With Bootstrap::None it only waits for the load.
    bool open(const QString &url, const Context &context = Context(), Bootstrap bootstrap = Bootstrap::Dialog,
              int timeoutMs = 20000);

    // Runs a script and returns its value (an invalid QVariant on time-out).
    QVariant eval(const QString &script, int timeoutMs = 5000);
    // Runs a script for its effect and waits until it has run.
    void run(const QString &script, int timeoutMs = 5000);
    // Polls a JavaScript condition until it is true.
    bool waitFor(const QString &condition, int timeoutMs = 3000);
    // Waits until the bridge has recorded at least count actions.
    bool waitForActions(int count, int timeoutMs = 3000);

    PageBridgeStub *bridge() const;
    QWebEngineView *view() const;
    QImage grab() const;

    // A JavaScript string literal (single quotes) holding text, for building calls in tests.
    static QString jsString(const QString &text);
    // Base64 of the compact JSON text of a value, as native code passes JSON to pages.
    static QString base64Json(const QJsonObject &object);
    static QString base64Json(const QJsonArray &array);

private:
    QWebEngineView *m_view;
    PageBridgeStub *m_bridge;
    QWebChannel *m_channel = nullptr;
};

// main() of a page test: shared GL contexts before the application, the sandbox off when run as root,
// the resources registered.
int runPageTest(QObject *test, int argc, char **argv);

#define LAUNCHER_PAGE_TEST_MAIN(TestClass)                                                                   \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        TestClass test;                                                                                      \
        return runPageTest(&test, argc, argv);                                                               \
    }
