#include "platform/DetachedStart.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDetachedStart : public QObject
{
    Q_OBJECT

private slots:
    void passesArgumentsWordForWordAndWorkingDirectory()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("game dir/bin")));
        const QString program = dir.filePath(QStringLiteral("game dir/bin/game.exe"));
        const QString record = dir.filePath(QStringLiteral("record.txt"));
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "#!/bin/sh\n{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \"$RECORD.tmp\"\n"
            "mv \"$RECORD.tmp\" \"$RECORD\"\n");
        file.close();
        QVERIFY(
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        qputenv("RECORD", QFile::encodeName(record));

        const QStringList args = {QStringLiteral("channelCode=default"), QStringLiteral("username="),
                                  QStringLiteral("a b\"c'd")};
        qint64 pid = 0;
        QVERIFY(platform::startDetached(program, args, QFileInfo(program).absolutePath(), &pid));
        QVERIFY(pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
        QFile written(record);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QStringList lines =
            QString::fromUtf8(written.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines,
                 QStringList({QFileInfo(program).absolutePath(), QStringLiteral("[channelCode=default]"),
                              QStringLiteral("[username=]"), QStringLiteral("[a b\"c'd]")}));
    }

    void refusesWhatCannotStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("create");
        QTest::newRow("missing file") << "missing.exe" << false;
        QTest::newRow("not executable") << "plain.exe" << true;
    }

    void refusesWhatCannotStart()
    {
        QFETCH(QString, name);
        QFETCH(bool, create);
        QTemporaryDir dir;
        const QString program = dir.filePath(name);
        if (create) {
            QFile file(program);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n");
        }
        QVERIFY(!platform::startDetached(program, {}, dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestDetachedStart)
#include "test_detached_start.moc"
