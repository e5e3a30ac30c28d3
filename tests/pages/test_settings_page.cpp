// The settings page "systemConf.html": what setSystemConf shows, what every control saves, and the
// calls and actions it shares with the settings window.

#include "Resources/tools/PageHarness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QString settingsUrl = QStringLiteral("qrc:/html/Resources/html/systemConf.html");

QString b64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

// The settings as the launcher hands them to the page when nothing was changed yet.
QJsonObject storedDefaults()
{
    return QJsonObject{{QStringLiteral("useSound"), QStringLiteral("1")},
                       {QStringLiteral("autoLauch"), QStringLiteral("0")},
                       {QStringLiteral("showAfterCloseGame"), QStringLiteral("1")},
                       {QStringLiteral("laucherAppAfter"), QStringLiteral("1")},
                       {QStringLiteral("closeAction"), QStringLiteral("0")},
                       {QStringLiteral("downloadPath"), QString()},
                       {QStringLiteral("userSelectInstallPath"), QString()},
                       {QStringLiteral("downloadLimit"), QStringLiteral("0")},
                       {QStringLiteral("downloadLimitRate"), QString()},
                       {QStringLiteral("agreement"),
                        QStringLiteral("http://site/agreement/show/type/1/productCode/demo.html")},
                       {QStringLiteral("privateUrl"),
                        QStringLiteral("http://site/agreement/show/type/2/productCode/demo.html")},
                       {QStringLiteral("licenseUrl"), QString()}};
}

// What a save sends right after the page showed storedDefaults().
QJsonObject savedDefaults()
{
    return QJsonObject{{QStringLiteral("autoLauch"), QStringLiteral("0")},
                       {QStringLiteral("showAfterCloseGame"), QStringLiteral("1")},
                       {QStringLiteral("useSound"), QStringLiteral("1")},
                       {QStringLiteral("useCache"), QStringLiteral("1")},
                       {QStringLiteral("downloadLimitRate"), QString()},
                       {QStringLiteral("userSelectInstallPath"), QString()},
                       {QStringLiteral("closeAction"), QStringLiteral("2")},
                       {QStringLiteral("laucherAppAfter"), QStringLiteral("1")},
                       {QStringLiteral("downloadLimit"), QStringLiteral("0")}};
}

QJsonObject with(QJsonObject object, const QString &key, const QJsonValue &value)
{
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

// One line describing every control, in a fixed order.
const char stateScript[] = "(function(){function c(n){var b=$('.checkbox[name=\"'+n+'\"]');return "
                           "(b.hasClass('checked')?'on':'off')+':'+b.attr('value');}"
                           "function r(n){return $('.radio.checked[name=\"'+n+'\"]').attr('value')||'none';}"
                           "return "
                           "[c('autoLauch'),c('showAfterCloseGame'),c('useSound'),r('laucherAppAfter'),r('"
                           "closeAction'),r('downloadLimit'),"
                           "$('.rateField').val(),$('.pathField').val(),$('.privacyAgreement').attr('url'),$("
                           "'.privacyStatement').attr('url'),"
                           "$('.privacyLicense').attr('url')].join('|');})()";

} // namespace

class SettingsPageTest : public QObject
{
    Q_OBJECT

private:
    PageHarness *m_page = nullptr;

    bool openWith(const QJsonObject &conf)
    {
        PageContext context;
        if (!conf.isEmpty())
            context.systemConf = PageHarness::base64Json(conf);
        return m_page->open(settingsUrl, context);
    }

    QString state() { return m_page->eval(QString::fromLatin1(stateScript)).toString(); }

    // The confString of the last "saveSystemConf" the page sent, waiting for it when needed.
    QJsonObject lastSave()
    {
        if (!QTest::qWaitFor(
                [&] { return m_page->bridge()->actionNames().contains(QStringLiteral("saveSystemConf")); },
                2000))
            return QJsonObject();
        const QList<PageBridgeStub::Action> actions = m_page->bridge()->actions();
        for (int i = actions.size() - 1; i >= 0; --i) {
            if (actions.at(i).name == QLatin1String("saveSystemConf"))
                return QJsonDocument::fromJson(
                           actions.at(i).data.value(QLatin1String("confString")).toString().toUtf8())
                    .object();
        }
        return QJsonObject();
    }

private slots:
    void init() { m_page = new PageHarness(QSize(650, 450)); }
    void cleanup()
    {
        delete m_page;
        m_page = nullptr;
    }

