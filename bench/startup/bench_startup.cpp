// Figures of the launcher with its main window and storefront, printed:
//   startup   time from starting the program to the revealed storefront against the local operator
//             service, median of 5 starts
//   idle      CPU time of the whole launcher (the program and its web engine processes) over 30 s with
//             the storefront shown, in percent of one core
//   download  one 1 GiB package downloaded through a click in the storefront of the real main window,
//             against "curl -o" to the same disk (ratio = launcher rate / curl rate), best of 3
//
//   bench_startup [startup|idle|download]...   (all three when none is named)
// BENCH_PACKAGE_BYTES overrides the package size of the download run; BENCH_IDLE_SECONDS the idle span.
#include "MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "core/QApi.h"
#include "store/TaskManager.h"
#include "tasks/ManageThread.h"
#include "ui/CWebPage.h"
#include "ui/LoginWait.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <csignal>
#include <unistd.h>

using namespace mwtest;

namespace {

QTextStream out(stdout);
const QString launcherProgram = QStringLiteral(LAUNCHER_BINARY_DIR "/app/morvupcbox");

QString logText(const QString &appDir)
{
    QString text;
    QDirIterator it(appDir + QStringLiteral("/Data/logs"), {QStringLiteral("*.log")}, QDir::Files);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

// Starts the program in a fresh application directory; returns once the storefront is revealed
// (elapsed milliseconds) or -1.
qint64 startLauncher(QProcess &process, const QString &appDir, const QString &apiHost)
{
    QDir().mkpath(appDir);
    writeConfig(appDir, apiHost);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LAUNCHER_APP_DIR"), appDir);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), appDir + QStringLiteral("/home-cache"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), appDir + QStringLiteral("/home-config"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(appDir);
    QElapsedTimer clock;
    clock.start();
    process.start(launcherProgram, QStringList());
    while (clock.elapsed() < 60000 && process.state() != QProcess::NotRunning) {
        if (logText(appDir).contains(QStringLiteral("storefront revealed")))
            return clock.elapsed();
        QThread::msleep(5);
    }
    return -1;
}

void stopLauncher(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

void startup(const DemoService &service)
{
    QTemporaryDir root;
    QList<qint64> times;
    for (int i = 1; i <= 5; ++i) {
        QProcess process;
        const qint64 ms =
            startLauncher(process, root.filePath(QStringLiteral("run%1").arg(i)), service.apiHost());
        stopLauncher(process);
        out << QStringLiteral("startup run %1: %2 ms to the revealed storefront").arg(i).arg(ms) << Qt::endl;
        if (ms >= 0)
            times << ms;
    }
    std::sort(times.begin(), times.end());
    if (!times.isEmpty())
        out << QStringLiteral("startup median: %1 ms").arg(times.at(times.size() / 2)) << Qt::endl;
}

// User and system CPU ticks of pid and every process below it.
qint64 treeTicks(qint64 root)
{
    QMap<qint64, qint64> parentOf;
    QMap<qint64, qint64> ticks;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString dir = it.next();
        bool ok = false;
        const qint64 pid = QFileInfo(dir).fileName().toLongLong(&ok);
        if (!ok)
            continue;
        QFile stat(dir + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const int close = text.lastIndexOf(')');
        const QList<QByteArray> fields = text.mid(close + 2).split(' ');
        if (fields.size() < 13)
            continue;
        parentOf.insert(pid, fields.at(1).toLongLong());
        ticks.insert(pid, fields.at(11).toLongLong() + fields.at(12).toLongLong());
    }
    qint64 total = 0;
    for (auto it = ticks.cbegin(); it != ticks.cend(); ++it) {
        for (qint64 pid = it.key(); pid > 1; pid = parentOf.value(pid, 0)) {
            if (pid == root) {
                total += it.value();
                break;
            }
        }
    }
    return total;
}

void idle(const DemoService &service)
{
    QTemporaryDir root;
    QProcess process;
    if (startLauncher(process, root.filePath(QStringLiteral("idle")), service.apiHost()) < 0) {
        out << "idle: the storefront did not show" << Qt::endl;
        stopLauncher(process);
        return;
    }
    QThread::sleep(5); // past the page's own start-up work
    const int seconds = qEnvironmentVariableIsSet("BENCH_IDLE_SECONDS")
                            ? qEnvironmentVariableIntValue("BENCH_IDLE_SECONDS")
                            : 30;
    const qint64 before = treeTicks(process.processId());
    QElapsedTimer clock;
    clock.start();
    QThread::sleep(static_cast<unsigned long>(seconds));
    const qint64 used = treeTicks(process.processId()) - before;
    const double cpu = double(used) / sysconf(_SC_CLK_TCK);
    const double wall = clock.elapsed() / 1000.0;
    out << QStringLiteral("idle: %1 s CPU over %2 s = %3 % of one core (program and web engine processes)")
               .arg(cpu, 0, 'f', 2)
               .arg(wall, 0, 'f', 1)
               .arg(100.0 * cpu / wall, 0, 'f', 2)
        << Qt::endl;
    stopLauncher(process);
}

void download()
{
    const qint64 bigSize = qEnvironmentVariableIsSet("BENCH_PACKAGE_BYTES")
                               ? qEnvironmentVariable("BENCH_PACKAGE_BYTES").toLongLong()
                               : qint64(1) << 30;
    DemoService service;
    out << "download: preparing a package of " << bigSize << " bytes ..." << Qt::endl;
    if (!service.start(bigSize,
                       QStringLiteral(LAUNCHER_BINARY_DIR "/demo-bench-data-") + QString::number(bigSize))) {
        out << "download: the service did not start" << Qt::endl;
        return;
    }
    QTemporaryDir dir;
    writeConfig(dir.path(), service.apiHost());
    useApplicationDir(dir.path());
    resources::init();

    auto *window = new MorvuSDKKFWinApp;
    window->loadMainPage(QString(), QString());
    window->show();
    QTest::qWaitFor(
        [&] { return window->windowOpacity() == 1.0 && !window->waitScreenWindow()->isVisible(); }, 60000);
    waitForJs(window->mainView()->page(), QStringLiteral("document.body.dataset.ready === '1'"), 30000);

    // The notices pass quickly from downloaded (2) to extracting and installed: the first 2 is kept.
    int lastStatus = -1;
    QElapsedTimer clock;
    qint64 downloadedAt = -1;
    QObject::connect(window->taskManager(), &ManageThread::updateDownloadTaskStatus, window,
                     [&](QString, QString id, int status, QString, QString, QString, bool, QString) {
                         if (id != QLatin1String("1002"))
                             return;
                         if (status != lastStatus && qEnvironmentVariableIsSet("BENCH_TRACE"))
                             out << "  status " << status << " at " << clock.elapsed() << " ms" << Qt::endl;
                         lastStatus = status;
                         if ((status == 2 || status == 3) && downloadedAt < 0)
                             downloadedAt = clock.elapsed();
                     });
    QTemporaryDir curlDir;
    const QString url = service.apiHost() + QStringLiteral("/download/games/dragon-realm-2.3.0.zip");
    double best = 0, bestCurl = 0;
    for (int round = 1; round <= 3; ++round) {
        QProcess::execute(QStringLiteral("sync"), {});
        lastStatus = -1;
        downloadedAt = -1;
        clock.start();
        runJs(window->mainView()->page(),
              QStringLiteral("document.querySelector('#card-1002 .btn.main').click()"));
        QTest::qWaitFor([&] { return downloadedAt >= 0; }, 900000);
        const double seconds = downloadedAt / 1000.0;
        const QString savePath =
            TaskManager::instance()->getTask(QStringLiteral("1002")).value(QStringLiteral("savePath"));
        const qint64 bytes = QFileInfo(savePath).size();
        const double rate = bytes / seconds / 1048576.0;
        out << QStringLiteral("download round %1: launcher %2 MiB in %3 s = %4 MiB/s")
                   .arg(round)
                   .arg(bytes / 1048576.0, 0, 'f', 1)
                   .arg(seconds, 0, 'f', 2)
                   .arg(rate, 0, 'f', 1)
            << Qt::endl;
        // Let the installation finish, then forget the game for the next round.
        QTest::qWaitFor([&] { return lastStatus == 5 || lastStatus == 9 || lastStatus == 3; }, 900000);
        emit window->deleteMyGame(QStringLiteral("1002"));
        QDir(dir.filePath(QStringLiteral("Data/download/games/1002"))).removeRecursively();
        runJs(window->mainView()->page(), QStringLiteral("resetGameDownload('1002')"));
        QTest::qWait(1200);

        const QString curlFile = curlDir.filePath(QStringLiteral("curl-package.zip"));
        QProcess::execute(QStringLiteral("sync"), {});
        QElapsedTimer curlClock;
        curlClock.start();
        QProcess::execute(QStringLiteral("curl"),
                          {QStringLiteral("-s"), QStringLiteral("-o"), curlFile, url});
        const double curlSeconds = curlClock.elapsed() / 1000.0;
        const double curlRate = QFileInfo(curlFile).size() / curlSeconds / 1048576.0;
        QFile::remove(curlFile);
        out << QStringLiteral("download round %1: curl -o  %2 MiB/s   ratio %3")
                   .arg(round)
                   .arg(curlRate, 0, 'f', 1)
                   .arg(rate / curlRate, 0, 'f', 2)
            << Qt::endl;
        best = qMax(best, rate);
        bestCurl = qMax(bestCurl, curlRate);
    }
    out << QStringLiteral("download best: launcher %1 MiB/s, curl %2 MiB/s, ratio %3 (target >= 0.85)")
               .arg(best, 0, 'f', 1)
               .arg(bestCurl, 0, 'f', 1)
               .arg(best / bestCurl, 0, 'f', 2)
        << Qt::endl;
    delete window;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList which = app.arguments().mid(1);
    if (which.isEmpty())
        which = QStringList{QStringLiteral("startup"), QStringLiteral("idle"), QStringLiteral("download")};
    if (which.contains(QStringLiteral("startup")) || which.contains(QStringLiteral("idle"))) {
        DemoService service;
        if (!service.start()) {
            out << "the demo service did not start" << Qt::endl;
            return 1;
        }
        if (which.contains(QStringLiteral("startup")))
            startup(service);
        if (which.contains(QStringLiteral("idle")))
            idle(service);
    }
    if (which.contains(QStringLiteral("download")))
        download();
    return 0;
}
