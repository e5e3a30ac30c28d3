#include "core/QApi.h"

#include "baselibs/json/Json.h"
#include "baselibs/json/QtJson.h"
#include "core/LanguageCode.h"
#include "platform/ApplicationDir.h"
#include "platform/Processes.h"

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMutexLocker>
#include <QSaveFile>
#include <QTextCodec>

namespace {

const int builtInVersionCode = 114;
const char builtInVersionName[] = "Standard 1.1.4";

const char *const settingsFileName = "/Data/conf/35967744223239575160075770677918";
const char *const requiredSettingKeys[] = {"useSound", "showAfterCloseGame", "downloadLimit",
                                           "laucherAppAfter", "closeAction"};
const char *const loadedSettingKeys[] = {"useSound",          "autoLauch",   "showAfterCloseGame",
                                         "laucherAppAfter",   "closeAction", "downloadLimit",
                                         "downloadLimitRate", "downloadPath"};
const char *const installPathKey = "userSelectInstallPath";

QString stringOr(const json::Object &object, const char *key, const QString &fallback)
{
    return object.has<json::String>(key) ? json::toQString(object.get<json::String>(key)) : fallback;
}

QString derivedLink(const QString &website, int type, const QString &productCode, const QString &override)
{
    if (!override.isEmpty() && override.contains(QLatin1String("http")))
        return override;
    return website + QStringLiteral("/agreement/show/type/") + QString::number(type) +
           QStringLiteral("/productCode/") + productCode + QStringLiteral(".html");
}

} // namespace

// The values read from "config" and "channel_id.txt", before they become the object's constant fields.
struct QApi::Loaded
{
    QString apiHost;
    QString productCode = QStringLiteral("e17a9b20d6f3c85a0e4d92b7f1c6a308");
    QString channelCode = QStringLiteral("default");
    QString appName = QStringLiteral("畅玩游戏盒子");
    QString website;
    QString lang = QStringLiteral("autolocate");
    QString paySite;
    QString fixLocalpath;
    QString openId = QStringLiteral("gameLaucher");
    QString loginParams;
    QString mustLogin = QStringLiteral("0");
    QString oversea = QStringLiteral("0");
    QString theme;
    QString single = QStringLiteral("0");
    QString agreementUrl;
    QString privacyUrl;
    QString license;
    bool useHidiffz = false;
    QStringList gameProcess;

    static Loaded read(const QString &appDir)
    {
        Loaded loaded;
        const QString channel = QApi::readTextFile(appDir + QStringLiteral("/channel_id.txt"));
        if (!channel.isEmpty())
            loaded.channelCode = channel; // kept as it is, line break included

        const QString text = QApi::readTextFile(appDir + QStringLiteral("/config"));
        json::Object config;
        if (text.isEmpty() || !config.parse(json::fromQString(text)))
            return loaded;
        loaded.take(config);
        return loaded;
    }

    void take(const json::Object &config)
    {
        const QString host = stringOr(config, "apiHost", QString());
        // An empty value stays empty so that start-up still sees the installation as broken.
        if (!host.isEmpty())
            apiHost = host + QLatin1Char('/');
        productCode = stringOr(config, "productCode", productCode);
        appName = stringOr(config, "appName", appName);
        website = stringOr(config, "website", website);
        lang = stringOr(config, "lang", lang);
        if (config.has<json::String>("lang") && lang == QLatin1String("autolocate"))
            lang = languageCodeFor(QLocale::system().language());
        paySite = stringOr(config, "paySite", paySite);
        fixLocalpath = stringOr(config, "fixLocalpath", fixLocalpath);
        openId = stringOr(config, "openId", openId);
        loginParams = stringOr(config, "loginParams", loginParams);
        mustLogin = stringOr(config, "mustLogin", mustLogin);
        oversea = stringOr(config, "oversea", oversea);
        theme = stringOr(config, "theme", theme);
        single = stringOr(config, "single", single);
        agreementUrl = stringOr(config, "agreementUrl", agreementUrl);
        privacyUrl = stringOr(config, "privacyUrl", privacyUrl);
        license = stringOr(config, "license", license);
        useHidiffz = config.has<json::String>("useHidiffz");
        if (config.has<json::Array>("gameProcess")) {
            const json::Array &names = config.get<json::Array>("gameProcess");
            for (size_t i = 0; i < names.size(); ++i) {
                if (names.has<json::String>(i))
                    gameProcess << json::toQString(names.get<json::String>(i));
            }
        }
    }
};

