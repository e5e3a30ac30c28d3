#include "StoreTestSupport.h"

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "store/TaskManager.h"
#include "tasks/TaskPaths.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using StoreOp = std::function<bool(TaskManager &store, const QString &id, const QString &productId)>;
using StringMap = QMap<QString, QString>;
Q_DECLARE_METATYPE(StoreOp)

namespace {

QStringList storeMessages;

QtMessageHandler previousHandler = nullptr;

QStringList warnings;

// The store's lines are kept for the tests that look at them instead of filling the output; any warning
// (a connection removed while in use, a statement on a closed connection) fails the test.
void collectStoreMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QLatin1String(context.category) == QLatin1String("launcher.store"))
        storeMessages << message;
    else if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
    else if (previousHandler)
        previousHandler(type, context, message);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

const QString emptyList = QString::fromLatin1(QByteArray("[] ").toBase64());

} // namespace

class TestTaskStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void insertsStoreTheirFields();
    void libraryStatus_data();
    void libraryStatus();
    void lookupByProduct_data();
    void lookupByProduct();
    void unknownProductGivesEmptyFields();
    void waitingTasksAreTheFiveOldest();
    void deleteTaskRemovesOnlyThatProduct();
    void updatesTouchOnlyTheirColumns_data();
    void updatesTouchOnlyTheirColumns();
    void keptPackageKeepsOneRow();

    void reportedStatus_data();
    void reportedStatus();
    void staleInstallStaysWithoutFullCheck();
    void entriesCarrySizesFromDisk();
    void installedEntryCarriesKeptPackageAndBaseVersion();
    void pinnedFirstThenNewest();
    void listHoldsAtMost200();
    void emptyTableGivesEmptyList();
    void productIdLists_data();
    void productIdLists();

    void brokenDatabase_data();
    void brokenDatabase();
    void emptyFileLeftByACrash();
    void missingTableIsAdded();
    void waitingReadUsesAnIndex();

private:
    QString appPath(const QString &relative) const { return m_app->path() + QLatin1Char('/') + relative; }
    // A waiting task for productId with the given platform and start command; answers its row id.
    QString addTask(const QString &productId, const QString &platform = QStringLiteral("0"),
                    const QString &startcmd = QStringLiteral("APP_PATH/game.exe"));

    QTemporaryDir m_apiDir;
    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<TaskManager> m_store;
};

void TestTaskStore::initTestCase()
{
    QVERIFY(m_apiDir.isValid());
    platform::setApplicationDir(m_apiDir.path());
    QVERIFY(QApi::instance());
    previousHandler = qInstallMessageHandler(collectStoreMessages);
}

void TestTaskStore::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
    platform::setApplicationDir(m_app->path());
    m_store = std::make_unique<TaskManager>();
}

void TestTaskStore::cleanup()
{
    m_store.reset();
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    warnings.clear();
    QVERIFY2(QSqlDatabase::connectionNames().isEmpty(),
             qPrintable(QSqlDatabase::connectionNames().join(',')));
    platform::setApplicationDir(QString());
    m_app.reset();
}

QString TestTaskStore::addTask(const QString &productId, const QString &platform, const QString &startcmd)
{
    m_store->insertWaitingTask(
        productId, QStringLiteral("Game ") + productId,
        QStringLiteral("http://cdn.example/games/") + productId + QStringLiteral("/pkg.zip"), startcmd,
        QStringLiteral("setup.exe /S"), QStringLiteral("http://cdn.example/logo.png"), platform,
        QStringLiteral("com.example.game") + productId, QStringLiteral("4"), QStringLiteral("1.0.4"));
    return m_store->getTask(productId).value(QStringLiteral("id"));
}

