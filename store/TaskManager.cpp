#include "store/TaskManager.h"

#include "baselibs/json/Json.h"
#include "baselibs/json/QtJson.h"
#include "core/QApi.h"
#include "store/CDataBase.h"
#include "tasks/TaskFormat.h"
#include "tasks/TaskPaths.h"
#include "tasks/TextHelpers.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QVector>

#include <memory>

using tasks::TaskRecord;

namespace {

Q_LOGGING_CATEGORY(lcStore, "launcher.store")

// Serialises every statement of every store and guards their connection tables. Constructed at program
// start; no operation calls another while holding it.
QMutex taskStoreMutex;
QAtomicInt storeSerial;

TaskManager *processStore = nullptr;

const QString taskTable = QStringLiteral("brel_download_task");
const QString zipTable = QStringLiteral("brel_ziplist");

const char *const schemaStatements[] = {
    "create table if not exists brel_download_task ("
    "id integer primary key autoincrement, productId text, productName text, url text, fileName text, "
    "savePath text, totalSize text, downSize text, nowStatus text, errorMessage text, startcmd text, "
    "installcmd text, logo text, platform text, package text, versionNo text, versionName text, "
    "fromVersion text, updateToVersion text, updateToVersionName text, isTop text default '0', "
    "createTime text, updateTime text)",
    // The scheduler polls the waiting tasks in id order many times a second.
    "create index if not exists brel_download_task_waiting on brel_download_task (nowStatus, id)",
    "create index if not exists brel_download_task_product on brel_download_task (productId)",
    "create table if not exists brel_ziplist (productId text, versionNo text, savePath text)",
    "create index if not exists brel_ziplist_product on brel_ziplist (productId)",
};

QStringList keyList(std::initializer_list<const char *> names)
{
    QStringList keys;
    for (const char *name : names)
        keys << QLatin1String(name);
    return keys;
}

const QStringList getTaskKeys =
    keyList({"id", "productName", "productId", "fileName", "savePath", "totalSize", "downSize", "url",
             "createTime", "errorMessage", "nowStatus", "startcmd", "installcmd", "versionNo", "versionName",
             "fromVersion", "updateToVersion", "updateToVersionName"});

const QStringList waitingTaskKeys =
    keyList({"id", "productName", "productId", "fileName", "savePath", "totalSize", "downSize", "url",
             "createTime", "errorMessage", "nowStatus", "startcmd", "installcmd", "package", "platform",
             "versionNo", "versionName", "updateToVersion", "updateToVersionName"});

// Copied unchanged from the row into both lists, and into the list of given products only.
const QStringList copiedKeys = keyList({"productId", "productName", "logo", "platform", "url", "package",
                                        "startcmd", "installcmd", "versionNo", "versionName"});
const QStringList selectedOnlyKeys = keyList({"updateToVersion", "updateToVersionName"});

const QStringList listKeys =
    keyList({"productId", "productName", "logo", "platform", "url", "package", "startcmd", "installcmd",
             "versionNo", "versionName", "updateToVersion", "updateToVersionName", "totalSize", "downSize",
             "savePath", "nowStatus"});

// The value bound for a product identifier or row id. A decimal identifier is bound as a number, so the
// column's text affinity turns it into its canonical text and it matches the rows it matched when it was
// written into the statement as a number ("012" finds "12"). Any other text is bound as it is.
QVariant identifierValue(const QString &id)
{
    if (!id.isEmpty() && tasks::isAllDigits(id)) {
        bool ok = false;
        const qint64 number = id.toLongLong(&ok);
        if (ok)
            return number;
    }
    return id;
}

QString placeholders(int count)
{
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1Char(','));
}

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QMap<QString, QString> taskFields(const QString &productId, const QString &productName, const QString &url,
                                  const QString &startcmd, const QString &installcmd, const QString &logo,
                                  const QString &platform, const QString &package, const QString &nowStatus)
{
    const QString time = now();
    return {
        {QStringLiteral("productName"), productName},
        {QStringLiteral("productId"), productId},
        {QStringLiteral("nowStatus"), nowStatus},
        {QStringLiteral("createTime"), time},
        {QStringLiteral("updateTime"), time},
        {QStringLiteral("url"), url},
        {QStringLiteral("fileName"), QFileInfo(url).fileName()},
        {QStringLiteral("startcmd"), startcmd},
        {QStringLiteral("installcmd"), installcmd},
        {QStringLiteral("logo"), logo},
        {QStringLiteral("platform"), platform},
        {QStringLiteral("package"), package},
    };
}

