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

namespace {

template <class Work> double microsecondsPerCall(int calls, Work work)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i)
        work();
    return static_cast<double>(clock.nsecsElapsed()) / 1000.0 / calls;
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

    double waiting = 0;
    double allProducts = 0;
    double someProducts = 0;
    {
        TaskManager store;
        fill(store, 200);
        const QStringList active = {QStringLiteral("100005"), QStringLiteral("100010")};
        waiting = microsecondsPerCall(2000, [&] { store.waitingTasks(); });
        allProducts = microsecondsPerCall(100, [&] { store.allProductsJson(active, true); });
        someProducts = microsecondsPerCall(
            500, [&] { store.productsJson(QStringLiteral("(100001,100002,100003,100004,100005)"), active); });
    }
    std::printf("task table of 200 rows\n");
    std::printf("waitingTasks()            %10.1f us per call\n", waiting);
    std::printf("allProductsJson()         %10.1f us per call\n", allProducts);
    std::printf("productsJson() of 5 ids   %10.1f us per call\n", someProducts);
    return 0;
}
