// Calls into the storefront page (and the two routed to the settings page): how the page learns about
// downloads, installations, the user and warnings.
#include "ui/MorvuSDKKFWinApp.h"

#include "bridge/JsCall.h"
#include "ui/CWebPage.h"
#include "ui/DialogPage.h"

#include <QCoreApplication>

void MorvuSDKKFWinApp::changeDownload_status(QString action, QString productId, int downStatus, QString tips,
                                             QString rate, QString runRate, bool showDisable, QString size)
{
    runInPage(jscall::call(QStringLiteral("changeDownLoadStatus"),
                           {action, productId, tips, QString::number(downStatus), rate,
                            jscall::flag(showDisable), runRate, size}));
}

void MorvuSDKKFWinApp::changeDownload_error(QString productId, QString error)
{
    runInPage(jscall::call(QStringLiteral("changeDownload_error"), {productId, error}));
}

void MorvuSDKKFWinApp::updateLocalProductStatus(QString str, bool updateMyGame)
{
    runInPage(jscall::call(QStringLiteral("updateLocalProductStatus"), {str, jscall::flag(updateMyGame)}));
}

void MorvuSDKKFWinApp::runMainPageFunc(QString s)
{
    runInPage(s);
}

void MorvuSDKKFWinApp::runSystemPageFun(QString s)
{
    if (systemConfPage)
        systemConfPage->runPageScript(s);
}

void MorvuSDKKFWinApp::showDiskSpaceWarning()
{
    QString text = tr("diskUsed");
    if (text == QLatin1String("diskUsed"))
        text = QString::fromUtf8("您的磁盘空间不足，请清理");
    runInPage(QStringLiteral("layer.msg(") + jscall::singleQuoted(text) + QStringLiteral(",{icon:2})"));
    runInPage(QStringLiteral("setLastClick(2)"));
    runInPage(QStringLiteral("stopAutoUpdateNoTips()"));
}

void MorvuSDKKFWinApp::spaceWarn(QString productId)
{
    showDiskSpaceWarning();
    emit manageThreadPauseTask(productId);
}

void MorvuSDKKFWinApp::spaceWarnOnlyTips(QString)
{
    showDiskSpaceWarning();
}

void MorvuSDKKFWinApp::clearAutoUpdateKey()
{
    runInPage(QStringLiteral("stopAutoUpdate()"));
}

void MorvuSDKKFWinApp::clearUnreadMessage()
{
    runInPage(QStringLiteral("clearUnReadaMessage()"));
}

void MorvuSDKKFWinApp::resetGameDownload(QString productId)
{
    runInPage(jscall::call(QStringLiteral("resetGameDownload"), {productId}));
}

void MorvuSDKKFWinApp::changeUSBStatus(int s)
{
    runInPage(jscall::call(QStringLiteral("channgeUsbStatus"), {QString::number(s)}));
}

void MorvuSDKKFWinApp::setUSBdevices(QString str)
{
    runInPage(jscall::call(QStringLiteral("setUsbDevices"), {str}));
}

void MorvuSDKKFWinApp::choseDefaultDevice(QString deviceType)
{
    runInPage(jscall::call(QStringLiteral("choseDefaultDevice"), {deviceType}));
}