QApi *QApi::instance()
{
    static QApi *const api = new QApi(platform::applicationDir());
    return api;
}

QApi::QApi(const QString &appDir, QObject *parent) : QApi(Loaded::read(appDir), appDir, parent) {}

QApi::QApi(const Loaded &loaded, const QString &appDir, QObject *parent)
    : QObject(parent), productCode(loaded.productCode), channelCode(loaded.channelCode),
      appName(loaded.appName), website(loaded.website), lang(loaded.lang), paySite(loaded.paySite),
      fixLocalpath(loaded.fixLocalpath), openId(loaded.openId), loginParams(loaded.loginParams),
      mustLogin(loaded.mustLogin), oversea(loaded.oversea), theme(loaded.theme), single(loaded.single),
      agreementUrl(loaded.agreementUrl), privacyUrl(loaded.privacyUrl), license(loaded.license),
      useHidiffz(loaded.useHidiffz), m_appDir(appDir), m_apiHost(loaded.apiHost),
      m_gameProcess(loaded.gameProcess)
{
    replaceSystemConf(loadSystemConf());
    emit systemConfHasUpate();
}

QApi::~QApi() = default;

QString QApi::apiHost() const
{
    return m_apiHost;
}

QString QApi::gameLaucherUrl() const
{
    return m_apiHost + QStringLiteral("/app/gameLaucher");
}

int QApi::versionCode() const
{
    return builtInVersionCode;
}

QString QApi::versionName() const
{
    return QString::fromLatin1(builtInVersionName);
}

QStringList QApi::gameProcess() const
{
    return m_gameProcess;
}

void QApi::killGameProcesses() const
{
    for (const QString &name : m_gameProcess)
        platform::killProcessesByName(name);
}

QString QApi::userSelectInstallPath() const
{
    const QString stored = getSystemConf(QLatin1String(installPathKey));
    if (stored.isEmpty())
        return QString();
    bool ok = false;
    const QString path = systemconf::decodeInstallPath(stored, &ok);
    if (!ok)
        qDebug() << "userSelectInstallPath cannot be decoded, using the default install path:" << stored;
    return path;
}

QString QApi::installPath(const QString &productId) const
{
    const QString selected = userSelectInstallPath();
    if (!selected.isEmpty())
        return selected;
    return m_appDir + QStringLiteral("/Data/download/games/") + productId + QStringLiteral("/install/");
}

QString QApi::versionDataDir(const QString &installDir) const
{
    // A game at the default place keeps its version file in the product directory, one level above its
    // "install" directory; a user-selected directory keeps it inside. Only that last "install" goes, so a
    // directory elsewhere whose name merely contains "install" is left as it is.
    QString dir = installDir;
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    const QString gamesDir = m_appDir + QStringLiteral("/Data/download/games/");
    const QString installSuffix = QStringLiteral("/install");
    if (dir.startsWith(gamesDir) && dir.endsWith(installSuffix))
        dir.chop(installSuffix.size());
    return dir;
}

QMap<QString, QString> QApi::readVersionData(const QString &path) const
{
    QMap<QString, QString> version{{QStringLiteral("versionNo"), QStringLiteral("1")},
                                   {QStringLiteral("versionName"), QStringLiteral("1.0.0")},
                                   {QStringLiteral("baseVersionNo"), QStringLiteral("0")}};
    const QString text = readTextFile(versionDataDir(path) + QStringLiteral("/version.data"));
    json::Object record;
    if (text.isEmpty() || !record.parse(json::fromQString(text)))
        return version;
    for (auto it = version.begin(); it != version.end(); ++it)
        it.value() = stringOr(record, it.key().toLatin1().constData(), it.value());
    return version;
}

QString QApi::appDir() const
{
    return m_appDir;
}

QString QApi::systemConfFile() const
{
    return m_appDir + QLatin1String(settingsFileName);
}

