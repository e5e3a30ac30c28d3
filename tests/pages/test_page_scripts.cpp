// The shared page scripts (the utility block in "jquery.js", "app.js") in a real page.

#include "Resources/tools/PageHarness.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QTest>
#include <QWebEngineView>

class PageScriptsTest : public QObject
{
    Q_OBJECT

private:
    PageHarness *m_page = nullptr;

    QString call(const QString &function, const QString &argument)
    {
        return m_page->eval(function + QLatin1Char('(') + argument + QLatin1Char(')')).toString();
    }

private slots:
    void initTestCase()
    {
        m_page = new PageHarness(QSize(650, 450));
        QVERIFY(m_page->open(QStringLiteral("qrc:/html/Resources/html/systemConf.html")));
    }

    void cleanupTestCase() { delete m_page; }

    void base64MatchesUtf8Base64_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("utf8Text"); // what the bytes must decode to
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("ascii, one pad") << QStringLiteral("ab") << QStringLiteral("ab");
        QTest::newRow("ascii, two pads") << QStringLiteral("abcd") << QStringLiteral("abcd");
        QTest::newRow("chinese") << QStringLiteral("下载管理：星辰传说")
                                 << QStringLiteral("下载管理：星辰传说");
        QTest::newRow("beyond U+FFFF") << QStringLiteral("游戏🎮!") << QStringLiteral("游戏🎮!");
        QTest::newRow("json with quotes")
            << QStringLiteral("{\"path\":\"D:/游戏\"}") << QStringLiteral("{\"path\":\"D:/游戏\"}");
        QTest::newRow("lone high surrogate")
            << QString(QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << QStringLiteral("a?b");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDC00)) << QStringLiteral("?");
    }

    void base64MatchesUtf8Base64()
    {
        QFETCH(QString, text);
        QFETCH(QString, utf8Text);
        const QString encoded = call(QStringLiteral("base64_encode"), PageHarness::jsString(text));
        QCOMPARE(encoded, QString::fromLatin1(utf8Text.toUtf8().toBase64()));
        QCOMPARE(call(QStringLiteral("base64_decode"), PageHarness::jsString(encoded)), utf8Text);
    }

    void base64DecodeRejectsMalformedText_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("length 3") << QStringLiteral("YWJ") << QString();
        QTest::newRow("length 5") << QStringLiteral("YWJjZ") << QString();
        QTest::newRow("character outside the alphabet") << QStringLiteral("YW*j") << QString();
        QTest::newRow("url-safe alphabet") << QStringLiteral("_-__") << QString();
        QTest::newRow("line break") << QStringLiteral("YWJj\nZA==") << QString();
        QTest::newRow("padding in the middle") << QStringLiteral("YQ==YWJj") << QString();
        QTest::newRow("only padding") << QStringLiteral("====") << QString();
        QTest::newRow("bytes that are not UTF-8") << QStringLiteral("/w==") << QStringLiteral("?");
        QTest::newRow("truncated sequence") << QStringLiteral("5Lg=") << QStringLiteral("??");
        QTest::newRow("valid") << QStringLiteral("5Lit5paH") << QStringLiteral("中文");
    }

    void base64DecodeRejectsMalformedText()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(call(QStringLiteral("base64_decode"), PageHarness::jsString(input)), expected);
    }

    void md5OfUtf8_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        // RFC 1321 test suite, then texts whose UTF-8 form is longer than their length.
        QTest::newRow("empty") << QString() << QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
        QTest::newRow("a") << QStringLiteral("a") << QStringLiteral("0cc175b9c0f1b6a831c399e269772661");
        QTest::newRow("abc") << QStringLiteral("abc") << QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
        QTest::newRow("message digest")
            << QStringLiteral("message digest") << QStringLiteral("f96b697d7cb7938d525a2f31aaf161d0");
        QTest::newRow("alphabet") << QStringLiteral("abcdefghijklmnopqrstuvwxyz")
                                  << QStringLiteral("c3fcd3d76192e4007dfb496cca67e13b");
        QTest::newRow("80 digits, two blocks")
            << QStringLiteral(
                   "12345678901234567890123456789012345678901234567890123456789012345678901234567890")
            << QStringLiteral("57edf4a22be3c955ac49da2e2107b67a");
        const QString chinese = QStringLiteral("游戏盒子登录密码");
        QTest::newRow("chinese")
            << chinese
            << QString::fromLatin1(
                   QCryptographicHash::hash(chinese.toUtf8(), QCryptographicHash::Md5).toHex());
        const QString padBoundary = QString(55, QLatin1Char('x')) + QStringLiteral("中");
        QTest::newRow("padding boundary")
            << padBoundary
            << QString::fromLatin1(
                   QCryptographicHash::hash(padBoundary.toUtf8(), QCryptographicHash::Md5).toHex());
    }

    void md5OfUtf8()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(call(QStringLiteral("getMD5"), PageHarness::jsString(text)), expected);
    }

    void fileSizeFormat_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("0B");
        QTest::newRow("not a number") << QStringLiteral("'abc'") << QStringLiteral("0B");
        QTest::newRow("undefined") << QString() << QStringLiteral("0B");
        QTest::newRow("bytes") << QStringLiteral("512") << QStringLiteral("512B");
        QTest::newRow("just below a KB") << QStringLiteral("1023") << QStringLiteral("1023B");
        QTest::newRow("one KB drops .00") << QStringLiteral("1024") << QStringLiteral("1KB");
        QTest::newRow("fraction keeps two decimals") << QStringLiteral("1536") << QStringLiteral("1.50KB");
        QTest::newRow("text number") << QStringLiteral("'2097152'") << QStringLiteral("2MB");
        QTest::newRow("gigabytes") << QStringLiteral("5368709120") << QStringLiteral("5GB");
        QTest::newRow("no unit above GB") << QStringLiteral("2199023255552") << QStringLiteral("2048GB");
    }

    void fileSizeFormat()
    {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        QCOMPARE(call(QStringLiteral("FileSizeFormat"), argument), expected);
    }

    void localTime_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("isLong");
        QTest::addColumn<QString>("expected");
        const qint64 seconds = 1700000005; // 2023-11-14 in most zones
        const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds);
        QTest::newRow("empty") << QStringLiteral("''") << false << QString();
        QTest::newRow("short") << QString::number(seconds) << false
                               << local.toString(QStringLiteral("HH:mm"));
        QTest::newRow("short from text")
            << QStringLiteral("'%1'").arg(seconds) << false << local.toString(QStringLiteral("HH:mm"));
        QTest::newRow("long, month and day without zero")
            << QString::number(seconds) << true << local.toString(QStringLiteral("yyyy-M-d HH:mm:ss"));
        const QDateTime early = QDateTime::fromSecsSinceEpoch(1262304000 + 3 * 86400 + 5);
        QTest::newRow("long, single-digit month")
            << QStringLiteral("1262563205") << true << early.toString(QStringLiteral("yyyy-M-d HH:mm:ss"));
    }

    void localTime()
    {
        QFETCH(QString, argument);
        QFETCH(bool, isLong);
        QFETCH(QString, expected);
        QCOMPARE(call(QStringLiteral("getLocalTime"),
                      argument + (isLong ? QStringLiteral(",true") : QStringLiteral(",false"))),
                 expected);
    }

    void stripTags_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("expected");
        QTest::newRow("markup") << QStringLiteral("<p>本周<b>停机</b>维护</p>")
                                << QStringLiteral("本周停机维护");
        QTest::newRow("attributes and script")
            << QStringLiteral("<img src=x onerror=alert(1)>hi<script>x</script>") << QStringLiteral("hix");
        QTest::newRow("unclosed bracket stays") << QStringLiteral("1 < 2") << QStringLiteral("1 < 2");
    }

    void stripTags()
    {
        QFETCH(QString, html);
        QFETCH(QString, expected);
        QCOMPARE(call(QStringLiteral("strip_tags"), PageHarness::jsString(html)), expected);
    }

    void argsReadsTheQueryString()
    {
        PageHarness page(QSize(400, 300));
        QVERIFY(page.open(
            QStringLiteral("qrc:/html/Resources/html/openVideo.html?url=http%3A%2F%2Fh%2Fv.mp4&x=1&empty="),
            PageContext(), PageHarness::Bootstrap::None));
        QCOMPARE(page.eval(QStringLiteral("Args('url')")).toString(), QStringLiteral("http://h/v.mp4"));
        QCOMPARE(page.eval(QStringLiteral("Args('x')")).toString(), QStringLiteral("1"));
        QCOMPARE(page.eval(QStringLiteral("Args('empty')")).toString(), QString());
        QCOMPARE(page.eval(QStringLiteral("Args('missing') === false")).toBool(), true);

        // The video page plays web and resource addresses only.
        QVERIFY(page.open(QStringLiteral("qrc:/html/Resources/html/openVideo.html?url=javascript%3Aalert(1)"),
                          PageContext(), PageHarness::Bootstrap::None));
        QCOMPARE(page.eval(QStringLiteral("$('video').length")).toInt(), 0);
        QCOMPARE(page.eval(QStringLiteral("$('.notice').text()")).toString(),
                 QStringLiteral("没有可播放的视频"));
    }

    // Backspace edits text and nothing else, and nothing at all while stopAll is set.
    void backspace_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<bool>("stopAll");
        QTest::addColumn<bool>("edits");
        QTest::newRow("text input") << QStringLiteral("<input type='text' value='abc'>") << false << true;
        QTest::newRow("password input")
            << QStringLiteral("<input type='password' value='abc'>") << false << true;
        QTest::newRow("textarea") << QStringLiteral("<textarea>abc</textarea>") << false << true;
        QTest::newRow("number input") << QStringLiteral("<input type='number' value='123'>") << false << true;
        QTest::newRow("read-only text input")
            << QStringLiteral("<input type='text' value='abc' readonly>") << false << false;
        QTest::newRow("read-only textarea")
            << QStringLiteral("<textarea readonly>abc</textarea>") << false << false;
        QTest::newRow("check box") << QStringLiteral("<input type='checkbox'>") << false << false;
        QTest::newRow("button") << QStringLiteral("<button>b</button>") << false << false;
        QTest::newRow("page itself") << QString() << false << false;
        QTest::newRow("text input while stopAll")
            << QStringLiteral("<input type='text' value='abc'>") << true << false;
    }

    void backspace()
    {
        QFETCH(QString, html);
        QFETCH(bool, stopAll);
        QFETCH(bool, edits);
        const QString setup = QStringLiteral(
            "(function(){var old=document.getElementById('probe'); if(old) old.remove();"
            "if(document.activeElement) document.activeElement.blur();"
            "if(!window.__watch){window.__watch=true; window.addEventListener('keydown',function(e){"
            "if(e.keyCode===8) window.__prevented=e.defaultPrevented;});}"
            "window.__prevented=null; stopAll=%1; var html=%2; if(!html) return true;"
            "var box=document.createElement('div'); box.innerHTML=html; var el=box.firstElementChild; "
            "el.id='probe';"
            "document.body.appendChild(el); el.focus(); if(el.select) el.select(); return "
            "document.activeElement===el;})()");
        QVERIFY(m_page
                    ->eval(setup.arg(stopAll ? QStringLiteral("true") : QStringLiteral("false"),
                                     PageHarness::jsString(html)))
                    .toBool());
        const QString before =
            m_page->eval(QStringLiteral("(document.getElementById('probe')||{}).value||''")).toString();

        QWidget *target = m_page->view()->focusProxy();
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Backspace);
        QVERIFY(m_page->waitFor(QStringLiteral("window.__prevented !== null")));

        QCOMPARE(m_page->eval(QStringLiteral("window.__prevented")).toBool(), !edits);
        const QString after =
            m_page->eval(QStringLiteral("(document.getElementById('probe')||{}).value||''")).toString();
        if (edits)
            QCOMPARE(after, QString());
        else
            QCOMPARE(after, before);
        m_page->eval(QStringLiteral("stopAll=false"));
    }

    void browserDialogsAndWindowsDoNothing()
    {
        QCOMPARE(
            m_page
                ->eval(QStringLiteral("String(window.confirm('x')) + '|' + String(window.open('http://h/'))"))
                .toString(),
            QStringLiteral("undefined|undefined"));
    }
};

LAUNCHER_PAGE_TEST_MAIN(PageScriptsTest)
#include "test_page_scripts.moc"
