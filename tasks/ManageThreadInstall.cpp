// Extraction, update by patch and installation of downloaded packages.
#include "tasks/ManageThread.h"

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "platform/DiskSpace.h"
#include "platform/InstallerShell.h"
#include "platform/ToolNames.h"
#include "store/TaskManager.h"
#include "tasks/DiffTask.h"
#include "tasks/FileHelpers.h"
#include "tasks/InstallTask.h"
#include "tasks/TaskFormat.h"
#include "tasks/TaskPaths.h"
#include "tasks/TaskTips.h"
#include "tasks/VersionFile.h"
#include "tasks/ZipTask.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

using tasks::TaskRecord;

bool ManageThread::isInstalling(const QString &productId) const
{
    return m_installing.contains(productId);
}

void ManageThread::beginInstall(const QString &productId)
{
    m_installing.insert(productId);
}

void ManageThread::endInstall(const QString &productId)
{
    m_installing.remove(productId);
}

void ManageThread::trackArchiver(QProcess *process)
{
    archiverProcesses.append(process);
}

void ManageThread::untrackArchiver(QProcess *process)
{
    if (archiverProcesses.removeAll(process) > 0)
        process->deleteLater();
}

// ---- extraction ---------------------------------------------------------------------------------------

void ManageThread::unzipPackage(const QString &productId, const QString &zipPath)
{
    const QString md5 = tasks::fileMd5Hex(zipPath);
    if (!md5.isEmpty())
        qDebug() << "unzip file md5 is" << md5.toLower();
    const QFileInfo package(zipPath);
    if (package.exists()) {
        const qint64 free = platform::freeSpaceFor(zipPath);
        if (free >= 0 && free < 2 * package.size()) {
            notice(productId, tasks::Downloaded, tip(tasks::tips::CannotInstall), QStringLiteral("100"),
                   QString(), false, QString());
            emit spaceWarnOnlyTips(productId);
            return;
        }
    }
    const QString installDir = installDirFor(productId);
    if (!installDir.isEmpty())
        QDir().mkpath(installDir);
    notice(productId, tasks::Installing, tip(tasks::tips::StartExtracting), QStringLiteral("100"),
           QStringLiteral("-"), true, tip(tasks::tips::ExtractingPleaseWait));
    m_api->killGameProcesses();

    beginInstall(productId);
    auto *process = new QProcess;
    auto *task = new ZipTask(process);
    task->setUp(productId, zipPath, installDir, process);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), task,
            &ZipTask::slot_zipend);
    connect(process, &QProcess::readyReadStandardOutput, task, &ZipTask::cmdOutSlots);
    connect(task, &ZipTask::unzipProcessHasEnd, this, &ManageThread::slot_unzipProcessHasEnd);
    connect(task, &ZipTask::zipThreadSigProgress, this, &ManageThread::unzipProgressStatus);
    trackArchiver(process);

    process->setWorkingDirectory(platform::applicationDir());
    process->start(platform::toolProgram(QStringLiteral("7z.exe")),
                   {QStringLiteral("x"), zipPath, QStringLiteral("-o") + installDir, QStringLiteral("-aoa")},
                   QIODevice::ReadWrite);
    if (!process->waitForStarted(-1)) {
        qDebug() << "archiver did not start:" << process->errorString();
        task->slot_zipend(-1, QProcess::CrashExit);
    }
}

void ManageThread::unzipProgressStatus(QString productId, uint64_t now, uint64_t all)
{
    if (now == all) {
        installFinish(productId, 0);
        return;
    }
    const QString pct =
        tasks::formatPercent(qint64(qMin<uint64_t>(all, INT64_MAX)), qint64(qMin<uint64_t>(now, INT64_MAX)));
    const QString tips = now > all ? tip(tasks::tips::Verifying) : tasks::keepText();
    notice(productId, tasks::Installing, tips, pct, pct + QLatin1Char('%'), true, QString());
}

void ManageThread::slot_unzipProcessHasEnd(QString productId, QString savePath, bool success)
{
    if (auto *task = qobject_cast<ZipTask *>(sender()))
        untrackArchiver(qobject_cast<QProcess *>(task->parent()));
    endInstall(productId);
    qDebug() << "qprcess has exit.. unzip status" << success;
    if (!success) {
        notice(productId, tasks::ExtractFailed, tip(tasks::tips::ExtractFailed), tasks::keepText(),
               tasks::keepText(), false, tip(tasks::tips::CloseGameAndRetry));
        return;
    }
    installFinish(productId, 1);
    writeLocalVersion(productId, savePath);

    const QString packageName = QFileInfo(savePath).fileName();
    if (m_api->useHidiffz) {
        const QString versionNo = m_store->getTask(productId).value(QStringLiteral("versionNo"));
        m_store->saveZip(productId, versionNo, savePath);
        const QString dir = productDir(productId);
        const QFileInfoList packages = QDir(dir).entryInfoList(
            {QStringLiteral("*.zip"), QStringLiteral("*.patch"), QStringLiteral("*.package")}, QDir::Files);
        for (const QFileInfo &file : packages) {
            if (file.fileName() == packageName)
                continue;
            qDebug() << "delete  history zip and patch files ==" << file.absoluteFilePath();
            QFile::remove(file.absoluteFilePath());
        }
    } else if (QFileInfo::exists(savePath)) {
        QFile::remove(savePath);
    }
    checkLocalProductIds(QLatin1Char('(') + productId + QLatin1Char(')'));
}

