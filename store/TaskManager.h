#pragma once

#include "tasks/TaskStatus.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

class CDataBase;
class QThread;

// The task store: every statement the launcher runs on its two tables, brel_download_task (one row per
// game known locally) and brel_ziplist (the package kept per product version, the base of a diff update),
// and the two JSON lists the storefront shows.
//
// Any thread may call any operation. One process-wide lock serialises the statements; the lock is never
// held while the store calls into other code, and the store never calls back into its callers. Each
// calling thread gets its own pair of connections ("threadDB" and "mainDB" roles) on the same file,
// because a Qt SQL connection belongs to the thread that opened it; a thread's pair is closed when the
// thread finishes.
//
// Identifiers are bound, never spliced into the statements. A decimal product identifier matches the
// rows it always matched (leading zeros are not significant, as for a number).
//
// Failures are values: a statement that fails answers false, "", an empty record, an empty list or the
// empty JSON list. A database file that cannot be opened or is not a database is logged once and the
// store keeps answering empty results.
class TaskManager : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TaskManager)

public:
    // The process-wide store on the application directory's database, created on the first call from any
    // thread, released when the application object is destroyed.
    static TaskManager *instance();

    // An independent store on the application directory's database file (created with its tables when
    // missing; missing tables are added to an existing file). instance() uses it; tests build their own
    // against a temporary application directory. Threads that used the store must have finished before
    // it is destroyed.
    explicit TaskManager(QObject *parent = nullptr);
    ~TaskManager() override;

    // Inserts; createTime and updateTime are now, fileName is the last path component of url.
    // Each answers whether the row was stored.
    bool insertWaitingTask(const QString &productId, const QString &productName, const QString &url,
                           const QString &startcmd, const QString &installcmd, const QString &logo,
                           const QString &platform, const QString &package, const QString &updateToVersion,
                           const QString &updateToVersionName);
    bool insertInstalledTask(const QString &productId, const QString &productName, const QString &url,
                             const QString &startcmd, const QString &installcmd, const QString &logo,
                             const QString &platform, const QString &package, const QString &versionNo,
                             const QString &versionName, const QString &savePath);
    // Status 6, or 11 when url contains "itms-services" (case-sensitive).
    bool insertLibraryTask(const QString &productId, const QString &productName, const QString &url,
                           const QString &startcmd, const QString &installcmd, const QString &logo,
                           const QString &platform, const QString &package);

    // True when a row exists for productId and its stored productId is a positive decimal number.
    bool hasTask(const QString &productId);
    // The row's 18 task keys; every key with "" when no row matches; an empty map when the read fails.
    tasks::TaskRecord getTask(const QString &productId);
    // Up to 5 tasks at status 0 in ascending id order, 19 keys each (no fromVersion).
    QList<tasks::TaskRecord> waitingTasks();
    bool deleteTask(const QString &productId);

    // Status and size updates. Those taking id select by row id, the others by productId.
    bool setStatusById(const QString &id, int status);
    bool setStatusByIdMain(const QString &id, int status);
    bool setStatus(const QString &productId, int status);
    bool setStatusAndDownSize(const QString &id, int status, qint64 downSize);
    bool setStatusAndError(const QString &productId, int status, const QString &errorMessage);
    bool setStatusDownSizeAndPath(const QString &id, int status, qint64 downSize, const QString &savePath);
    bool setSizesAndPath(const QString &id, qint64 downSize, qint64 totalSize, const QString &savePath);
    // Pins the game: isTop = "100000".
    bool setTop(const QString &productId);
    // Queues an update: sets nowStatus, clears savePath, zeroes both sizes, and sets each of url,
    // updateToVersion, updateToVersionName, fileName and fromVersion only when its argument is not empty.
    bool setUpdateFields(const QString &productId, int status, const QString &url,
                         const QString &updateToVersion, const QString &updateToVersionName,
                         const QString &fileName, const QString &fromVersion);
    // Sets each version text that is not empty; false (and nothing changed) when both are empty.
    bool setVersion(const QString &productId, const QString &versionNo, const QString &versionName);

    // Keeps savePath as the one package of productId (any older row of the product goes). Answers the
    // result of removing the older rows.
    bool saveZip(const QString &productId, const QString &versionNo, const QString &savePath);
    // The kept package of that version when its file exists, else "".
    QString zipPath(const QString &productId, const QString &versionNo);
    bool hasZip(const QString &productId, const QString &versionNo);

    // The entries of the products in productIds, a parenthesised list of decimal identifiers such as
    // "(1001,1002)", as the Base64 of the compacted JSON array. Any other text answers the empty list.
    // activeIds are the products whose downloads run right now.
    QString productsJson(const QString &productIds, const QStringList &activeIds);
    // Every entry, pinned first, then newest, at most 200, encoded the same way. With s set (a full check
    // of the local games), an entry left at status 7 is reported as 9 and stored as 9.
    QString allProductsJson(const QStringList &activeIds, bool s);

    // The identifiers of an id list as productsJson() accepts it; false for any other text.
    static bool parseProductIdList(const QString &productIds, QStringList *ids);

private:
    enum class Role
    {
        Thread, // "threadDB": row-id updates and a few product updates
        Main    // "mainDB": reads, inserts, deletes and the other updates
    };
    struct ThreadConnections;

    // The calling thread's connection of that role, opened on first use. Store lock held.
    CDataBase *connection(Role role);
    void releaseConnections(QThread *thread);
    void createSchema(CDataBase &db);
    void reportFailureOnce(const QString &detail);

    bool insertTask(const QMap<QString, QString> &fields);
    bool updateWhere(Role role, const QString &column, const QString &key,
                     const QMap<QString, QString> &fields);
    QList<tasks::TaskRecord> selectRows(const QString &sql, const QVariantList &values,
                                        const QStringList &keys, bool *ok, bool keepPrepared = true);
    QString encodeList(const QList<tasks::TaskRecord> &rows, const QStringList &activeIds, bool selectedList,
                       bool s, QStringList *staleInstalls);

    const QString m_databaseFile;
    const int m_serial;
    int m_threadCount = 0;                               // guarded by the store lock
    QHash<QThread *, ThreadConnections *> m_connections; // guarded by the store lock
    bool m_failureReported = false;                      // guarded by the store lock
};
