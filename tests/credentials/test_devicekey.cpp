#include "credentials/DeviceKey.h"
#include "platform/MachineId.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

class TestDeviceKey : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::setMachineIdCommand(QString(), {}); }

    void keyRules_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("key");

        QTest::newRow("nothing") << QByteArray() << "7kq0vd35rm8w2z6t";
        QTest::newRow("only whitespace") << QByteArray(" \r\n\t \n") << "7kq0vd35rm8w2z6t";
        QTest::newRow("heading alone") << QByteArray("ProcessorId  \r\n") << "ProcessorIdqqqqq";
        QTest::newRow("processor table")
            << QByteArray("ProcessorId  \r\r\nBFEBFBFF000906EA  \r\r\n\r\r\n") << "ProcessorId BFEB";
        QTest::newRow("machine id") << QByteArray("3d1219c7c4c5404aaa1f6d2a48adfda4\n") << "3d1219c7c4c5404a";
        QTest::newRow("exactly sixteen") << QByteArray("0123456789abcdef") << "0123456789abcdef";
        QTest::newRow("short") << QByteArray("abc") << "abcqqqqqqqqqqqqq";
        QTest::newRow("inner whitespace runs become one space")
            << QByteArray("  a \t\n b  ") << "a bqqqqqqqqqqqqq";
        QTest::newRow("non-ASCII counts characters")
            << QString::fromUtf8("é1").toLocal8Bit() << QString::fromUtf8("é1qqqqqqqqqqqqqq");
    }

    void keyRules()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, key);
        const QString result = deviceKeyFromOutput(output);
        QCOMPARE(result, key);
        QCOMPARE(result.size(), 16);
    }

    // The command's output goes through the same rules, whatever its exit status.
    void command_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("key");

        QTest::newRow("prints nothing") << "/bin/true" << QStringList() << "7kq0vd35rm8w2z6t";
        QTest::newRow("prints the heading alone")
            << "/bin/echo" << QStringList{"ProcessorId"} << "ProcessorIdqqqqq";
        QTest::newRow("cannot start") << "/nonexistent/identifier" << QStringList() << "7kq0vd35rm8w2z6t";
        QTest::newRow("fails after printing")
            << "/bin/sh" << QStringList{"-c", "printf 'partial id'; exit 3"} << "partial idqqqqqq";
        QTest::newRow("reads no input") << "/bin/cat" << QStringList() << "7kq0vd35rm8w2z6t";
        QTest::newRow("error text is not output")
            << "/bin/sh" << QStringList{"-c", "echo oops >&2; echo 0123456789abcdefXYZ"}
            << "0123456789abcdef";
    }

    void command()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, key);
        platform::setMachineIdCommand(program, arguments);
        QCOMPARE(deviceKey(), key);
    }

    // A command that never ends is cut off at the bound; what it printed before still counts.
    void hangingCommand_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("boundMs");
        QTest::addColumn<QString>("key");

        QTest::newRow("silent") << "exec sleep 30" << 200 << "7kq0vd35rm8w2z6t";
        QTest::newRow("heading, then silence")
            << "echo ProcessorId; exec sleep 30" << 2000 << "ProcessorIdqqqqq";
    }

    void hangingCommand()
    {
        QFETCH(QString, script);
        QFETCH(int, boundMs);
        QFETCH(QString, key);
        platform::setMachineIdCommand(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(deviceKey(boundMs), key);
        QVERIFY2(timer.elapsed() < boundMs + 5000, qPrintable(QString::number(timer.elapsed())));
    }

    // This OS's own command gives the machine id's first 16 characters, the same on every call.
    void machineIdentifier()
    {
        const platform::MachineIdCommand command = platform::machineIdCommand();
        QFile file(command.arguments.value(0));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("no machine id on this system");
        const QString key = deviceKey();
        QCOMPARE(key, deviceKeyFromOutput(file.readAll()));
        QVERIFY(key != QLatin1String("7kq0vd35rm8w2z6t"));
        QCOMPARE(deviceKey(), key);
    }
};

QTEST_GUILESS_MAIN(TestDeviceKey)
#include "test_devicekey.moc"
