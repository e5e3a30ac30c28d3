#pragma once

// Shared pieces of the main window tests: the local operator service, the launcher's files in a
// temporary application directory, and reading values back from pages.

#include "platform/ApplicationDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QtTest>

namespace mwtest {

// The demo service directory: the repository's, unless LAUNCHER_TEST_DEMO_DIR names another copy.
inline QString demoDir()
{
    const QString overridden = qEnvironmentVariable("LAUNCHER_TEST_DEMO_DIR");
    return overridden.isEmpty() ? QStringLiteral(LAUNCHER_SOURCE_DIR "/demo") : overridden;
}

// The local operator service, stopped when this object goes (and when the test process dies, through
// its standard input).
class DemoService
{
public:
    ~DemoService() { stop(); }

    // dataDir keeps the built packages between runs; one directory per package size.
    bool start(qint64 bigSize = 8 * 1024 * 1024,
               const QString &dataDir = QStringLiteral(LAUNCHER_BINARY_DIR "/demo-data"))
    {
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setReadChannel(QProcess::StandardOutput);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {demoDir() + QStringLiteral("/server.py"), QStringLiteral("--port"),
                         QStringLiteral("0"), QStringLiteral("--data"),
                         dataDir, QStringLiteral("--big-size"),
                         QString::number(bigSize), QStringLiteral("--exit-with-stdin")});
        if (!m_process.waitForStarted(10000))
            return false;
        QByteArray line;
        QElapsedTimer clock;
        clock.start();
        while (!line.contains('\n') && clock.elapsed() < 180000) {
            if (!m_process.waitForReadyRead(1000) && m_process.state() != QProcess::Running)
                return false;
            line += m_process.readLine();
        }
        const QString text = QString::fromUtf8(line).trimmed();
        if (!text.startsWith(QLatin1String("LISTENING ")))
            return false;
        m_apiHost = text.mid(10);
        return true;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    QString apiHost() const { return m_apiHost; }

    // POSTs a JSON object to the control endpoint (path "/_control" or "/_control/reset").
    bool control(const QByteArray &json, const QString &path = QStringLiteral("/_control")) const
    {
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(m_apiHost + path));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        QNetworkReply *reply = network.post(request, json);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
        reply->deleteLater();
        return ok;
    }

private:
    QProcess m_process;
    QString m_apiHost;
};

// Writes "config" into dir with apiHost and the extra members of extraJson (an object's inside, without
// braces, may be empty).
inline bool writeConfig(const QString &dir, const QString &apiHost, const QString &extraJson = QString())
{
    QFile file(dir + QStringLiteral("/config"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QString text =
        QStringLiteral("{\"apiHost\": \"") + apiHost + QStringLiteral("\", \"appName\": \"Test Box\"");
    if (!extraJson.isEmpty())
        text += QStringLiteral(", ") + extraJson;
    text += QStringLiteral("}");
    return file.write(text.toUtf8()) > 0;
}

// Points the launcher's files and the user's directories at dir.
inline void useApplicationDir(const QString &dir)
{
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir + QStringLiteral("/home-cache")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir + QStringLiteral("/home-config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir + QStringLiteral("/home-data")));
    platform::setApplicationDir(dir);
}

// Puts the stand-in adb first on PATH, so that the phone actions of a window under test never start the
// real adb (whose server would outlive the test and hold on to its output).
inline void useStandinAdb()
{
    qputenv("PATH", QByteArray(LAUNCHER_SOURCE_DIR "/tests/devices/standin:") + qgetenv("PATH"));
}

// Runs script in page and waits for its result (an invalid QVariant after timeoutMs).
inline QVariant runJs(QWebEnginePage *page, const QString &script, int timeoutMs = 10000)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QTest::qWaitFor([&] { return done; }, timeoutMs);
    return result;
}

// Waits until the expression is true in page.
inline bool waitForJs(QWebEnginePage *page, const QString &expression, int timeoutMs = 20000)
{
    return QTest::qWaitFor(
        [&] { return runJs(page, QStringLiteral("!!(") + expression + QStringLiteral(")"), 2000).toBool(); },
        timeoutMs);
}

// The calls the launcher made into the storefront, as JSON text (window.nativeCallLog).
inline QJsonArray nativeCalls(QWebEnginePage *page)
{
    const QString text = runJs(page, QStringLiteral("JSON.stringify(window.nativeCallLog || [])")).toString();
    return QJsonDocument::fromJson(text.toUtf8()).array();
}

// The launcher's critical message box that is open now, or nullptr.
inline QMessageBox *openMessageBox()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

// After QCoreApplication::exit() in a test, nested event loops would return at once; a short turn of
// the main loop clears that state again.
inline void clearQuitState()
{
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

} // namespace mwtest
