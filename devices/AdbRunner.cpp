#include "devices/AdbRunner.h"

#include "platform/ToolNames.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QProcess>

namespace devices {
namespace {

// How often a waiting run looks at the stop flag: the longest a quit waits for a running adb.
constexpr int stopCheckIntervalMs = 50;

void killAndReap(QProcess &process)
{
    process.kill();
    process.waitForFinished(5000);
}

void collectOutput(QProcess &process, AdbResult &result)
{
    result.standardOutput += QString::fromUtf8(process.readAllStandardOutput());
    result.standardError += QString::fromUtf8(process.readAllStandardError());
}

} // namespace

QString AdbResult::output() const
{
    const QString out = standardOutput.trimmed();
    const QString err = standardError.trimmed();
    if (out.isEmpty() || err.isEmpty())
        return out.isEmpty() ? err : out;
    return out + QLatin1Char('\n') + err;
}

AdbResult runAdb(const QStringList &arguments, int timeoutMs, const std::atomic<bool> &stop)
{
    AdbResult result;
    QProcess process;
    process.start(platform::toolProgram(QStringLiteral("adb.exe")), arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs)) {
        result.end = AdbResult::End::FailedToStart;
        result.errorString = process.errorString();
        qDebug() << "adb could not be started:" << result.errorString;
        return result;
    }

    QElapsedTimer elapsed;
    elapsed.start();
    // The output is gathered by the waits themselves, so a chatty tool never blocks on a full pipe.
    while (!process.waitForFinished(stopCheckIntervalMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (stop.load()) {
            killAndReap(process);
            collectOutput(process, result);
            result.end = AdbResult::End::Interrupted;
            return result;
        }
        if (elapsed.elapsed() >= timeoutMs) {
            killAndReap(process);
            collectOutput(process, result);
            result.end = AdbResult::End::TimedOut;
            qDebug() << "adb did not end within" << timeoutMs << "ms:" << arguments;
            return result;
        }
    }
    collectOutput(process, result);
    result.exitCode = process.exitCode();
    result.end =
        process.exitStatus() == QProcess::NormalExit ? AdbResult::End::Exited : AdbResult::End::Crashed;
    return result;
}

} // namespace devices
