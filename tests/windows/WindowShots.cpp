// Screenshots of the H5 game window (a wide game and a phone game), the About window and the tray menu,
// against the local operator service, with the English texts: window_shots <output directory>. Prints
// the files it wrote.
#include "../mainwindow/MainWindowTestSupport.h"

#include "Resources/ResourceInit.h"
#include "ui/AboutMe.h"
#include "ui/CWebPage.h"
#include "ui/MorvuSDKKFWinApp.h"
#include "ui/PlayGame.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTranslator>

#include <cstdio>

namespace {

int failures = 0;

void save(QWidget *widget, const QString &dir, const QString &name)
{
    QTest::qWait(1500); // let pages, images and fades settle
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (widget->grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "window_shots: cannot write %s\n", qPrintable(path));
        ++failures;
    }
}

void showGame(PlayGame &game, const QString &apiHost, const QString &path, const QString &productId,
              const QString &name, const QSize &size)
{
    game.loadGameUrl(apiHost + path);
    game.setGameInfo(QStringLiteral("10001"), QStringLiteral("demo"), QStringLiteral("Demo"),
                     apiHost + QStringLiteral("/static/avatar/10001.png"),
                     apiHost + QStringLiteral("/static/logo/") + productId + QStringLiteral(".png"),
                     productId, name, QStringLiteral("demo"), QStringLiteral("demotoken10001"), QString());
    game.resize(size);
    game.centerOnScreen();
    game.fadeIn();
    mwtest::waitForJs(game.webView()->page(),
                      QStringLiteral("window.h5Context && window.h5Context.authToken"));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_shots <output directory>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    resources::init();
    // The English texts, as a user with "lang": "us" sees them.
    QTranslator translator;
    if (translator.load(QStringLiteral(LAUNCHER_BINARY_DIR "/app/Translation_us.qm")))
        QCoreApplication::installTranslator(&translator);

    QTemporaryDir appDir;
    mwtest::DemoService service;
    if (!appDir.isValid() || !service.start()) {
        std::fprintf(stderr, "window_shots: the demo service did not start\n");
        return 1;
    }
    mwtest::writeConfig(appDir.path(), service.apiHost(),
                        QStringLiteral("\"appName\": \"Morvu Game Box\", \"productCode\": \"demo\""));
    mwtest::useApplicationDir(appDir.path());

    {
        PlayGame game;
        showGame(game, service.apiHost(), QStringLiteral("/h5/starcatcher/index.html"),
                 QStringLiteral("1005"), QString::fromUtf8("星光捕手"), QSize(1133, 700));
        save(&game, out, QStringLiteral("game-window"));
        game.findChild<QPushButton *>(QStringLiteral("soundSwitch"))->click();
        save(&game, out, QStringLiteral("game-window-muted"));
    }
    {
        PlayGame game;
        showGame(game, service.apiHost(), QStringLiteral("/gameCenter/play/1006"), QStringLiteral("1006"),
                 QString::fromUtf8("方块叠叠乐"), QSize(600, 860));
        save(&game, out, QStringLiteral("game-window-phone"));
    }
    {
        AboutMe about;
        about.setUserContext(QStringLiteral("10001"), QStringLiteral("demo"), QString());
        about.centerOnScreen();
        about.fadeIn(200);
        save(&about, out, QStringLiteral("about"));
        about.checkVersion();
        save(&about, out, QStringLiteral("about-checked"));
    }
    {
        // The main window's tray menu, made at the storefront's first reveal.
        MorvuSDKKFWinApp window;
        window.JS_mainPageLoadSuccess(QString());
        auto *tray = window.findChild<QSystemTrayIcon *>();
        QMenu *menu = tray ? tray->contextMenu() : nullptr;
        if (menu) {
            menu->popup(QPoint(200, 200));
            save(menu, out, QStringLiteral("tray-menu"));
            menu->hide();
        } else {
            std::fprintf(stderr, "window_shots: no tray menu\n");
            ++failures;
        }
        window.hide();
    }
    return failures == 0 ? 0 : 1;
}
