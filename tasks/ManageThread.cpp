#include "tasks/ManageThread.h"

#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "platform/DiskSpace.h"
#include "store/TaskManager.h"
#include "tasks/BandwidthLimiter.h"
#include "tasks/FileHelpers.h"
#include "tasks/TaskFormat.h"
#include "tasks/TaskPaths.h"
#include "tasks/TaskScheduler.h"
#include "tasks/TaskTips.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QRegularExpression>

using tasks::TaskRecord;

namespace {

constexpr int maxRunningDownloads = 3;

// The total download limit the user set, in bytes per second; 0 when there is none.
qint64 downloadLimitFromSettings(const QApi *api)
{
    if (api->getSystemConf(QStringLiteral("downloadLimit"), QStringLiteral("0")) != QLatin1String("1"))
        return 0;
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)"));
    const QRegularExpressionMatch match =
        number.match(api->getSystemConf(QStringLiteral("downloadLimitRate"), QString()));
    if (!match.hasMatch())
        return 0;
    const double kilobytes = match.captured(1).toDouble();
    if (kilobytes <= 0 || kilobytes > 1e12)
        return 0;
    return qint64(kilobytes * 1024.0);
}

bool isStatus(const TaskRecord &task, int status)
{
    return task.value(QStringLiteral("nowStatus")) == tasks::statusText(status);
}

} // namespace

ManageThread::ManageThread(QObject *parent) : ManageThread(QApi::instance(), TaskManager::instance(), parent)
{}

ManageThread::ManageThread(QApi *api, TaskManager *store, QObject *parent)
    : QThread(parent), m_api(api), m_store(store), m_loginReader([] { return readSavedLogin(); })
{
    connect(m_api, &QApi::systemConfHasUpate, this, &ManageThread::applyDownloadLimit);
}

ManageThread::~ManageThread()
{
    if (isRunning()) {
        {
            QMutexLocker lock(&taskMutex);
            quitRequested = true;
        }
        quit();
        wait();
    }
    for (QProcess *process : qAsConst(archiverProcesses)) {
        process->disconnect();
        process->kill();
        process->waitForFinished(3000);
        delete process;
    }
    qDebug() << "manageThread has destroy..";
}

void ManageThread::setTiming(const Timing &timing)
{
    m_timing = timing;
}

void ManageThread::setLoginReader(LoginReader reader)
{
    m_loginReader = std::move(reader);
}

void ManageThread::setAuthToken(const QString &token)
{
    m_authToken = token;
}

QString ManageThread::authToken() const
{
    return m_authToken;
}

QStringList ManageThread::runningProducts() const
{
    QMutexLocker lock(&taskMutex);
    return runningWorkers.keys();
}

QString ManageThread::tip(const char *key) const
{
    return tr(key);
}

void ManageThread::notice(const QString &productId, int status, const QString &tips, const QString &rate,
                          const QString &runRate, bool showDisable, const QString &downSizeRate)
{
    emit updateDownloadTaskStatus(tasks::downGameAction(), productId, status, tips, rate, runRate,
                                  showDisable, downSizeRate);
}

QString ManageThread::productDir(const QString &productId) const
{
    return tasks::productDir(productId);
}

QString ManageThread::installDirFor(const QString &productId) const
{
    return tasks::resolveInstallDir(productId, m_api->userSelectInstallPath());
}

void ManageThread::clearInstallDir(const QString &productId, const QString &installDir) const
{
    // A user-selected install directory is one folder shared by every game and whatever else the user keeps
    // there; removing it would destroy all of that. Only the game's own directory under the product
    // directory is emptied; elsewhere the archiver overwrites the game's files in place.
    const QString ownDir = productDir(productId);
    const QString cleanInstallDir = QDir::cleanPath(installDir);
    if (ownDir.isEmpty() || !cleanInstallDir.startsWith(QDir::cleanPath(ownDir) + QLatin1Char('/'))) {
        qDebug() << "keep install directory outside the product directory" << installDir;
        return;
    }
    tasks::removeDirRecursively(installDir);
}

// ---- the manager thread -------------------------------------------------------------------------------