void TestTaskStore::insertsStoreTheirFields()
{
    QVERIFY(m_store->insertWaitingTask(
        QStringLiteral("1001"), QStringLiteral("Name 'quoted'"),
        QStringLiteral("http://cdn.example/a/b/pkg.zip"), QStringLiteral("APP_PATH/g.exe"),
        QStringLiteral("setup.exe /S"), QStringLiteral("http://logo"), QStringLiteral("0"),
        QStringLiteral("pkg.name"), QStringLiteral("4"), QStringLiteral("1.0.4")));
    QVERIFY(m_store->insertInstalledTask(
        QStringLiteral("1002"), QStringLiteral("Installed"), QStringLiteral("http://cdn.example/c.7z"),
        QStringLiteral("APP_PATH/c.exe"), QString(), QStringLiteral("http://logo2"), QStringLiteral("0"),
        QString(), QStringLiteral("7"), QStringLiteral("1.0.7"), QStringLiteral("/games/c")));

    RawDatabase raw;
    const StringMap waiting = raw.task(QStringLiteral("1001"));
    const StringMap expectedWaiting = {{"productName", "Name 'quoted'"},
                                       {"nowStatus", "0"},
                                       {"url", "http://cdn.example/a/b/pkg.zip"},
                                       {"fileName", "pkg.zip"},
                                       {"startcmd", "APP_PATH/g.exe"},
                                       {"installcmd", "setup.exe /S"},
                                       {"logo", "http://logo"},
                                       {"platform", "0"},
                                       {"package", "pkg.name"},
                                       {"updateToVersion", "4"},
                                       {"updateToVersionName", "1.0.4"},
                                       {"isTop", "0"},
                                       {"versionNo", ""},
                                       {"savePath", ""}};
    for (auto it = expectedWaiting.begin(); it != expectedWaiting.end(); ++it)
        QCOMPARE(waiting.value(it.key()), it.value());
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                .match(waiting.value(QStringLiteral("createTime")))
                .hasMatch());
    QCOMPARE(waiting.value(QStringLiteral("updateTime")), waiting.value(QStringLiteral("createTime")));

    const StringMap installed = raw.task(QStringLiteral("1002"));
    QCOMPARE(installed.value(QStringLiteral("nowStatus")), QStringLiteral("5"));
    QCOMPARE(installed.value(QStringLiteral("versionNo")), QStringLiteral("7"));
    QCOMPARE(installed.value(QStringLiteral("versionName")), QStringLiteral("1.0.7"));
    QCOMPARE(installed.value(QStringLiteral("savePath")), QStringLiteral("/games/c"));
    QCOMPARE(installed.value(QStringLiteral("fileName")), QStringLiteral("c.7z"));
    QVERIFY(installed.value(QStringLiteral("id")).toInt() > waiting.value(QStringLiteral("id")).toInt());
}

void TestTaskStore::libraryStatus_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expected");
    QTest::newRow("package address") << "http://cdn.example/g.zip"
                                     << "6";
    QTest::newRow("iOS link") << "itms-services://?action=download-manifest&url=x"
                              << "11";
    QTest::newRow("iOS word in upper case") << "ITMS-SERVICES://?action=download-manifest"
                                            << "6";
}

void TestTaskStore::libraryStatus()
{
    QFETCH(QString, url);
    QFETCH(QString, expected);
    QVERIFY(m_store->insertLibraryTask(QStringLiteral("7"), QStringLiteral("n"), url, QString(), QString(),
                                       QString(), QStringLiteral("0"), QString()));
    QCOMPARE(m_store->getTask(QStringLiteral("7")).value(QStringLiteral("nowStatus")), expected);
}

void TestTaskStore::lookupByProduct_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("has");

    QTest::newRow("positive id") << "12"
                                 << "12" << true << true;
    QTest::newRow("other id") << "12"
                              << "13" << false << false;
    QTest::newRow("leading zeros match the number as before") << "12"
                                                              << "012" << true << true;
    QTest::newRow("zero is no product") << "0"
                                        << "0" << true << false;
    QTest::newRow("negative is no product") << "-3"
                                            << "-3" << true << false;
    QTest::newRow("text id is found but no product") << "abc"
                                                     << "abc" << true << false;
    QTest::newRow("injection finds nothing") << "12"
                                             << "12 or 1=1" << false << false;
    QTest::newRow("empty id") << "12"
                              << "" << false << false;
}

void TestTaskStore::lookupByProduct()
{
    QFETCH(QString, stored);
    QFETCH(QString, asked);
    QFETCH(bool, found);
    QFETCH(bool, has);
    addTask(stored);
    addTask(QStringLiteral("99"));
    QCOMPARE(m_store->hasTask(asked), has);
    const StringMap task = m_store->getTask(asked);
    QCOMPARE(task.value(QStringLiteral("productId")), found ? stored : QString());
}

void TestTaskStore::unknownProductGivesEmptyFields()
{
    addTask(QStringLiteral("5"));
    const StringMap task = m_store->getTask(QStringLiteral("6"));
    const QStringList keys = {
        "createTime", "downSize",        "errorMessage",        "fileName",    "fromVersion", "id",
        "installcmd", "nowStatus",       "productId",           "productName", "savePath",    "startcmd",
        "totalSize",  "updateToVersion", "updateToVersionName", "url",         "versionName", "versionNo"};
    QCOMPARE(task.keys(), keys);
    for (const QString &value : task)
        QVERIFY(value.isEmpty());
    QCOMPARE(m_store->getTask(QStringLiteral("5")).keys(), keys);
}

