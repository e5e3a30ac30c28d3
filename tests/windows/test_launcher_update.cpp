// The launcher's self-update against the local operator service: the storefront's "updateMainexe"
// reaches the main window, the build is fetched and checked, and the next start hands over to the
// updater.
#include "WindowsTestSupport.h"

#include "Resources/ResourceInit.h"
#include "platform/UpdaterHandoff.h"
#include "tasks/FileHelpers.h"
#include "ui/LauncherUpdate.h"
#include "ui/MorvuSDKKFWinApp.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

using namespace mwtest;
using namespace wintest;

class TestLauncherUpdate : public QObject
{
    Q_OBJECT

    DemoService m_service;
    QTemporaryDir m_dir;
    std::unique_ptr<MorvuSDKKFWinApp> m_window;
    QString m_url;
    QString m_md5;
    QString m_buildFile;

    static QString updateDir() { return QFileInfo(platform::waitingLauncherPath()).absolutePath(); }

    static QStringList updateDirEntries()
    {
        return QDir(updateDir())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    static QString md5Of(const QString &path) { return tasks::fileMd5Hex(path).toLower(); }

    // Sends "updateMainexe" as the storefront does; the download helper exists afterwards.
    LauncherUpdate *requestUpdate(const QString &url, const QString &md5)
    {
        m_window->JS_mainPageEvent(
            QStringLiteral("updateMainexe"),
            envelope(QStringLiteral("updateMainexe"), QStringLiteral("{\"url\":\"") + url +
                                                          QStringLiteral("\",\"md5\":\"") + md5 +
                                                          QStringLiteral("\"}")));
        return m_window->findChild<LauncherUpdate *>();
    }

    LauncherUpdate *helper() const { return m_window->findChild<LauncherUpdate *>(); }

    void placeBuild(const QByteArray &content)
    {
        QDir().mkpath(updateDir());
        QFile file(platform::waitingLauncherPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), qint64(content.size()));
    }

    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        resources::init();
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_service.start(), "the demo service did not start");
        QVERIFY(writeConfig(m_dir.path(), m_service.apiHost()));
        useApplicationDir(m_dir.path());

        const QJsonObject launcher = getJson(m_service.apiHost() + QStringLiteral("/api/catalogue"))
                                         .value(QStringLiteral("launcher"))
                                         .toObject();
        m_url = launcher.value(QStringLiteral("url")).toString();
        m_md5 = launcher.value(QStringLiteral("md5")).toString().toLower();
        // The service serves "/download/<name>" from "files/<name>" of its data directory.
        m_buildFile = QStringLiteral(LAUNCHER_BINARY_DIR "/demo-data/files/") +
                      QUrl(m_url).path().section(QLatin1Char('/'), 2);
        QVERIFY(!m_url.isEmpty());
        QCOMPARE(m_md5.size(), 32);
        QCOMPARE(md5Of(m_buildFile), m_md5);

        m_window = std::make_unique<MorvuSDKKFWinApp>();
    }

    void cleanupTestCase()
    {
        m_window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::setApplicationDir(QString());
    }

    void init()
    {
        QVERIFY(m_service.control("{\"reset\": true}"));
        tasks::removeDirRecursively(updateDir());
        QVERIFY(!QFileInfo::exists(updateDir()));
    }

    // A download ends with the checked build in place, or with no file at all and one log line.
    void downloadOutcome_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("md5");
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<bool>("staleBuild");
        QTest::addColumn<bool>("ready");
        const QString ownMd5 = QStringLiteral("own");
        QTest::newRow("matching MD5") << QString() << ownMd5 << QByteArray() << false << true;
        QTest::newRow("MD5 in upper case")
            << QString() << QStringLiteral("OWN") << QByteArray() << false << true;
        QTest::newRow("replaces another waiting build")
            << QString() << ownMd5 << QByteArray() << true << true;
        QTest::newRow("other MD5") << QString() << QStringLiteral("0123456789abcdef0123456789abcdef")
                                   << QByteArray() << false << false;
        QTest::newRow("other MD5 after another waiting build")
            << QString() << QStringLiteral("0123456789abcdef0123456789abcdef") << QByteArray() << true
            << false;
        QTest::newRow("server error")
            << QString() << ownMd5 << QByteArray("{\"status\": 500}") << false << false;
        QTest::newRow("connection dropped halfway")
            << QString() << ownMd5 << QByteArray("{\"dropAfter\": 1000000}") << false << false;
        QTest::newRow("missing build")
            << QStringLiteral("/download/launcher/none.exe") << ownMd5 << QByteArray() << true << false;
    }

    void downloadOutcome()
    {
        QFETCH(QString, path);
        QFETCH(QString, md5);
        QFETCH(QByteArray, fault);
        QFETCH(bool, staleBuild);
        QFETCH(bool, ready);
        if (md5 == QLatin1String("own"))
            md5 = m_md5;
        else if (md5 == QLatin1String("OWN"))
            md5 = m_md5.toUpper();
        const QString url = path.isEmpty() ? m_url : m_service.apiHost() + path;
        if (!fault.isEmpty())
            QVERIFY(m_service.control(fault));
        if (staleBuild)
            placeBuild("an older build\n");

        LogRecorder failures(QtWarningMsg, QStringLiteral("launcher update"));
        std::unique_ptr<QSignalSpy> finished;
        if (helper())
            finished = std::make_unique<QSignalSpy>(helper(), &LauncherUpdate::finished);
        LauncherUpdate *update = requestUpdate(url, md5);
        QVERIFY(update);
        if (!finished) {
            // The first request made the helper; it is running now and reports to a new spy.
            QVERIFY(update->isRunning());
            finished = std::make_unique<QSignalSpy>(update, &LauncherUpdate::finished);
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished->count(), 1, 30000);
        QCOMPARE(finished->at(0).at(0).toBool(), ready);
        QVERIFY(!update->isRunning());

        if (ready) {
            QCOMPARE(updateDirEntries(), QStringList{QFileInfo(platform::waitingLauncherPath()).fileName()});
            QCOMPARE(md5Of(platform::waitingLauncherPath()), m_md5);
            QVERIFY(QFileInfo(platform::waitingLauncherPath()).isExecutable());
            QVERIFY(failures.lines().isEmpty());
        } else {
            QCOMPARE(updateDirEntries(), QStringList());
            QCOMPARE(failures.lines().size(), 1);
        }
    }

    // The build already waiting is not fetched again, whichever case the page writes its MD5 in.
    void presentBuildIsKept_data()
    {
        QTest::addColumn<bool>("upperCase");
        QTest::newRow("lower case") << false;
        QTest::newRow("upper case") << true;
    }

    void presentBuildIsKept()
    {
        QFETCH(bool, upperCase);
        placeBuild(contentOf(m_buildFile));
        const QDateTime written = QFileInfo(platform::waitingLauncherPath()).lastModified();
        QTest::qWait(20);
        LauncherUpdate *update = requestUpdate(m_url, upperCase ? m_md5.toUpper() : m_md5);
        QVERIFY(update);
        QVERIFY(!update->isRunning());
        QTest::qWait(300);
        QVERIFY(!servedPaths(m_service.apiHost()).contains(QUrl(m_url).path()));
        QCOMPARE(QFileInfo(platform::waitingLauncherPath()).lastModified(), written);
        QCOMPARE(md5Of(platform::waitingLauncherPath()), m_md5);
    }

    // A request the launcher cannot check or should not fetch starts nothing and changes nothing.
    void unusableRequestsStartNothing_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("md5");
        QTest::newRow("no MD5") << QStringLiteral("build") << QString();
        QTest::newRow("MD5 too short") << QStringLiteral("build") << QStringLiteral("abc123");
        QTest::newRow("MD5 not hexadecimal") << QStringLiteral("build") << QStringLiteral("z").repeated(32);
        QTest::newRow("local file") << QStringLiteral("file:///etc/hostname") << QStringLiteral("own");
        QTest::newRow("no address") << QString() << QStringLiteral("own");
    }

    void unusableRequestsStartNothing()
    {
        QFETCH(QString, url);
        QFETCH(QString, md5);
        if (url == QLatin1String("build"))
            url = m_url;
        if (md5 == QLatin1String("own"))
            md5 = m_md5;
        placeBuild("an older build\n");
        LogRecorder refusals(QtWarningMsg, QStringLiteral("launcher update"));
        LauncherUpdate *update = requestUpdate(url, md5);
        QVERIFY(update);
        QVERIFY(!update->isRunning());
        QCOMPARE(refusals.lines().size(), 1);
        QCOMPARE(contentOf(platform::waitingLauncherPath()), QByteArray("an older build\n"));
        QTest::qWait(300);
        QVERIFY(servedPaths(m_service.apiHost()).isEmpty());
    }

    // A second request while a download runs aborts the first; only the second's result is kept.
    void newerRequestAbortsTheRunningOne()
    {
        QVERIFY(m_service.control("{\"throttle\": 1500000}"));
        LauncherUpdate *update = requestUpdate(m_url, m_md5);
        QVERIFY(update && update->isRunning());
        QSignalSpy finished(update, &LauncherUpdate::finished);
        // While the body arrives nothing stands where the updater looks.
        QTest::qWait(700);
        QVERIFY(update->isRunning());
        QVERIFY(!QFileInfo::exists(platform::waitingLauncherPath()));

        LogRecorder aborted(QtWarningMsg, QStringLiteral("launcher update"));
        QVERIFY(requestUpdate(m_url, m_md5) == update);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QCOMPARE(aborted.lines().size(), 1);
        QVERIFY(update->isRunning());

        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
        QCOMPARE(finished.at(1).at(0).toBool(), true);
        QCOMPARE(updateDirEntries(), QStringList{QFileInfo(platform::waitingLauncherPath()).fileName()});
        QCOMPARE(md5Of(platform::waitingLauncherPath()), m_md5);
        QCOMPARE(servedPaths(m_service.apiHost()).count(QUrl(m_url).path()), 2);
    }

