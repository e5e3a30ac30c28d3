#pragma once

// One launcher installation in a temporary application directory: configuration, task store and a
// started task manager, with every notice it sends recorded.

#include "core/QApi.h"
#include "platform/ApplicationDir.h"
#include "platform/DiskSpace.h"
#include "store/TaskManager.h"
#include "tasks/ManageThread.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

struct Notice
{
    QString productId;
    int status = 0;
    QString tips;
    QString rate;
    QString runRate;
    bool showDisable = false;
    QString downSizeRate;
};

class PipelineFixture
{
public:
    struct Options
    {
        bool useHidiffz = true;
        QJsonObject extraConfig;
        ManageThread::Timing timing = fastTiming();
    };

    static ManageThread::Timing fastTiming()
    {
        ManageThread::Timing timing;
        timing.stallTimeoutMs = 1500;
        timing.progressIntervalMs = 100;
        timing.safetyPassMs = 1000;
        timing.archiverShutdownWaitMs = 10000;
        return timing;
    }

    PipelineFixture() : PipelineFixture(Options()) {}
    explicit PipelineFixture(const Options &options)
    {
        QVERIFY(dir.isValid());
        appDir = dir.path();
        platform::setApplicationDir(appDir);
        // The patch tool is installed beside the launcher.
        QFile::copy(QStringLiteral(LAUNCHER_HPATCHZ), appDir + QStringLiteral("/hpatchz"));
        QFile(appDir + QStringLiteral("/hpatchz"))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        QJsonObject config{{QStringLiteral("apiHost"), QStringLiteral("http://127.0.0.1:1")},
                           {QStringLiteral("productCode"), QStringLiteral("c0ffee")},
                           {QStringLiteral("lang"), QStringLiteral("zh")},
                           {QStringLiteral("oversea"), QStringLiteral("0")}};
        if (options.useHidiffz)
            config.insert(QStringLiteral("useHidiffz"), QStringLiteral("1"));
        for (auto it = options.extraConfig.begin(); it != options.extraConfig.end(); ++it)
            config.insert(it.key(), it.value());
        writeFile(QStringLiteral("config"), QJsonDocument(config).toJson());
        writeFile(QStringLiteral("channel_id.txt"), "test-channel");

        api = std::make_unique<QApi>(appDir);
        store = std::make_unique<TaskManager>();
        thread = std::make_unique<ManageThread>(api.get(), store.get());
        thread->setTiming(options.timing);
        thread->setLoginReader([this] { return login; });
        QObject::connect(thread.get(), &ManageThread::updateDownloadTaskStatus,
                         [this](QString action, QString id, int status, QString tips, QString rate,
                                QString runRate, bool showDisable, QString downSizeRate) {
                             QCOMPARE(action, QStringLiteral("downGame"));
                             notices.append({id, status, tips, rate, runRate, showDisable, downSizeRate});
                         });
        errors = std::make_unique<QSignalSpy>(thread.get(), &ManageThread::updateDownloadTaskError);
        spaceWarnings = std::make_unique<QSignalSpy>(thread.get(), &ManageThread::spaceWarn);
        mainPageCalls = std::make_unique<QSignalSpy>(thread.get(), &ManageThread::runMainPageFunc);
        systemPageCalls = std::make_unique<QSignalSpy>(thread.get(), &ManageThread::runSystemPageFun);
        thread->start();
    }

    ~PipelineFixture()
    {
        if (thread->isRunning()) {
            thread->wantManageThreadQuit();
            QTRY_VERIFY_WITH_TIMEOUT(thread->isFinished(), 20000);
        }
        thread.reset();
        store.reset();
        api.reset();
        platform::setFreeSpaceOverride(-1);
        platform::setApplicationDir(QString());
    }

    void writeFile(const QString &relative, const QByteArray &content)
    {
        const QString path = appDir + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    // The ten page fields of a PC game whose program is APP_PATH/bin/game.exe.
    void createTask(const QString &productId, const QString &url,
                    const QString &versionNo = QStringLiteral("1"),
                    const QString &versionName = QStringLiteral("1.0.0"),
                    const QString &startcmd = QStringLiteral("APP_PATH/bin/game.exe"),
                    const QString &platform = QStringLiteral("0"), const QString &package = QString())
    {
        thread->createTask(productId, QStringLiteral("Game ") + productId, url, startcmd, QString(),
                           QStringLiteral("logo.png"), platform, package, versionNo, versionName);
    }

    tasks::TaskRecord task(const QString &productId) { return store->getTask(productId); }
    QString status(const QString &productId) { return task(productId).value(QStringLiteral("nowStatus")); }
    QString productDir(const QString &productId) const
    {
        return appDir + QStringLiteral("/Data/download/games/") + productId;
    }
    QString installDir(const QString &productId) const
    {
        return productDir(productId) + QStringLiteral("/install");
    }

    bool hasNotice(const QString &productId, int status, const QString &tips) const
    {
        for (const Notice &n : notices)
            if (n.productId == productId && n.status == status && (tips.isEmpty() || n.tips.startsWith(tips)))
                return true;
        return false;
    }
    int countNotices(const QString &productId, int status, const QString &tips) const
    {
        int count = 0;
        for (const Notice &n : notices)
            count += n.productId == productId && n.status == status && n.tips.startsWith(tips);
        return count;
    }
    QList<Notice> noticesOf(const QString &productId) const
    {
        QList<Notice> out;
        for (const Notice &n : notices)
            if (n.productId == productId)
                out.append(n);
        return out;
    }
    // Bytes already in the product's package file.
    qint64 packageBytes(const QString &productId)
    {
        const QString path = task(productId).value(QStringLiteral("savePath"));
        return path.isEmpty() ? 0 : QFileInfo(path).size();
    }

    QTemporaryDir dir;
    QString appDir;
    std::unique_ptr<QApi> api;
    std::unique_ptr<TaskManager> store;
    std::unique_ptr<ManageThread> thread;
    QList<Notice> notices;
    std::unique_ptr<QSignalSpy> errors;
    std::unique_ptr<QSignalSpy> spaceWarnings;
    std::unique_ptr<QSignalSpy> mainPageCalls;
    std::unique_ptr<QSignalSpy> systemPageCalls;
    QMap<QString, QString> login;
};