void ManageThread::slot_unzipFail(QString productId, QString error)
{
    notice(productId, tasks::ExtractFailed, tip(tasks::tips::ExtractFailed), tasks::keepText(),
           tasks::keepText(), false, error);
}

void ManageThread::slot_zipThreadSigFile(QString productId, QString file)
{
    notice(productId, tasks::Installing, tip(tasks::tips::ExtractingFile), tasks::keepText(),
           tasks::keepText(), true, file);
}

void ManageThread::slot_zipThreadFinished() {}

void ManageThread::writeLocalVersion(const QString &productId, const QString &packagePath)
{
    Q_UNUSED(packagePath)
    const TaskRecord task = m_store->getTask(productId);
    QString newVersion = task.value(QStringLiteral("updateToVersion"));
    QString newName = task.value(QStringLiteral("updateToVersionName"));
    if (!task.contains(QStringLiteral("updateToVersion")))
        newVersion = QStringLiteral("1");
    if (!task.contains(QStringLiteral("updateToVersionName")))
        newName = QStringLiteral("1.0.0");
    const QString file = tasks::versionFilePath(installDirFor(productId));
    QDir().mkpath(QFileInfo(file).absolutePath());
    tasks::saveTextFile(file, tasks::versionFileText(newVersion, newName, newVersion));
    m_store->setVersion(productId, newVersion, newName);
}

// ---- update -------------------------------------------------------------------------------------------

void ManageThread::updateGame(QString productId, QString url, QString versionNo, QString versionName)
{
    const QString fileName = QFileInfo(url).fileName();
    const TaskRecord task = m_store->getTask(productId);
    bool numeric = false;
    const int current = task.value(QStringLiteral("versionNo")).toInt(&numeric);
    const QString status = task.value(QStringLiteral("nowStatus"));

    if (status == tasks::statusText(tasks::Downloaded)) {
        if (isInstalling(productId))
            return;
        doInstallDownloadFile(productId, task.value(QStringLiteral("savePath")),
                              task.value(QStringLiteral("installcmd")),
                              task.value(QStringLiteral("startcmd")));
        return;
    }
    if (status != tasks::statusText(tasks::Installed)) {
        qDebug() << "only now status is 5 can update game";
        return;
    }
    if (QFileInfo(url).suffix().toLower() != QLatin1String("patch") && m_api->useHidiffz) {
        const QString installDir = m_api->installPath(productId);
        const QString base = m_api->readVersionData(installDir).value(QStringLiteral("baseVersionNo"));
        qDebug() << "prepare to unzip ,now target versionNo :" << versionNo
                 << " == nowBaseVersionNo :" << base;
        if (versionNo != base) {
            clearInstallDir(productId, installDir);
            QString packageDir = installDir;
            packageDir.remove(QStringLiteral("/install"));
            const QFileInfoList packages =
                QDir(packageDir)
                    .entryInfoList({QStringLiteral("*.zip"), QStringLiteral("*.package")}, QDir::Files);
            for (const QFileInfo &file : packages)
                QFile::remove(file.absoluteFilePath());
        }
    }
    {
        QMutexLocker lock(&taskMutex);
        m_store->setUpdateFields(productId, tasks::Waiting, url, versionNo, versionName, fileName,
                                 QString::number(numeric ? current : 0));
    }
    notice(productId, tasks::Downloading, tip(tasks::tips::PreparingUpdate), QStringLiteral("0"), QString(),
           false, QString());
    wakeScheduler();
}

void ManageThread::applyDiffPatch(const QString &productId, const QString &patchPath)
{
    const QString installDir = installDirFor(productId);
    const TaskRecord task = m_store->getTask(productId);
    QString from = task.value(QStringLiteral("fromVersion"));
    if (from.isEmpty())
        from = QStringLiteral("0");
    if (from == QLatin1String("0")) {
        qDebug() << "check package fail,get fromVersion is 0";
        clearGameData(productId, true);
        return;
    }
    const QString basePackage = m_store->zipPath(productId, from);
    notice(productId, tasks::Installing, tip(tasks::tips::StartExtracting), QStringLiteral("100"),
           QStringLiteral("-"), true, tip(tasks::tips::ExtractingPleaseWait));
    m_api->killGameProcesses();
    clearInstallDir(productId, installDir);

    const QString to = task.contains(QStringLiteral("updateToVersion"))
                           ? task.value(QStringLiteral("updateToVersion"))
                           : QStringLiteral("new");
    const QString newPackage = productDir(productId) + QStringLiteral("/diffpath_") + from +
                               QLatin1Char('_') + to + QStringLiteral(".zip");

    beginInstall(productId);
    auto *process = new QProcess;
    auto *diff = new DiffTask(process);
    diff->setUp(productId, newPackage, installDir, process);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), diff,
            &DiffTask::slot_zipend);
    connect(process, &QProcess::readyReadStandardOutput, diff, &DiffTask::cmdOutSlots);
    connect(diff, &DiffTask::unzipProcessHasEnd, this, &ManageThread::slot_dffPathHasEnd);
    connect(diff, &DiffTask::zipThreadSigProgress, this, &ManageThread::unzipProgressStatus);
    trackArchiver(process);

    process->setWorkingDirectory(platform::applicationDir());
    process->start(platform::toolProgram(QStringLiteral("hpatchz.exe")),
                   {QStringLiteral("-f"), basePackage, patchPath, newPackage}, QIODevice::ReadWrite);
    if (!process->waitForStarted(-1)) {
        qDebug() << "patch tool did not start:" << process->errorString();
        diff->slot_zipend(-1, QProcess::CrashExit);
    }
}