void TestTaskStore::waitingTasksAreTheFiveOldest()
{
    QStringList ids;
    for (int i = 1; i <= 8; ++i)
        ids << addTask(QString::number(100 + i));
    QVERIFY(m_store->setStatus(QStringLiteral("102"), 1));
    QVERIFY(m_store->setStatus(QStringLiteral("104"), 5));

    const QList<StringMap> waiting = m_store->waitingTasks();
    QStringList products;
    for (const StringMap &task : waiting)
        products << task.value(QStringLiteral("productId"));
    QCOMPARE(products, QStringList({"101", "103", "105", "106", "107"}));

    const QStringList keys = {"createTime", "downSize",    "errorMessage",    "fileName",
                              "id",         "installcmd",  "nowStatus",       "package",
                              "platform",   "productId",   "productName",     "savePath",
                              "startcmd",   "totalSize",   "updateToVersion", "updateToVersionName",
                              "url",        "versionName", "versionNo"};
    QCOMPARE(waiting.first().keys(), keys);
    QCOMPARE(waiting.first().value(QStringLiteral("package")), QStringLiteral("com.example.game101"));
    QCOMPARE(waiting.first().value(QStringLiteral("id")), ids.first());
}

void TestTaskStore::deleteTaskRemovesOnlyThatProduct()
{
    addTask(QStringLiteral("1"));
    addTask(QStringLiteral("2"));
    QVERIFY(m_store->deleteTask(QStringLiteral("1 or 1=1")));
    QVERIFY(m_store->hasTask(QStringLiteral("1")));
    QVERIFY(m_store->deleteTask(QStringLiteral("1")));
    QVERIFY(!m_store->hasTask(QStringLiteral("1")));
    QVERIFY(m_store->hasTask(QStringLiteral("2")));
    QVERIFY(m_store->deleteTask(QStringLiteral("3")));
    QVERIFY(m_store->hasTask(QStringLiteral("2")));
}

void TestTaskStore::updatesTouchOnlyTheirColumns_data()
{
    QTest::addColumn<StoreOp>("op");
    QTest::addColumn<bool>("result");
    QTest::addColumn<StringMap>("changes");

    QTest::newRow("status by id") << StoreOp([](TaskManager &s, const QString &id, const QString &) {
        return s.setStatusById(id, 3);
    }) << true << StringMap{{"nowStatus", "3"}};
    QTest::newRow("status by id, main connection")
        << StoreOp(
               [](TaskManager &s, const QString &id, const QString &) { return s.setStatusByIdMain(id, 4); })
        << true << StringMap{{"nowStatus", "4"}};
    QTest::newRow("status by product")
        << StoreOp([](TaskManager &s, const QString &, const QString &p) { return s.setStatus(p, 2); })
        << true << StringMap{{"nowStatus", "2"}};
    QTest::newRow("status and a size past 4 GiB")
        << StoreOp([](TaskManager &s, const QString &id, const QString &) {
               return s.setStatusAndDownSize(id, 4, Q_INT64_C(5368709120));
           })
        << true << StringMap{{"nowStatus", "4"}, {"downSize", "5368709120"}};
    QTest::newRow("status and error") << StoreOp([](TaskManager &s, const QString &, const QString &p) {
        return s.setStatusAndError(p, 3, QStringLiteral("adb: it's failed; again"));
    }) << true << StringMap{{"nowStatus", "3"}, {"errorMessage", "adb: it's failed; again"}};
    QTest::newRow("status, size and path") << StoreOp([](TaskManager &s, const QString &id, const QString &) {
        return s.setStatusDownSizeAndPath(id, 2, 77, QStringLiteral("/p/x.zip"));
    }) << true << StringMap{{"nowStatus", "2"}, {"downSize", "77"}, {"savePath", "/p/x.zip"}};
    QTest::newRow("sizes and path") << StoreOp([](TaskManager &s, const QString &id, const QString &) {
        return s.setSizesAndPath(id, 10, Q_INT64_C(3221225472), QStringLiteral("/p/y.zip"));
    }) << true << StringMap{{"downSize", "10"}, {"totalSize", "3221225472"}, {"savePath", "/p/y.zip"}};
    QTest::newRow("pin") << StoreOp([](TaskManager &s, const QString &, const QString &p) {
        return s.setTop(p);
    }) << true << StringMap{{"isTop", "100000"}};
    QTest::newRow("update queued without new values")
        << StoreOp([](TaskManager &s, const QString &, const QString &p) {
               return s.setUpdateFields(p, 0, QString(), QString(), QString(), QString(), QString());
           })
        << true << StringMap{{"nowStatus", "0"}, {"savePath", ""}, {"downSize", "0"}, {"totalSize", "0"}};
    QTest::newRow("update queued with new values") << StoreOp([](TaskManager &s, const QString &,
                                                                 const QString &p) {
        return s.setUpdateFields(p, 0, QStringLiteral("http://n/p.patch"), QStringLiteral("9"),
                                 QStringLiteral("1.0.9"), QStringLiteral("p.patch"), QStringLiteral("8"));
    }) << true
                                                   << StringMap{{"nowStatus", "0"},
                                                                {"savePath", ""},
                                                                {"downSize", "0"},
                                                                {"totalSize", "0"},
                                                                {"url", "http://n/p.patch"},
                                                                {"updateToVersion", "9"},
                                                                {"updateToVersionName", "1.0.9"},
                                                                {"fileName", "p.patch"},
                                                                {"fromVersion", "8"}};
    QTest::newRow("version name only") << StoreOp([](TaskManager &s, const QString &, const QString &p) {
        return s.setVersion(p, QString(), QStringLiteral("1.0.5"));
    }) << true << StringMap{{"versionName", "1.0.5"}};
    QTest::newRow("version number only") << StoreOp([](TaskManager &s, const QString &, const QString &p) {
        return s.setVersion(p, QStringLiteral("5"), QString());
    }) << true << StringMap{{"versionNo", "5"}};
    QTest::newRow("no version") << StoreOp([](TaskManager &s, const QString &, const QString &p) {
        return s.setVersion(p, QString(), QString());
    }) << false << StringMap();
    QTest::newRow("unknown product") << StoreOp([](TaskManager &s, const QString &, const QString &) {
        return s.setStatus(QStringLiteral("999"), 2);
    }) << true << StringMap();
    QTest::newRow("injected id") << StoreOp([](TaskManager &s, const QString &, const QString &p) {
        return s.setStatus(p + QStringLiteral(" or 1=1"), 2);
    }) << true << StringMap();
}

