#pragma once

#include "tasks/DownloadThread.h"
#include "tasks/TaskStatus.h"

#include <QMap>
#include <QMutex>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>

class QApi;
class TaskManager;
class TaskScheduler;

// The task manager: owns the waiting queue of downloads, the running download workers, the archiver and
// patch processes, and every command the storefront and the settings page send about games.
//
// The object lives on the thread that created it (the GUI thread): its slots run there and its signals
// are emitted there. Its own thread runs an event loop that hosts the network manager, the download
// workers and the scheduler; starts and aborts are carried onto that thread as queued calls, and the
// workers' reports come back queued. The scheduler sleeps until work can start: a task queued, a worker
// ended or a quit requested wake it, and a slow timer covers anything else.
class ManageThread : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY(ManageThread)

public:
    struct Timing
    {
        int stallTimeoutMs = 60000;   // a transfer without a byte for this long fails
        int progressIntervalMs = 250; // progress notices per task at most this often
        int safetyPassMs = 5000;      // the scheduler looks at the queue at least this often
        int archiverShutdownWaitMs = 60000;
    };

    // Reads the saved login (uid and token) for a game's command line.
    using LoginReader = std::function<QMap<QString, QString>()>;

    // On the process-wide configuration and task store.
    explicit ManageThread(QObject *parent = nullptr);
    // On the given configuration and store (tests use their own on a temporary application directory).
    ManageThread(QApi *api, TaskManager *store, QObject *parent = nullptr);
    ~ManageThread() override;

    // Before start().
    void setTiming(const Timing &timing);
    void setLoginReader(LoginReader reader);
    void setAuthToken(const QString &token);
    QString authToken() const;

    // Products whose download worker runs right now.
    QStringList runningProducts() const;

    // The start of one download: stores status 1, creates the worker for savePath and hands it to the
    // manager thread. A startSize of 0 continues the stored package file when it is the one given.
    // False when a worker already runs for the product (nothing is started then).
    bool startDownloadTask(const tasks::TaskRecord &task, const QString &savePath, qint64 startSize);
    void restartDownloadTask(const QString &productId, const tasks::TaskRecord &task, qint64 localSize);

    // Package steps used by the commands below (also reachable directly, for repair and tests).
    void unzipPackage(const QString &productId, const QString &zipPath);
    void applyDiffPatch(const QString &productId, const QString &patchPath);
    void writeLocalVersion(const QString &productId, const QString &packagePath);

public slots:
    void createTask(QString productId, QString productName, QString url, QString startcmd, QString installcmd,
                    QString logo, QString platform, QString package, QString versionNo, QString versionName);
    void createHasInstallTask(QString productId, QString productName, QString url, QString startcmd,
                              QString installcmd, QString logo, QString platform, QString package,
                              QString versionNo, QString versionName, QString savePath);
    void addGameToMy(QString productId, QString productName, QString url, QString startcmd,
                     QString installcmd, QString logo, QString platform, QString package);
    void pauseTask(QString productId);
    void deleteDownLoadTask(QString productId);
    void setProductTop(QString productId);
    void deleteMyGame(QString productId);
    void restartProduct(QString productId);
    void wantManageThreadQuit();

    // Reports of the download workers.
    void workFinish(QString id, QString productId, qlonglong localsize, QString savePath, QString installcmd,
                    QString startcmd);
    void workAbort(QString id, QString productId, qlonglong localsize, int callbackType);
    void workRunErrored(QString id, QString productId, QString errorString);
    void notifyManageDownloadProgressSlot(QString id, QString productId, qlonglong rec, qlonglong all,
                                          QString savePath, QString runRate, bool writeDB);
    void replyFinished(QNetworkReply *reply);

    // Extraction.
    void unzipProgressStatus(QString productId, uint64_t now, uint64_t all);
    void slot_unzipProcessHasEnd(QString productId, QString savePath, bool success);
    void slot_unzipFail(QString productId, QString error);
    void slot_zipThreadSigFile(QString productId, QString file);
    void slot_zipThreadFinished();

    // Update.
    void updateGame(QString productId, QString url, QString versionNo, QString versionName);
    void slot_dffPathHasEnd(QString productId, QString savePath, bool success);

    // Installation.
    void doInstallDownloadFile(QString productId, QString savePath, QString installcmd, QString startcmd);
    void doInstallPCexe(QString productId, QString savePath, QString installcmd, QString startcmd);
    void doInstallApk(QString productId, QString savePath, QString installcmd, QString startcmd);
    void installFinish(QString productId, int exitCode);
    void changeInstallStatus(QString productId, int status, QString tips, QString error);

    // Launching.
    void manageThreadStartApp(QString productId, QString startcmd, QString platform);
    void laucherGameFinished(int status, QProcess::ExitStatus code);

    // Inventory and clean-up.
    void checkLocalGameResource(QString productId, QString productName, QString url, QString startcmd,
                                QString installcmd, QString logo, QString platform, QString package,
                                QString versionNo, QString versionName);
    void recheckInstall(QString productId, QString productName, QString url, QString startcmd,
                        QString installcmd, QString logo, QString platform, QString package,
                        QString versionNo, QString versionName);
    void checkLocalProductIds(QString productIds);
    void checkLocalProductAll(bool s);
    void clearGameData(QString productId, bool restart);
    void clearHistoryGameData(QString productId, QString keyword);

