// A launcher process killed with SIGKILL in the middle of a download leaves its task at status 1 with a
// partial package; the next run continues that file with a Range request and ends with the same bytes.
#include "DemoService.h"

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "store/TaskManager.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

class TestPipelineResumeAfterKill : public QObject
{
    Q_OBJECT

private:
    DemoService demo;

private slots:
    void initTestCase()
    {
        QString why;
        QVERIFY2(demo.start(4 * 1024 * 1024, &why), qPrintable(why));
    }

    void resumesThePartialPackageOfAKilledProcess()
    {
        const QString file = QStringLiteral("games/dragon-realm-2.3.0.zip");
        const qint64 total = QFileInfo(demo.filePath(file)).size();
        QVERIFY(total > 3 * 1024 * 1024);
        QTemporaryDir dir;
        QFile config(dir.filePath(QStringLiteral("config")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("{\"apiHost\":\"http://127.0.0.1:1\",\"useHidiffz\":\"1\"}");
        config.close();
        const QStringList args = {dir.path(), QStringLiteral("1002"), demo.url(file)};

        QVERIFY(demo.control({{QStringLiteral("throttle"), 1000000}}));
        QProcess first;
        first.start(QStringLiteral(LAUNCHER_DOWNLOAD_HELPER), args);
        QVERIFY(first.waitForStarted(10000));
        qint64 partial = 0;
        QByteArray out;
        for (int i = 0; i < 300 && partial < 1000000; ++i) {
            first.waitForReadyRead(100);
            out += first.readAllStandardOutput();
            const int at = out.lastIndexOf("PROGRESS ");
            if (at >= 0)
                partial = out.mid(at + 9, out.indexOf('\n', at) - at - 9).toLongLong();
        }
        QVERIFY2(partial >= 1000000, out.constData());
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        QString savePath;
        {
            platform::setApplicationDir(dir.path());
            TaskManager store;
            const tasks::TaskRecord task = store.getTask(QStringLiteral("1002"));
            QCOMPARE(task.value(QStringLiteral("nowStatus")), QStringLiteral("1"));
            QCOMPARE(task.value(QStringLiteral("totalSize")), QString::number(total));
            savePath = task.value(QStringLiteral("savePath"));
            platform::setApplicationDir(QString());
        }
        const qint64 onDisk = QFileInfo(savePath).size();
        QVERIFY(onDisk >= partial && onDisk < total);

        QVERIFY(demo.control({{QStringLiteral("throttle"), 0}}));
        QProcess second;
        second.start(QStringLiteral(LAUNCHER_DOWNLOAD_HELPER), args);
        QVERIFY(second.waitForFinished(60000));
        QVERIFY2(second.readAllStandardOutput().contains("INSTALLED"),
                 second.readAllStandardError().constData());
        QCOMPARE(second.exitCode(), 0);

        bool resumed = false;
        for (const QJsonValue &request : demo.requests()) {
            const QJsonObject entry = request.toObject();
            if (entry.value(QStringLiteral("range")).toString() ==
                QStringLiteral("bytes=%1-%2").arg(onDisk).arg(total)) {
                resumed = true;
                QCOMPARE(entry.value(QStringLiteral("status")).toInt(), 206);
                QCOMPARE(qint64(entry.value(QStringLiteral("sent")).toDouble()), total - onDisk);
            }
        }
        QVERIFY(resumed);
        QCOMPARE(DemoService::md5(savePath), DemoService::md5(demo.filePath(file)));
        QVERIFY(
            QFileInfo::exists(dir.filePath(QStringLiteral("Data/download/games/1002/install/bin/game.exe"))));
    }
};

QTEST_GUILESS_MAIN(TestPipelineResumeAfterKill)
#include "test_pipeline_resume_after_kill.moc"