void TestTaskStore::updatesTouchOnlyTheirColumns()
{
    QFETCH(StoreOp, op);
    QFETCH(bool, result);
    QFETCH(StringMap, changes);

    // Two rows with a distinct text in every column; only the first may change.
    QStringList columns;
    {
        RawDatabase raw;
        for (const QString &productId : {QStringLiteral("500"), QStringLiteral("600")}) {
            addTask(productId);
            const StringMap row = raw.task(productId);
            QStringList assignments;
            QVariantList values;
            for (auto it = row.begin(); it != row.end(); ++it) {
                if (it.key() == QLatin1String("id") || it.key() == QLatin1String("productId"))
                    continue;
                assignments << it.key() + QStringLiteral(" = ?");
                values << QVariant(QStringLiteral("old ") + it.key());
            }
            values << productId;
            QVERIFY(raw.exec(QStringLiteral("update brel_download_task set ") + assignments.join(',') +
                                 QStringLiteral(" where productId = ?"),
                             values));
        }
    }
    RawDatabase raw;
    const StringMap before = raw.task(QStringLiteral("500"));
    const StringMap otherBefore = raw.task(QStringLiteral("600"));

    QCOMPARE(op(*m_store, before.value(QStringLiteral("id")), QStringLiteral("500")), result);

    StringMap expected = before;
    for (auto it = changes.begin(); it != changes.end(); ++it)
        expected.insert(it.key(), it.value());
    QCOMPARE(raw.task(QStringLiteral("500")), expected);
    QCOMPARE(raw.task(QStringLiteral("600")), otherBefore);
}

