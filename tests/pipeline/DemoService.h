#pragma once

// The local operator service as a child process of a test: started on a free loopback port with a data
// directory shared by the pipeline tests (its packages are built once), driven through its control
// endpoint, stopped when the test ends.

#include <QByteArray>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTimer>

class DemoService
{
public:
    // Shared by the pipeline tests; a benchmark may point one service at a directory of its own.
    QString dataDir() const { return m_dataDir; }
    void setDataDir(const QString &dir) { m_dataDir = dir; }

    // Starts the service; the large game holds bigSize bytes. False (with a reason) when it does not come up.
    bool start(qint64 bigSize = 4 * 1024 * 1024, QString *why = nullptr)
    {
        m_process.setProgram(QStringLiteral("/usr/bin/python3"));
        m_process.setArguments({QStringLiteral(LAUNCHER_SOURCE_DIR "/demo/server.py"),
                                QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data"),
                                dataDir(), QStringLiteral("--big-size"), QString::number(bigSize),
                                QStringLiteral("--exit-with-stdin")});
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(10000)) {
            if (why)
                *why = m_process.errorString();
            return false;
        }
        // The first start builds the packages, which takes a while.
        QByteArray out;
        for (int i = 0; i < 1200 && !out.contains('\n'); ++i) {
            if (!m_process.waitForReadyRead(100) && m_process.state() != QProcess::Running)
                break;
            out += m_process.readAllStandardOutput();
        }
        const int at = out.indexOf("LISTENING ");
        if (at < 0) {
            if (why)
                *why = QString::fromUtf8(out + m_process.readAllStandardError());
            return false;
        }
        m_base = QString::fromUtf8(out.mid(at + 10, out.indexOf('\n', at) - at - 10)).trimmed();
        return true;
    }

    ~DemoService()
    {
        if (m_process.state() == QProcess::Running) {
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    QString base() const { return m_base; }
    QString url(const QString &file) const { return m_base + QStringLiteral("/download/") + file; }
    QString filePath(const QString &file) const { return m_dataDir + QStringLiteral("/files/") + file; }

    // Faults: a JSON object of the control endpoint ({"throttle": 200000}, {"status": 404}, ...).
    bool control(const QJsonObject &changes) { return post(QStringLiteral("/_control"), changes); }
    bool reset() { return post(QStringLiteral("/_control/reset"), QJsonObject()); }

    // The package requests served so far: {"path", "range", "status", "sent"} each.
    QJsonArray requests()
    {
        const QByteArray body = get(QStringLiteral("/_control/requests"));
        return QJsonDocument::fromJson(body).object().value(QStringLiteral("requests")).toArray();
    }

    static QByteArray md5(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        QCryptographicHash hash(QCryptographicHash::Md5);
        hash.addData(&file);
        return hash.result().toHex();
    }

private:
    QByteArray get(const QString &path)
    {
        QNetworkRequest request{QUrl(m_base + path)};
        return wait(m_network.get(request));
    }

    bool post(const QString &path, const QJsonObject &body)
    {
        QNetworkRequest request{QUrl(m_base + path)};
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        const QByteArray answer =
            wait(m_network.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact)));
        return QJsonDocument::fromJson(answer).object().value(QStringLiteral("status")).toBool();
    }

    QByteArray wait(QNetworkReply *reply)
    {
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        return body;
    }

    QProcess m_process;
    QNetworkAccessManager m_network;
    QString m_base;
    QString m_dataDir = QStringLiteral(LAUNCHER_BINARY_DIR "/pipeline-demo-data");
};
