// Figures of the task pipeline, printed side by side:
//   throughput  one 1 GiB package from the local operator service: the pipeline against "curl -o" to the
//               same disk (ratio = pipeline rate / curl rate)
//   idle        CPU time of a started, idle task manager over 10 s, in percent of one core
//   limit       measured download rate with the total limit set to 2048 KB/s, then changed to 1024 KB/s
//               while the transfer runs
//
//   bench_pipeline [throughput|idle|limit]...   (all three when none is named)
// BENCH_PACKAGE_BYTES overrides the 1 GiB package size of the throughput run.
#include "DemoService.h"

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "store/TaskManager.h"
#include "tasks/ManageThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <sys/resource.h>

namespace {

QTextStream out(stdout);

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void spin(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
}

// A launcher installation in a temporary directory with a running task manager.
struct Launcher
{
    Launcher()
    {
        platform::setApplicationDir(dir.path());
        QFile config(dir.filePath(QStringLiteral("config")));
        config.open(QIODevice::WriteOnly);
        config.write("{\"apiHost\":\"http://127.0.0.1:1\"}");
        config.close();
        QDir().mkpath(dir.filePath(QStringLiteral("Data/conf")));
        api = std::make_unique<QApi>(dir.path());
        store = std::make_unique<TaskManager>();
        thread = std::make_unique<ManageThread>(api.get(), store.get());
        QObject::connect(thread.get(), &ManageThread::updateDownloadTaskStatus,
                         [this](QString, QString, int status, QString, QString, QString, bool, QString) {
                             if (status == 2 && !downloaded.isValid())
                                 downloaded.start();
                         });
        thread->start();
    }
    ~Launcher()
    {
        thread->wantManageThreadQuit();
        QElapsedTimer clock;
        clock.start();
        while (!thread->isFinished() && clock.elapsed() < 60000)
            spin(20);
        thread.reset();
        store.reset();
        api.reset();
        platform::setApplicationDir(QString());
    }
    QString savePath(const QString &id) { return store->getTask(id).value(QStringLiteral("savePath")); }