void TestTaskStore::keptPackageKeepsOneRow()
{
    const QString older = appPath(QStringLiteral("Data/download/games/7/old.zip"));
    const QString newer = appPath(QStringLiteral("Data/download/games/7/new.zip"));
    writeFile(older, "old");
    writeFile(newer, "new");

    QVERIFY(m_store->saveZip(QStringLiteral("8"), QStringLiteral("1"), older));
    QVERIFY(m_store->saveZip(QStringLiteral("7"), QStringLiteral("3"), older));
    QVERIFY(m_store->hasZip(QStringLiteral("7"), QStringLiteral("3")));
    QVERIFY(m_store->saveZip(QStringLiteral("7"), QStringLiteral("4"), newer));

    RawDatabase raw;
    const auto rows = raw.rows(QStringLiteral("select * from brel_ziplist where productId = '7'"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().value(QStringLiteral("versionNo")), QStringLiteral("4"));
    QCOMPARE(raw.count(QStringLiteral("brel_ziplist")), 2);

    QCOMPARE(m_store->zipPath(QStringLiteral("7"), QStringLiteral("4")), newer);
    QCOMPARE(m_store->zipPath(QStringLiteral("7"), QStringLiteral("3")), QString());
    QVERIFY(!m_store->hasZip(QStringLiteral("7"), QStringLiteral("3")));
    QCOMPARE(m_store->zipPath(QStringLiteral("8"), QStringLiteral("1")), older);

    QVERIFY(QFile::remove(newer));
    QCOMPARE(m_store->zipPath(QStringLiteral("7"), QStringLiteral("4")), QString());
    QVERIFY(!m_store->hasZip(QStringLiteral("7"), QStringLiteral("4")));
}

void TestTaskStore::reportedStatus_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("packageOnDisk");
    QTest::addColumn<bool>("downloading");
    QTest::addColumn<QString>("program"); // "install": under the install directory, "absolute", "none"
    QTest::addColumn<QString>("inAll");
    QTest::addColumn<QString>("inSelected");
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("downloading with a worker") << "1"
                                               << "0" << true << true << "none"
                                               << "1"
                                               << "1"
                                               << "1";
    QTest::newRow("downloading without a worker") << "1"
                                                  << "0" << true << false << "none"
                                                  << "4"
                                                  << "4"
                                                  << "1";
    QTest::newRow("downloaded, package present") << "2"
                                                 << "0" << true << false << "none"
                                                 << "2"
                                                 << "2"
                                                 << "2";
    QTest::newRow("downloaded, package gone") << "2"
                                              << "0" << false << false << "none"
                                              << "0"
                                              << "0"
                                              << "2";
    QTest::newRow("H5 downloaded, program installed") << "2"
                                                      << "11" << true << false << "install"
                                                      << "2"
                                                      << "5"
                                                      << "2";
    QTest::newRow("H5 downloaded, absolute program, package gone") << "2"
                                                                   << "11" << false << false << "absolute"
                                                                   << "5"
                                                                   << "5"
                                                                   << "2";
    QTest::newRow("H5 installed, program gone") << "5"
                                                << "11" << false << false << "none"
                                                << "5"
                                                << "0"
                                                << "5";
    QTest::newRow("H5 installed, program present") << "5"
                                                   << "11" << false << false << "install"
                                                   << "5"
                                                   << "5"
                                                   << "5";
    QTest::newRow("installed PC game") << "5"
                                       << "0" << false << false << "none"
                                       << "5"
                                       << "5"
                                       << "5";
    QTest::newRow("install left behind") << "7"
                                         << "1" << true << false << "none"
                                         << "9"
                                         << "7"
                                         << "9";
    QTest::newRow("platform 3 reported apart") << "5"
                                               << "3" << false << false << "none"
                                               << "10"
                                               << "10"
                                               << "5";
    QTest::newRow("platform 5 reported apart") << "1"
                                               << "5" << false << false << "none"
                                               << "10"
                                               << "10"
                                               << "1";
    QTest::newRow("in the library") << "6"
                                    << "0" << false << false << "none"
                                    << "6"
                                    << "6"
                                    << "6";
}

void TestTaskStore::reportedStatus()
{
    QFETCH(QString, stored);
    QFETCH(QString, platform);
    QFETCH(bool, packageOnDisk);
    QFETCH(bool, downloading);
    QFETCH(QString, program);
    QFETCH(QString, inAll);
    QFETCH(QString, inSelected);
    QFETCH(QString, storedAfter);

    const QString productId = QStringLiteral("42");
    const QString installDir = tasks::resolveInstallDir(productId, QString());
    QString startcmd = QStringLiteral("APP_PATH/bin/game.exe");
    if (program == QLatin1String("install"))
        writeFile(installDir + QStringLiteral("/bin/game.exe"), "exe");
    if (program == QLatin1String("absolute")) {
        startcmd = appPath(QStringLiteral("elsewhere/game.exe"));
        writeFile(startcmd, "exe");
    }
    const QString package = appPath(QStringLiteral("Data/download/games/42/20240501080910_pkg.zip"));
    if (packageOnDisk)
        writeFile(package, "zip");

    const QString id = addTask(productId, platform, startcmd);
    addTask(QStringLiteral("43"));
    QVERIFY(m_store->setStatusDownSizeAndPath(id, stored.toInt(), 3, package));
    const QStringList active = downloading ? QStringList{productId} : QStringList{QStringLiteral("43")};

    const QJsonObject selected =
        entryOf(decodeList(m_store->productsJson(QStringLiteral("(42)"), active)), productId);
    QCOMPARE(selected.value(QStringLiteral("nowStatus")).toString(), inSelected);
    QCOMPARE(m_store->getTask(productId).value(QStringLiteral("nowStatus")), stored);

    const QJsonObject all = entryOf(decodeList(m_store->allProductsJson(active, true)), productId);
    QCOMPARE(all.value(QStringLiteral("nowStatus")).toString(), inAll);
    QCOMPARE(m_store->getTask(productId).value(QStringLiteral("nowStatus")), storedAfter);
    QCOMPARE(m_store->getTask(QStringLiteral("43")).value(QStringLiteral("nowStatus")), QStringLiteral("0"));
}

void TestTaskStore::staleInstallStaysWithoutFullCheck()
{
    const QString id = addTask(QStringLiteral("42"), QStringLiteral("1"));
    QVERIFY(m_store->setStatusById(id, 7));
    const QJsonObject entry = entryOf(decodeList(m_store->allProductsJson({}, false)), QStringLiteral("42"));
    QCOMPARE(entry.value(QStringLiteral("nowStatus")).toString(), QStringLiteral("7"));
    QCOMPARE(m_store->getTask(QStringLiteral("42")).value(QStringLiteral("nowStatus")), QStringLiteral("7"));
}

