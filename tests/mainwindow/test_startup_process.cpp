// The launcher program as a whole: refusing a broken installation, one copy per product, a guard that
// a killed copy does not leave behind, the updater hand-off and the saved login at the next start.
#include "MainWindowTestSupport.h"

#include "core/QApi.h"
#include "credentials/SavedLogin.h"

#include <QDir>
#include <QDirIterator>

#include <csignal>

using namespace mwtest;

namespace {

const QString launcherProgram = QStringLiteral(LAUNCHER_BINARY_DIR "/app/morvupcbox");

// One run of the launcher in its own application directory.
class LauncherRun
{
public:
    explicit LauncherRun(const QString &appDir, const QString &workDir = QString()) : m_appDir(appDir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LAUNCHER_APP_DIR"), appDir);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), appDir + QStringLiteral("/home-cache"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), appDir + QStringLiteral("/home-config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), appDir + QStringLiteral("/home-data"));
        env.insert(QStringLiteral("LAUNCHER_TEST_ACCEPT_MESSAGES_MS"), QStringLiteral("500"));
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(workDir.isEmpty() ? appDir : workDir);
    }

    ~LauncherRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(10000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    void start() { m_process.start(launcherProgram, QStringList()); }
    QProcess &process() { return m_process; }

    // Every log line the launcher wrote so far.
    QString log() const
    {
        QString text;
        QDirIterator it(m_appDir + QStringLiteral("/Data/logs"), {QStringLiteral("*.log")}, QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

    bool waitForLog(const QString &needle, int timeoutMs = 30000)
    {
        return QTest::qWaitFor(
                   [&] { return log().contains(needle) || m_process.state() == QProcess::NotRunning; },
                   timeoutMs) &&
               log().contains(needle);
    }

    // The exit code as the process reported it (-1 arrives as 255).
    int finish(int timeoutMs = 30000)
    {
        if (!m_process.waitForFinished(timeoutMs))
            return -1000;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -2000;
    }

private:
    const QString m_appDir;
    QProcess m_process;
};

} // namespace

class TestStartupProcess : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_root;
    int m_count = 0;

    // A fresh application directory with a configuration.
    QString newAppDir(const QString &extraJson, bool withApiHost = true)
    {
        const QString dir = m_root.filePath(QStringLiteral("app%1").arg(++m_count));
        QDir().mkpath(dir);
        if (withApiHost) {
            writeConfig(dir, m_service.apiHost(), extraJson);
        } else {
            QFile file(dir + QStringLiteral("/config"));
            file.open(QIODevice::WriteOnly);
            file.write("{\"appName\": \"Broken\"}");
        }
        return dir;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(launcherProgram).isExecutable(), qPrintable(launcherProgram));
        QVERIFY(m_root.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(m_service.control("{\"reset\": true}"));
    }

    void brokenInstallationEndsWithZero()
    {
        const QString dir = newAppDir(QString(), false);
        LauncherRun run(dir);
        run.start();
        QCOMPARE(run.finish(), 0);
        const QString output = QString::fromUtf8(run.process().readAllStandardError());
        QVERIFY2(output.contains(QString::fromUtf8("应用程序文件缺失，请重新安装游戏")), qPrintable(output));
        // Nothing was started: no log, no data.
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/Data")));
    }

    // A second copy asks the first to come to the front and ends with -1; with "single" off both run.
    void secondCopy_data()
    {
        QTest::addColumn<QString>("single");
        QTest::addColumn<bool>("secondEnds");
        QTest::newRow("single instance") << "1" << true;
        QTest::newRow("several copies allowed") << "0" << false;
    }

    void secondCopy()
    {
        QFETCH(QString, single);
        QFETCH(bool, secondEnds);
        const QString code = QStringLiteral("pc-second-") + single;
        const QString extra = QStringLiteral("\"single\": \"") + single +
                              QStringLiteral("\", \"productCode\": \"") + code + QStringLiteral("\"");
        LauncherRun first(newAppDir(extra));
        first.start();
        QVERIFY2(first.waitForLog(QStringLiteral("\"hideWait\"")), qPrintable(first.log()));

        LauncherRun second(newAppDir(extra));
        second.start();
        if (secondEnds) {
            QCOMPARE(second.finish(), 255);
            QVERIFY2(first.waitForLog(QStringLiteral("activated by a second copy"), 10000),
                     qPrintable(first.log()));
            QVERIFY(!second.log().contains(QStringLiteral("url")));
        } else {
            QVERIFY2(second.waitForLog(QStringLiteral("\"hideWait\"")), qPrintable(second.log()));
            QCOMPARE(second.process().state(), QProcess::Running);
        }
        QCOMPARE(first.process().state(), QProcess::Running);
    }

    // Another product code is another key: both copies run.
    void otherProductDoesNotBlock()
    {
        LauncherRun first(newAppDir(QStringLiteral("\"single\": \"1\", \"productCode\": \"pc-a\"")));
        first.start();
        QVERIFY(first.waitForLog(QStringLiteral("manageThread has run")));
        LauncherRun second(newAppDir(QStringLiteral("\"single\": \"1\", \"productCode\": \"pc-b\"")));
        second.start();
        QVERIFY2(second.waitForLog(QStringLiteral("manageThread has run")), qPrintable(second.log()));
        QCOMPARE(second.process().state(), QProcess::Running);
    }

    // A first copy killed outright leaves nothing that stops the next start.
    void guardFreedAfterSigkill()
    {
        const QString extra = QStringLiteral("\"single\": \"1\", \"productCode\": \"pc-killed\"");
        LauncherRun first(newAppDir(extra));
        first.start();
        QVERIFY(first.waitForLog(QStringLiteral("manageThread has run")));
        ::kill(static_cast<pid_t>(first.process().processId()), SIGKILL);
        QVERIFY(first.process().waitForFinished(10000));
        QCOMPARE(first.process().exitStatus(), QProcess::CrashExit);

        LauncherRun next(newAppDir(extra));
        next.start();
        QVERIFY2(next.waitForLog(QStringLiteral("manageThread has run")), qPrintable(next.log()));
        QTest::qWait(1000);
        QCOMPARE(next.process().state(), QProcess::Running);

        // And the new first copy guards again.
        LauncherRun third(newAppDir(extra));
        third.start();
        QCOMPARE(third.finish(), 255);
    }

    // A downloaded launcher build waiting for the updater: the updater is started and the launcher ends.
    void updaterHandOff_data()
    {
        QTest::addColumn<bool>("updaterPresent");
        QTest::newRow("updater present") << true;
        QTest::newRow("updater missing") << false;
    }

    void updaterHandOff()
    {
        QFETCH(bool, updaterPresent);
        const QString dir = newAppDir(QString());
        QDir().mkpath(dir + QStringLiteral("/Data/update"));
        QFile waiting(dir + QStringLiteral("/Data/update/launcher"));
        QVERIFY(waiting.open(QIODevice::WriteOnly));
        waiting.write("new build");
        waiting.close();
        const QString work = dir + QStringLiteral("/work");
        QDir().mkpath(work);
        const QString marker = work + QStringLiteral("/updater-ran");
        if (updaterPresent) {
            QFile updater(work + QStringLiteral("/morvupcbox_updater"));
            QVERIFY(updater.open(QIODevice::WriteOnly));
            updater.write("#!/bin/sh\necho \"$#\" > \"$(dirname \"$0\")/updater-ran\"\n");
            updater.close();
            updater.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }

        LauncherRun run(dir, work);
        run.start();
        if (updaterPresent) {
            QCOMPARE(run.finish(), 255);
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(marker), 10000);
            QFile ran(marker);
            QVERIFY(ran.open(QIODevice::ReadOnly));
            QCOMPARE(ran.readAll().trimmed(), QByteArray("0")); // no arguments
            QVERIFY(!run.log().contains(QStringLiteral("url")));
            QVERIFY(QFileInfo::exists(dir + QStringLiteral("/Data/update/launcher")));
        } else {
            QVERIFY2(run.waitForLog(QStringLiteral("\"hideWait\"")), qPrintable(run.log()));
            QCOMPARE(run.process().state(), QProcess::Running);
        }
    }

    // The texts come from the translation shipped beside the program, in the configured language.
    void translatedTexts_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << "us"
                                 << "loadRate \"Loading pictures\"";
        QTest::newRow("Chinese") << "zh" << QString::fromUtf8("loadRate \"正在加载图片\"");
    }

    void translatedTexts()
    {
        QFETCH(QString, lang);
        QFETCH(QString, text);
        LauncherRun run(newAppDir(QStringLiteral("\"lang\": \"") + lang + QStringLiteral("\"")));
        run.start();
        QVERIFY2(run.waitForLog(QStringLiteral("storefront revealed")), qPrintable(run.log()));
        QVERIFY2(run.log().contains(text), qPrintable(run.log()));
    }

    // A saved login is applied at the next start: its token goes into the storefront address.
    void savedLoginAppliedAtStart_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("inAddress");
        QTest::newRow("signed in") << "10001"
                                   << "demotoken10001"
                                   << "&authToken=demotoken10001&";
        QTest::newRow("uid without token starts anonymously") << "10001"
                                                              << ""
                                                              << "&authToken=&";
    }

    void savedLoginAppliedAtStart()
    {
        QFETCH(QString, uid);
        QFETCH(QString, token);
        QFETCH(QString, inAddress);
        const QString dir = newAppDir(QString());
        // Write the login the way the launcher does, for the same product and cache location.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir + QStringLiteral("/home-cache")));
        platform::setApplicationDir(dir);
        const QString testName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QFileInfo(launcherProgram).fileName()); // its cache location
        writeSavedLogin(uid, token);
        const bool written = QFileInfo::exists(savedLoginPath());
        QCoreApplication::setApplicationName(testName);
        QVERIFY(written);

        LauncherRun run(dir);
        run.start();
        QVERIFY2(run.waitForLog(QStringLiteral("\"hideWait\"")), qPrintable(run.log()));
        const QString log = run.log();
        const int at = log.indexOf(QStringLiteral("==>url "));
        QVERIFY(at >= 0);
        const QString line = log.mid(at, log.indexOf(QLatin1Char('\n'), at) - at);
        QVERIFY2(line.contains(inAddress), qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "test_startup_process.moc"
