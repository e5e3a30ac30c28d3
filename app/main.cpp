#include "Resources/ResourceInit.h"
#include "bridge/JavascriptCallback.h"
#include "core/Logging.h"
#include "core/QApi.h"
#include "credentials/SavedLogin.h"
#include "platform/ApplicationDir.h"
#include "platform/UpdaterHandoff.h"
#include "platform/gui/SingleInstance.h"
#include "ui/MorvuSDKKFWinApp.h"
#include "ui/NativeMessage.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QIcon>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

// The translation beside the configuration, or else the one shipped beside the executable.
bool loadTranslation(QTranslator &translator, const QString &lang)
{
    const QString name = QStringLiteral("/Translation_") + lang + QStringLiteral(".qm");
    for (const QString &dir : {platform::applicationDir(), QCoreApplication::applicationDirPath()}) {
        if (translator.load(dir + name, QString(), QString(), QString()))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, false);

    // The storefront needs web security off; the application object keeps using this vector.
    static char disableWebSecurity[] = "--disable-web-security";
    std::vector<char *> arguments(argv, argv + argc);
    arguments.push_back(disableWebSecurity);
    arguments.push_back(nullptr);
    int argumentCount = argc + 1;
    QApplication app(argumentCount, arguments.data());
    resources::init();

    QTranslator translator;
    QApi *api = QApi::instance();

    if (api->apiHost().isEmpty()) {
        nativemessage::critical(QString(), QString::fromUtf8("应用程序文件缺失，请重新安装游戏"));
        return 0;
    }

    if (loadTranslation(translator, api->lang))
        QCoreApplication::installTranslator(&translator);

    // One copy per product: a second one brings the first to the front and ends.
    std::unique_ptr<platform::SingleInstance> guard;
    if (api->single == QLatin1String("1")) {
        guard =
            std::make_unique<platform::SingleInstance>(QStringLiteral("morvupclaucher") + api->productCode);
        if (!guard->tryAcquire()) {
            guard->activateRunningCopy();
            return -1;
        }
    }

    QApplication::setWindowIcon(QIcon(QStringLiteral("icon.ico")));
    installLogHandler();

    // A launcher build downloaded by the self-update waits: the updater installs it.
    if (QFileInfo::exists(platform::waitingLauncherPath())) {
        const QString updater = platform::updaterProgramPath();
        if (QFileInfo::exists(updater)) {
            qDebug() << "hand over to the updater" << updater;
            if (platform::startUpdater(updater))
                return -1;
        }
    }

    const QMap<QString, QString> login = readSavedLogin();
    JavascriptCallback::setLoginOpener(&MorvuSDKKFWinApp::openForEmbeddedLogin);

    auto *window = new MorvuSDKKFWinApp;
    if (guard)
        QObject::connect(guard.get(), &platform::SingleInstance::activationRequested, window,
                         &MorvuSDKKFWinApp::activateFromSecondCopy);
    const QString uid = login.value(QStringLiteral("uid"));
    const QString token = login.value(QStringLiteral("token"));
    if (!uid.isEmpty() && !token.isEmpty())
        window->loadMainPage(uid, token);
    else
        window->loadMainPage(QString(), QString());
    window->show();
    const int result = QApplication::exec();
    delete window;
    return result;
}
