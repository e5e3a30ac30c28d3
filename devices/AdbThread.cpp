#include "devices/AdbThread.h"

#include "baselibs/json/QtJson.h"
#include "devices/AdbCommandLines.h"
#include "devices/AdbRunner.h"
#include "devices/DeviceListing.h"
#include "tasks/TaskStatus.h"
#include "tasks/TaskTips.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString typeKey = QStringLiteral("type");
const QString installType = QStringLiteral("install");
const QString startType = QStringLiteral("start");
const QString checkDeviceType = QStringLiteral("checkDevice");

// The task manager's tips: the same catalogue entries, so the page shows the same words.
QString managerTip(const char *key)
{
    return QCoreApplication::translate("ManageThread", key);
}

// adb ends with 0 on some failures (older releases, "am start" on older phones); what it prints decides.
bool installSucceeded(const devices::AdbResult &result)
{
    return result.exitedWithZero() && !result.output().contains(QLatin1String("Failure"));
}

bool startSucceeded(const devices::AdbResult &result)
{
    static const QRegularExpression errorLine(QStringLiteral("(^|\\n)Error"));
    const QString output = result.output();
    return result.exitedWithZero() && !errorLine.match(output).hasMatch() &&
           !output.contains(QLatin1String("Exception"));
}

} // namespace

AdbThread::AdbThread(QObject *parent) : QThread(parent) {}

AdbThread::~AdbThread()
{
    requestQuit();
    wait();
}

void AdbThread::setTiming(const Timing &value)
{
    timing = value;
}

void AdbThread::checkDevices()
{
    QMutexLocker lock(&queueMutex);
    const bool queued = std::any_of(requestQueue.cbegin(), requestQueue.cend(), [](const Request &request) {
        return request.value(typeKey) == checkDeviceType;
    });
    if (queued)
        return;
    requestQueue.append({{typeKey, checkDeviceType}});
    requestArrived.wakeAll();
}

void AdbThread::checkDeviceCanInstall(const QString &productId, const QString &savePath,
                                      const QString &package)
{
    enqueue({{typeKey, installType},
             {QStringLiteral("productId"), productId},
             {QStringLiteral("savePath"), savePath},
             {QStringLiteral("package"), package}});
}

void AdbThread::adbStartAndroidApp(const QString &productId, const QString &package, const QString &activity)
{
    emit updateDownloadTaskStatus(tasks::downGameAction(), productId, tasks::DeviceBridgeOnly,
                                  QStringLiteral("等待启动.."), QStringLiteral("100"), QString(), true,
                                  QString());
    enqueue({{typeKey, startType},
             {QStringLiteral("productId"), productId},
             {QStringLiteral("package"), package},
             {QStringLiteral("mainActivity"), activity}});
}

void AdbThread::changeDefaultDevice(const QString &s)
{
    {
        QMutexLocker lock(&deviceMutex);
        defaultDevice = s;
    }
    emit choseDefaultDevice(s);
}

void AdbThread::devicesFinish()
{
    const devices::AdbResult result =
        devices::runAdb(devices::listingArguments(), timing.listingTimeoutMs, quitRequested);
    if (result.end == devices::AdbResult::End::Interrupted)
        return;
    // A listing cut short by the bound still shows the lines adb printed before it fell silent.
    const QList<devices::ListedDevice> listed =
        devices::parseDeviceListing(result.standardOutput + QLatin1Char('\n') + result.standardError);

    json::Array list;
    for (const devices::ListedDevice &device : listed) {
        bool isDefault = false;
        {
            QMutexLocker lock(&deviceMutex);
            if (defaultDevice.isEmpty())
                defaultDevice = device.serial;
            isDefault = defaultDevice == device.serial;
        }
        json::Object entry;
        entry << "deviceType" << json::fromQString(device.serial) << "deviceName"
              << json::fromQString(device.model) << "isDefault" << isDefault;
        list << entry;
    }
    emit getUSBdevices(QString::fromLatin1(json::pageArgument(list)));
    emit changeUSBStatus(listed.isEmpty() ? 1 : 2);
}

void AdbThread::wantAdbThreadQuit()
{
    qDebug() << "rec want adbThread quit..";
    requestQuit();
}

void AdbThread::adbInstall() {}

void AdbThread::run()
{
    for (;;) {
        Request request;
        {
            QMutexLocker lock(&queueMutex);
            while (requestQueue.isEmpty() && !quitRequested.load())
                requestArrived.wait(&queueMutex);
            if (quitRequested.load())
                break;
            request = requestQueue.takeFirst();
        }
        serve(request);
    }
    qDebug() << "adbThread leaves its loop";
}

