#include "platform/Processes.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

// Starts copies of sleep under chosen names, ends some by name and checks who is left.
class TestProcesses : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> started;

    QProcess *startSleeper(const QString &name)
    {
        const QString program = dir.path() + QLatin1Char('/') + name;
        if (!QFileInfo::exists(program))
            QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), program);
        started.push_back(std::make_unique<QProcess>());
        QProcess *process = started.back().get();
        process->start(program, {QStringLiteral("30")});
        return process->waitForStarted() ? process : nullptr;
    }

    // A script started through its "#!" line: the kernel runs the interpreter with the script's path.
    QProcess *startScript(const QString &name)
    {
        const QString script = dir.path() + QLatin1Char('/') + name;
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly))
            return nullptr;
        file.write("#!/bin/sh\nwhile true; do sleep 1; done\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        started.push_back(std::make_unique<QProcess>());
        QProcess *process = started.back().get();
        process->start(script, QStringList());
        return process->waitForStarted() ? process : nullptr;
    }

    static bool ended(QProcess *process) { return process->waitForFinished(5000); }

private slots:
    void cleanup()
    {
        for (auto &process : started) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
        started.clear();
    }

    void unsafeNamesEndNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("dot") << QStringLiteral(".");
        QTest::newRow("dot dot") << QStringLiteral("..");
        QTest::newRow("path") << QStringLiteral("/tmp/x/proc-test-victim.exe");
        QTest::newRow("backslash path") << QStringLiteral("C:\\Games\\proc-test-victim.exe");
        QTest::newRow("wildcard") << QStringLiteral("proc-test-*");
        QTest::newRow("question mark") << QStringLiteral("proc-test-victim.ex?");
        QTest::newRow("space") << QStringLiteral("proc test");
        QTest::newRow("trailing line feed") << QStringLiteral("proc-test-victim.exe\n");
        QTest::newRow("tab") << QStringLiteral("proc\ttest");
        QTest::newRow("control character") << QStringLiteral("proc-test\x01");
        QTest::newRow("command separator") << QStringLiteral("proc-test-victim.exe;true");
        QTest::newRow("pipe") << QStringLiteral("a|b");
        QTest::newRow("substitution") << QStringLiteral("$(id)");
        QTest::newRow("backquote") << QStringLiteral("`id`");
        QTest::newRow("quote") << QStringLiteral("a'b");
        QTest::newRow("redirect") << QStringLiteral("a>b");
    }

    void unsafeNamesEndNothing()
    {
        QFETCH(QString, name);
        QProcess *victim = startSleeper(QStringLiteral("proc-test-victim.exe"));
        QVERIFY(victim);
        QVERIFY(!platform::isSafeProcessName(name));
        QVERIFY(!platform::killProcessesByName(name));
        QCOMPARE(victim->state(), QProcess::Running);
    }

    void safeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("windows program") << QStringLiteral("Game.exe");
        QTest::newRow("dashes and dots") << QStringLiteral("my-game_1.2.x86_64");
        QTest::newRow("short name with tilde") << QStringLiteral("GAME~1.EXE");
        QTest::newRow("chinese") << QStringLiteral("游戏.exe");
    }

    void safeNames()
    {
        QFETCH(QString, name);
        QVERIFY(platform::isSafeProcessName(name));
    }

    // The first fifteen characters are all the kernel's short name keeps: only the exact name may match.
    void endsExactNameOnly()
    {
        QProcess *game = startSleeper(QStringLiteral("fakegame-with-a-long-name.exe"));
        QProcess *secondCopy = startSleeper(QStringLiteral("fakegame-with-a-long-name.exe"));
        QProcess *samePrefix = startSleeper(QStringLiteral("fakegame-with-a-long-name.exe2"));
        QProcess *shorter = startSleeper(QStringLiteral("fakegame-with-a-long-name"));
        QProcess *other = startSleeper(QStringLiteral("other-sleeper.exe"));
        QVERIFY(game && secondCopy && samePrefix && shorter && other);

        QVERIFY(platform::killProcessesByName(QStringLiteral("fakegame-with-a-long-name.exe")));
        QVERIFY(ended(game));
        QVERIFY(ended(secondCopy));
        QCOMPARE(game->exitStatus(), QProcess::CrashExit);
        QCOMPARE(samePrefix->state(), QProcess::Running);
        QCOMPARE(shorter->state(), QProcess::Running);
        QCOMPARE(other->state(), QProcess::Running);

        // Nothing of that name is left.
        QVERIFY(!platform::killProcessesByName(QStringLiteral("fakegame-with-a-long-name.exe")));
    }

    void endsScriptByItsName()
    {
        QProcess *script = startScript(QStringLiteral("proc-test-launch.sh"));
        QProcess *other = startSleeper(QStringLiteral("proc-test-launch.sh.bak"));
        QVERIFY(script && other);
        QTest::qWait(200); // let the kernel hand the script to its interpreter
        QVERIFY(platform::killProcessesByName(QStringLiteral("proc-test-launch.sh")));
        QVERIFY(ended(script));
        QCOMPARE(other->state(), QProcess::Running);
    }

    void neverEndsItself()
    {
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QVERIFY(!platform::killProcessesByName(self));
    }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "test_processes.moc"
