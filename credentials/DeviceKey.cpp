#include "credentials/DeviceKey.h"

#include "platform/MachineId.h"

#include <QProcess>

namespace {

constexpr int keyLength = 16;

} // namespace

QString deviceKeyFromOutput(const QByteArray &commandOutput)
{
    QString key = QString::fromLocal8Bit(commandOutput).simplified();
    if (key.isEmpty())
        key = QStringLiteral("7kq0vd35rm8w2z6t");
    if (key.size() > keyLength)
        key.truncate(keyLength);
    while (key.size() < keyLength)
        key.append(QLatin1Char('q'));
    return key;
}

QString deviceKey(int timeoutMs)
{
    const platform::MachineIdCommand command = platform::machineIdCommand();
    QProcess process;
    process.start(command.program, command.arguments, QIODevice::ReadWrite);
    // The command reads nothing; a closed input keeps one that waits for it from hanging.
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(timeoutMs);
    // Whatever arrived within the bound counts, even from a command that did not finish.
    const QByteArray output = process.readAllStandardOutput();
    if (!finished && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
    return deviceKeyFromOutput(output);
}

QString deviceKey()
{
    return deviceKey(deviceKeyCommandTimeoutMs);
}