void TestTaskStore::entriesCarrySizesFromDisk()
{
    const QString package = appPath(QStringLiteral("Data/download/games/1/pkg.zip"));
    writeFile(package, QByteArray(524288, 'z'));
    const QString withFile = addTask(QStringLiteral("1"));
    QVERIFY(m_store->setSizesAndPath(withFile, 1000, 1048576, package));
    const QString withoutFile = addTask(QStringLiteral("2"), QStringLiteral("1"));
    QVERIFY(m_store->setSizesAndPath(withoutFile, 262144, 1048576, appPath(QStringLiteral("gone.zip"))));

    const QJsonArray all = decodeList(m_store->allProductsJson({}, false));
    const QJsonArray selected = decodeList(m_store->productsJson(QStringLiteral("(1,2)"), {}));
    QCOMPARE(all.size(), 2);
    QCOMPARE(selected.size(), 2);

    for (const QJsonArray &list : {all, selected}) {
        const QJsonObject onDisk = entryOf(list, QStringLiteral("1"));
        QCOMPARE(onDisk.value(QStringLiteral("rate")).toString(), QStringLiteral("50.00"));
        QCOMPARE(onDisk.value(QStringLiteral("sizeRate")).toString(), QStringLiteral("512KB/1024KB"));
        QCOMPARE(onDisk.value(QStringLiteral("installcmd")).toString(), QStringLiteral("setup.exe /S"));
        const QJsonObject stored = entryOf(list, QStringLiteral("2"));
        QCOMPARE(stored.value(QStringLiteral("rate")).toString(), QStringLiteral("25.00"));
        QCOMPARE(stored.value(QStringLiteral("sizeRate")).toString(), QStringLiteral("256KB/1024KB"));
        // An Android entry offers its package name as the install command.
        QCOMPARE(stored.value(QStringLiteral("installcmd")).toString(), QStringLiteral("com.example.game2"));
    }

    const QStringList allKeys = {"installcmd", "logo",        "nowStatus", "package",  "platform",
                                 "productId",  "productName", "rate",      "sizeRate", "startcmd",
                                 "url",        "versionName", "versionNo"};
    QCOMPARE(entryOf(all, QStringLiteral("1")).keys(), allKeys);
    QStringList selectedKeys = allKeys;
    selectedKeys << "baseVersionNo"
                 << "updateToVersion"
                 << "updateToVersionName"
                 << "versionZipExists";
    selectedKeys.sort();
    QCOMPARE(entryOf(selected, QStringLiteral("1")).keys(), selectedKeys);
    QCOMPARE(entryOf(selected, QStringLiteral("1")).value(QStringLiteral("updateToVersionName")).toString(),
             QStringLiteral("1.0.4"));
}

void TestTaskStore::installedEntryCarriesKeptPackageAndBaseVersion()
{
    // The version file is read by the configuration object, which knows one application directory.
    m_store.reset();
    platform::setApplicationDir(m_apiDir.path());
    QVERIFY(QDir(m_apiDir.path() + QStringLiteral("/Data")).removeRecursively());
    m_store = std::make_unique<TaskManager>();
    const auto appPath = [this](const QString &relative) -> QString {
        return m_apiDir.path() + QLatin1Char('/') + relative;
    };

    const QString kept = appPath(QStringLiteral("Data/download/games/7/kept.zip"));
    writeFile(kept, "zip");
    writeFile(appPath(QStringLiteral("Data/download/games/7/version.data")),
              R"({"versionNo":"4","versionName":"1.0.4","baseVersionNo":"3"})");
    QVERIFY(m_store->insertInstalledTask(QStringLiteral("7"), QStringLiteral("g"),
                                         QStringLiteral("http://x/g.zip"), QStringLiteral("APP_PATH/g.exe"),
                                         QString(), QString(), QStringLiteral("0"), QString(),
                                         QStringLiteral("4"), QStringLiteral("1.0.4"), QString()));
    QVERIFY(m_store->saveZip(QStringLiteral("7"), QStringLiteral("4"), kept));
    // Installed without a version file, and a task that is not installed.
    QVERIFY(m_store->insertInstalledTask(
        QStringLiteral("8"), QStringLiteral("h"), QStringLiteral("http://x/h.zip"), QString(), QString(),
        QString(), QStringLiteral("0"), QString(), QStringLiteral("2"), QString(), QString()));
    addTask(QStringLiteral("9"));
    writeFile(appPath(QStringLiteral("Data/download/games/9/version.data")), R"({"baseVersionNo":"6"})");

    const QJsonArray list = decodeList(m_store->productsJson(QStringLiteral("(7,8,9)"), {}));
    const QJsonObject installed = entryOf(list, QStringLiteral("7"));
    QCOMPARE(installed.value(QStringLiteral("versionZipExists")), QJsonValue(1));
    QCOMPARE(installed.value(QStringLiteral("baseVersionNo")), QJsonValue(QStringLiteral("3")));
    const QJsonObject noVersionFile = entryOf(list, QStringLiteral("8"));
    QCOMPARE(noVersionFile.value(QStringLiteral("versionZipExists")), QJsonValue(0));
    QCOMPARE(noVersionFile.value(QStringLiteral("baseVersionNo")), QJsonValue(QStringLiteral("0")));
    const QJsonObject waiting = entryOf(list, QStringLiteral("9"));
    QCOMPARE(waiting.value(QStringLiteral("versionZipExists")), QJsonValue(0));
    QCOMPARE(waiting.value(QStringLiteral("baseVersionNo")), QJsonValue(QStringLiteral("0")));
}

