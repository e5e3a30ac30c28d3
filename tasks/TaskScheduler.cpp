#include "tasks/TaskScheduler.h"

#include "tasks/BandwidthLimiter.h"
#include "tasks/DownloadThread.h"
#include "tasks/ManageThread.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

TaskScheduler::TaskScheduler(ManageThread *owner, int safetyPassMs)
    : m_owner(owner), m_network(new QNetworkAccessManager(this)), m_limiter(new BandwidthLimiter(this)),
      m_workers(new QObject(this))
{
    connect(m_network, &QNetworkAccessManager::finished, owner, &ManageThread::replyFinished,
            Qt::QueuedConnection);
    m_safetyTimer.setInterval(safetyPassMs);
    connect(&m_safetyTimer, &QTimer::timeout, this, &TaskScheduler::pass);
    m_safetyTimer.start();
}

TaskScheduler::~TaskScheduler()
{
    // Workers first: their replies belong to the network manager.
    delete m_workers;
}

void TaskScheduler::requestPass()
{
    if (m_passQueued.testAndSetOrdered(0, 1))
        QMetaObject::invokeMethod(this, &TaskScheduler::pass, Qt::QueuedConnection);
}

void TaskScheduler::pass()
{
    m_passQueued.storeRelease(0);
    m_owner->schedulePass(this);
}

void TaskScheduler::launch(DownloadThread *worker)
{
    worker->setParent(m_workers);
    worker->start(m_network, m_limiter);
}