    void setSystemConfShowsEveryControl_data()
    {
        QTest::addColumn<QJsonObject>("conf");
        QTest::addColumn<QString>("expected");
        QJsonObject stored = storedDefaults();
        stored.insert(QStringLiteral("useSound"), QStringLiteral("0"));
        stored.insert(QStringLiteral("autoLauch"), QStringLiteral("1"));
        stored.insert(QStringLiteral("showAfterCloseGame"), QStringLiteral("0"));
        stored.insert(QStringLiteral("laucherAppAfter"), QStringLiteral("2"));
        stored.insert(QStringLiteral("closeAction"), QStringLiteral("1"));
        stored.insert(QStringLiteral("downloadLimit"), QStringLiteral("1"));
        stored.insert(QStringLiteral("downloadLimitRate"), QStringLiteral("300"));
        stored.insert(QStringLiteral("userSelectInstallPath"), b64(QStringLiteral("D:/游戏/星辰")));
        stored.insert(QStringLiteral("licenseUrl"), QStringLiteral("http://site/license"));
        QTest::newRow("every value changed")
            << stored
            << QStringLiteral("on:1|off:0|off:0|2|1|1|300|D:/游戏/星辰|"
                              "http://site/agreement/show/type/1/productCode/demo.html|"
                              "http://site/agreement/show/type/2/productCode/demo.html|"
                              "http://site/license");
        QTest::newRow("defaults") << storedDefaults()
                                  << QStringLiteral(
                                         "off:0|on:1|on:1|1|2|0|||"
                                         "http://site/agreement/show/type/1/productCode/demo.html|"
                                         "http://site/agreement/show/type/2/productCode/demo.html|");
        QJsonObject odd = storedDefaults();
        odd.insert(QStringLiteral("useSound"), QStringLiteral("yes"));
        odd.insert(QStringLiteral("laucherAppAfter"), QStringLiteral("3"));
        odd.insert(QStringLiteral("closeAction"), QStringLiteral("2"));
        odd.insert(QStringLiteral("downloadLimit"), QStringLiteral("2"));
        QTest::newRow("anything but 1 is the other choice")
            << odd
            << QStringLiteral("off:0|on:1|off:0|2|2|0|||"
                              "http://site/agreement/show/type/1/productCode/demo.html|"
                              "http://site/agreement/show/type/2/productCode/demo.html|");
    }

    void setSystemConfShowsEveryControl()
    {
        QFETCH(QJsonObject, conf);
        QFETCH(QString, expected);
        QVERIFY(openWith(conf));
        QCOMPARE(state(), expected);
    }

