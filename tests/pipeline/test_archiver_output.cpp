#include "tasks/ZipTask.h"

#include <QSignalSpy>
#include <QtTest>

class TestArchiverOutput : public QObject
{
    Q_OBJECT

private slots:
    void archiveSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint64>("size");
        QTest::newRow("scan line") << "Scanning the drive for archives:\n1 file, 300389 bytes (294 KiB)\n"
                                   << quint64(300389);
        QTest::newRow("larger than 32 bits") << "1 file, 5368709120 bytes (5 GiB)" << quint64(5368709120ULL);
        QTest::newRow("no comma before") << "Size: 300003 bytes" << quint64(0);
        QTest::newRow("nothing") << "Everything is Ok" << quint64(0);
    }

    void archiveSize()
    {
        QFETCH(QString, text);
        QFETCH(quint64, size);
        QCOMPARE(ZipTask::outputArchiveSize(text), size);
    }

    // Success is the archiver's line, not its exit code; a line split over two reads still counts.
    void realArchiverRunsReportTheirEnd_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("success");
        QTest::addColumn<quint64>("size");
        QTest::newRow("ok line, exit code 2")
            << "printf '1 file, 1234 bytes (2 KiB)\\n'; printf 'Everything is Ok\\n'; exit 2" << true
            << quint64(1234);
        QTest::newRow("exit 0 without the line")
            << "printf '1 file, 99 bytes\\n'; exit 0" << false << quint64(99);
        QTest::newRow("line split across writes")
            << "printf 'Everything i'; sleep 0.3; printf 's Ok\\n'" << true << quint64(0);
    }

    void realArchiverRunsReportTheirEnd()
    {
        QFETCH(QString, script);
        QFETCH(bool, success);
        QFETCH(quint64, size);
        QProcess process;
        ZipTask task;
        task.setUp(QStringLiteral("5"), QStringLiteral("/tmp/p.zip"), QStringLiteral("/nonexistent"),
                   &process);
        connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &task,
                &ZipTask::slot_zipend);
        connect(&process, &QProcess::readyReadStandardOutput, &task, &ZipTask::cmdOutSlots);
        QSignalSpy ended(&task, &ZipTask::unzipProcessHasEnd);
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
        QCOMPARE(ended.at(0).at(0).toString(), QStringLiteral("5"));
        QCOMPARE(ended.at(0).at(1).toString(), QStringLiteral("/tmp/p.zip"));
        QCOMPARE(ended.at(0).at(2).toBool(), success);
        QCOMPARE(task.totalBytes(), size);
        // Reported once only.
        task.slot_zipend(0, QProcess::NormalExit);
        QCOMPARE(ended.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestArchiverOutput)
#include "test_archiver_output.moc"
