#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QtGlobal>

// One budget of bytes per second shared by every running download. Workers ask for bytes before they
// move them from the network to disk; with no limit every request is granted in full. Lives on the task
// manager thread, like the workers that use it.
class BandwidthLimiter : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(BandwidthLimiter)

public:
    explicit BandwidthLimiter(QObject *parent = nullptr);

    // Bytes per second; 0 or less means no limit.
    qint64 rate() const { return m_rate; }
    bool isLimited() const { return m_rate > 0; }

    // Grants up to wanted bytes now and takes them from the budget.
    qint64 take(qint64 wanted);
    // Milliseconds until at least one chunk can be granted again (0 when it can now).
    int msUntilAvailable();
    // A read buffer size that keeps the network from running ahead of the limit (0: unbounded).
    qint64 suggestedReadBufferSize() const;

public slots:
    // Takes effect at once for every running transfer.
    void setRate(qint64 bytesPerSecond);

signals:
    void rateChanged(qint64 bytesPerSecond);

private:
    void refill();

    qint64 m_rate = 0;
    double m_tokens = 0;
    QElapsedTimer m_clock;
};