void ManageThread::slot_dffPathHasEnd(QString productId, QString savePath, bool success)
{
    if (auto *diff = qobject_cast<DiffTask *>(sender()))
        untrackArchiver(qobject_cast<QProcess *>(diff->parent()));
    endInstall(productId);
    qDebug() << "diff file end status:" << success << " rec path" << savePath;
    if (success) {
        unzipPackage(productId, savePath);
        return;
    }
    qDebug() << "make diff patch fail,clear local game and re download..";
    clearGameData(productId, true);
}

// ---- installation -------------------------------------------------------------------------------------

void ManageThread::doInstallDownloadFile(QString productId, QString savePath, QString installcmd,
                                         QString startcmd)
{
    if (savePath.isEmpty() || !QFileInfo(savePath).isFile()) {
        notice(productId, tasks::DownloadFailed, tip(tasks::tips::DownloadError), QStringLiteral("0"),
               QString(), false, QString());
        return;
    }
    const QString suffix = QFileInfo(savePath).suffix().toLower();
    if (suffix == QLatin1String("exe"))
        doInstallPCexe(productId, savePath, installcmd, startcmd);
    else if (suffix == QLatin1String("patch"))
        applyDiffPatch(productId, savePath);
    else if (suffix == QLatin1String("package") || suffix == QLatin1String("zip"))
        unzipPackage(productId, savePath);
    else if (suffix == QLatin1String("apk"))
        doInstallApk(productId, savePath, installcmd, startcmd);
    else
        notice(productId, tasks::Downloaded, tip(tasks::tips::CannotInstall), QStringLiteral("100"),
               QString(), true, QString());
}

void ManageThread::doInstallPCexe(QString productId, QString savePath, QString installcmd, QString startcmd)
{
    Q_UNUSED(startcmd)
    notice(productId, tasks::Downloaded, tip(tasks::tips::Installing), QStringLiteral("100"),
           QStringLiteral("0"), true, QString());
    if (installcmd.isEmpty())
        installcmd = platform::defaultInstallerLine(savePath);

    auto *process = new QProcess;
    auto *task = new InstallTask(process);
    task->setUp(productId, savePath, process);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), task,
            &InstallTask::cmdend);
    connect(task, &InstallTask::installFinish, this, &ManageThread::installFinish);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            [this, productId, process] {
                endInstall(productId);
                process->deleteLater();
            });
    beginInstall(productId);
    process->start(platform::installerShellProgram(), platform::installerShellArguments(),
                   QIODevice::ReadWrite);
    if (!process->waitForStarted(30000)) {
        qDebug() << "installer shell did not start:" << process->errorString();
        endInstall(productId);
        process->deleteLater();
        notice(productId, tasks::Downloaded, tip(tasks::tips::CannotInstall), QStringLiteral("100"),
               QString(), false, QString());
        return;
    }
    process->write(platform::installerShellPreamble());
    process->write(installcmd.toUtf8() + '\n');
    process->closeWriteChannel();
}

void ManageThread::doInstallApk(QString productId, QString savePath, QString installcmd, QString startcmd)
{
    Q_UNUSED(startcmd)
    notice(productId, tasks::Installing, tip(tasks::tips::AboutToInstall), QStringLiteral("100"),
           QStringLiteral("0"), true, QString());
    emit checkDeviceCanInstall(productId, savePath, installcmd);
    m_store->setStatus(productId, tasks::Installing);
}

void ManageThread::installFinish(QString productId, int exitCode)
{
    Q_UNUSED(exitCode)
    notice(productId, tasks::Installed, tip(tasks::tips::StartGame), QStringLiteral("100"), QString(), false,
           QString());
    m_store->setStatus(productId, tasks::Installed);
}

void ManageThread::changeInstallStatus(QString productId, int status, QString tips, QString error)
{
    m_store->setStatusAndError(productId, status, error);
    notice(productId, status, tips, QStringLiteral("100"), QStringLiteral("0"), false, QString());
}
