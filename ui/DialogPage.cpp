#include "ui/DialogPage.h"

#include "baselibs/json/QtJson.h"
#include "bridge/ActionEnvelope.h"
#include "bridge/BridgeScripts.h"
#include "bridge/JavascriptCallback.h"
#include "bridge/JsCall.h"
#include "core/QApi.h"
#include "core/SystemConf.h"
#include "platform/ApplicationDir.h"
#include "platform/gui/WindowSystem.h"
#include "store/TaskManager.h"
#include "ui/CWebPage.h"
#include "ui/DirectoryChooser.h"
#include "ui/PageBridge.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QWebEnginePage>

namespace {

// The texts the embedded pages show, by key; each is looked up in the context "DialogPage".
const char *const languageKeys[] = {
    "systemConf",
    "download",
    "privacy",
    "general",
    "startup",
    "selfStart",
    "youxijieshuhoutanchu",
    "qidongyouxihou",
    "smallSelf",
    "keepUI",
    "browersetting",
    "useCache",
    "preload",
    "scrollgl",
    "usegl",
    "clickclearCache",
    "clearCache",
    "downloadsetting",
    "unlimit",
    "limitRate",
    "reinstall",
    "clearnDownload",
    "selectInstallDir",
    "reselect",
    "clearSelected",
    "soundSetting",
    "openSound",
    "closeAction",
    "hideToTask",
    "quitApp",
    "agreement",
    "privatement",
    "localHasClear",
    "cacheHasClear",
};

QString savedPackagePath(const QString &productId)
{
    TaskManager *store = TaskManager::instance();
    if (!store || !store->hasTask(productId))
        return QString();
    const QString savePath = store->getTask(productId).value(QStringLiteral("savePath"));
    return !savePath.isEmpty() && QFileInfo(savePath).isFile() ? savePath : QString();
}

// A product id that stays one directory name below the games folder.
bool isPlainProductId(const QString &productId)
{
    return !productId.isEmpty() && productId != QLatin1String(".") && productId != QLatin1String("..") &&
           !productId.contains(QLatin1Char('/')) && !productId.contains(QLatin1Char('\\'));
}

} // namespace

DialogPage::DialogPage(QWidget *parent) : CFramelessWindow(parent)
{
    setObjectName(QStringLiteral("DialogPage"));
    resize(800, 680);
    setMinimumSize(500, 300);
    setWindowIcon(QIcon(QStringLiteral(":/images/Resources/images/system.ico")));
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto *layout = new QHBoxLayout(central);
    layout->setObjectName(QStringLiteral("horizontalLayout"));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    webEngineView = new CWebPage(central);
    webEngineView->setObjectName(QStringLiteral("webEngineView"));
    webEngineView->setUrl(QUrl(QStringLiteral("about:blank")));
    layout->addWidget(webEngineView);
    setCentralWidget(central);

    pageBridge = new PageBridge(webEngineView->page(), QApi::instance()->apiHost(), this);
    connect(webEngineView, &QWebEngineView::loadFinished, this,
            &DialogPage::Webview_mainWebView_loadFinished);

    for (const char *key : languageKeys)
        languageTexts.insert(QString::fromLatin1(key), QCoreApplication::translate("DialogPage", key));
}

DialogPage::~DialogPage()
{
    qDebug() << "dialog Page destory";
}

void DialogPage::setPageContext(QString code, QString token)
{
    productCode = code;
    authToken = token;
}

void DialogPage::loadPageUrl(QString url)
{
    webEngineView->setUrl(QUrl(url));
}

void DialogPage::runPageScript(QString script)
{
    webEngineView->page()->runJavaScript(script);
}

void DialogPage::showWithScript(QString script, int modal)
{
    setWindowModality(modal == 1 ? Qt::ApplicationModal : Qt::NonModal);
    runPageScript(script);
    fadeIn();
}

void DialogPage::Webview_mainWebView_loadFinished(bool)
{
    bridge = pageBridge->install();
    channel = pageBridge->currentChannel();
    if (!bridge)
        return;
    connect(bridge, &JavascriptCallback::mainPageEvent, this, &DialogPage::JS_mainPageEvent);

    QApi *api = QApi::instance();
    runPageScript(bridgescripts::channelScript());
    runPageScript(bridgescripts::actionScript());
    runPageScript(QStringLiteral("var authToken=") + jscall::singleQuoted(authToken));
    runPageScript(QStringLiteral("var productCode=") + jscall::singleQuoted(productCode));
    runPageScript(QStringLiteral("var deviceId=") + jscall::singleQuoted(QStringLiteral("pcbox")));
    runPageScript(QStringLiteral("var apiHost=") + jscall::singleQuoted(api->apiHost()));
    runPageScript(jscall::call(QStringLiteral("setSystemConf"), {api->systemConfForPage()}));

    if (!languageTexts.isEmpty()) {
        json::Object texts;
        for (auto it = languageTexts.cbegin(); it != languageTexts.cend(); ++it)
            texts.import(json::fromQString(it.key()), json::Value(json::fromQString(it.value())));
        runPageScript(
            jscall::call(QStringLiteral("setLanguage"), {QString::fromLatin1(json::pageArgument(texts))}));
    }
}

