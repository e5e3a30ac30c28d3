#include "StoreTestSupport.h"

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "store/TaskManager.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

QMutex problemsMutex;
QStringList problems;
QtMessageHandler previousHandler = nullptr;

// Any warning (a connection used from the wrong thread, a statement on a closed connection, a connection
// removed while in use) is a failure; the store's own debug lines are dropped.
void collectProblems(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg)
        return;
    if (type == QtInfoMsg) {
        previousHandler(type, context, message);
        return;
    }
    QMutexLocker lock(&problemsMutex);
    problems << message;
}

struct HammerResult
{
    QStringList inserted;
    QStringList errors;
    int lists = 0;
};

// Inserts, updates and lists as fast as it can until the deadline, and at least 32 rounds however slow
// the machine is. Product ids are base + n.
HammerResult hammer(TaskManager &store, qint64 base, qint64 milliseconds)
{
    HammerResult result;
    QElapsedTimer clock;
    clock.start();
    for (qint64 n = 1; n <= 32 || clock.elapsed() < milliseconds; ++n) {
        const QString productId = QString::number(base + n);
        const QString fail = productId + QLatin1Char(' ');
        if (!store.insertWaitingTask(productId, QStringLiteral("Game ") + productId,
                                     QStringLiteral("http://x/p.zip"), QStringLiteral("APP_PATH/g.exe"),
                                     QString(), QString(), QStringLiteral("0"), QString(),
                                     QStringLiteral("1"), QStringLiteral("1.0.1"))) {
            result.errors << fail + QStringLiteral("insert");
            continue;
        }
        result.inserted << productId;
        const QString id = store.getTask(productId).value(QStringLiteral("id"));
        if (id.isEmpty())
            result.errors << fail + QStringLiteral("getTask");
        if (!store.setStatusAndDownSize(id, 1, n) || !store.setSizesAndPath(id, n, 2 * n, QString()))
            result.errors << fail + QStringLiteral("size update");
        if (!store.setVersion(productId, QString::number(n), QString()) || !store.setStatus(productId, 4))
            result.errors << fail + QStringLiteral("status update");
        if (n % 8 == 0) {
            store.waitingTasks();
            const QJsonArray all = decodeList(store.allProductsJson({}, true));
            const QJsonArray mine =
                decodeList(store.productsJson(QLatin1Char('(') + productId + QLatin1Char(')'), {productId}));
            if (all.isEmpty() || productIdsOf(mine) != QStringList{productId})
                result.errors << fail + QStringLiteral("lists");
            ++result.lists;
        }
    }
    return result;
}

// A thread that runs the same work each time it is started.
class RepeatableThread : public QThread
{
public:
    explicit RepeatableThread(std::function<void()> work) : m_work(std::move(work)) {}

protected:
    void run() override { m_work(); }

private:
    std::function<void()> m_work;
};

} // namespace

class TestTaskStoreThreads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void twoThreadsLoseNothing();
    void restartedThreadGetsNewConnections();
    void processStoreIsCreatedOnce();

private:
    QTemporaryDir m_apiDir;
    std::unique_ptr<QTemporaryDir> m_app;
};

void TestTaskStoreThreads::initTestCase()
{
    QVERIFY(m_apiDir.isValid());
    platform::setApplicationDir(m_apiDir.path());
    QVERIFY(QApi::instance());
}

void TestTaskStoreThreads::init()
{
    m_app = std::make_unique<QTemporaryDir>();
    QVERIFY(m_app->isValid());
    platform::setApplicationDir(m_app->path());
    problems.clear();
    previousHandler = qInstallMessageHandler(collectProblems);
}

void TestTaskStoreThreads::cleanup()
{
    qInstallMessageHandler(previousHandler);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    platform::setApplicationDir(QString());
}