QMap<QString, QString> QApi::loadSystemConf() const
{
    QMap<QString, QString> conf{
        {QStringLiteral("useSound"), QStringLiteral("1")},
        {QStringLiteral("autoLauch"), QStringLiteral("0")},
        {QStringLiteral("showAfterCloseGame"), QStringLiteral("1")},
        {QStringLiteral("laucherAppAfter"), QStringLiteral("1")},
        {QStringLiteral("closeAction"), QStringLiteral("0")},
        {QStringLiteral("downloadPath"), QString()},
        {QStringLiteral("userSelectInstallPath"), QString()},
        {QStringLiteral("downloadLimit"), QStringLiteral("0")},
        {QStringLiteral("downloadLimitRate"), QString()},
        {QStringLiteral("agreement"), derivedLink(website, 1, productCode, agreementUrl)},
        {QStringLiteral("privateUrl"), derivedLink(website, 2, productCode, privacyUrl)},
        {QStringLiteral("licenseUrl"), license},
    };

    if (!QFileInfo::exists(systemConfFile()))
        return conf;
    const QString text = readTextFile(systemConfFile());
    if (!isValidSystemConf(text))
        return conf;
    json::Object saved;
    saved.parse(json::fromQString(text));
    for (const char *key : loadedSettingKeys) {
        if (saved.has<json::String>(key))
            conf[QLatin1String(key)] = json::toQString(saved.get<json::String>(key));
    }
    const QString installPath = stringOr(saved, installPathKey, QString());
    if (!installPath.isEmpty()) {
        conf[QLatin1String(installPathKey)] = systemconf::isPlainInstallPath(installPath)
                                                  ? systemconf::encodeInstallPath(installPath)
                                                  : installPath;
    }
    return conf;
}

bool QApi::isValidSystemConf(const QString &text)
{
    json::Object object;
    if (!object.parse(json::fromQString(text)))
        return false;
    for (const char *key : requiredSettingKeys) {
        if (!object.has<json::String>(key))
            return false;
    }
    return true;
}

bool QApi::writeSystemConfFile(const QString &json) const
{
    // Written beside and then renamed over the old file, so a crash mid-write never leaves half a file.
    if (!QDir().mkpath(QFileInfo(systemConfFile()).absolutePath()))
        return false;
    QSaveFile file(systemConfFile());
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = json.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool QApi::saveSystemConfLocked(const QString &json)
{
    if (!isValidSystemConf(json))
        return false;
    if (!writeSystemConfFile(json))
        qDebug() << "saveSystemConf cannot write" << systemConfFile();
    // Reloaded and announced even after a failed write, so the page shows what the file really holds.
    replaceSystemConf(loadSystemConf());
    return true;
}

void QApi::saveSystemConf(const QString &json)
{
    bool saved = false;
    {
        QMutexLocker lock(&m_saveMutex);
        saved = saveSystemConfLocked(json);
    }
    if (saved)
        emit systemConfHasUpate();
}

void QApi::setSystemConfValue(const QString &key, const QString &value)
{
    bool saved = false;
    {
        QMutexLocker lock(&m_saveMutex);
        QMap<QString, QString> conf = loadSystemConf();
        conf[key] = value;
        saved = saveSystemConfLocked(systemconf::serialize(conf));
    }
    if (saved)
        emit systemConfHasUpate();
}

QString QApi::getSystemConf(const QString &key, const QString &fallback) const
{
    QMutexLocker lock(&m_systemConfMutex);
    return m_systemConf.value(key, fallback);
}

QMap<QString, QString> QApi::systemConf() const
{
    QMutexLocker lock(&m_systemConfMutex);
    return m_systemConf;
}

QString QApi::systemConfForPage() const
{
    return QString::fromLatin1(systemconf::serialize(systemConf()).toUtf8().toBase64());
}

void QApi::replaceSystemConf(const QMap<QString, QString> &conf)
{
    QMutexLocker lock(&m_systemConfMutex);
    m_systemConf = conf;
}

QString QApi::readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    // The UTF-8 decoder drops a leading byte-order mark, which editors on other systems like to add.
    return QTextCodec::codecForName("UTF-8")->toUnicode(file.readAll());
}