void TestTaskStore::pinnedFirstThenNewest()
{
    const QStringList products = {"1", "2", "3", "4", "5"};
    for (const QString &productId : products)
        addTask(productId);
    {
        RawDatabase raw;
        const QList<QPair<QString, QString>> times = {{"1", "2023-01-01 10:00:00"},
                                                      {"2", "2024-06-01 10:00:00"},
                                                      {"3", "2024-06-01 10:00:00"},
                                                      {"4", "2024-12-31 23:59:59"},
                                                      {"5", "2022-03-03 03:03:03"}};
        for (const auto &time : times)
            QVERIFY(
                raw.exec(QStringLiteral("update brel_download_task set updateTime = ? where productId = ?"),
                         {time.second, time.first}));
    }
    QVERIFY(m_store->setTop(QStringLiteral("5")));
    QVERIFY(m_store->setTop(QStringLiteral("1")));

    // Pinned rows first (newest of them first), then the newest; the later row wins a tie.
    const QStringList expected = {"1", "5", "4", "3", "2"};
    QCOMPARE(productIdsOf(decodeList(m_store->allProductsJson({}, false))), expected);
    QCOMPARE(productIdsOf(decodeList(m_store->allProductsJson({}, false))), expected);
}

void TestTaskStore::listHoldsAtMost200()
{
    for (int i = 1; i <= 205; ++i)
        addTask(QString::number(i));
    const QJsonArray list = decodeList(m_store->allProductsJson({}, false));
    QCOMPARE(list.size(), 200);
    // Same insertion second: the newest rows come first, so the five oldest are left out.
    QCOMPARE(list.first().toObject().value(QStringLiteral("productId")).toString(), QStringLiteral("205"));
    QCOMPARE(list.last().toObject().value(QStringLiteral("productId")).toString(), QStringLiteral("6"));
}

void TestTaskStore::emptyTableGivesEmptyList()
{
    QCOMPARE(m_store->allProductsJson({}, true), emptyList);
    QCOMPARE(m_store->productsJson(QStringLiteral("(1,2)"), {}), emptyList);
    QCOMPARE(m_store->waitingTasks(), QList<StringMap>());
}

void TestTaskStore::productIdLists_data()
{
    QTest::addColumn<QString>("productIds");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("one id") << "(12)" << QStringList{"12"};
    QTest::newRow("two ids") << "(12,15)" << QStringList{"12", "15"};
    QTest::newRow("spaces") << " ( 12 , 15 ) " << QStringList{"12", "15"};
    QTest::newRow("leading zero matches as before") << "(012)" << QStringList{"12"};
    QTest::newRow("unknown id") << "(13)" << QStringList();
    QTest::newRow("empty list") << "()" << QStringList();
    QTest::newRow("second statement") << "(12);drop table brel_download_task;--" << QStringList();
    QTest::newRow("statement inside the list")
        << "(12);delete from brel_download_task where (1)" << QStringList();
    QTest::newRow("condition after the list") << "(12) or 1=1" << QStringList();
    QTest::newRow("union") << "(12) union select * from brel_download_task" << QStringList();
    QTest::newRow("comment") << "(12)--" << QStringList();
    QTest::newRow("subquery") << "(select productId from brel_download_task)" << QStringList();
    QTest::newRow("quoted id") << "('12')" << QStringList();
    QTest::newRow("negative id") << "(-12)" << QStringList();
    QTest::newRow("unclosed") << "(12,15" << QStringList();
    QTest::newRow("no parentheses") << "12,15" << QStringList();
    QTest::newRow("empty item") << "(12,,15)" << QStringList();
    QTest::newRow("nested") << "((12))" << QStringList();
    QTest::newRow("missing comma") << "(12 15)" << QStringList();
    QTest::newRow("empty text") << "" << QStringList();
}

