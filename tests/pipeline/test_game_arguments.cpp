#include "core/QApi.h"
#include "tasks/GameCommandLine.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

typedef QMap<QString, QString> Login;

class TestGameArguments : public QObject
{
    Q_OBJECT

private slots:
    void arguments_data()
    {
        QTest::addColumn<Login>("login");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("no saved login") << Login() << QStringList();
        QTest::newRow("uid without token") << Login{{"uid", "42"}, {"token", ""}} << QStringList();
        QTest::newRow("token without uid") << Login{{"uid", ""}, {"token", "abc"}} << QStringList();
        QTest::newRow("uid and token") << Login{{"uid", "42"}, {"token", "a b&c"}}
                                       << QStringList{"authToken=a b&c", "uid=42", "username="};
    }

    void arguments()
    {
        QFETCH(Login, login);
        QFETCH(QStringList, extra);
        QTemporaryDir dir;
        QFile config(dir.filePath(QStringLiteral("config")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("{\"apiHost\":\"http://x\",\"productCode\":\"p1\",\"lang\":\"th\",\"oversea\":\"1\"}");
        config.close();
        QFile channel(dir.filePath(QStringLiteral("channel_id.txt")));
        QVERIFY(channel.open(QIODevice::WriteOnly));
        channel.write("ch 7");
        channel.close();
        QApi api(dir.path());

        const QStringList expected =
            QStringList{"channelCode=ch 7", "lang=th", "oversea=1", "productCode=p1"} + extra;
        QCOMPARE(tasks::gameArguments(api, login), expected);
    }
};

QTEST_GUILESS_MAIN(TestGameArguments)
#include "test_game_arguments.moc"
