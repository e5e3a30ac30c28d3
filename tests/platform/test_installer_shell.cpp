#include "platform/InstallerShell.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Runs lines the way the installer step does: the interpreter reads them from standard input.
static int runInShell(const QByteArray &lines, QByteArray *out = nullptr)
{
    QProcess shell;
    shell.start(platform::installerShellProgram(), platform::installerShellArguments());
    if (!shell.waitForStarted(10000))
        return -1;
    shell.write(platform::installerShellPreamble());
    shell.write(lines);
    shell.closeWriteChannel();
    if (!shell.waitForFinished(30000))
        return -2;
    if (out)
        *out = shell.readAllStandardOutput();
    return shell.exitCode();
}

class TestInstallerShell : public QObject
{
    Q_OBJECT

private slots:
    void quoteSurvivesTheShell_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "setup.exe";
        QTest::newRow("spaces") << "My Games/set up.exe";
        QTest::newRow("single quote") << "it's here.exe";
        QTest::newRow("shell syntax") << "$(rm -rf x); `id` && \"q\" | *";
        QTest::newRow("non-ASCII") << QStringLiteral("游戏/安装.exe");
    }

    void quoteSurvivesTheShell()
    {
        QFETCH(QString, text);
        QByteArray out;
        const QByteArray line = QStringLiteral("printf '%s' %1\n").arg(platform::shellQuote(text)).toUtf8();
        QCOMPARE(runInShell(line, &out), 0);
        QCOMPARE(QString::fromUtf8(out), text);
    }

    void defaultLineRunsTheProgramQuietlyAndWaits()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A downloaded installer arrives without the execute bit; the default line must set it.
        const QString installer = dir.filePath(QStringLiteral("it's setup.exe"));
        const QString record = dir.filePath(QStringLiteral("record.txt"));
        QFile file(installer);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nsleep 1\necho \"$@\" > \"$(dirname \"$0\")/record.txt\"\n");
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));

        QCOMPARE(runInShell(platform::defaultInstallerLine(installer).toUtf8() + '\n'), 0);
        // The interpreter ended only after the installer had written its record.
        QFile written(record);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().trimmed(), platform::quietInstallFlag().toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestInstallerShell)
#include "test_installer_shell.moc"