void putText(json::Object &object, const QString &key, const QString &value)
{
    object.import(json::fromQString(key), json::Value(json::fromQString(value)));
}

} // namespace

struct TaskManager::ThreadConnections
{
    std::unique_ptr<CDataBase> threadDb;
    std::unique_ptr<CDataBase> mainDb;
    QMetaObject::Connection finishedHook;
};

TaskManager *TaskManager::instance()
{
    static const bool created = [] {
        processStore = new TaskManager;
        // Closed with the application object, while the SQL driver is still loaded.
        qAddPostRoutine([] {
            delete processStore;
            processStore = nullptr;
        });
        return true;
    }();
    Q_UNUSED(created)
    return processStore;
}

TaskManager::TaskManager(QObject *parent)
    : QObject(parent), m_databaseFile(CDataBase::databaseFile()),
      m_serial(storeSerial.fetchAndAddOrdered(1) + 1)
{
    // The store belongs to the application's thread even when a worker asks for it first, so that worker's
    // connections are closed when it finishes.
    QCoreApplication *app = QCoreApplication::instance();
    if (!parent && app && thread() != app->thread())
        moveToThread(app->thread());

    QMutexLocker lock(&taskStoreMutex);
    if (CDataBase *db = connection(Role::Thread))
        createSchema(*db);
}

TaskManager::~TaskManager()
{
    QMutexLocker lock(&taskStoreMutex);
    qDeleteAll(m_connections);
    m_connections.clear();
}

CDataBase *TaskManager::connection(Role role)
{
    QThread *current = QThread::currentThread();
    ThreadConnections *connections = m_connections.value(current);
    if (!connections) {
        const int index = m_threadCount++;
        const auto name = [&](const char *roleName) {
            return QStringLiteral("%1-%2-%3").arg(QLatin1String(roleName)).arg(m_serial).arg(index);
        };
        connections = new ThreadConnections;
        connections->threadDb = std::make_unique<CDataBase>(name("threadDB"), m_databaseFile);
        connections->mainDb = std::make_unique<CDataBase>(name("mainDB"), m_databaseFile);
        m_connections.insert(current, connections);
        if (!connections->threadDb->isOpen())
            reportFailureOnce(connections->threadDb->lastErrorText());
        for (CDataBase *db : {connections->threadDb.get(), connections->mainDb.get()})
            db->exec(QStringLiteral("pragma synchronous = normal"));
        if (current != thread()) {
            // Emitted on the finishing thread itself, the only thread that may close its connections.
            connections->finishedHook = connect(
                current, &QThread::finished, this, [this, current] { releaseConnections(current); },
                Qt::DirectConnection);
        }
    }
    return role == Role::Thread ? connections->threadDb.get() : connections->mainDb.get();
}

void TaskManager::releaseConnections(QThread *thread)
{
    QMutexLocker lock(&taskStoreMutex);
    ThreadConnections *connections = m_connections.take(thread);
    if (!connections)
        return;
    // A thread that is started again gets a new pair and a new hook.
    disconnect(connections->finishedHook);
    delete connections;
}

void TaskManager::createSchema(CDataBase &db)
{
    if (!db.isOpen())
        return;
    // A write-ahead log lets the list reads go on beside a write, and a commit no longer waits for the disk
    // twice (the GUI thread writes too). A crash may lose the last commits but never corrupts the file.
    db.exec(QStringLiteral("pragma journal_mode = wal"));
    for (const char *statement : schemaStatements) {
        if (!db.exec(QLatin1String(statement))) {
            reportFailureOnce(db.lastErrorText());
            return;
        }
    }
}

void TaskManager::reportFailureOnce(const QString &detail)
{
    if (m_failureReported)
        return;
    m_failureReported = true;
    qCDebug(lcStore) << "open sqllite exception" << m_databaseFile << detail;
}

