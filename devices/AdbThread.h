#pragma once

#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

namespace devices {
struct AdbResult;
}

// The Android device bridge: lists the phones attached by USB for the storefront, keeps the default phone,
// and installs and starts apps on it through the adb tool.
//
// The object lives on the thread that created it; its slots may be called from any thread and only queue
// requests (or change the default phone). Its own thread sleeps until a request arrives, then serves the
// requests one after the other; its signals are emitted there, except the notice that an app start is
// waiting, which comes from the caller of adbStartAndroidApp. wantAdbThreadQuit() ends the thread soon,
// killing a running adb; requests still queued are dropped.
class AdbThread : public QThread
{
    Q_OBJECT
    Q_DISABLE_COPY(AdbThread)

public:
    // Bounds of one adb run; a run past its bound is killed.
    struct Timing
    {
        int listingTimeoutMs = 30000; // an adb that prints nothing ends the listing here, with no device
        int installTimeoutMs = 600000;
        int startTimeoutMs = 30000;
    };

    explicit AdbThread(QObject *parent = nullptr);
    // Asks the thread to quit and waits for it.
    ~AdbThread() override;

    // Before start().
    void setTiming(const Timing &timing);

public slots:
    // Queues a device listing unless one is queued already.
    void checkDevices();
    // Queues installing the package file savePath (Android package name package) on the default phone.
    void checkDeviceCanInstall(const QString &productId, const QString &savePath, const QString &package);
    // Tells the page that the app is about to start and queues starting it on the default phone.
    void adbStartAndroidApp(const QString &productId, const QString &package, const QString &activity);
    void changeDefaultDevice(const QString &s);
    // Runs the device listing and publishes it. Blocks the calling thread while adb runs (the bridge's
    // thread calls it for every queued listing).
    void devicesFinish();
    void wantAdbThreadQuit();
    // Kept for the page contract; installs go through checkDeviceCanInstall.
    void adbInstall();

signals:
    // 1 when the last listing found no device, 2 when it found at least one.
    void changeUSBStatus(int s);
    // The devices as Base64 of a compact JSON list of {"deviceType", "deviceName", "isDefault"}.
    void getUSBdevices(const QString &s);
    void choseDefaultDevice(const QString &s);
    // Result of an install request: 5 installed, 9 failed (error says why).
    void installStatus(const QString &productId, int status, const QString &tips, const QString &error);
    // A status notice for the storefront, the same as the task manager's.
    void updateDownloadTaskStatus(const QString &action, const QString &id, int status, const QString &tips,
                                  const QString &rate, const QString &runRate, bool showDisable,
                                  const QString &downSizeRate);

protected:
    void run() override;

private:
    using Request = QMap<QString, QString>;

    void enqueue(const Request &request);
    void requestQuit();
    void serve(const Request &request);
    void installPackage(const Request &request);
    void startApp(const Request &request);
    void reportStartFailure(const QString &productId, const QString &error);
    QString currentDefaultDevice() const;
    QString failureText(const devices::AdbResult &result, int timeoutMs) const;

    mutable QMutex queueMutex;
    QWaitCondition requestArrived; // with queueMutex: a request was queued or a quit was asked for
    QList<Request> requestQueue;

    mutable QMutex deviceMutex;
    QString defaultDevice;

    std::atomic<bool> quitRequested{false};
    Timing timing;
};