void TestTaskStore::productIdLists()
{
    QFETCH(QString, productIds);
    QFETCH(QStringList, expected);
    for (const char *productId : {"12", "15", "20"})
        addTask(QLatin1String(productId));

    QStringList found = productIdsOf(decodeList(m_store->productsJson(productIds, {})));
    found.sort();
    QCOMPARE(found, expected);

    RawDatabase raw;
    QCOMPARE(raw.count(QStringLiteral("brel_download_task")), 3);
    QCOMPARE(raw.count(QStringLiteral("brel_ziplist")), 0);
}

void TestTaskStore::brokenDatabase_data()
{
    QTest::addColumn<bool>("garbage");
    QTest::newRow("file that is not a database") << true;
    QTest::newRow("directory in place of the file") << false;
}

void TestTaskStore::brokenDatabase()
{
    QFETCH(bool, garbage);
    m_store.reset();
    const QString file = CDataBase::databaseFile();
    QVERIFY(QFile::remove(file));
    QByteArray bytes(8192, '\0');
    QRandomGenerator generator(7);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    if (garbage)
        writeFile(file, bytes);
    else
        QVERIFY(QDir().mkpath(file));

    storeMessages.clear();
    m_store = std::make_unique<TaskManager>();
    QVERIFY(addTask(QStringLiteral("1")).isEmpty());
    QVERIFY(!m_store->insertWaitingTask(QStringLiteral("1"), {}, {}, {}, {}, {}, {}, {}, {}, {}));
    QVERIFY(!m_store->insertLibraryTask(QStringLiteral("1"), {}, {}, {}, {}, {}, {}, {}));
    QVERIFY(!m_store->hasTask(QStringLiteral("1")));
    QCOMPARE(m_store->getTask(QStringLiteral("1")), StringMap());
    QVERIFY(m_store->waitingTasks().isEmpty());
    QVERIFY(!m_store->setStatus(QStringLiteral("1"), 2));
    QVERIFY(!m_store->setVersion(QStringLiteral("1"), QStringLiteral("2"), QString()));
    QVERIFY(!m_store->deleteTask(QStringLiteral("1")));
    QVERIFY(!m_store->saveZip(QStringLiteral("1"), QStringLiteral("2"), file));
    QCOMPARE(m_store->zipPath(QStringLiteral("1"), QStringLiteral("2")), QString());
    QCOMPARE(m_store->productsJson(QStringLiteral("(1)"), {}), emptyList);
    QCOMPARE(m_store->allProductsJson({}, true), emptyList);

    const QStringList failures = storeMessages.filter(QStringLiteral("open sqllite exception"));
    QCOMPARE(failures.size(), 1);
    if (garbage) {
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
    }
}

void TestTaskStore::emptyFileLeftByACrash()
{
    m_store.reset();
    writeFile(CDataBase::databaseFile(), QByteArray());
    m_store = std::make_unique<TaskManager>();
    QVERIFY(!addTask(QStringLiteral("1")).isEmpty());
    QVERIFY(m_store->hasTask(QStringLiteral("1")));
    QVERIFY(m_store->saveZip(QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("/x.zip")));
}

void TestTaskStore::missingTableIsAdded()
{
    m_store.reset();
    QVERIFY(QFile::remove(CDataBase::databaseFile()));
    {
        RawDatabase raw;
        QVERIFY(raw.exec(
            QStringLiteral("create table brel_download_task (id integer primary key autoincrement, "
                           "productId text, productName text, url text, fileName text, savePath text, "
                           "totalSize text, downSize text, nowStatus text, errorMessage text, "
                           "startcmd text, installcmd text, logo text, platform text, package text, "
                           "versionNo text, versionName text, fromVersion text, updateToVersion text, "
                           "updateToVersionName text, isTop text, createTime text, updateTime text)")));
        QVERIFY(raw.exec(
            QStringLiteral("insert into brel_download_task (productId, nowStatus) values ('3', '5')")));
    }
    m_store = std::make_unique<TaskManager>();
    QVERIFY(m_store->hasTask(QStringLiteral("3")));
    QVERIFY(m_store->saveZip(QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("/x.zip")));
    RawDatabase raw;
    QCOMPARE(raw.count(QStringLiteral("brel_ziplist")), 1);
}

void TestTaskStore::waitingReadUsesAnIndex()
{
    RawDatabase raw;
    const auto plan = raw.rows(QStringLiteral(
        "explain query plan select * from brel_download_task where nowStatus = 0 order by id asc limit 5"));
    QStringList details;
    for (const StringMap &step : plan)
        details << step.value(QStringLiteral("detail"));
    QVERIFY2(details.join(' ').contains(QLatin1String("brel_download_task_waiting")),
             qPrintable(details.join(" | ")));
    QVERIFY2(!details.join(' ').contains(QLatin1String("TEMP B-TREE")), qPrintable(details.join(" | ")));
}

QTEST_GUILESS_MAIN(TestTaskStore)
#include "test_task_store.moc"