    void malformedSettingsKeepThePage_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("not Base64") << QStringLiteral("not base64!");
        QTest::newRow("Base64 of no JSON") << b64(QStringLiteral("{useSound:"));
        QTest::newRow("JSON array") << b64(QStringLiteral("[\"1\"]"));
        QTest::newRow("JSON text") << b64(QStringLiteral("\"1\""));
    }

    void malformedSettingsKeepThePage()
    {
        QFETCH(QString, argument);
        QJsonObject conf = storedDefaults();
        conf.insert(QStringLiteral("useSound"), QStringLiteral("0"));
        QVERIFY(openWith(conf));
        const QString before = state();
        m_page->run(QStringLiteral("setSystemConf(") + PageHarness::jsString(argument) + QLatin1Char(')'));
        QCOMPARE(state(), before);
        QCOMPARE(m_page->eval(QStringLiteral("systemConf.useSound")).toString(), QStringLiteral("0"));
    }

    void eachControlSavesItsValue_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QJsonObject>("expected");
        const QJsonObject base = savedDefaults();
        QTest::newRow("game closed: show the launcher")
            << QStringLiteral(".checkbox[name=showAfterCloseGame]")
            << with(base, QStringLiteral("showAfterCloseGame"), QStringLiteral("0"));
        QTest::newRow("sound") << QStringLiteral(".checkbox[name=useSound]")
                               << with(base, QStringLiteral("useSound"), QStringLiteral("0"));
        QTest::newRow("cache") << QStringLiteral(".checkbox[name=useCache]")
                               << with(base, QStringLiteral("useCache"), QStringLiteral("0"));
        QTest::newRow("preload, never set before")
            << QStringLiteral(".checkbox[name=usePreload]")
            << with(base, QStringLiteral("usePreload"), QStringLiteral("1"));
        QTest::newRow("smooth scrolling") << QStringLiteral(".checkbox[name=useScrollAmta]")
                                          << with(base, QStringLiteral("useScrollAmta"), QStringLiteral("1"));
        QTest::newRow("acceleration") << QStringLiteral(".checkbox[name=deviceJiasu]")
                                      << with(base, QStringLiteral("deviceJiasu"), QStringLiteral("1"));
        QTest::newRow("keep the window after a start")
            << QStringLiteral(".radio[name=laucherAppAfter][value=2]")
            << with(base, QStringLiteral("laucherAppAfter"), QStringLiteral("2"));
        QTest::newRow("close hides to the tray")
            << QStringLiteral(".radio[name=closeAction][value=1]")
            << with(base, QStringLiteral("closeAction"), QStringLiteral("1"));
        QTest::newRow("limit the rate") << QStringLiteral(".radio[name=downloadLimit][value=1]")
                                        << with(base, QStringLiteral("downloadLimit"), QStringLiteral("1"));
        QTest::newRow("selected radio deselects, its key is left out")
            << QStringLiteral(".radio[name=closeAction][value=2]")
            << with(base, QStringLiteral("closeAction"), QJsonValue::Undefined);
    }

    void eachControlSavesItsValue()
    {
        QFETCH(QString, control);
        QFETCH(QJsonObject, expected);
        QVERIFY(openWith(storedDefaults()));
        m_page->run(QStringLiteral("$(") + PageHarness::jsString(control) + QStringLiteral(").click()"));
        QCOMPARE(lastSave(), expected);
        QCOMPARE(m_page->bridge()->actionNames(), QStringList{QStringLiteral("saveSystemConf")});
        // The page keeps what it saved, and the links it did not send.
        QCOMPARE(m_page->eval(QStringLiteral("systemConf.agreement")).toString(),
                 storedDefaults().value(QLatin1String("agreement")).toString());
    }

    void deselectedRadioCanBeSelectedAgain()
    {
        QVERIFY(openWith(storedDefaults()));
        const QString quit = QStringLiteral("$('.radio[name=closeAction][value=2]').click()");
        m_page->run(quit);
        QVERIFY(!lastSave().contains(QLatin1String("closeAction")));
        QCOMPARE(m_page->eval(QStringLiteral("$('.radio.checked[name=closeAction]').length")).toInt(), 0);
        m_page->bridge()->clear();
        m_page->run(quit);
        QCOMPARE(lastSave().value(QLatin1String("closeAction")).toString(), QStringLiteral("2"));
    }

    void selfStartSendsChangeAutoLauchThenSaves_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("status");
        QTest::newRow("switch on") << QStringLiteral("0") << 1;
        QTest::newRow("switch off") << QStringLiteral("1") << 0;
    }

    void selfStartSendsChangeAutoLauchThenSaves()
    {
        QFETCH(QString, stored);
        QFETCH(int, status);
        QVERIFY(openWith(with(storedDefaults(), QStringLiteral("autoLauch"), stored)));
        m_page->run(QStringLiteral("$('.selfStart').click()"));
        QVERIFY(m_page->waitForActions(2));
        const QList<PageBridgeStub::Action> actions = m_page->bridge()->actions();
        QCOMPARE(actions.at(0).name, QStringLiteral("changeAutoLauch"));
        QCOMPARE(actions.at(0).data.value(QLatin1String("status")), QJsonValue(status));
        QCOMPARE(actions.at(1).name, QStringLiteral("saveSystemConf"));
        QCOMPARE(lastSave().value(QLatin1String("autoLauch")).toString(), QString::number(status));
    }

    // Without settings from the launcher, fields nobody filled in stay out of the save.
    void untouchedFieldsAreLeftOut()
    {
        QVERIFY(m_page->open(settingsUrl));
        m_page->run(QStringLiteral("$('.checkbox[name=useSound]').click()"));
        const QJsonObject saved = lastSave();
        QCOMPARE(saved.value(QLatin1String("useSound")).toString(), QStringLiteral("0"));
        QVERIFY(!saved.contains(QLatin1String("downloadLimitRate")));
        QVERIFY(!saved.contains(QLatin1String("userSelectInstallPath")));
        QVERIFY(!saved.contains(QLatin1String("usePreload")));
        QCOMPARE(saved.value(QLatin1String("closeAction")).toString(), QStringLiteral("1"));
    }

    // A save sends the stored rate and folder back, so changing the sound does not forget them; the
    // folder travels as the Base64 of its text, as the launcher keeps it, whatever it looks like.
    void storedFieldsSurviveASave_data()
    {
        QTest::addColumn<QString>("storedRate");
        QTest::addColumn<QString>("storedFolder"); // Base64, as the launcher stores it
        QTest::addColumn<QString>("chosenFolder"); // setUserSelect after the load, or empty
        QTest::addColumn<QString>("savedFolder");  // the folder text the save must carry
        QTest::newRow("stored values") << QStringLiteral("300") << b64(QStringLiteral("D:/游戏/星辰"))
                                       << QString() << QStringLiteral("D:/游戏/星辰");
        QTest::newRow("folder without a drive") << QStringLiteral("") << b64(QStringLiteral("/home/u/Games"))
                                                << QString() << QStringLiteral("/home/u/Games");
        QTest::newRow("folder chosen in the dialog")
            << QStringLiteral("64") << QString() << QStringLiteral("/home/u/我的游戏")
            << QStringLiteral("/home/u/我的游戏");
    }

    void storedFieldsSurviveASave()
    {
        QFETCH(QString, storedRate);
        QFETCH(QString, storedFolder);
        QFETCH(QString, chosenFolder);
        QFETCH(QString, savedFolder);
        QJsonObject conf = with(storedDefaults(), QStringLiteral("downloadLimitRate"), storedRate);
        conf.insert(QStringLiteral("userSelectInstallPath"), storedFolder);
        QVERIFY(openWith(conf));
        if (!chosenFolder.isEmpty())
            m_page->run(QStringLiteral("setUserSelect(\"") + chosenFolder + QStringLiteral("\")"));
        QCOMPARE(m_page->eval(QStringLiteral("$('.pathField').val()")).toString(), savedFolder);
        m_page->run(QStringLiteral("$('.checkbox[name=useSound]').click()"));
        const QJsonObject saved = lastSave();
        QCOMPARE(saved.value(QLatin1String("downloadLimitRate")).toString(), storedRate);
        QCOMPARE(saved.value(QLatin1String("userSelectInstallPath")).toString(), b64(savedFolder));
    }

    void typedRateIsSavedWhenTheFieldIsLeft()
    {
        QVERIFY(openWith(storedDefaults()));
        m_page->run(QStringLiteral("$('.rateField').val('512').trigger('input').trigger('change')"));
        QCOMPARE(lastSave().value(QLatin1String("downloadLimitRate")).toString(), QStringLiteral("512"));
    }

    void setUseSoundSwitchesAndSaves_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("off") << QStringLiteral("1") << QStringLiteral("0") << QStringLiteral("0");
        QTest::newRow("on") << QStringLiteral("0") << QStringLiteral("1") << QStringLiteral("1");
        QTest::newRow("on again is still on")
            << QStringLiteral("1") << QStringLiteral("1") << QStringLiteral("1");
    }

    void setUseSoundSwitchesAndSaves()
    {
        QFETCH(QString, stored);
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        QVERIFY(openWith(with(storedDefaults(), QStringLiteral("useSound"), stored)));
        m_page->run(QStringLiteral("setUseSound(") + argument + QStringLiteral(");"));
        QCOMPARE(lastSave().value(QLatin1String("useSound")).toString(), expected);
        QCOMPARE(m_page->eval(QStringLiteral("$('.checkbox[name=useSound]').hasClass('checked')")).toBool(),
                 expected == QLatin1String("1"));
    }

    void setLanguageFillsTheTexts_data()
    {
        QTest::addColumn<QJsonObject>("table");
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("expected");
        QTest::newRow("translated") << QJsonObject{{QStringLiteral("selfStart"),
                                                    QStringLiteral("Start with the system")}}
                                    << QStringLiteral(".lang_selfStart")
                                    << QStringLiteral("Start with the system");
        QTest::newRow("a key mapped to itself keeps the page's words")
            << QJsonObject{{QStringLiteral("selfStart"), QStringLiteral("selfStart")}}
            << QStringLiteral(".lang_selfStart") << QStringLiteral("开机自动启动");
        QTest::newRow("markup in a text stays text")
            << QJsonObject{{QStringLiteral("general"), QStringLiteral("<b>常规</b>")}}
            << QStringLiteral(".blockTitle.lang_general") << QStringLiteral("<b>常规</b>");
        QTest::newRow("every element of the key")
            << QJsonObject{{QStringLiteral("download"), QStringLiteral("下载")}}
            << QStringLiteral(".lang_download") << QStringLiteral("下载下载");
    }

    void setLanguageFillsTheTexts()
    {
        QFETCH(QJsonObject, table);
        QFETCH(QString, element);
        QFETCH(QString, expected);
        QVERIFY(openWith(storedDefaults()));
        m_page->run(QStringLiteral("setLanguage(") + PageHarness::jsString(PageHarness::base64Json(table)) +
                    QLatin1Char(')'));
        QCOMPARE(
            m_page->eval(QStringLiteral("$(") + PageHarness::jsString(element) + QStringLiteral(").text()"))
                .toString(),
            expected);
        QCOMPARE(m_page
                     ->eval(QStringLiteral("$(") + PageHarness::jsString(element) +
                            QStringLiteral(").children().length"))
                     .toInt(),
                 0);
    }

    // Buttons and links of the page and the actions they send.
    void pageActions_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("expected"); // envelope texts, one per line
        QTest::newRow("drag the title strip")
            << QString() << QStringLiteral("$('#titleStrip').trigger('mousedown')")
            << QStringLiteral("{\"action\":\"moveDialogWindow\",\"data\":{\"id\":1}}");
        QTest::newRow("close does not drag")
            << QString() << QStringLiteral("$('#closeBtn').trigger('mousedown').click()")
            << QStringLiteral("{\"action\":\"hideWindow\",\"data\":{}}");
        QTest::newRow("clear the cache") << QString() << QStringLiteral("$('#clearCacheBtn').click()")
                                         << QStringLiteral("{\"action\":\"clearCache\",\"data\":{}}");
        QTest::newRow("clear the game data")
            << QStringLiteral("setProductId('1001',\"APP_PATH/game.exe\")")
            << QStringLiteral("$('#clearGameDataBtn').click()")
            << QStringLiteral("{\"action\":\"clearGameData\",\"data\":{\"productId\":\"1001\"}}");
        QTest::newRow("choose a folder for a game")
            << QStringLiteral("setProductId('1001',\"APP_PATH/game.exe\")")
            << QStringLiteral("$('#reselectBtn').click()")
            << QStringLiteral(
                   "{\"action\":\"selectInstallPath\",\"data\":{\"startcmd\":\"APP_PATH/game.exe\"}}");
        QTest::newRow("choose a folder without a game")
            << QString() << QStringLiteral("$('#reselectBtn').click()")
            << QStringLiteral("{\"action\":\"selectInstallPath\",\"data\":{}}");
        QTest::newRow("agreement link")
            << QString() << QStringLiteral("$('.privacyAgreement').click()")
            << QStringLiteral("{\"action\":\"openUrl2\",\"data\":{\"url\":\"http://site/agreement/show/type/"
                              "1/productCode/demo.html\"}}");
        QTest::newRow("clear the chosen folder")
            << QStringLiteral("setProductId('7',\"\");setUserSelect(\"/games/x\")")
            << QStringLiteral("$('#clearSelected').click()")
            << QStringLiteral(
                   "{\"action\":\"clearGameData\",\"data\":{\"productId\":\"7\"}}\nsaveSystemConf");
        QTest::newRow("clear when no folder was chosen")
            << QString() << QStringLiteral("$('#clearSelected').click()") << QStringLiteral("saveSystemConf");
    }

    void pageActions()
    {
        QFETCH(QString, setup);
        QFETCH(QString, gesture);
        QFETCH(QString, expected);
        QVERIFY(openWith(storedDefaults()));
        if (!setup.isEmpty())
            m_page->run(setup);
        m_page->run(gesture);
        const QStringList lines = expected.split(QLatin1Char('\n'));
        QVERIFY(m_page->waitForActions(lines.size()));
        QTest::qWait(100); // nothing more may follow
        const QList<PageBridgeStub::Action> actions = m_page->bridge()->actions();
        QCOMPARE(actions.size(), lines.size());
        for (int i = 0; i < lines.size(); ++i) {
            if (lines.at(i).startsWith(QLatin1Char('{')))
                QCOMPARE(actions.at(i).text, lines.at(i));
            else
                QCOMPARE(actions.at(i).name, lines.at(i));
        }
    }

    void clearingTheFolderSavesItEmpty()
    {
        QVERIFY(openWith(with(storedDefaults(), QStringLiteral("userSelectInstallPath"),
                              b64(QStringLiteral("/games/x")))));
        m_page->run(QStringLiteral("$('#clearSelected').click()"));
        QCOMPARE(lastSave().value(QLatin1String("userSelectInstallPath")).toString(), QString());
        QCOMPARE(m_page->eval(QStringLiteral("$('.layui-layer-loading').length")).toInt(), 1);
        m_page->run(QStringLiteral("clearLocalDataSuccess()"));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.layui-layer-loading').length === 0")));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.layui-layer-msg').text() === '本地数据已清除'")));
    }

    void navigationFollowsTheScrolledSection_data()
    {
        QTest::addColumn<int>("scrollTop");
        QTest::addColumn<int>("activeType");
        QTest::newRow("top") << 0 << 0;
        QTest::newRow("just before the download block") << 344 << 0;
        QTest::newRow("download block") << 345 << 1;
        QTest::newRow("last pixel of download") << 550 << 1;
        QTest::newRow("privacy") << 551 << 2;
    }

    void navigationFollowsTheScrolledSection()
    {
        QFETCH(int, scrollTop);
        QFETCH(int, activeType);
        QVERIFY(openWith(storedDefaults()));
        m_page->run(QStringLiteral("$('#confPane').scrollTop(%1)").arg(scrollTop));
        QVERIFY(m_page->waitFor(QStringLiteral("$('#confPane').scrollTop() === %1").arg(scrollTop)));
        QVERIFY(
            m_page->waitFor(QStringLiteral("$('.navItem.active').attr('type') === '%1'").arg(activeType)));
    }

    void navigationScrollsToTheSection_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("scrollTop");
        QTest::newRow("download") << 1 << 350;
        QTest::newRow("privacy") << 2 << 950;
        QTest::newRow("back to general") << 0 << 0;
    }

    void navigationScrollsToTheSection()
    {
        QFETCH(int, type);
        QFETCH(int, scrollTop);
        QVERIFY(openWith(storedDefaults()));
        m_page->run(QStringLiteral("$('#confPane').scrollTop(500)"));
        m_page->run(QStringLiteral("$('.navItem[type=%1]').click()").arg(type));
        QVERIFY(m_page->waitFor(QStringLiteral("$('#confPane').scrollTop() === %1").arg(scrollTop), 2000));
        QVERIFY(m_page->waitFor(QStringLiteral("$('.navItem.active').attr('type') === '%1'").arg(type)));
    }

    void licenseLinkShowsOnlyWithAnAddress_data()
    {
        QTest::addColumn<QString>("licenseUrl");
        QTest::addColumn<bool>("visible");
        QTest::newRow("no address") << QString() << false;
        QTest::newRow("address") << QStringLiteral("http://site/license") << true;
    }

    void licenseLinkShowsOnlyWithAnAddress()
    {
        QFETCH(QString, licenseUrl);
        QFETCH(bool, visible);
        QVERIFY(openWith(with(storedDefaults(), QStringLiteral("licenseUrl"), licenseUrl)));
        m_page->run(QStringLiteral("setProductId('1001',\"\")"));
        QCOMPARE(m_page->eval(QStringLiteral("$('.privacyLicense').css('display') !== 'none'")).toBool(),
                 visible);
        QCOMPARE(m_page->eval(QStringLiteral("String(productId) + '|' + startcmd")).toString(),
                 QStringLiteral("1001|"));
    }
};

LAUNCHER_PAGE_TEST_MAIN(SettingsPageTest)
#include "test_settings_page.moc"