#ifdef LAUNCHER_EXECUTABLE
    // After a good download the next start of the launcher starts the updater and ends with -1.
    void nextStartHandsOverToTheUpdater()
    {
        LauncherUpdate *update = requestUpdate(m_url, m_md5);
        QVERIFY(update);
        QSignalSpy finished(update, &LauncherUpdate::finished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QVERIFY(finished.at(0).at(0).toBool());

        QTemporaryDir workDir;
        QVERIFY(workDir.isValid());
        const QString marker = workDir.filePath(QStringLiteral("updater-ran"));
        QFile updater(workDir.filePath(QFileInfo(platform::updaterProgramPath()).fileName()));
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.write("#!/bin/sh\necho \"started in $PWD with $# arguments\" > updater-ran\n");
        updater.close();
        QVERIFY(updater.setPermissions(updater.permissions() | QFileDevice::ExeOwner));

        QProcess launcher;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LAUNCHER_APP_DIR"), m_dir.path());
        launcher.setProcessEnvironment(environment);
        launcher.setWorkingDirectory(workDir.path());
        launcher.start(QStringLiteral(LAUNCHER_EXECUTABLE), QStringList());
        QVERIFY(launcher.waitForFinished(60000));
        QCOMPARE(launcher.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launcher.exitCode(), 255); // -1
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() > 0, 10000);
        QCOMPARE(contentOf(marker).trimmed(), QByteArray("started in ") +
                                                  QFile::encodeName(QDir(workDir.path()).canonicalPath()) +
                                                  QByteArray(" with 0 arguments"));
        // The waiting build stays for the updater.
        QCOMPARE(md5Of(platform::waitingLauncherPath()), m_md5);
    }
#endif
};

QTEST_MAIN(TestLauncherUpdate)
#include "test_launcher_update.moc"
