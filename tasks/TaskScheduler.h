#pragma once

#include <QAtomicInt>
#include <QObject>
#include <QTimer>

class BandwidthLimiter;
class DownloadThread;
class ManageThread;
class QNetworkAccessManager;

// The task manager thread's resident object: it owns the network manager, the shared download limit
// and the running workers, and runs scheduler passes when woken (or when its slow safety timer fires).
// Created and destroyed by ManageThread::run() on that thread.
class TaskScheduler : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(TaskScheduler)

public:
    TaskScheduler(ManageThread *owner, int safetyPassMs);
    ~TaskScheduler() override;

    BandwidthLimiter *limiter() const { return m_limiter; }
    QNetworkAccessManager *network() const { return m_network; }

    // Any thread: asks for one pass; requests made while one is pending are merged.
    void requestPass();
    // On this thread: adopts worker and issues its request.
    void launch(DownloadThread *worker);

private slots:
    void pass();

private:
    ManageThread *const m_owner;
    QNetworkAccessManager *m_network;
    BandwidthLimiter *m_limiter;
    QObject *m_workers; // parent of every worker not yet released
    QTimer m_safetyTimer;
    QAtomicInt m_passQueued;
};