bool TaskManager::insertTask(const QMap<QString, QString> &fields)
{
    QMutexLocker lock(&taskStoreMutex);
    return connection(Role::Main)->insert(taskTable, fields);
}

bool TaskManager::insertWaitingTask(const QString &productId, const QString &productName, const QString &url,
                                    const QString &startcmd, const QString &installcmd, const QString &logo,
                                    const QString &platform, const QString &package,
                                    const QString &updateToVersion, const QString &updateToVersionName)
{
    QMap<QString, QString> fields = taskFields(productId, productName, url, startcmd, installcmd, logo,
                                               platform, package, tasks::statusText(tasks::Waiting));
    fields.insert(QStringLiteral("updateToVersion"), updateToVersion);
    fields.insert(QStringLiteral("updateToVersionName"), updateToVersionName);
    return insertTask(fields);
}

bool TaskManager::insertInstalledTask(const QString &productId, const QString &productName,
                                      const QString &url, const QString &startcmd, const QString &installcmd,
                                      const QString &logo, const QString &platform, const QString &package,
                                      const QString &versionNo, const QString &versionName,
                                      const QString &savePath)
{
    QMap<QString, QString> fields = taskFields(productId, productName, url, startcmd, installcmd, logo,
                                               platform, package, tasks::statusText(tasks::Installed));
    fields.insert(QStringLiteral("versionNo"), versionNo);
    fields.insert(QStringLiteral("versionName"), versionName);
    fields.insert(QStringLiteral("savePath"), savePath);
    return insertTask(fields);
}

bool TaskManager::insertLibraryTask(const QString &productId, const QString &productName, const QString &url,
                                    const QString &startcmd, const QString &installcmd, const QString &logo,
                                    const QString &platform, const QString &package)
{
    const int status = url.contains(QLatin1String("itms-services")) ? tasks::IosLink : tasks::InLibrary;
    return insertTask(taskFields(productId, productName, url, startcmd, installcmd, logo, platform, package,
                                 tasks::statusText(status)));
}

QList<TaskRecord> TaskManager::selectRows(const QString &sql, const QVariantList &values,
                                          const QStringList &keys, bool *ok, bool keepPrepared)
{
    QList<TaskRecord> rows;
    QMutexLocker lock(&taskStoreMutex);
    CDataBase *db = connection(Role::Main);
    // Statements of a fixed text stay prepared: the scheduler polls the waiting tasks.
    QSqlQuery query = keepPrepared ? db->preparedQuery(sql, values) : db->query(sql, values);
    *ok = query.isActive();
    if (!*ok)
        return rows;
    const QSqlRecord record = query.record();
    QVector<int> columns;
    for (const QString &key : keys)
        columns << record.indexOf(key);
    while (query.next()) {
        TaskRecord row;
        for (int i = 0; i < keys.size(); ++i)
            row.insert(keys.at(i), columns.at(i) < 0 ? QString() : query.value(columns.at(i)).toString());
        rows << row;
    }
    // A statement left open keeps its read lock on the file and would block the other connections' writes.
    query.finish();
    return rows;
}

bool TaskManager::hasTask(const QString &productId)
{
    bool ok = false;
    const QList<TaskRecord> rows =
        selectRows(QStringLiteral("select productId from brel_download_task where productId = ? limit 1"),
                   {identifierValue(productId)}, {QStringLiteral("productId")}, &ok);
    if (rows.isEmpty())
        return false;
    bool isNumber = false;
    const qint64 stored = rows.first().value(QStringLiteral("productId")).toLongLong(&isNumber, 10);
    return isNumber && stored > 0;
}

TaskRecord TaskManager::getTask(const QString &productId)
{
    bool ok = false;
    const QList<TaskRecord> rows =
        selectRows(QStringLiteral("select * from brel_download_task where productId = ? limit 1"),
                   {identifierValue(productId)}, getTaskKeys, &ok);
    if (!ok)
        return TaskRecord();
    if (!rows.isEmpty())
        return rows.first();
    TaskRecord empty;
    for (const QString &key : getTaskKeys)
        empty.insert(key, QString());
    return empty;
}

QList<TaskRecord> TaskManager::waitingTasks()
{
    bool ok = false;
    return selectRows(
        QStringLiteral("select * from brel_download_task where nowStatus = 0 order by id asc limit 5"), {},
        waitingTaskKeys, &ok);
}

