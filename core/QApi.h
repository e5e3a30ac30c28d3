#pragma once

#include "core/SystemConf.h"

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

// The configuration of this installation and the user's system settings.
//
// The fixed values come from "config" and "channel_id.txt" in the application directory and never change
// after creation, so they may be read from any thread. The settings map (systemConf) changes at run time;
// getSystemConf() and the saves share one lock, so the task manager thread can read while the GUI thread
// saves.
class QApi : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(QApi)

public:
    // The process-wide object, created on the first call (thread-safe) from platform::applicationDir()
    // and never destroyed.
    static QApi *instance();

    // An independent object that reads its files from appDir and keeps its settings there. instance() uses
    // it with the application directory; tests use it with a temporary directory.
    explicit QApi(const QString &appDir, QObject *parent = nullptr);
    ~QApi() override;

    // The API host as stored: the "config" value with one "/" appended, or "" when there is none.
    QString apiHost() const;
    // The storefront page: apiHost() + "/app/gameLaucher".
    QString gameLaucherUrl() const;
    int versionCode() const;
    QString versionName() const;

    // The game process names of "config" (non-string elements are skipped).
    QStringList gameProcess() const;
    // Ends every process named in gameProcess(), in list order.
    void killGameProcesses() const;

    // The install directory of a game: the user-selected directory when one is set and decodable,
    // otherwise appDir + "/Data/download/games/" + productId + "/install/".
    QString installPath(const QString &productId) const;
    // The decoded "userSelectInstallPath" setting, or "" when it is unset or cannot be decoded.
    QString userSelectInstallPath() const;
    // The version record of the game whose install directory is path: keys "versionNo", "versionName" and
    // "baseVersionNo", each from path (without "/install") + "/version.data" when present as a string.
    QMap<QString, QString> readVersionData(const QString &path) const;
    // The directory holding the version file of the game installed in installDir: the product directory for
    // the default install directory (its last "/install" removed), installDir itself otherwise.
    QString versionDataDir(const QString &installDir) const;

    // The application directory this object reads from.
    QString appDir() const;
    QString systemConfFile() const;

    // Settings store.
    QMap<QString, QString> loadSystemConf() const;
    static bool isValidSystemConf(const QString &text);
    // Validates, writes, reloads and announces. An invalid text changes nothing and announces nothing;
    // a failed write still reloads from the old file and announces.
    void saveSystemConf(const QString &json);
    // Loads the file, sets key to value and saves everything.
    void setSystemConfValue(const QString &key, const QString &value);
    QString getSystemConf(const QString &key, const QString &fallback = QString()) const;
    // A copy of the whole current map.
    QMap<QString, QString> systemConf() const;
    // The current map serialised compactly, as UTF-8, in Base64: the argument of the page's setSystemConf.
    QString systemConfForPage() const;
    // The whole file read as UTF-8, or "" when it cannot be opened.
    static QString readTextFile(const QString &path);

    // Fixed configuration values (see "config"); set once at creation.
    const QString productCode;
    const QString channelCode;
    const QString appName;
    const QString website;
    const QString lang;
    const QString paySite;
    const QString fixLocalpath;
    const QString openId;
    const QString loginParams;
    const QString mustLogin;
    const QString oversea;
    const QString theme;
    const QString single;
    const QString agreementUrl;
    const QString privacyUrl;
    const QString license;
    const bool useHidiffz;

signals:
    void systemConfHasUpate();

private:
    struct Loaded;
    QApi(const Loaded &loaded, const QString &appDir, QObject *parent);

    bool writeSystemConfFile(const QString &json) const;
    // Validates, writes and reloads with m_saveMutex held; returns whether the text was valid.
    bool saveSystemConfLocked(const QString &json);
    void replaceSystemConf(const QMap<QString, QString> &conf);

    const QString m_appDir;
    const QString m_apiHost;
    const QStringList m_gameProcess;

    mutable QMutex m_systemConfMutex; // guards m_systemConf
    QMap<QString, QString> m_systemConf;
    QMutex m_saveMutex; // one save (write + reload) at a time
};