void AdbThread::enqueue(const Request &request)
{
    QMutexLocker lock(&queueMutex);
    requestQueue.append(request);
    requestArrived.wakeAll();
}

void AdbThread::requestQuit()
{
    QMutexLocker lock(&queueMutex);
    quitRequested.store(true);
    requestArrived.wakeAll();
}

void AdbThread::serve(const Request &request)
{
    const QString type = request.value(typeKey);
    if (type == checkDeviceType)
        devicesFinish();
    else if (type == installType)
        installPackage(request);
    else if (type == startType)
        startApp(request);
}

void AdbThread::installPackage(const Request &request)
{
    const QString productId = request.value(QStringLiteral("productId"));
    const QString savePath = request.value(QStringLiteral("savePath"));
    const QString serial = currentDefaultDevice();
    const QString failedTip = tr("安装失败");
    if (serial.isEmpty()) {
        emit installStatus(productId, tasks::ExtractFailed, failedTip,
                           tr("没有连接手机：请用USB连接手机，并在手机上开启USB调试"));
        return;
    }
    if (!QFileInfo(savePath).isFile()) {
        emit installStatus(productId, tasks::ExtractFailed, failedTip, tr("找不到安装包：%1").arg(savePath));
        return;
    }

    qDebug() << "adb install" << productId << "on" << serial;
    const devices::AdbResult result =
        devices::runAdb(devices::installArguments(serial, savePath), timing.installTimeoutMs, quitRequested);
    if (result.end == devices::AdbResult::End::Interrupted)
        return; // the task stays at "installing" and is installed again next time
    if (installSucceeded(result)) {
        emit installStatus(productId, tasks::Installed, managerTip(tasks::tips::StartGame), QString());
        return;
    }
    emit installStatus(productId, tasks::ExtractFailed, failedTip,
                       failureText(result, timing.installTimeoutMs));
}

void AdbThread::startApp(const Request &request)
{
    const QString productId = request.value(QStringLiteral("productId"));
    const QString package = request.value(QStringLiteral("package"));
    const QString activity = request.value(QStringLiteral("mainActivity"));
    const QString serial = currentDefaultDevice();
    if (serial.isEmpty()) {
        reportStartFailure(productId, tr("没有连接手机：请用USB连接手机，并在手机上开启USB调试"));
        return;
    }
    const QStringList arguments = devices::startArguments(serial, package, activity);
    if (arguments.isEmpty()) {
        reportStartFailure(productId, tr("应用包名或启动界面名称无效：%1 %2").arg(package, activity));
        return;
    }

    qDebug() << "adb start" << productId << "on" << serial;
    const devices::AdbResult result = devices::runAdb(arguments, timing.startTimeoutMs, quitRequested);
    if (result.end == devices::AdbResult::End::Interrupted)
        return;
    if (!startSucceeded(result)) {
        reportStartFailure(productId, failureText(result, timing.startTimeoutMs));
        return;
    }
    // Ends the "waiting to start" the page shows since the request.
    emit updateDownloadTaskStatus(tasks::downGameAction(), productId, tasks::Installed,
                                  managerTip(tasks::tips::StartGame), QStringLiteral("100"), QString(), false,
                                  QString());
}

void AdbThread::reportStartFailure(const QString &productId, const QString &error)
{
    qDebug() << "adb start failed" << productId << error;
    emit updateDownloadTaskStatus(tasks::downGameAction(), productId, tasks::Installed,
                                  managerTip(tasks::tips::StartFailed), QStringLiteral("100"), QString(),
                                  false, error);
}

QString AdbThread::currentDefaultDevice() const
{
    QMutexLocker lock(&deviceMutex);
    return defaultDevice;
}

QString AdbThread::failureText(const devices::AdbResult &result, int timeoutMs) const
{
    using End = devices::AdbResult::End;
    switch (result.end) {
    case End::FailedToStart:
        return tr("无法运行adb：%1").arg(result.errorString);
    case End::TimedOut:
        return tr("adb在%1秒内没有完成").arg((timeoutMs + 999) / 1000);
    case End::Crashed:
        return QString(tr("adb异常退出") + QLatin1Char('\n') + result.output()).trimmed();
    case End::Exited:
    case End::Interrupted:
        break;
    }
    const QString output = result.output();
    return output.isEmpty() ? tr("adb结束，返回码%1").arg(result.exitCode) : output;
}
