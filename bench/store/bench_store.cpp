// Prints the time per call of the scheduler's waiting-task read and of the all-games list on a task table
// of 200 rows, in a temporary application directory.

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "store/TaskManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

struct PerCall
{
    double wallMicroseconds = 0;
    double cpuMicroseconds = 0; // steadier than the wall time on a busy machine
};

template <class Work> PerCall timePerCall(int calls, Work work)
{
    QElapsedTimer clock;
    const std::clock_t cpuStart = std::clock();
    clock.start();
    for (int i = 0; i < calls; ++i)
        work();
    PerCall result;
    result.wallMicroseconds = static_cast<double>(clock.nsecsElapsed()) / 1000.0 / calls;
    result.cpuMicroseconds = static_cast<double>(std::clock() - cpuStart) * 1e6 / CLOCKS_PER_SEC / calls;
    return result;
}

void print(const char *name, const PerCall &time)
{
    std::printf("%-26s %10.1f us per call (%.1f us of CPU)\n", name, time.wallMicroseconds,
                time.cpuMicroseconds);
}

void fill(TaskManager &store, int rows)
{
    for (int i = 0; i < rows; ++i) {
        const QString productId = QString::number(100000 + i);
        store.insertWaitingTask(productId, QStringLiteral("游戏 ") + productId,
                                QStringLiteral("http://127.0.0.1:8080/download/game") + productId +
                                    QStringLiteral(".7z"),
                                QStringLiteral("APP_PATH/game.exe"), QString(),
                                QStringLiteral("http://127.0.0.1:8080/images/logo.png"), QStringLiteral("0"),
                                QString(), QStringLiteral("3"), QStringLiteral("1.0.3"));
        // A realistic mix: a few waiting, the rest downloading, paused, installed or in the library.
        const int status = i % 40 == 0 ? 0 : (i % 5 == 0 ? 1 : (i % 5 == 1 ? 4 : (i % 5 == 2 ? 5 : 6)));
        store.setStatus(productId, status);
        if (i % 7 == 0)
            store.setTop(productId);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The list is logged at debug level on every call; the figures are for the store itself.
    QLoggingCategory::setFilterRules(QStringLiteral("launcher.store.debug=false"));

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    platform::setApplicationDir(dir.path());
    QApi::instance();

    PerCall waiting;
    PerCall allProducts;
    PerCall someProducts;
    {
        TaskManager store;
        fill(store, 200);
        const QStringList active = {QStringLiteral("100005"), QStringLiteral("100010")};
        waiting = timePerCall(2000, [&] { store.waitingTasks(); });
        allProducts = timePerCall(100, [&] { store.allProductsJson(active, true); });
        someProducts = timePerCall(
            500, [&] { store.productsJson(QStringLiteral("(100001,100002,100003,100004,100005)"), active); });
    }
    std::printf("task table of 200 rows\n");
    print("waitingTasks()", waiting);
    print("allProductsJson()", allProducts);
    print("productsJson() of 5 ids", someProducts);
    return 0;
}
