#pragma once

// Shared pieces of the game window, About window, tray and self-update tests: the browser stand-in,
// action envelopes, reads from the local operator service and a log recorder. The service itself, the
// launcher's files and page scripts come from the main window tests' support.

#include "../mainwindow/MainWindowTestSupport.h"

#include <QDesktopServices>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QStringList>
#include <QUrl>

namespace wintest {

// Takes the place of the system browser for http and https while it lives.
class BrowserStandIn : public QObject
{
    Q_OBJECT

public:
    BrowserStandIn()
    {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~BrowserStandIn() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

// The envelope text a page sends for action with data (a JSON object's text).
inline QString envelope(const QString &action, const QString &dataJson = QStringLiteral("{}"))
{
    const QJsonObject data = QJsonDocument::fromJson(dataJson.toUtf8()).object();
    const QJsonObject root{{QStringLiteral("action"), action}, {QStringLiteral("data"), data}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact));
}

// GET of a JSON object from the service (empty on failure).
inline QJsonObject getJson(const QString &address)
{
    QNetworkAccessManager network;
    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(address)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const QJsonObject object = QJsonDocument::fromJson(reply->readAll()).object();
    reply->deleteLater();
    return object;
}

// The paths of the package requests the service answered since its last reset.
inline QStringList servedPaths(const QString &apiHost)
{
    QStringList paths;
    const QJsonArray requests =
        getJson(apiHost + QStringLiteral("/_control/requests")).value(QStringLiteral("requests")).toArray();
    for (const QJsonValue &request : requests)
        paths << request.toObject().value(QStringLiteral("path")).toString();
    return paths;
}

// Keeps the log lines of one kind that contain a marker, while it lives; other lines go on as before.
class LogRecorder
{
public:
    LogRecorder(QtMsgType type, const QString &marker)
    {
        QMutexLocker lock(&mutex());
        current() = this;
        m_type = type;
        m_marker = marker;
        m_previous = qInstallMessageHandler(&LogRecorder::handle);
    }
    ~LogRecorder()
    {
        QMutexLocker lock(&mutex());
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }

    QStringList lines() const
    {
        QMutexLocker lock(&mutex());
        return m_lines;
    }

private:
    static QMutex &mutex()
    {
        static QMutex lock;
        return lock;
    }
    static LogRecorder *&current()
    {
        static LogRecorder *recorder = nullptr;
        return recorder;
    }
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        QtMessageHandler previous = nullptr;
        {
            QMutexLocker lock(&mutex());
            LogRecorder *recorder = current();
            if (!recorder)
                return;
            if (type == recorder->m_type && message.contains(recorder->m_marker))
                recorder->m_lines << message;
            previous = recorder->m_previous;
        }
        if (previous)
            previous(type, context, message);
    }

    QtMsgType m_type = QtDebugMsg;
    QString m_marker;
    QStringList m_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace wintest
