#include "core/Logging.h"
#include "core/QApi.h"
#include "platform/ApplicationDir.h"

#include <QApplication>
#include <QMessageBox>
#include <QTranslator>
#include <QUrl>
#include <QWebEngineView>

#include <vector>

namespace {

// The storefront address with the query the page expects; values go in as they are.
QString storefrontAddress(const QApi &api)
{
    return api.gameLaucherUrl() + QStringLiteral("?productCode=") + api.productCode +
           QStringLiteral("&versionNo=") + QString::number(api.versionCode()) +
           QStringLiteral("&authToken=") + QStringLiteral("&channelCode=") + api.channelCode +
           QStringLiteral("&lang=") + api.lang + QStringLiteral("&theme=") + api.theme;
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

    QTranslator translator;
    QApi *api = QApi::instance();

    if (api->apiHost().isEmpty()) {
        QMessageBox box(QMessageBox::Critical, QString(), QStringLiteral("应用程序文件缺失，请重新安装游戏"),
                        QMessageBox::Ok);
        box.exec();
        return 0;
    }

    if (translator.load(platform::applicationDir() + QStringLiteral("/Translation_") + api->lang +
                            QStringLiteral(".qm"),
                        QString(), QString(), QString()))
        QCoreApplication::installTranslator(&translator);

    installLogHandler();

    // Until the main window exists: the storefront in a plain web view.
    QWebEngineView view;
    view.setWindowTitle(api->appName);
    view.resize(1280, 730);
    view.load(QUrl(storefrontAddress(*api)));
    qDebug() << "url" << storefrontAddress(*api);
    view.show();
    return app.exec();
}