signals:
    void updateDownloadTaskStatus(QString action, QString id, int status, QString tips, QString rate,
                                  QString runRate, bool showDisable, QString downSizeRate);
    void updateLocalProductStatus(QString localProduct, bool updateMyGames);
    void updateDownloadTaskError(QString productId, QString error);
    void checkDeviceCanInstall(QString productId, QString savePath, QString installcmd);
    void mainWindowMini();
    void clearAutoUpdateKey();
    void runMainPageFunc(QString s);
    void runSystemPageFun(QString s);
    void spaceWarn(QString productId);
    void spaceWarnOnlyTips(QString productId);

protected:
    void run() override;

private:
    friend class TaskScheduler;

    void notice(const QString &productId, int status, const QString &tips, const QString &rate,
                const QString &runRate, bool showDisable, const QString &downSizeRate);
    QString tip(const char *key) const;

    void wakeScheduler();
    void postToManagerThread(std::function<void(TaskScheduler *)> job);
    // One scheduler pass on the manager thread: starts waiting tasks while slots are free.
    void schedulePass(TaskScheduler *scheduler);
    // Under taskMutex: creates and registers the worker of task, or null when the product already runs.
    DownloadThread *prepareWorkerLocked(const tasks::TaskRecord &task, const QString &savePath,
                                        qint64 startSize);
    void launchWorker(DownloadThread *worker);
    DownloadThread *takeWorker(const QString &productId, QObject *reporter);
    void sendCurrentDownloadState(const QString &productId);
    void applyDownloadLimit();

    bool isInstalling(const QString &productId) const;
    void beginInstall(const QString &productId);
    void endInstall(const QString &productId);
    void trackArchiver(QProcess *process);
    void untrackArchiver(QProcess *process);

    QString productDir(const QString &productId) const;
    QString installDirFor(const QString &productId) const;
    // Empties a game's install directory before it is extracted again; see the source for why a
    // user-selected directory is left alone.
    void clearInstallDir(const QString &productId, const QString &installDir) const;

    QApi *const m_api;
    TaskManager *const m_store;

    // Guarded by taskMutex.
    bool quitRequested = false;
    QMap<QString, DownloadThread *> runningWorkers;
    mutable QMutex taskMutex;

    // GUI-thread state.
    QList<QProcess *> archiverProcesses; // extractions and patches in progress
    QSet<QString> m_installing;          // products whose extraction, patch or installer runs
    bool spaceChecked = false;
    bool clearing = false;
    QString m_authToken;
    LoginReader m_loginReader;
    Timing m_timing;

    // The scheduler object of the running thread and the jobs posted before it existed.
    mutable QMutex m_schedulerMutex;
    TaskScheduler *m_scheduler = nullptr;
    QList<std::function<void(TaskScheduler *)>> m_pendingJobs;
};
