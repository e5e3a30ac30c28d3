#include "CoreTestFiles.h"

#include "core/Logging.h"
#include "platform/ApplicationDir.h"

#include <QDebug>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>
#include <vector>

using coretest::readFile;

namespace {

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Sends one message through the handler, as if Qt delivered it.
void logMessage(const QString &text)
{
    launcherMessageHandler(QtDebugMsg, QMessageLogContext(), text);
}

} // namespace

class TestLogging : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> appDir;

    QString logFile(const QString &name) const
    {
        return appDir->path() + QStringLiteral("/Data/logs/") + name;
    }

private slots:
    void init()
    {
        appDir = std::make_unique<QTemporaryDir>();
        platform::setApplicationDir(appDir->path());
    }

    void cleanup()
    {
        setLogClockForTesting({});
        platform::setApplicationDir(QString());
        appDir.reset();
    }

    void lineAndFileName_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("single-digit month, no leading zero")
            << QStringLiteral("2025-03-07 09:05:03") << QStringLiteral("start")
            << QStringLiteral("2025-3.log") << QByteArray("2025-03-07 09:05:03==>start\n");
        QTest::newRow("December") << QStringLiteral("2025-12-31 23:59:59") << QStringLiteral("a b")
                                  << QStringLiteral("2025-12.log")
                                  << QByteArray("2025-12-31 23:59:59==>a b\n");
        QTest::newRow("utf-8 text") << QStringLiteral("2024-01-01 00:00:00") << QStringLiteral("下载 完成")
                                    << QStringLiteral("2024-1.log")
                                    << QByteArray("2024-01-01 00:00:00==>\xe4\xb8\x8b\xe8\xbd\xbd "
                                                  "\xe5\xae\x8c\xe6\x88\x90\n");
        QTest::newRow("empty message")
            << QStringLiteral("2024-02-29 12:00:00") << QString() << QStringLiteral("2024-2.log")
            << QByteArray("2024-02-29 12:00:00==>\n");
    }

    void lineAndFileName()
    {
        QFETCH(QString, time);
        QFETCH(QString, message);
        QFETCH(QString, fileName);
        QFETCH(QByteArray, line);
        const QDateTime now = at(time);
        setLogClockForTesting([now] { return now; });
        logMessage(message);
        logMessage(message);
        QCOMPARE(QDir(appDir->path() + QStringLiteral("/Data/logs")).entryList(QDir::Files),
                 QStringList{fileName});
        QCOMPARE(readFile(logFile(fileName)), line + line);
    }

    void monthBoundary()
    {
        QDateTime now = at(QStringLiteral("2025-01-31 23:59:59"));
        setLogClockForTesting([&now] { return now; });
        logMessage(QStringLiteral("last of January"));
        now = now.addSecs(1);
        logMessage(QStringLiteral("first of February"));
        QCOMPARE(readFile(logFile(QStringLiteral("2025-1.log"))),
                 QByteArray("2025-01-31 23:59:59==>last of January\n"));
        QCOMPARE(readFile(logFile(QStringLiteral("2025-2.log"))),
                 QByteArray("2025-02-01 00:00:00==>first of February\n"));
    }

    // Items of one message are joined by spaces and Qt strings are quoted, as the debug stream writes them.
    void installedHandlerWritesDebugStream()
    {
        const QDateTime now = at(QStringLiteral("2025-06-01 10:00:00"));
        setLogClockForTesting([now] { return now; });
        const QtMessageHandler previous = qInstallMessageHandler(nullptr);
        installLogHandler();
        qDebug() << "url" << QStringLiteral("http://api.test//app/gameLaucher?lang=zh") << 30000;
        qWarning("plain %d", 7);
        qInstallMessageHandler(previous);
        QCOMPARE(readFile(logFile(QStringLiteral("2025-6.log"))),
                 QByteArray("2025-06-01 10:00:00==>url \"http://api.test//app/gameLaucher?lang=zh\" 30000\n"
                            "2025-06-01 10:00:00==>plain 7\n"));
    }

    void deletedDirectoryIsCreatedAgain()
    {
        const QDateTime now = at(QStringLiteral("2025-05-05 05:05:05"));
        setLogClockForTesting([now] { return now; });
        logMessage(QStringLiteral("one"));
        QVERIFY(QDir(appDir->path() + QStringLiteral("/Data/logs")).removeRecursively());
        logMessage(QStringLiteral("two"));
        QCOMPARE(readFile(logFile(QStringLiteral("2025-5.log"))), QByteArray("2025-05-05 05:05:05==>two\n"));
    }

    void unwritableDirectoryLosesTheLineOnly()
    {
        // A file where the log directory should be: nothing can be written, nothing breaks.
        QVERIFY(coretest::writeFile(appDir->path() + QStringLiteral("/Data/logs"), "not a directory"));
        QVERIFY(!writeLogLine(QStringLiteral("2025-5"), QStringLiteral("lost")));
        logMessage(QStringLiteral("lost too"));
        QCOMPARE(readFile(appDir->path() + QStringLiteral("/Data/logs")), QByteArray("not a directory"));
    }

    void writeLogLineAppends()
    {
        QVERIFY(writeLogLine(QStringLiteral("custom"), QStringLiteral("first")));
        QVERIFY(writeLogLine(QStringLiteral("custom"), QStringLiteral("second")));
        QCOMPARE(readFile(logFile(QStringLiteral("custom.log"))), QByteArray("first\nsecond\n"));
    }

    void manyThreadsNeitherMixNorLoseLines()
    {
        const QDateTime now = at(QStringLiteral("2025-07-01 00:00:00"));
        setLogClockForTesting([now] { return now; });
        const int threadCount = 8;
        const int linesPerThread = 500;
        // Long lines make a torn write likely to show.
        const QString padding(300, QLatin1Char('x'));
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < threadCount; ++t) {
            threads.emplace_back(QThread::create([t, padding] {
                for (int i = 0; i < linesPerThread; ++i)
                    qDebug().noquote() << QStringLiteral("t%1-%2-").arg(t).arg(i) + padding;
            }));
        }
        const QtMessageHandler previous = qInstallMessageHandler(launcherMessageHandler);
        for (auto &thread : threads)
            thread->start();
        for (auto &thread : threads)
            thread->wait();
        qInstallMessageHandler(previous);

        const QList<QByteArray> lines = readFile(logFile(QStringLiteral("2025-7.log"))).split('\n');
        QCOMPARE(lines.size(), threadCount * linesPerThread + 1);
        QVERIFY(lines.last().isEmpty());
        QSet<QByteArray> seen;
        const QRegularExpression shape(QStringLiteral("^2025-07-01 00:00:00==>t[0-7]-\\d+-x{300}$"));
        for (int n = 0; n < lines.size() - 1; ++n) {
            QVERIFY2(shape.match(QString::fromLatin1(lines.at(n))).hasMatch(), lines.at(n).constData());
            seen.insert(lines.at(n));
        }
        QCOMPARE(seen.size(), threadCount * linesPerThread);
    }
};

QTEST_GUILESS_MAIN(TestLogging)
#include "test_logging.moc"