void ManageThread::run()
{
    qDebug() << "manageThread has run..";
    TaskScheduler scheduler(this, m_timing.safetyPassMs);
    scheduler.limiter()->setRate(downloadLimitFromSettings(m_api));
    QList<std::function<void(TaskScheduler *)>> jobs;
    {
        QMutexLocker lock(&m_schedulerMutex);
        m_scheduler = &scheduler;
        jobs.swap(m_pendingJobs);
    }
    for (const auto &job : qAsConst(jobs))
        job(&scheduler);
    scheduler.requestPass();
    exec();
    QMutexLocker lock(&m_schedulerMutex);
    m_scheduler = nullptr;
}

void ManageThread::postToManagerThread(std::function<void(TaskScheduler *)> job)
{
    QMutexLocker lock(&m_schedulerMutex);
    if (!m_scheduler) {
        m_pendingJobs.append(std::move(job));
        return;
    }
    TaskScheduler *scheduler = m_scheduler;
    QMetaObject::invokeMethod(
        scheduler, [scheduler, job] { job(scheduler); }, Qt::QueuedConnection);
}

void ManageThread::wakeScheduler()
{
    QMutexLocker lock(&m_schedulerMutex);
    if (m_scheduler)
        m_scheduler->requestPass();
}

void ManageThread::applyDownloadLimit()
{
    const qint64 rate = downloadLimitFromSettings(m_api);
    postToManagerThread([rate](TaskScheduler *scheduler) { scheduler->limiter()->setRate(rate); });
}

void ManageThread::schedulePass(TaskScheduler *scheduler)
{
    // Each pass starts the first waiting task while slots are free; a product that already runs holds
    // back the queue behind it until it ends.
    for (int round = 0; round < maxRunningDownloads; ++round) {
        DownloadThread *worker = nullptr;
        TaskRecord rejected;
        {
            QMutexLocker lock(&taskMutex);
            if (quitRequested) {
                if (runningWorkers.isEmpty()) {
                    lock.unlock();
                    quit();
                }
                return;
            }
            if (runningWorkers.size() >= maxRunningDownloads)
                return;
            const QList<TaskRecord> waiting = m_store->waitingTasks();
            if (waiting.isEmpty())
                return;
            const TaskRecord &task = waiting.first();
            const QString productId = task.value(QStringLiteral("productId"));
            if (runningWorkers.contains(productId))
                return;
            // A waiting task that already has part of its package continues into that file.
            QString savePath = task.value(QStringLiteral("savePath"));
            if (savePath.isEmpty() || !QFileInfo(savePath).isFile())
                savePath = tasks::makeSavePath(productId, task.value(QStringLiteral("fileName")));
            if (savePath.isEmpty()) {
                m_store->setStatusById(task.value(QStringLiteral("id")), tasks::DownloadFailed);
                rejected = task;
            } else {
                worker = prepareWorkerLocked(task, savePath, 0);
            }
        }
        if (!rejected.isEmpty()) {
            const QString id = rejected.value(QStringLiteral("id"));
            const QString productId = rejected.value(QStringLiteral("productId"));
            QMetaObject::invokeMethod(
                this,
                [this, id, productId] { workRunErrored(id, productId, QStringLiteral("无法打开文件")); },
                Qt::QueuedConnection);
            continue;
        }
        if (!worker)
            return;
        scheduler->launch(worker);
    }
}

// ---- starting and ending downloads ----------------------------------------------------------------

DownloadThread *ManageThread::prepareWorkerLocked(const TaskRecord &task, const QString &savePath,
                                                  qint64 startSize)
{
    const QString productId = task.value(QStringLiteral("productId"));
    if (quitRequested || runningWorkers.contains(productId))
        return nullptr;
    const QString id = task.value(QStringLiteral("id"));
    m_store->setStatusById(id, tasks::Downloading);
    // The size always describes the file the worker appends to.
    if (startSize <= 0 && QFileInfo(savePath).isFile())
        startSize = QFileInfo(savePath).size();

    auto *worker = new DownloadThread;
    runningWorkers.insert(productId, worker);
    const QString installcmd = task.value(QStringLiteral("platform")) == QLatin1String("1")
                                   ? task.value(QStringLiteral("package"))
                                   : task.value(QStringLiteral("installcmd"));
    worker->setUp(id, productId, task.value(QStringLiteral("url")), savePath, installcmd,
                  task.value(QStringLiteral("startcmd")));
    worker->setStartSize(startSize);
    worker->setStoredTotalSize(task.value(QStringLiteral("totalSize")).toLongLong());
    DownloadThread::Timing timing;
    timing.stallTimeoutMs = m_timing.stallTimeoutMs;
    timing.progressIntervalMs = m_timing.progressIntervalMs;
    worker->setTiming(timing);
    connect(worker, &DownloadThread::workFinish, this, &ManageThread::workFinish, Qt::QueuedConnection);
    connect(worker, &DownloadThread::workAbort, this, &ManageThread::workAbort, Qt::QueuedConnection);
    connect(worker, &DownloadThread::workRunErrored, this, &ManageThread::workRunErrored,
            Qt::QueuedConnection);
    connect(worker, &DownloadThread::notifyManageDownloadProgressSlot, this,
            &ManageThread::notifyManageDownloadProgressSlot, Qt::QueuedConnection);
    worker->moveToThread(this);
    return worker;
}