    QTemporaryDir dir;
    std::unique_ptr<QApi> api;
    std::unique_ptr<TaskManager> store;
    std::unique_ptr<ManageThread> thread;
    QElapsedTimer downloaded;
};

const QString bigGame = QStringLiteral("games/dragon-realm-2.3.0.zip");

void throughput()
{
    const qint64 bigSize = qEnvironmentVariableIsSet("BENCH_PACKAGE_BYTES")
                               ? qEnvironmentVariable("BENCH_PACKAGE_BYTES").toLongLong()
                               : qint64(1) << 30;
    QTemporaryDir data;
    DemoService demo;
    // BENCH_DEMO_DATA reuses packages built by an earlier run.
    demo.setDataDir(qEnvironmentVariableIsSet("BENCH_DEMO_DATA") ? qEnvironmentVariable("BENCH_DEMO_DATA")
                                                                 : data.path());
    out << "throughput: preparing a package of " << bigSize << " bytes ..." << Qt::endl;
    QString why;
    if (!demo.start(bigSize, &why)) {
        out << "throughput: the service did not start: " << why << Qt::endl;
        return;
    }
    const qint64 size = QFileInfo(demo.filePath(bigGame)).size();
    QTemporaryDir curlDir;
    double bestPipeline = 0, bestCurl = 0;
    for (int round = 1; round <= 3; ++round) {
        double pipelineRate = 0;
        // Each run starts with the previous file's pages written back, so neither pays for the other.
        QProcess::execute(QStringLiteral("sync"), {});
        {
            Launcher launcher;
            QElapsedTimer clock;
            clock.start();
            launcher.thread->createTask(QStringLiteral("1002"), QStringLiteral("Dragon"), demo.url(bigGame),
                                        QStringLiteral("APP_PATH/bin/game.exe"), QString(), QString(),
                                        QStringLiteral("0"), QString(), QStringLiteral("23"),
                                        QStringLiteral("2.3.0"));
            while (!launcher.downloaded.isValid() && clock.elapsed() < 600000)
                spin(5);
            const double seconds = (clock.elapsed() - launcher.downloaded.elapsed()) / 1000.0;
            const qint64 bytes = QFileInfo(launcher.savePath(QStringLiteral("1002"))).size();
            pipelineRate = bytes / seconds / 1048576.0;
            out << QStringLiteral("throughput round %1: pipeline %2 MiB in %3 s = %4 MiB/s")
                       .arg(round)
                       .arg(bytes / 1048576.0, 0, 'f', 1)
                       .arg(seconds, 0, 'f', 2)
                       .arg(pipelineRate, 0, 'f', 1)
                << Qt::endl;
            if (bytes != size)
                out << "throughput: the pipeline's package has " << bytes << " bytes instead of " << size
                    << Qt::endl;
        }
        const QString curlFile = curlDir.filePath(QStringLiteral("curl-package.zip"));
        QFile::remove(curlFile);
        QProcess::execute(QStringLiteral("sync"), {});
        QElapsedTimer clock;
        clock.start();
        QProcess curl;
        curl.start(QStringLiteral("curl"),
                   {QStringLiteral("-s"), QStringLiteral("-o"), curlFile, demo.url(bigGame)});
        curl.waitForFinished(600000);
        const double seconds = clock.elapsed() / 1000.0;
        const double curlRate = QFileInfo(curlFile).size() / seconds / 1048576.0;
        QFile::remove(curlFile);
        out << QStringLiteral("throughput round %1: curl -o  %2 MiB in %3 s = %4 MiB/s   ratio %5")
                   .arg(round)
                   .arg(size / 1048576.0, 0, 'f', 1)
                   .arg(seconds, 0, 'f', 2)
                   .arg(curlRate, 0, 'f', 1)
                   .arg(pipelineRate / curlRate, 0, 'f', 2)
            << Qt::endl;
        bestPipeline = qMax(bestPipeline, pipelineRate);
        bestCurl = qMax(bestCurl, curlRate);
    }
    out << QStringLiteral("throughput best: pipeline %1 MiB/s, curl %2 MiB/s, ratio %3 (target >= 0.9)")
               .arg(bestPipeline, 0, 'f', 1)
               .arg(bestCurl, 0, 'f', 1)
               .arg(bestPipeline / bestCurl, 0, 'f', 2)
        << Qt::endl;
}

void idle()
{
    Launcher launcher;
    spin(500);
    const double before = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    // The GUI thread waits in its event loop like the launcher does in the tray.
    QEventLoop loop;
    QTimer::singleShot(10000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double used = cpuSeconds() - before;
    const double wall = clock.elapsed() / 1000.0;
    out << QStringLiteral("idle: %1 s CPU over %2 s = %3 % of one core (target < 1 %)")
               .arg(used, 0, 'f', 4)
               .arg(wall, 0, 'f', 2)
               .arg(100.0 * used / wall, 0, 'f', 3)
        << Qt::endl;
}

double measureRate(Launcher &launcher, const QString &id, int ms)
{
    const qint64 start = QFileInfo(launcher.savePath(id)).size();
    QElapsedTimer clock;
    clock.start();
    spin(ms);
    const qint64 end = QFileInfo(launcher.savePath(id)).size();
    return (end - start) / (clock.elapsed() / 1000.0) / 1024.0;
}

void limit()
{
    DemoService demo;
    QString why;
    if (!demo.start(64 * 1024 * 1024, &why)) {
        out << "limit: the service did not start: " << why << Qt::endl;
        return;
    }
    Launcher launcher;
    launcher.api->setSystemConfValue(QStringLiteral("downloadLimit"), QStringLiteral("1"));
    launcher.api->setSystemConfValue(QStringLiteral("downloadLimitRate"), QStringLiteral("2048"));
    launcher.thread->createTask(QStringLiteral("1002"), QStringLiteral("Dragon"), demo.url(bigGame),
                                QStringLiteral("APP_PATH/bin/game.exe"), QString(), QString(),
                                QStringLiteral("0"), QString(), QStringLiteral("23"),
                                QStringLiteral("2.3.0"));
    spin(1500); // past the start
    const double at2048 = measureRate(launcher, QStringLiteral("1002"), 8000);
    out << QStringLiteral("limit 2048 KB/s: measured %1 KB/s (%2 % off, target within 10 %)")
               .arg(at2048, 0, 'f', 1)
               .arg(100.0 * (at2048 - 2048) / 2048, 0, 'f', 1)
        << Qt::endl;
    launcher.api->setSystemConfValue(QStringLiteral("downloadLimitRate"), QStringLiteral("1024"));
    spin(1000);
    const double at1024 = measureRate(launcher, QStringLiteral("1002"), 6000);
    out << QStringLiteral("limit changed to 1024 KB/s while running: measured %1 KB/s (%2 % off)")
               .arg(at1024, 0, 'f', 1)
               .arg(100.0 * (at1024 - 1024) / 1024, 0, 'f', 1)
        << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList which = app.arguments().mid(1);
    if (which.isEmpty())
        which = QStringList{QStringLiteral("idle"), QStringLiteral("limit"), QStringLiteral("throughput")};
    for (const QString &name : which) {
        if (name == QLatin1String("throughput"))
            throughput();
        else if (name == QLatin1String("idle"))
            idle();
        else if (name == QLatin1String("limit"))
            limit();
        else
            out << "unknown benchmark " << name << Qt::endl;
    }
    return 0;
}