bool TaskManager::deleteTask(const QString &productId)
{
    QMutexLocker lock(&taskStoreMutex);
    return connection(Role::Main)
        ->exec(QStringLiteral("delete from brel_download_task where productId = ?"),
               {identifierValue(productId)});
}

bool TaskManager::updateWhere(Role role, const QString &column, const QString &key,
                              const QMap<QString, QString> &fields)
{
    QMutexLocker lock(&taskStoreMutex);
    return connection(role)->update(taskTable, QLatin1Char(' ') + column + QStringLiteral(" = ?"), fields,
                                    {identifierValue(key)});
}

bool TaskManager::setStatusById(const QString &id, int status)
{
    return updateWhere(Role::Thread, QStringLiteral("id"), id,
                       {{QStringLiteral("nowStatus"), tasks::statusText(status)}});
}

bool TaskManager::setStatusByIdMain(const QString &id, int status)
{
    return updateWhere(Role::Main, QStringLiteral("id"), id,
                       {{QStringLiteral("nowStatus"), tasks::statusText(status)}});
}

bool TaskManager::setStatus(const QString &productId, int status)
{
    return updateWhere(Role::Thread, QStringLiteral("productId"), productId,
                       {{QStringLiteral("nowStatus"), tasks::statusText(status)}});
}

bool TaskManager::setStatusAndDownSize(const QString &id, int status, qint64 downSize)
{
    return updateWhere(Role::Thread, QStringLiteral("id"), id,
                       {{QStringLiteral("nowStatus"), tasks::statusText(status)},
                        {QStringLiteral("downSize"), QString::number(downSize)}});
}

bool TaskManager::setStatusAndError(const QString &productId, int status, const QString &errorMessage)
{
    return updateWhere(Role::Thread, QStringLiteral("productId"), productId,
                       {{QStringLiteral("nowStatus"), tasks::statusText(status)},
                        {QStringLiteral("errorMessage"), errorMessage}});
}

bool TaskManager::setStatusDownSizeAndPath(const QString &id, int status, qint64 downSize,
                                           const QString &savePath)
{
    return updateWhere(Role::Thread, QStringLiteral("id"), id,
                       {{QStringLiteral("nowStatus"), tasks::statusText(status)},
                        {QStringLiteral("downSize"), QString::number(downSize)},
                        {QStringLiteral("savePath"), savePath}});
}

bool TaskManager::setSizesAndPath(const QString &id, qint64 downSize, qint64 totalSize,
                                  const QString &savePath)
{
    return updateWhere(Role::Thread, QStringLiteral("id"), id,
                       {{QStringLiteral("downSize"), QString::number(downSize)},
                        {QStringLiteral("totalSize"), QString::number(totalSize)},
                        {QStringLiteral("savePath"), savePath}});
}

bool TaskManager::setTop(const QString &productId)
{
    return updateWhere(Role::Thread, QStringLiteral("productId"), productId,
                       {{QStringLiteral("isTop"), QStringLiteral("100000")}});
}

bool TaskManager::setUpdateFields(const QString &productId, int status, const QString &url,
                                  const QString &updateToVersion, const QString &updateToVersionName,
                                  const QString &fileName, const QString &fromVersion)
{
    QMap<QString, QString> fields = {
        {QStringLiteral("nowStatus"), tasks::statusText(status)},
        {QStringLiteral("savePath"), QString()},
        {QStringLiteral("downSize"), QStringLiteral("0")},
        {QStringLiteral("totalSize"), QStringLiteral("0")},
    };
    const QList<QPair<QString, QString>> optional = {
        {QStringLiteral("url"), url},
        {QStringLiteral("updateToVersion"), updateToVersion},
        {QStringLiteral("updateToVersionName"), updateToVersionName},
        {QStringLiteral("fileName"), fileName},
        {QStringLiteral("fromVersion"), fromVersion},
    };
    for (const auto &field : optional) {
        if (!field.second.isEmpty())
            fields.insert(field.first, field.second);
    }
    return updateWhere(Role::Main, QStringLiteral("productId"), productId, fields);
}