void ManageThread::launchWorker(DownloadThread *worker)
{
    postToManagerThread([worker](TaskScheduler *scheduler) { scheduler->launch(worker); });
}

bool ManageThread::startDownloadTask(const TaskRecord &task, const QString &savePath, qint64 startSize)
{
    DownloadThread *worker = nullptr;
    {
        QMutexLocker lock(&taskMutex);
        worker = prepareWorkerLocked(task, savePath, startSize);
    }
    if (!worker)
        return false;
    launchWorker(worker);
    return true;
}

void ManageThread::restartDownloadTask(const QString &productId, const TaskRecord &task, qint64 localSize)
{
    qDebug() << "restar task";
    const qint64 total = task.value(QStringLiteral("totalSize")).toLongLong();
    DownloadThread *worker = nullptr;
    {
        QMutexLocker lock(&taskMutex);
        worker = prepareWorkerLocked(task, task.value(QStringLiteral("savePath")), localSize);
    }
    if (!worker) {
        sendCurrentDownloadState(productId);
        return;
    }
    notice(productId, tasks::Downloading, tip(tasks::tips::AboutToStart),
           tasks::formatPercent(total, localSize), QString(), false, QString());
    launchWorker(worker);
}

void ManageThread::sendCurrentDownloadState(const QString &productId)
{
    const TaskRecord task = m_store->getTask(productId);
    const qint64 total = task.value(QStringLiteral("totalSize")).toLongLong();
    const QString savePath = task.value(QStringLiteral("savePath"));
    const qint64 done =
        savePath.isEmpty() ? task.value(QStringLiteral("downSize")).toLongLong() : QFileInfo(savePath).size();
    const QString pct = tasks::formatPercent(total, done);
    notice(productId, tasks::Downloading, tip(tasks::tips::Downloading) + pct + QLatin1Char('%'), pct,
           tasks::keepText(), false, tasks::formatSizeRate(total, done));
}

DownloadThread *ManageThread::takeWorker(const QString &productId, QObject *reporter)
{
    auto *worker = qobject_cast<DownloadThread *>(reporter);
    {
        QMutexLocker lock(&taskMutex);
        DownloadThread *registered = runningWorkers.value(productId);
        if (registered && (!worker || registered == worker)) {
            runningWorkers.remove(productId);
            worker = registered;
        }
    }
    if (worker)
        worker->deleteLater();
    wakeScheduler();
    return worker;
}

// ---- commands -----------------------------------------------------------------------------------------

