// Launching games, the local inventory the storefront shows, repair and clean-up.
#include "tasks/ManageThread.h"

#include "baselibs/json/QtJson.h"
#include "core/QApi.h"
#include "platform/DetachedStart.h"
#include "store/TaskManager.h"
#include "tasks/FileHelpers.h"
#include "tasks/GameCommandLine.h"
#include "tasks/TaskPaths.h"
#include "tasks/TaskTips.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

using tasks::TaskRecord;

namespace {

// text inside a double-quoted JavaScript string.
QString jsDoubleQuoted(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('\n')) {
            out += QLatin1String("\\n");
            continue;
        }
        out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

// ---- launching ----------------------------------------------------------------------------------------

void ManageThread::manageThreadStartApp(QString productId, QString startcmd, QString platform)
{
    Q_UNUSED(platform)
    notice(productId, tasks::Installed, tip(tasks::tips::Starting), QStringLiteral("100"), QString(), true,
           QString());
    if (!startcmd.contains(QLatin1String("exe")))
        return;
    startcmd.replace(tasks::appPathPlaceholder(), installDirFor(productId));
    if (startcmd.contains(QLatin1String("FILENAME"))) {
        const QString savePath = m_store->getTask(productId).value(QStringLiteral("savePath"));
        if (!savePath.isEmpty())
            startcmd.replace(tasks::fileNamePlaceholder(), savePath);
    }
    if (!QFileInfo(startcmd).isFile()) {
        notice(productId, tasks::Installed, tip(tasks::tips::StartFailed), QStringLiteral("100"), QString(),
               false, QString());
        return;
    }
    const QStringList arguments =
        tasks::gameArguments(*m_api, m_loginReader ? m_loginReader() : QMap<QString, QString>());
    const QString workingDir = QFileInfo(startcmd).absolutePath();
    notice(productId, tasks::Installed, tip(tasks::tips::Starting), QStringLiteral("100"), QString(), false,
           QString());
    if (!platform::startDetached(startcmd, arguments, workingDir)) {
        qDebug() << "game did not start:" << startcmd;
        notice(productId, tasks::Installed, tip(tasks::tips::StartFailed), QStringLiteral("100"), QString(),
               false, QString());
        return;
    }
    notice(productId, tasks::Installed, tip(tasks::tips::StartGame), QStringLiteral("100"), QString(), false,
           QString());
    if (m_api->getSystemConf(QStringLiteral("laucherAppAfter"), QStringLiteral("1")) == QLatin1String("1"))
        emit mainWindowMini();
}

void ManageThread::laucherGameFinished(int status, QProcess::ExitStatus code)
{
    Q_UNUSED(status)
    Q_UNUSED(code)
    qDebug() << "game process has finished";
}

// ---- inventory ----------------------------------------------------------------------------------------

void ManageThread::checkLocalProductIds(QString productIds)
{
    if (!m_api->fixLocalpath.isEmpty() && QFileInfo(m_api->fixLocalpath).isFile()) {
        QString id = productIds;
        id.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        json::Object entry;
        const auto put = [&entry](const char *key, const QString &value) {
            entry.import(json::String(key), json::Value(json::fromQString(value)));
        };
        put("productId", id);
        put("productName", m_api->appName);
        put("logo", QString());
        put("platform", QStringLiteral("11"));
        put("url", QString());
        put("package", QString());
        put("startcmd", m_api->fixLocalpath);
        put("installcmd", QString());
        put("versionNo", QStringLiteral("100000"));
        put("versionName", QString());
        put("rate", QStringLiteral("0"));
        put("sizeRate", QStringLiteral("0"));
        put("nowStatus", QStringLiteral("5"));
        json::Array list;
        list << json::Value(entry);
        const QByteArray answer = json::pageArgument(list);
        qDebug() << "check Local game status ====" << json::compacted(list.json());
        emit updateLocalProductStatus(QString::fromLatin1(answer), false);
        if (m_api->mustLogin == QLatin1String("1"))
            notice(id, tasks::Installed, tip(tasks::tips::StartGame), QStringLiteral("100"), QString(), true,
                   QString());
        return;
    }
    QString answer;
    {
        QMutexLocker lock(&taskMutex);
        answer = m_store->productsJson(productIds, runningWorkers.keys());
    }
    qDebug() << "check Local game status ====";
    emit updateLocalProductStatus(answer, false);
}

void ManageThread::checkLocalProductAll(bool s)
{
    QString answer;
    {
        QMutexLocker lock(&taskMutex);
        answer = m_store->allProductsJson(runningWorkers.keys(), s);
    }
    emit updateLocalProductStatus(answer, true);
}

// ---- repair and clean-up ------------------------------------------------------------------------------

void ManageThread::checkLocalGameResource(QString productId, QString productName, QString url,
                                          QString startcmd, QString installcmd, QString logo,
                                          QString platform, QString package, QString versionNo,
                                          QString versionName)
{
    const QString installDir = m_api->installPath(productId);
    const QString base = m_api->readVersionData(installDir).value(QStringLiteral("baseVersionNo"));
    if (base == versionNo && m_store->hasZip(productId, versionNo)) {
        if (isInstalling(productId))
            return;
        const QString kept = m_store->zipPath(productId, versionNo);
        clearInstallDir(productId, installDir);
        unzipPackage(productId, kept);
        return;
    }
    clearGameData(productId, false);
    createTask(productId, productName, url, startcmd, installcmd, logo, platform, package, versionNo,
               versionName);
}

void ManageThread::recheckInstall(QString productId, QString productName, QString url, QString startcmd,
                                  QString installcmd, QString logo, QString platform, QString package,
                                  QString versionNo, QString versionName)
{
    Q_UNUSED(productName)
    Q_UNUSED(url)
    Q_UNUSED(logo)
    Q_UNUSED(platform)
    Q_UNUSED(package)
    Q_UNUSED(versionNo)
    Q_UNUSED(versionName)
    const QString savePath = m_store->getTask(productId).value(QStringLiteral("savePath"));
    if (!savePath.isEmpty() && QFileInfo(savePath).isFile()) {
        if (isInstalling(productId))
            return;
        doInstallDownloadFile(productId, savePath, installcmd, startcmd);
        return;
    }
    notice(productId, tasks::DownloadFailed, tip(tasks::tips::DownloadError), QStringLiteral("0"), QString(),
           false, QString());
}

void ManageThread::clearGameData(QString productId, bool restart)
{
    clearing = true;
    {
        QMutexLocker lock(&taskMutex);
        m_store->deleteTask(productId);
    }
    qDebug() << "===" << tip(tasks::tips::GetGame);
    pauseTask(productId);
    m_api->setSystemConfValue(QStringLiteral("userSelectInstallPath"), QString());
    const QString dir = productDir(productId);
    if (!dir.isEmpty() && QFileInfo::exists(dir))
        tasks::removeDirRecursively(dir);
    emit runSystemPageFun(QStringLiteral("clearLocalDataSuccess()"));
    emit runMainPageFunc(
        QStringLiteral("setHasSelectInstall(") +
        jsDoubleQuoted(QLatin1Char(' ') + tip(tasks::tips::LocalDataCleared) + QLatin1Char(' ')) +
        QLatin1Char(')'));
    notice(productId, tasks::Waiting, tip(tasks::tips::GetGame), QStringLiteral("0"), QString(), false,
           QString());
    emit runMainPageFunc(restart ? QStringLiteral("getProductInfoByProductCode(1)")
                                 : QStringLiteral("getProductInfoByProductCode()"));
    clearing = false;
}

void ManageThread::clearHistoryGameData(QString productId, QString keyword)
{
    const QString selected = m_api->userSelectInstallPath();
    const QString dir = selected.isEmpty() ? productDir(productId) : selected;
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return;
    const QFileInfoList packages = QDir(dir).entryInfoList({QStringLiteral("*.zip")}, QDir::Files);
    for (const QFileInfo &file : packages) {
        qDebug() << "delete ==" << file.absoluteFilePath();
        if (keyword.isEmpty() || file.fileName().contains(keyword))
            QFile::remove(file.absoluteFilePath());
    }
}
