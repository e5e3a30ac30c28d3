#include "platform/ApplicationDir.h"
#include "platform/Autostart.h"
#include "platform/UpdaterHandoff.h"
#include "platform/WindowEdges.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Qt::Edges)

// The OS pieces of the frameless windows and of start-up that need no display.
class TestPlatformWindow : public QObject
{
    Q_OBJECT

private slots:
    void resizeEdges_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<Qt::Edges>("edges");

        const bool both = true;
        QTest::newRow("centre is client area") << QPoint(400, 300) << both << both << Qt::Edges();
        QTest::newRow("left band") << QPoint(0, 300) << both << both << Qt::Edges(Qt::LeftEdge);
        QTest::newRow("just past the left band") << QPoint(5, 300) << both << both << Qt::Edges();
        QTest::newRow("right band") << QPoint(795, 300) << both << both << Qt::Edges(Qt::RightEdge);
        QTest::newRow("just before the right band") << QPoint(794, 300) << both << both << Qt::Edges();
        QTest::newRow("top band") << QPoint(400, 4) << both << both << Qt::Edges(Qt::TopEdge);
        QTest::newRow("bottom band") << QPoint(400, 599) << both << both << Qt::Edges(Qt::BottomEdge);
        QTest::newRow("bottom-right corner square")
            << QPoint(796, 596) << both << both << (Qt::BottomEdge | Qt::RightEdge);
        QTest::newRow("right band just above the corner")
            << QPoint(796, 594) << both << both << Qt::Edges(Qt::RightEdge);
        QTest::newRow("top-left corner") << QPoint(1, 1) << both << both << (Qt::TopEdge | Qt::LeftEdge);
        QTest::newRow("fixed size never resizes") << QPoint(0, 0) << false << false << Qt::Edges();
        QTest::newRow("fixed width keeps the bottom edge")
            << QPoint(799, 599) << false << true << Qt::Edges(Qt::BottomEdge);
        QTest::newRow("fixed height keeps the left edge")
            << QPoint(2, 599) << true << false << Qt::Edges(Qt::LeftEdge);
        QTest::newRow("outside the window") << QPoint(-1, 300) << both << both << Qt::Edges();
    }

    void resizeEdges()
    {
        QFETCH(QPoint, pos);
        QFETCH(bool, horizontal);
        QFETCH(bool, vertical);
        QFETCH(Qt::Edges, edges);
        QCOMPARE(platform::resizeEdgesAt(pos, QSize(800, 600), 5, horizontal, vertical), edges);
    }

    void autostartEntryIsWrittenAndRemoved_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("execLine");
        QTest::newRow("plain path") << "morvupcbox"
                                    << "/opt/box/morvupcbox"
                                    << "Exec=\"/opt/box/morvupcbox\"";
        QTest::newRow("blank and percent") << "box"
                                           << "/opt/my box/100%"
                                           << "Exec=\"/opt/my box/100%%\"";
        QTest::newRow("quote and dollar are escaped") << "box"
                                                      << "/opt/a\"b$c"
                                                      << "Exec=\"/opt/a\\\\\"b\\\\$c\"";
        QTest::newRow("slash in the name stays in the directory") << "../evil"
                                                                  << "/bin/x"
                                                                  << "Exec=\"/bin/x\"";
    }

    void autostartEntryIsWrittenAndRemoved()
    {
        QFETCH(QString, name);
        QFETCH(QString, program);
        QFETCH(QString, execLine);
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));

        const QString path = platform::autostartEntryPath(name);
        QVERIFY2(path.startsWith(home.path() + QStringLiteral("/autostart/")), qPrintable(path));
        QVERIFY(!platform::isAutostartEnabled(name));

        QVERIFY(platform::setAutostart(name, program, true));
        QVERIFY(platform::isAutostartEnabled(name));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QVERIFY(lines.contains(QStringLiteral("[Desktop Entry]")));
        QVERIFY(lines.contains(QStringLiteral("Type=Application")));
        QVERIFY2(lines.contains(execLine), qPrintable(lines.join(QLatin1Char('|'))));
        file.close();

        // Writing twice keeps one entry; removing twice is fine.
        QVERIFY(platform::setAutostart(name, program, true));
        QCOMPARE(
            QDir(home.path() + QStringLiteral("/autostart")).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(platform::setAutostart(name, program, false));
        QVERIFY(!QFile::exists(path));
        QVERIFY(platform::setAutostart(name, program, false));
        qunsetenv("XDG_CONFIG_HOME");
    }

    void updaterFilesFollowTheDirectories()
    {
        QTemporaryDir app;
        platform::setApplicationDir(app.path());
        QCOMPARE(platform::waitingLauncherPath(), app.path() + QStringLiteral("/Data/update/launcher"));
        QCOMPARE(platform::updaterProgramPath(), QDir::currentPath() + QStringLiteral("/morvupcbox_updater"));
        platform::setApplicationDir(QString());
    }
};

QTEST_GUILESS_MAIN(TestPlatformWindow)
#include "test_platform_window.moc"