bool TaskManager::setVersion(const QString &productId, const QString &versionNo, const QString &versionName)
{
    QMap<QString, QString> fields;
    if (!versionNo.isEmpty())
        fields.insert(QStringLiteral("versionNo"), versionNo);
    if (!versionName.isEmpty())
        fields.insert(QStringLiteral("versionName"), versionName);
    if (fields.isEmpty())
        return false;
    return updateWhere(Role::Main, QStringLiteral("productId"), productId, fields);
}

bool TaskManager::saveZip(const QString &productId, const QString &versionNo, const QString &savePath)
{
    QMutexLocker lock(&taskStoreMutex);
    CDataBase *db = connection(Role::Main);
    // One transaction, so a crash between the two statements cannot lose the product's kept package.
    const bool inTransaction = db->exec(QStringLiteral("begin immediate"));
    const bool deleted = db->exec(QStringLiteral("delete from brel_ziplist where productId = ?"),
                                  {identifierValue(productId)});
    db->insert(zipTable, {{QStringLiteral("productId"), productId},
                          {QStringLiteral("versionNo"), versionNo},
                          {QStringLiteral("savePath"), savePath}});
    if (inTransaction && !db->exec(QStringLiteral("commit")))
        db->exec(QStringLiteral("rollback"));
    return deleted;
}

QString TaskManager::zipPath(const QString &productId, const QString &versionNo)
{
    bool ok = false;
    const QList<TaskRecord> rows = selectRows(
        QStringLiteral("select savePath from brel_ziplist where productId = ? and versionNo = ? limit 1"),
        {identifierValue(productId), identifierValue(versionNo)}, {QStringLiteral("savePath")}, &ok);
    const QString path = rows.isEmpty() ? QString() : rows.first().value(QStringLiteral("savePath"));
    return !path.isEmpty() && QFileInfo::exists(path) ? path : QString();
}

bool TaskManager::hasZip(const QString &productId, const QString &versionNo)
{
    return !zipPath(productId, versionNo).isEmpty();
}

bool TaskManager::parseProductIdList(const QString &productIds, QStringList *ids)
{
    const QString text = productIds.trimmed();
    if (text.size() < 2 || !text.startsWith(QLatin1Char('(')) || !text.endsWith(QLatin1Char(')')))
        return false;
    const QString inner = text.mid(1, text.size() - 2).trimmed();
    QStringList parsed;
    if (!inner.isEmpty()) {
        const QStringList parts = inner.split(QLatin1Char(','));
        for (const QString &part : parts) {
            const QString id = part.trimmed();
            if (id.isEmpty() || !tasks::isAllDigits(id))
                return false;
            parsed << id;
        }
    }
    if (ids)
        *ids = parsed;
    return true;
}

QString TaskManager::productsJson(const QString &productIds, const QStringList &activeIds)
{
    QStringList ids;
    if (!parseProductIdList(productIds, &ids)) {
        qCDebug(lcStore) << "refused a product id list that is not a list of decimal ids:" << productIds;
        ids.clear();
    }
    QList<TaskRecord> rows;
    if (!ids.isEmpty()) {
        QVariantList values;
        for (const QString &id : ids)
            values << identifierValue(id);
        bool ok = false;
        // The text varies with the number of ids, so it is not kept prepared.
        rows = selectRows(QStringLiteral("select %1 from brel_download_task where productId in (%2)")
                              .arg(listKeys.join(QLatin1Char(',')), placeholders(ids.size())),
                          values, listKeys, &ok, false);
    }
    return encodeList(rows, activeIds, true, false, nullptr);
}

QString TaskManager::allProductsJson(const QStringList &activeIds, bool s)
{
    bool ok = false;
    // Pinned games first (the pin value outweighs any year), then the newest; the id settles equal times.
    static const QString sql =
        QStringLiteral("select ") + listKeys.join(QLatin1Char(',')) +
        QStringLiteral(" from brel_download_task order by (ifnull(isTop, 0) + updateTime) "
                       "desc, updateTime desc, id desc limit 200");
    const QList<TaskRecord> rows = selectRows(sql, {}, listKeys, &ok);
    QStringList staleInstalls;
    const QString encoded = encodeList(rows, activeIds, false, s, &staleInstalls);
    for (const QString &productId : qAsConst(staleInstalls))
        setStatus(productId, tasks::ExtractFailed);
    return encoded;
}

