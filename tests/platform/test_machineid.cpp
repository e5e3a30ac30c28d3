#include "platform/MachineId.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

class TestMachineId : public QObject
{
    Q_OBJECT

private slots:
    // The command prints the first identifier file that holds something, exactly as stored.
    void defaultCommandPrintsTheMachineId()
    {
        const platform::MachineIdCommand command = platform::machineIdCommand();
        QCOMPARE(command.program, QStringLiteral("/bin/cat"));
        QCOMPARE(command.arguments.size(), 1);
        const QString path = command.arguments.first();
        QVERIFY2(path == QLatin1String("/etc/machine-id") ||
                     path == QLatin1String("/var/lib/dbus/machine-id"),
                 qPrintable(path));

        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() == 0)
            QSKIP("this system keeps no machine id");
        if (path.endsWith(QLatin1String("/var/lib/dbus/machine-id")))
            QVERIFY(QFile(QStringLiteral("/etc/machine-id")).size() == 0);

        QProcess process;
        process.start(command.program, command.arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(process.readAllStandardOutput(), file.readAll());
    }

    void overrideAndRestore()
    {
        const platform::MachineIdCommand original = platform::machineIdCommand();
        platform::setMachineIdCommand(QStringLiteral("/bin/echo"), {QStringLiteral("fixed")});
        QCOMPARE(platform::machineIdCommand().program, QStringLiteral("/bin/echo"));
        QCOMPARE(platform::machineIdCommand().arguments, QStringList{QStringLiteral("fixed")});

        platform::setMachineIdCommand(QString(), {QStringLiteral("ignored")});
        QCOMPARE(platform::machineIdCommand().program, original.program);
        QCOMPARE(platform::machineIdCommand().arguments, original.arguments);
    }
};

QTEST_GUILESS_MAIN(TestMachineId)
#include "test_machineid.moc"