void TestTaskStoreThreads::twoThreadsLoseNothing()
{
    auto store = std::make_unique<TaskManager>();
    HammerResult first;
    HammerResult second;
    std::unique_ptr<QThread> a(QThread::create([&] { first = hammer(*store, 1000000, 3000); }));
    std::unique_ptr<QThread> b(QThread::create([&] { second = hammer(*store, 2000000, 3000); }));
    a->start();
    b->start();
    QVERIFY(a->wait(60000));
    QVERIFY(b->wait(60000));

    QVERIFY2(first.errors.isEmpty(), qPrintable(first.errors.mid(0, 10).join(QLatin1Char('\n'))));
    QVERIFY2(second.errors.isEmpty(), qPrintable(second.errors.mid(0, 10).join(QLatin1Char('\n'))));
    QVERIFY(first.inserted.size() >= 32 && second.inserted.size() >= 32);
    QVERIFY(first.lists >= 4 && second.lists >= 4);
    qInfo() << "rows written" << first.inserted.size() << second.inserted.size() << "lists" << first.lists
            << second.lists;

    // A finished thread's connections are closed; the store's own thread keeps its pair.
    QCOMPARE(QSqlDatabase::connectionNames().size(), 2);

    RawDatabase raw;
    QCOMPARE(raw.count(QStringLiteral("brel_download_task")), first.inserted.size() + second.inserted.size());
    for (const HammerResult *result : {&first, &second}) {
        for (int i = 0; i < result->inserted.size(); ++i) {
            const auto row = raw.task(result->inserted.at(i));
            const QString n = QString::number(i + 1);
            QCOMPARE(row.value(QStringLiteral("nowStatus")), QStringLiteral("4"));
            QCOMPARE(row.value(QStringLiteral("versionNo")), n);
            QCOMPARE(row.value(QStringLiteral("downSize")), n);
            QCOMPARE(row.value(QStringLiteral("totalSize")), QString::number(2 * (i + 1)));
        }
    }
}

void TestTaskStoreThreads::restartedThreadGetsNewConnections()
{
    TaskManager store;
    int runs = 0;
    bool stored = true;
    RepeatableThread worker([&] {
        ++runs;
        stored = store.insertLibraryTask(QString::number(runs), QStringLiteral("g"), QString(), QString(),
                                         QString(), QString(), QStringLiteral("0"), QString()) &&
                 stored;
    });
    for (int round = 0; round < 3; ++round) {
        worker.start();
        QVERIFY(worker.wait(30000));
        QCOMPARE(QSqlDatabase::connectionNames().size(), 2);
    }
    QCOMPARE(runs, 3);
    QVERIFY(stored);
    QVERIFY(store.hasTask(QStringLiteral("3")));
}

void TestTaskStoreThreads::processStoreIsCreatedOnce()
{
    constexpr int threadCount = 4;
    QSemaphore ready;
    QSemaphore go;
    QVector<TaskManager *> seen(threadCount, nullptr);
    QVector<bool> inserted(threadCount, false);
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back(QThread::create([&, i] {
            ready.release();
            go.acquire();
            seen[i] = TaskManager::instance();
            inserted[i] =
                seen[i]->insertLibraryTask(QString::number(i + 1), QStringLiteral("g"), QString(), QString(),
                                           QString(), QString(), QStringLiteral("0"), QString());
        }));
        threads.back()->start();
    }
    ready.acquire(threadCount);
    go.release(threadCount);
    for (auto &thread : threads)
        QVERIFY(thread->wait(30000));

    TaskManager *store = TaskManager::instance();
    for (int i = 0; i < threadCount; ++i) {
        QCOMPARE(seen.at(i), store);
        QVERIFY(inserted.at(i));
        QVERIFY(store->hasTask(QString::number(i + 1)));
    }
    QCOMPARE(store->thread(), QCoreApplication::instance()->thread());
}

QTEST_GUILESS_MAIN(TestTaskStoreThreads)
#include "test_task_store_threads.moc"
