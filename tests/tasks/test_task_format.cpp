#include "tasks/TaskFormat.h"

#include <QtTest>

#include <limits>

using namespace tasks;

class TestTaskFormat : public QObject
{
    Q_OBJECT

private slots:
    void percent_data();
    void percent();
    void percentText_data();
    void percentText();
    void size_data();
    void size();
    void sizeRate_data();
    void sizeRate();
    void speed_data();
    void speed();
};

void TestTaskFormat::percent_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("done");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing of nothing") << qint64(0) << qint64(0) << "0.00";
    QTest::newRow("nothing done") << qint64(100) << qint64(0) << "0.00";
    QTest::newRow("negative done") << qint64(100) << qint64(-5) << "0.00";
    QTest::newRow("negative total") << qint64(-100) << qint64(5) << "0.00";
    QTest::newRow("unknown total") << qint64(0) << qint64(5) << "0.00";
    QTest::newRow("third") << qint64(3) << qint64(1) << "33.33";
    QTest::newRow("two thirds") << qint64(3) << qint64(2) << "66.67";
    QTest::newRow("complete") << qint64(100) << qint64(100) << "100.00";
    QTest::newRow("more than total") << qint64(100) << qint64(150) << "100.00";
    QTest::newRow("almost complete rounds up") << qint64(100000) << qint64(99999) << "100.00";
    QTest::newRow("past 2 GiB") << qint64(5368709120) << qint64(2415919104) << "45.00";
    QTest::newRow("largest sizes") << std::numeric_limits<qint64>::max()
                                   << std::numeric_limits<qint64>::max() / 2 << "50.00";
}

void TestTaskFormat::percent()
{
    QFETCH(qint64, total);
    QFETCH(qint64, done);
    QFETCH(QString, expected);
    QCOMPARE(formatPercent(total, done), expected);
}

void TestTaskFormat::percentText_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("done");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two empty texts") << ""
                                     << ""
                                     << "0.00";
    QTest::newRow("zeros") << "0"
                           << "0"
                           << "0.00";
    QTest::newRow("quarter") << "200"
                             << "50"
                             << "25.00";
    QTest::newRow("double precision") << "3"
                                      << "2"
                                      << "66.67";
    QTest::newRow("done beyond total") << "200"
                                       << "300"
                                       << "100.00";
    QTest::newRow("unparsable total") << "abc"
                                      << "50"
                                      << "0.00";
    QTest::newRow("unparsable done") << "200"
                                     << "x"
                                     << "0.00";
    QTest::newRow("negative done") << "200"
                                   << "-50"
                                   << "0.00";
    QTest::newRow("total without done") << "200"
                                        << ""
                                        << "0.00";
    QTest::newRow("large sizes as text") << "10737418240"
                                         << "5368709120"
                                         << "50.00";
}

void TestTaskFormat::percentText()
{
    QFETCH(QString, total);
    QFETCH(QString, done);
    QFETCH(QString, expected);
    QCOMPARE(formatPercentText(total, done), expected);
}

void TestTaskFormat::size_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("negative") << qint64(-5) << "-5Byte";
    QTest::newRow("zero") << qint64(0) << "0Byte";
    QTest::newRow("one kilobyte is still bytes") << qint64(1024) << "1024Byte";
    QTest::newRow("one byte more") << qint64(1025) << "1KB";
    QTest::newRow("kilobytes without decimals") << qint64(525312) << "513KB";
    QTest::newRow("one megabyte is still kilobytes") << qint64(1048576) << "1024KB";
    QTest::newRow("one byte more than a megabyte") << qint64(1048577) << "1.0MB";
    QTest::newRow("megabytes with one decimal") << qint64(13107200) << "12.5MB";
    QTest::newRow("one gigabyte is still megabytes") << qint64(1073741824) << "1024.0MB";
    QTest::newRow("one byte more than a gigabyte") << qint64(1073741825) << "1.00GB";
    QTest::newRow("gigabytes with two decimals") << qint64(1610612736) << "1.50GB";
    QTest::newRow("beyond 32 bits") << qint64(5368709120) << "5.00GB";
}

void TestTaskFormat::size()
{
    QFETCH(qint64, bytes);
    QFETCH(QString, expected);
    QCOMPARE(formatSize(bytes), expected);
}

void TestTaskFormat::sizeRate_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("done");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing yet") << qint64(1073741825) << qint64(0) << "0Byte/1.00GB";
    QTest::newRow("under way") << qint64(1288490189) << qint64(13107200) << "12.5MB/1.20GB";
    QTest::newRow("unknown total") << qint64(0) << qint64(2048) << "2KB/0Byte";
}

void TestTaskFormat::sizeRate()
{
    QFETCH(qint64, total);
    QFETCH(qint64, done);
    QFETCH(QString, expected);
    QCOMPARE(formatSizeRate(total, done), expected);
}

void TestTaskFormat::speed_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<uint>("seconds");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one megabyte in a second") << qint64(1048576) << 1u << "1.00";
    QTest::newRow("over four seconds") << qint64(10485760) << 4u << "2.50";
    QTest::newRow("small amount") << qint64(1024) << 1u << "0.00";
    QTest::newRow("negative bytes count as none") << qint64(-1048576) << 1u << "0.00";
    QTest::newRow("first event has no duration") << qint64(1048576) << 0u << "0.00";
    QTest::newRow("beyond 32 bits") << qint64(6442450944) << 2u << "3072.00";
}

void TestTaskFormat::speed()
{
    QFETCH(qint64, bytes);
    QFETCH(uint, seconds);
    QFETCH(QString, expected);
    QCOMPARE(formatSpeed(bytes, seconds), expected);
}

QTEST_GUILESS_MAIN(TestTaskFormat)
#include "test_task_format.moc"