QString TaskManager::encodeList(const QList<TaskRecord> &rows, const QStringList &activeIds,
                                bool selectedList, bool s, QStringList *staleInstalls)
{
    // Read once per list: the setting cannot change the answer halfway through.
    const QString userSelectedDir = rows.isEmpty() ? QString() : QApi::instance()->userSelectInstallPath();
    json::Array list;
    for (const TaskRecord &row : rows) {
        const QString productId = row.value(QStringLiteral("productId"));
        const QString stored = row.value(QStringLiteral("nowStatus"));
        const QString platform = row.value(QStringLiteral("platform"));
        const QString savePath = row.value(QStringLiteral("savePath"));
        const QString startcmd = row.value(QStringLiteral("startcmd"));
        const QString totalSize = row.value(QStringLiteral("totalSize"));
        const QString installDir = tasks::resolveInstallDir(productId, userSelectedDir);
        const auto gameInstalled = [&] {
            return !installDir.isEmpty() &&
                   QFileInfo::exists(tasks::expandStartCommand(startcmd, installDir, savePath));
        };

        const QFileInfo package(savePath);
        const bool packageExists = !savePath.isEmpty() && package.exists();
        const QString localSize =
            packageExists ? QString::number(package.size()) : row.value(QStringLiteral("downSize"));

        // Filled where it is stored: the entries are not copied.
        list << json::Value(json::Object());
        json::Object &entry = list.get<json::Object>(list.size() - 1);
        for (const QString &key : copiedKeys)
            putText(entry, key, row.value(key));
        if (selectedList) {
            for (const QString &key : selectedOnlyKeys)
                putText(entry, key, row.value(key));
        }
        putText(entry, QStringLiteral("rate"), tasks::formatPercentText(totalSize, localSize));
        putText(entry, QStringLiteral("sizeRate"),
                tasks::formatSizeRate(totalSize.toLongLong(), localSize.toLongLong()));

        // Each rule looks at the stored status; a later rule overrides an earlier one.
        QString status = stored;
        if (stored == QLatin1String("1") && !activeIds.contains(productId))
            status = tasks::statusText(tasks::Paused);
        if (stored == QLatin1String("2") && !packageExists)
            status = tasks::statusText(tasks::Waiting);
        if (stored == QLatin1String("2") && platform == QLatin1String("11")) {
            const bool installed = selectedList ? gameInstalled() : QFileInfo::exists(startcmd);
            if (installed)
                status = tasks::statusText(tasks::Installed);
        }
        if (selectedList && stored == QLatin1String("5") && platform == QLatin1String("11") &&
            !gameInstalled())
            status = tasks::statusText(tasks::Waiting);
        if (!selectedList && stored == QLatin1String("7") && s) {
            status = tasks::statusText(tasks::ExtractFailed);
            if (staleInstalls)
                *staleInstalls << productId;
        }
        if (platform == QLatin1String("1"))
            putText(entry, QStringLiteral("installcmd"), row.value(QStringLiteral("package")));
        if (platform == QLatin1String("3") || platform == QLatin1String("5"))
            status = tasks::statusText(tasks::ReportedOnly);
        putText(entry, QStringLiteral("nowStatus"), status);

        if (selectedList) {
            const bool installed = status == QLatin1String("5");
            const QString versionNo = row.value(QStringLiteral("versionNo"));
            const bool zipKept = installed && hasZip(productId, versionNo);
            const QString baseVersionNo =
                installed && !installDir.isEmpty()
                    ? QApi::instance()
                          ->readVersionData(installDir)
                          .value(QStringLiteral("baseVersionNo"), QStringLiteral("0"))
                    : QStringLiteral("0");
            entry.import("versionZipExists", json::Value(zipKept ? 1 : 0));
            putText(entry, QStringLiteral("baseVersionNo"), baseVersionNo);
        }
    }
    const QByteArray encoded = json::pageArgument(list);
    qCDebug(lcStore).noquote() << QString::fromUtf8(QByteArray::fromBase64(encoded));
    return QString::fromLatin1(encoded);
}
