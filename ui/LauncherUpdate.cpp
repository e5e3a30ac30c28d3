#include "ui/LauncherUpdate.h"

#include "platform/UpdaterHandoff.h"
#include "tasks/FileHelpers.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

// A download that receives nothing for this long has failed.
constexpr int TransferTimeoutMs = 30000;

bool isMd5Text(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{32}$"));
    return hex.match(text).hasMatch();
}

QString updateDir()
{
    return QFileInfo(platform::waitingLauncherPath()).absolutePath();
}

} // namespace

LauncherUpdate::LauncherUpdate(QObject *parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{}

LauncherUpdate::~LauncherUpdate()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
    // An uncommitted temporary file is removed with its QSaveFile.
}

LauncherUpdate::Start LauncherUpdate::start(const QString &url, const QString &md5)
{
    const QString expected = md5.trimmed().toLower();
    const QUrl address(url, QUrl::TolerantMode);
    if (!isMd5Text(expected)) {
        qWarning() << "launcher update refused: not an MD5:" << md5.left(64);
        return Start::Refused;
    }
    if (!address.isValid() ||
        (address.scheme() != QLatin1String("http") && address.scheme() != QLatin1String("https"))) {
        qWarning() << "launcher update refused: not a web address:" << url.left(256);
        return Start::Refused;
    }

    abortRunning();

    const QString waiting = platform::waitingLauncherPath();
    if (QFileInfo(waiting).isFile()) {
        if (tasks::fileMd5Hex(waiting).toLower() == expected) {
            qDebug() << "launcher update already downloaded" << expected;
            return Start::AlreadyDownloaded;
        }
        // Another build waits: it is not the one the page wants any more.
        tasks::removeDirRecursively(updateDir());
    }

    QDir().mkpath(updateDir());
    auto file = std::make_unique<QSaveFile>(waiting);
    if (!file->open(QIODevice::WriteOnly)) {
        qWarning() << "launcher update failed: cannot create a file in" << updateDir() << file->errorString();
        QDir().rmdir(updateDir());
        return Start::Refused;
    }
    m_file = std::move(file);
    m_hash.reset();
    m_expectedMd5 = expected;
    m_writeFailed = false;

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(TransferTimeoutMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &LauncherUpdate::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &LauncherUpdate::onFinished);
    qDebug() << "launcher update started" << address.toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo);
    return Start::Started;
}

void LauncherUpdate::onReadyRead()
{
    if (!m_reply || !m_file)
        return;
    const QByteArray chunk = m_reply->readAll();
    m_hash.addData(chunk);
    if (!m_writeFailed && m_file->write(chunk) != chunk.size())
        m_writeFailed = true;
}

void LauncherUpdate::onFinished()
{
    if (!m_reply)
        return;
    onReadyRead();
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();

    if (reply->error() != QNetworkReply::NoError) {
        fail(QStringLiteral("download failed: ") + reply->errorString());
        return;
    }
    const QString actual = QString::fromLatin1(m_hash.result().toHex());
    if (actual != m_expectedMd5) {
        fail(QStringLiteral("MD5 ") + actual + QStringLiteral(" instead of ") + m_expectedMd5);
        return;
    }
    if (m_writeFailed || !m_file->commit()) {
        fail(QStringLiteral("cannot write the file: ") + m_file->errorString());
        return;
    }
    m_file.reset();
    const QString waiting = platform::waitingLauncherPath();
    QFile::setPermissions(waiting, QFile::permissions(waiting) | QFileDevice::ExeOwner |
                                       QFileDevice::ExeUser | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    qDebug() << "launcher update ready for the updater" << m_expectedMd5;
    emit finished(true);
}

void LauncherUpdate::abortRunning()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
    m_file.reset();
    QDir().rmdir(updateDir());
    qWarning() << "launcher update aborted: a newer one was asked for";
    emit finished(false);
}

void LauncherUpdate::fail(const QString &why)
{
    if (m_file)
        m_file->cancelWriting();
    m_file.reset();
    // Only an empty directory goes; nothing else is kept there.
    QDir().rmdir(updateDir());
    qWarning().noquote() << "launcher update failed:" << why;
    emit finished(false);
}