void ManageThread::createTask(QString productId, QString productName, QString url, QString startcmd,
                              QString installcmd, QString logo, QString platform, QString package,
                              QString versionNo, QString versionName)
{
    int running = 0;
    bool downloading = false;
    {
        QMutexLocker lock(&taskMutex);
        running = runningWorkers.size();
        downloading = runningWorkers.contains(productId);
    }
    // One worker per product: a second request only hears where the download stands.
    if (downloading) {
        sendCurrentDownloadState(productId);
        return;
    }
    if (isInstalling(productId)) {
        notice(productId, tasks::Installing, tasks::keepText(), tasks::keepText(), tasks::keepText(), true,
               QString());
        return;
    }

    bool replaceRow = false;
    if (m_store->hasTask(productId)) {
        const TaskRecord task = m_store->getTask(productId);
        const QString sp = task.value(QStringLiteral("savePath"));
        if (!sp.isEmpty() && QFileInfo(sp).isFile()) {
            if (isStatus(task, tasks::Downloaded) || isStatus(task, tasks::Installing) ||
                isStatus(task, tasks::ExtractFailed)) {
                doInstallDownloadFile(productId, sp, task.value(QStringLiteral("installcmd")),
                                      task.value(QStringLiteral("startcmd")));
                return;
            }
            if (isStatus(task, tasks::Installed)) {
                manageThreadStartApp(productId, startcmd, platform);
                return;
            }
            if (running < maxRunningDownloads) {
                restartDownloadTask(productId, task, QFileInfo(sp).size());
                return;
            }
            // Three downloads run: the task waits, and the scheduler continues its file later.
            m_store->setStatus(productId, tasks::Waiting);
            notice(productId, tasks::Downloading, tip(tasks::tips::WaitingToDownload), QStringLiteral("0"),
                   QString(), false, QString());
            wakeScheduler();
            return;
        }
        const QString dir = installDirFor(productId);
        QString exe = startcmd;
        exe.replace(tasks::appPathPlaceholder(), dir);
        if (!exe.isEmpty() && QFileInfo(exe).isFile()) {
            m_api->readVersionData(dir);
            m_store->setUpdateFields(productId, tasks::Installed, QString(), QString(), QString(), QString(),
                                     QString());
            emit clearAutoUpdateKey();
            notice(productId, tasks::Installed, tip(tasks::tips::StartGame), QStringLiteral("100"), QString(),
                   false, QString());
            return;
        }
        replaceRow = true;
    }

    notice(productId, tasks::Downloading,
           tip(running < maxRunningDownloads ? tasks::tips::StartDownload : tasks::tips::WaitingToDownload),
           QStringLiteral("0"), QString(), false, QString());
    {
        // Delete and insert under the manager's lock, so the scheduler never starts the old row.
        QMutexLocker lock(&taskMutex);
        if (replaceRow)
            m_store->deleteTask(productId);
        m_store->insertWaitingTask(productId, productName, url, startcmd, installcmd, logo, platform, package,
                                   versionNo, versionName);
    }
    wakeScheduler();
}

void ManageThread::createHasInstallTask(QString productId, QString productName, QString url, QString startcmd,
                                        QString installcmd, QString logo, QString platform, QString package,
                                        QString versionNo, QString versionName, QString savePath)
{
    m_store->insertInstalledTask(productId, productName, url, startcmd, installcmd, logo, platform, package,
                                 versionNo, versionName, savePath);
    notice(productId, tasks::Installed, tip(tasks::tips::StartGame), QStringLiteral("100"), QString(), false,
           QString());
    checkLocalProductIds(QLatin1Char('(') + productId + QLatin1Char(')'));
}

void ManageThread::addGameToMy(QString productId, QString productName, QString url, QString startcmd,
                               QString installcmd, QString logo, QString platform, QString package)
{
    if (m_store->hasTask(productId))
        return;
    m_store->insertLibraryTask(productId, productName, url, startcmd, installcmd, logo, platform, package);
}

void ManageThread::pauseTask(QString productId)
{
    DownloadThread *worker = nullptr;
    {
        QMutexLocker lock(&taskMutex);
        worker = runningWorkers.value(productId);
        if (!worker) {
            qDebug() << "abort unlock";
            return;
        }
        qDebug() << "send work abort";
    }
    qDebug() << "abort unlock return";
    // The worker is released only by its report, which runs on this thread: the pointer stays valid here.
    const int kind = clearing ? 1 : 0;
    QMetaObject::invokeMethod(worker, "abortTransfer", Qt::QueuedConnection, Q_ARG(int, kind));
}

void ManageThread::deleteDownLoadTask(QString productId)
{
    if (m_store->hasTask(productId)) {
        DownloadThread *worker = nullptr;
        {
            QMutexLocker lock(&taskMutex);
            worker = runningWorkers.value(productId);
        }
        if (worker)
            QMetaObject::invokeMethod(worker, "abortTransfer", Qt::QueuedConnection, Q_ARG(int, 0));
    }
    m_store->setStatus(productId, tasks::InLibrary);
    notice(productId, tasks::InLibrary, tip(tasks::tips::StartDownload), QStringLiteral("0"), QString(),
           false, QString());
}

