#include "platform/DiskSpace.h"

#include <QStorageInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestDiskSpace : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { platform::setFreeSpaceOverride(-1); }

    void volumeOfNearestExistingParent_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("the directory itself") << "";
        QTest::newRow("a file not yet written") << "pkg.zip";
        QTest::newRow("several missing levels") << "Data/download/games/7/20240501080910_pkg.zip";
    }

    void volumeOfNearestExistingParent()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const qint64 expected = QStorageInfo(dir.path()).bytesAvailable();
        const qint64 free = platform::freeSpaceFor(dir.filePath(relative));
        QVERIFY2(free > 0, qPrintable(QString::number(free)));
        // Other processes write to the same volume meanwhile: allow a little drift.
        QVERIFY(qAbs(free - expected) < 64 * 1024 * 1024);
    }

    void emptyPathIsUnknown() { QCOMPARE(platform::freeSpaceFor(QString()), qint64(-1)); }

    void overrideAnswersEveryPathUntilReset()
    {
        QTemporaryDir dir;
        const qint64 tiny = 1500LL * 1024 * 1024;
        platform::setFreeSpaceOverride(tiny);
        QCOMPARE(platform::freeSpaceFor(dir.path()), tiny);
        QCOMPARE(platform::freeSpaceFor(QStringLiteral("/no/such/volume/file")), tiny);
        platform::setFreeSpaceOverride(0);
        QCOMPARE(platform::freeSpaceFor(dir.path()), qint64(0));
        platform::setFreeSpaceOverride(-1);
        QVERIFY(platform::freeSpaceFor(dir.path()) > 0);
    }
};

QTEST_GUILESS_MAIN(TestDiskSpace)
#include "test_disk_space.moc"
