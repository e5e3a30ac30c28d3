#include "tasks/BandwidthLimiter.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

class TestBandwidthLimiter : public QObject
{
    Q_OBJECT

private slots:
    void unlimitedGrantsEverything()
    {
        BandwidthLimiter limiter;
        QCOMPARE(limiter.take(123456789), qint64(123456789));
        QCOMPARE(limiter.msUntilAvailable(), 0);
        QCOMPARE(limiter.suggestedReadBufferSize(), qint64(0));
    }

    // Grants drawn as fast as they come follow the rate (plus at most one burst).
    void grantsFollowTheRate_data()
    {
        QTest::addColumn<qint64>("rate");
        QTest::newRow("256 KB/s") << qint64(256 * 1024);
        QTest::newRow("2048 KB/s") << qint64(2048 * 1024);
    }

    void grantsFollowTheRate()
    {
        QFETCH(qint64, rate);
        BandwidthLimiter limiter;
        QSignalSpy changed(&limiter, &BandwidthLimiter::rateChanged);
        limiter.setRate(rate);
        QCOMPARE(changed.count(), 1);
        QVERIFY(limiter.suggestedReadBufferSize() >= 64 * 1024);
        QElapsedTimer clock;
        clock.start();
        qint64 granted = 0;
        while (clock.elapsed() < 500) {
            const qint64 got = limiter.take(16384);
            granted += got;
            if (got == 0)
                QThread::msleep(qMax(1, limiter.msUntilAvailable()));
        }
        const double expected = rate * clock.elapsed() / 1000.0;
        QVERIFY2(granted <= expected * 1.05 + 16384 && granted >= expected * 0.85,
                 qPrintable(QStringLiteral("%1 of %2").arg(granted).arg(expected)));
    }

    void changingTheRateTakesEffectAtOnce()
    {
        BandwidthLimiter limiter;
        limiter.setRate(1024);
        QVERIFY(limiter.take(16384) < 16384);
        limiter.setRate(0);
        QCOMPARE(limiter.take(16384), qint64(16384));
        QSignalSpy changed(&limiter, &BandwidthLimiter::rateChanged);
        limiter.setRate(0);
        QCOMPARE(changed.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBandwidthLimiter)
#include "test_bandwidth_limiter.moc"