void DialogPage::JS_mainPageEvent(QString action, QString text)
{
    if (action == QLatin1String("moveDialogWindow")) {
        startSystemMove();
        return;
    }
    if (action == QLatin1String("hideWindow")) {
        hide();
        return;
    }
    if (action == QLatin1String("clearUnReadMessage")) {
        emit clearUnreadMessage();
        return;
    }

    const ActionEnvelope envelope = ActionEnvelope::parse(text);
    if (!envelope.isValid())
        return;
    auto field = [&envelope](const char *key) { return envelope.text(key); };

    if (action == QLatin1String("downGame")) {
        emit manageThreadCrateTask(field("productId"), field("productName"), field("url"), field("startcmd"),
                                   field("installcmd"), field("logo"), field("platform"), field("package"));
    } else if (action == QLatin1String("pauseDown")) {
        emit manageThreadPauseTask(field("productId"));
    } else if (action == QLatin1String("clearGameData")) {
        emit clearLocalGameData(field("productId"), false);
    } else if (action == QLatin1String("startApp")) {
        emit manageThreadStartApp(field("productId"), field("startcmd"), field("platform"));
    } else if (action == QLatin1String("startAndroidApp")) {
        emit adbStartAndroidApp(field("productId"), field("package"), field("startcmd"));
    } else if (action == QLatin1String("checkProductInstall")) {
        emit checkLocalProductIds(field("productIds"));
    } else if (action == QLatin1String("checkProductInstallAll")) {
        emit checkLocalProductAll(true);
    } else if (action == QLatin1String("deleteDownTask")) {
        emit deleteDownLoadTask(field("productId"));
    } else if (action == QLatin1String("openFilePath")) {
        openFilePath(field("productId"));
    } else if (action == QLatin1String("deleteDownloadFile")) {
        deleteDownloadFile(field("productId"));
    } else if (action == QLatin1String("saveSystemConf")) {
        QApi::instance()->saveSystemConf(field("confString"));
    } else if (action == QLatin1String("clearCache")) {
        emit clearCache(productId);
    } else if (action == QLatin1String("openAboutme")) {
        emit openAbountMe();
    } else if (action == QLatin1String("selectInstallPath")) {
        selectInstallPath(envelope);
    }
}

void DialogPage::openFilePath(const QString &product)
{
    const QString package = savedPackagePath(product);
    if (!package.isEmpty()) {
        platform::showInFileManager(package);
        return;
    }
    // The games live in the application directory; a product id that is not a plain name opens the games
    // folder itself rather than a path outside it.
    QString folder = platform::applicationDir() + QStringLiteral("/Data/download/games/");
    if (isPlainProductId(product))
        folder += product;
    QDir().mkpath(folder);
    platform::showInFileManager(folder);
}

void DialogPage::deleteDownloadFile(const QString &product)
{
    const QString package = savedPackagePath(product);
    if (!package.isEmpty() && !QFile::remove(package)) {
        qDebug() << "cannot delete package" << package;
        deleteFileCallback(2, tr("deleteFileFailed"));
        return;
    }
    deleteFileCallback(1, QString::fromUtf8("已成功删除该安装包"));
}

void DialogPage::selectInstallPath(const ActionEnvelope &envelope)
{
    const QString directory = directorychooser::chooseInstallDirectory();
    if (directory.isEmpty())
        return;
    QApi *api = QApi::instance();
    auto remember = [&] {
        api->setSystemConfValue(QStringLiteral("userSelectInstallPath"),
                                systemconf::encodeInstallPath(directory));
        runPageScript(QStringLiteral("setUserSelect(") + jscall::doubleQuoted(directory) + QLatin1Char(')'));
    };
    if (!envelope.hasText("startcmd")) {
        remember();
        return;
    }
    QString startcmd = envelope.text("startcmd");
    startcmd.replace(QLatin1String("APP_PATH"), directory);
    if (!QFileInfo(startcmd).isFile()) {
        runPageScript(QStringLiteral("layer.msg(") + jscall::singleQuoted(tr("pathNoGame")) +
                      QStringLiteral(",{icon:2})"));
        return;
    }
    remember();
    const QMap<QString, QString> version = api->readVersionData(directory);
    emit manageThreadCrateHasInstallTask(
        envelope.text("productId"), envelope.text("productName"), envelope.text("url"),
        envelope.text("startcmd"), envelope.text("installcmd"), envelope.text("logo"),
        envelope.text("platform"), envelope.text("package"), version.value(QStringLiteral("versionNo")),
        version.value(QStringLiteral("versionName")), directory);
}

void DialogPage::updateLocalProductStatus(QString str, bool updateMyGames)
{
    runPageScript(
        jscall::call(QStringLiteral("updateLocalProductStatus"), {str, jscall::flag(updateMyGames)}));
}

void DialogPage::changeDownload_status(QString action, QString product, int downStatus, QString tips,
                                       QString rate, QString runRate, bool showDisable, QString sizeRate)
{
    runPageScript(jscall::call(QStringLiteral("changeDownLoadStatus"),
                               {action, product, tips, QString::number(downStatus), rate,
                                jscall::flag(showDisable), runRate, sizeRate}));
}

void DialogPage::changeDownload_error(QString product, QString error)
{
    runPageScript(jscall::call(QStringLiteral("changeDownload_error"), {product, error}));
}

void DialogPage::requestDeleteDownLoadTask(QString id)
{
    runPageScript(jscall::call(QStringLiteral("deleteDownTask"), {id}));
}

void DialogPage::deleteFileCallback(int status, QString tips)
{
    runPageScript(QStringLiteral("deleteFileCallback(") + QString::number(status) + QLatin1Char(',') +
                  jscall::singleQuoted(tips) + QLatin1Char(')'));
}

void DialogPage::updateSystemConf()
{
    runPageScript(jscall::call(QStringLiteral("setSystemConf"), {QApi::instance()->systemConfForPage()}));
}
