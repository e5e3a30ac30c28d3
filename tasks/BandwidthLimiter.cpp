#include "tasks/BandwidthLimiter.h"

#include <QtMath>

namespace {

// The budget may be saved up for this long, so short pauses between reads do not cost throughput while
// a burst never exceeds a tenth of a second's worth of data.
constexpr double burstSeconds = 0.1;
constexpr qint64 minimumBurst = 16 * 1024;

} // namespace

BandwidthLimiter::BandwidthLimiter(QObject *parent) : QObject(parent)
{
    m_clock.start();
}

void BandwidthLimiter::setRate(qint64 bytesPerSecond)
{
    const qint64 rate = bytesPerSecond > 0 ? bytesPerSecond : 0;
    if (rate == m_rate)
        return;
    refill();
    m_rate = rate;
    m_tokens = 0;
    m_clock.restart();
    emit rateChanged(m_rate);
}

void BandwidthLimiter::refill()
{
    const qint64 elapsedNs = m_clock.nsecsElapsed();
    m_clock.restart();
    if (m_rate <= 0)
        return;
    const double capacity = qMax(double(minimumBurst), m_rate * burstSeconds);
    m_tokens = qMin(capacity, m_tokens + m_rate * (elapsedNs / 1e9));
}

qint64 BandwidthLimiter::take(qint64 wanted)
{
    if (wanted <= 0)
        return 0;
    if (m_rate <= 0)
        return wanted;
    refill();
    const qint64 granted = qMin(wanted, qint64(m_tokens));
    m_tokens -= granted;
    return granted;
}

int BandwidthLimiter::msUntilAvailable()
{
    if (m_rate <= 0)
        return 0;
    refill();
    const double chunk = qMin(double(minimumBurst), m_rate * burstSeconds);
    if (m_tokens >= chunk)
        return 0;
    return qMax(1, qCeil((chunk - m_tokens) * 1000.0 / m_rate));
}

qint64 BandwidthLimiter::suggestedReadBufferSize() const
{
    if (m_rate <= 0)
        return 0;
    return qBound<qint64>(64 * 1024, m_rate / 4, 4 * 1024 * 1024);
}
