#include "devices/AdbCommandLines.h"

#include <QtTest>

class TestAdbCommandLines : public QObject
{
    Q_OBJECT

private slots:
    void listingAndInstall()
    {
        QCOMPARE(devices::listingArguments(), (QStringList{QStringLiteral("devices"), QStringLiteral("-l")}));
        // The path stays one argument, whatever it holds.
        const QString path = QStringLiteral("/tmp/my game's $(reboot) `id` \"v2\".apk");
        QCOMPARE(devices::installArguments(QStringLiteral("R5CT20ABCDE"), path),
                 (QStringList{QStringLiteral("-s"), QStringLiteral("R5CT20ABCDE"), QStringLiteral("install"),
                              QStringLiteral("-r"), path}));
    }

    void startArguments_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("activity");
        // What follows "-s SERIAL shell am start"; empty when nothing may run.
        QTest::addColumn<QStringList>("expected");

        const QStringList launcher{QStringLiteral("-a"), QStringLiteral("android.intent.action.MAIN"),
                                   QStringLiteral("-c"), QStringLiteral("android.intent.category.LAUNCHER"),
                                   QStringLiteral("com.morvu.game")};
        QTest::newRow("relative activity")
            << "com.morvu.game"
            << ".MainActivity" << QStringList{"-n", "com.morvu.game/.MainActivity"};
        QTest::newRow("qualified activity")
            << "com.morvu.game_2"
            << "com.unity3d.player.UnityPlayerActivity"
            << QStringList{"-n", "com.morvu.game_2/com.unity3d.player.UnityPlayerActivity"};
        QTest::newRow("no activity: the launcher entry") << "com.morvu.game"
                                                         << "" << launcher;

        QTest::newRow("package with a command") << "com.morvu.game;reboot"
                                                << ".Main" << QStringList{};
        QTest::newRow("package with substitution") << "com.$(reboot).game"
                                                   << "" << QStringList{};
        QTest::newRow("package with a space") << "com.morvu game"
                                              << "" << QStringList{};
        QTest::newRow("package of one part") << "morvugame"
                                             << "" << QStringList{};
        QTest::newRow("package part starting with a digit") << "com.9game"
                                                            << "" << QStringList{};
        QTest::newRow("package with an empty part") << "com..game"
                                                    << "" << QStringList{};
        QTest::newRow("empty package") << ""
                                       << ".Main" << QStringList{};
        QTest::newRow("activity with '$'") << "com.morvu.game"
                                           << ".Main$Inner" << QStringList{};
        QTest::newRow("activity with a command") << "com.morvu.game"
                                                 << ".Main && reboot" << QStringList{};
        QTest::newRow("activity with a slash") << "com.morvu.game"
                                               << "com.other/.Main" << QStringList{};
        QTest::newRow("activity ending in a dot") << "com.morvu.game"
                                                  << ".Main." << QStringList{};
        QTest::newRow("activity with a line feed") << "com.morvu.game"
                                                   << ".Main\nreboot" << QStringList{};
    }

    void startArguments()
    {
        QFETCH(QString, package);
        QFETCH(QString, activity);
        QFETCH(QStringList, expected);
        const QStringList prefix{QStringLiteral("-s"), QStringLiteral("emulator-5554"),
                                 QStringLiteral("shell"), QStringLiteral("am"), QStringLiteral("start")};
        QCOMPARE(devices::startArguments(QStringLiteral("emulator-5554"), package, activity),
                 expected.isEmpty() ? QStringList() : prefix + expected);
    }
};

QTEST_GUILESS_MAIN(TestAdbCommandLines)
#include "test_adb_command_lines.moc"
