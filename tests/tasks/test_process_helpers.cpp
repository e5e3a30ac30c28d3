#include "tasks/ProcessHelpers.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Game processes are ended by their exact executable name before their files are overwritten.
using tasks::killProcessByName;

class TestProcessHelpers : public QObject
{
    Q_OBJECT

private slots:
    void endsOnlyTheNamedGame();
    void refusesNamesThatCouldMatchMore_data();
    void refusesNamesThatCouldMatchMore();

private:
    QProcess *startSleeper(const QTemporaryDir &dir, const QString &name);
};

QProcess *TestProcessHelpers::startSleeper(const QTemporaryDir &dir, const QString &name)
{
    const QString program = dir.path() + QLatin1Char('/') + name;
    if (!QFileInfo::exists(program) && !QFile::copy(QStringLiteral("/bin/sleep"), program))
        return nullptr;
    auto *process = new QProcess(this);
    process->start(program, {QStringLiteral("60")});
    if (!process->waitForStarted())
        return nullptr;
    return process;
}

void TestProcessHelpers::endsOnlyTheNamedGame()
{
    QTemporaryDir dir;
    QProcess *game = startSleeper(dir, QStringLiteral("fakegame-client-with-long-name.exe"));
    QProcess *sibling = startSleeper(dir, QStringLiteral("fakegame-client-with-long-name.exe.bak"));
    QVERIFY(game && sibling);

    QVERIFY(killProcessByName(QStringLiteral("fakegame-client-with-long-name.exe")));
    QVERIFY(game->waitForFinished(5000));
    QCOMPARE(sibling->state(), QProcess::Running);

    sibling->kill();
    sibling->waitForFinished();
}

void TestProcessHelpers::refusesNamesThatCouldMatchMore_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("wildcard") << "fakegame*";
    QTest::newRow("path") << "/tmp/fakegame-victim.exe";
    QTest::newRow("command separator") << "fakegame-victim.exe;true";
    QTest::newRow("substring") << "fakegame-victim";
}

void TestProcessHelpers::refusesNamesThatCouldMatchMore()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QProcess *victim = startSleeper(dir, QStringLiteral("fakegame-victim.exe"));
    QVERIFY(victim);

    QVERIFY(!killProcessByName(name));
    QVERIFY(!victim->waitForFinished(300));
    QCOMPARE(victim->state(), QProcess::Running);

    victim->kill();
    victim->waitForFinished();
}

QTEST_GUILESS_MAIN(TestProcessHelpers)
#include "test_process_helpers.moc"