void ManageThread::setProductTop(QString productId)
{
    m_store->setTop(productId);
}

void ManageThread::deleteMyGame(QString productId)
{
    QMutexLocker lock(&taskMutex);
    m_store->deleteTask(productId);
}

void ManageThread::restartProduct(QString productId)
{
    Q_UNUSED(productId)
}

void ManageThread::wantManageThreadQuit()
{
    const QList<QProcess *> archivers = archiverProcesses;
    for (QProcess *process : archivers) {
        if (!archiverProcesses.contains(process))
            continue;
        process->kill();
        qDebug() << "unzip prcess has not exit ,wait ..";
        process->waitForFinished(m_timing.archiverShutdownWaitMs);
        qDebug() << "rec unzip process finish sign ..";
    }
    QList<DownloadThread *> workers;
    {
        QMutexLocker lock(&taskMutex);
        quitRequested = true;
        workers = runningWorkers.values();
    }
    for (DownloadThread *worker : qAsConst(workers))
        QMetaObject::invokeMethod(worker, "abortTransfer", Qt::QueuedConnection, Q_ARG(int, 0));
    qDebug() << " manageThread rec signals to quit..";
    wakeScheduler();
}

// ---- worker reports -----------------------------------------------------------------------------------

void ManageThread::workFinish(QString id, QString productId, qlonglong localsize, QString savePath,
                              QString installcmd, QString startcmd)
{
    qDebug() << "manageThread rec workerdownload finish " << id;
    takeWorker(productId, sender());
    m_store->setStatusDownSizeAndPath(id, tasks::Downloaded, localsize, savePath);
    notice(productId, tasks::Downloaded, tip(tasks::tips::PreparingInstall), QStringLiteral("100"), QString(),
           false, QString());
    doInstallDownloadFile(productId, savePath, installcmd, startcmd);
}

void ManageThread::workAbort(QString id, QString productId, qlonglong localsize, int callbackType)
{
    qDebug() << "rec abort want to remove threadPool";
    takeWorker(productId, sender());
    qDebug() << "remove threadPool success";
    m_store->setStatusAndDownSize(id, tasks::Paused, localsize);
    if (callbackType == 1) {
        notice(productId, tasks::Waiting, tip(tasks::tips::GetGame), QStringLiteral("0"), QString(), false,
               QString());
        // Only the product directory: a user-selected install directory is shared and stays.
        const QString dir = productDir(productId);
        if (!dir.isEmpty() && QFileInfo::exists(dir))
            tasks::removeDirRecursively(dir);
        emit runSystemPageFun(QStringLiteral("clearLocalDataSuccess()"));
        return;
    }
    notice(productId, tasks::Paused, tip(tasks::tips::Paused), tasks::keepText(), QString(), false,
           QString());
}

void ManageThread::workRunErrored(QString id, QString productId, QString errorString)
{
    takeWorker(productId, sender());
    m_store->setStatusById(id, tasks::DownloadFailed);
    notice(productId, tasks::DownloadFailed, tip(tasks::tips::DownloadError), tasks::keepText(), QString(),
           false, QString());
    emit updateDownloadTaskError(productId, errorString);
}

void ManageThread::notifyManageDownloadProgressSlot(QString id, QString productId, qlonglong rec,
                                                    qlonglong all, QString savePath, QString runRate,
                                                    bool writeDB)
{
    if (writeDB && all > 0)
        m_store->setSizesAndPath(id, rec, all, savePath);
    if (!spaceChecked && all > 0) {
        const qint64 free = platform::freeSpaceFor(savePath);
        if (free >= 0) {
            if (free >= 6 * all) {
                spaceChecked = true;
            } else if (free < 2 * all) {
                emit spaceWarn(productId);
                return;
            }
        }
    }
    const QString pct = tasks::formatPercent(all, rec);
    QString tips = tip(tasks::tips::Downloading) + pct + QLatin1Char('%');
    if (all > 0 && rec >= all)
        tips = tip(tasks::tips::AboutToFinish);
    notice(productId, tasks::Downloading, tips, pct, runRate, false, tasks::formatSizeRate(all, rec));
}

void ManageThread::replyFinished(QNetworkReply *reply)
{
    Q_UNUSED(reply)
    qDebug() << "replay";
}
