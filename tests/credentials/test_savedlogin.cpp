#include "core/QApi.h"
#include "credentials/DeviceKey.h"
#include "credentials/QAESEncryption.h"
#include "credentials/SavedLogin.h"
#include "platform/ApplicationDir.h"
#include "platform/MachineId.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Login = QMap<QString, QString>;

Login login(const QString &uid, const QString &token)
{
    return Login{{QStringLiteral("uid"), uid}, {QStringLiteral("token"), token}};
}

QByteArray encryptForFile(const QByteArray &plain)
{
    QAESEncryption aes(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
    return aes.encrypt(plain, deviceKey().toLatin1());
}

void writeFile(const QByteArray &content)
{
    QFile file(savedLoginPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QByteArray readFile()
{
    QFile file(savedLoginPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Login)

// The cache location is pointed at a temporary directory (XDG_CACHE_HOME) by main() below, before the
// application object exists, so nothing here touches the user's files.
class TestSavedLogin : public QObject
{
    Q_OBJECT

public:
    explicit TestSavedLogin(const QString &cacheHome) : m_cacheHome(cacheHome) {}

private slots:
    void initTestCase()
    {
        QVERIFY(m_appDir.isValid());
        QFile config(m_appDir.path() + QStringLiteral("/config"));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("{\"apiHost\":\"http://127.0.0.1:1\",\"productCode\":\"testproduct\"}");
        config.close();
        platform::setApplicationDir(m_appDir.path());
        // A fixed identifier keeps the key the same on any machine.
        platform::setMachineIdCommand(QStringLiteral("/bin/echo"),
                                      {QStringLiteral("0f1e2d3c4b5a69788796a5b4c3d2e1f0")});
        QCOMPARE(QApi::instance()->productCode, QStringLiteral("testproduct"));
    }

    void init() { QFile::remove(savedLoginPath()); }

    void pathIsInTheCacheAndCreated()
    {
        const QString dir = m_cacheHome + QLatin1Char('/') + QCoreApplication::applicationName() +
                            QStringLiteral("/testproduct/");
        QDir(dir).removeRecursively();
        QCOMPARE(savedLoginPath(), dir + QStringLiteral("9d0b3e7a2c84f615e0a9d3b7c2e81f5a"));
        QVERIFY(QDir(dir).exists());

        // Reading without a file gives nothing and leaves the directory in place.
        QDir(dir).removeRecursively();
        QVERIFY(readSavedLogin().isEmpty());
        QVERIFY(QDir(dir).exists());
    }

    void fileFormat_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<int>("cipherSize");

        QTest::newRow("ordinary") << "123"
                                  << "abc" << QByteArray("{\"uid\":\"123\",\"token\":\"abc\"}") << 32;
        QTest::newRow("32 bytes get no padding block")
            << "1"
            << "abcdefghij" << QByteArray("{\"uid\":\"1\",\"token\":\"abcdefghij\"}") << 32;
        QTest::newRow("33 bytes get 15 zero bytes")
            << "1"
            << "abcdefghijk" << QByteArray("{\"uid\":\"1\",\"token\":\"abcdefghijk\"}") << 48;
        QTest::newRow("quote and backslash escaped")
            << "7"
            << "a\"b\\" << QByteArray("{\"uid\":\"7\",\"token\":\"a\\\"b\\\\\"}") << 32;
        QTest::newRow("non-ASCII as UTF-8")
            << QString::fromUtf8("é") << "t" << QString::fromUtf8("{\"uid\":\"é\",\"token\":\"t\"}").toUtf8()
            << 32;
    }

    // The file is the Base64 text of the AES-128 ECB cipher of the unspaced JSON object, zero padded,
    // and only its owner may read it.
    void fileFormat()
    {
        QFETCH(QString, uid);
        QFETCH(QString, token);
        QFETCH(QByteArray, plain);
        QFETCH(int, cipherSize);

        writeSavedLogin(uid, token);
        const QByteArray file = readFile();
        QCOMPARE(QByteArray::fromBase64(file).size(), cipherSize);
        QCOMPARE(file, encryptForFile(plain).toBase64());

        const QFileDevice::Permissions permissions = QFile::permissions(savedLoginPath());
        QVERIFY(permissions.testFlag(QFileDevice::ReadOwner) &&
                permissions.testFlag(QFileDevice::WriteOwner));
        QCOMPARE(int(permissions & 0x00ff), 0); // nothing for group or others
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("token");

        const auto row = [](const char *name, const QString &uid, const QString &token) {
            QTest::newRow(name) << uid << token;
        };
        row("ordinary", QStringLiteral("123"), QStringLiteral("abc"));
        row("plain text of exactly two blocks", QStringLiteral("1"), QStringLiteral("abcdefghij"));
        row("long token", QStringLiteral("9876543210"), QString(600, QLatin1Char('t')));
        row("empty values", QString(), QString());
        row("double quotes", QStringLiteral("7"), QStringLiteral("ab\"c\"d"));
        row("backslashes", QStringLiteral("a\\b"), QStringLiteral("\\\\server\\share\\"));
        row("escape-like text", QStringLiteral("1"), QStringLiteral("\\n\\t\\u0041\\\"\\/"));
        row("the layout itself", QStringLiteral("1\",\"token\":\"x"), QStringLiteral("\"}{\"uid\":\""));
        row("control characters", QStringLiteral("1"),
            QStringLiteral("a\tb\nc\rd\x01e") + QChar(0) + QStringLiteral("f"));
        row("non-ASCII", QString::fromUtf8("用户"), QString::fromUtf8("令牌 é ü \xF0\x9F\x8E\xAE"));
    }

    void roundTrip()
    {
        QFETCH(QString, uid);
        QFETCH(QString, token);
        writeSavedLogin(uid, token);

        const QByteArray file = readFile();
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z0-9+/]+=*$"))
                    .match(QString::fromLatin1(file))
                    .hasMatch());
        QCOMPARE(QByteArray::fromBase64(file).size() % 16, 0);

        const Login read = readSavedLogin();
        QCOMPARE(read.size(), 2);
        QCOMPARE(read, login(uid, token));
        QCOMPARE(read.value(QStringLiteral("username")), QString());
    }

    // Plain texts as other writers left them, encrypted and stored the usual way.
    void decryptedText_data()
    {
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<Login>("expected");

        QTest::newRow("unescaped ordinary values")
            << QByteArray("{\"uid\":\"123\",\"token\":\"abc\"}") << login("123", "abc");
        QTest::newRow("unescaped, exactly 32 bytes")
            << QByteArray("{\"uid\":\"12\",\"token\":\"abcdefghi\"}") << login("12", "abcdefghi");
        QTest::newRow("unescaped quote in the token")
            << QByteArray("{\"uid\":\"5\",\"token\":\"ab\"cd\"}") << login("5", "ab\"cd");
        QTest::newRow("unescaped quote in the uid")
            << QByteArray("{\"uid\":\"a\"b\",\"token\":\"t\"}") << login("a\"b", "t");
        QTest::newRow("unescaped backslash before a plain letter")
            << QByteArray("{\"uid\":\"5\",\"token\":\"a\\qb\"}") << login("5", "a\\qb");
        QTest::newRow("unescaped UTF-8")
            << QString::fromUtf8("{\"uid\":\"用户\",\"token\":\"令牌\"}").toUtf8()
            << login(QString::fromUtf8("用户"), QString::fromUtf8("令牌"));
        QTest::newRow("members in another order")
            << QByteArray("{\"token\":\"t\",\"uid\":\"u\"}") << login("u", "t");
        QTest::newRow("spaced JSON") << QByteArray("{ \"uid\" : \"u\" ,\n \"token\" : \"t\" }")
                                     << login("u", "t");
        QTest::newRow("extra member is dropped")
            << QByteArray("{\"uid\":\"u\",\"token\":\"t\",\"username\":\"n\"}") << login("u", "t");

        QTest::newRow("token missing") << QByteArray("{\"uid\":\"123\"}") << Login();
        QTest::newRow("uid missing") << QByteArray("{\"token\":\"abc\"}") << Login();
        QTest::newRow("uid is a number") << QByteArray("{\"uid\":123,\"token\":\"abc\"}") << Login();
        QTest::newRow("token is null") << QByteArray("{\"uid\":\"1\",\"token\":null}") << Login();
        QTest::newRow("token is an object") << QByteArray("{\"uid\":\"1\",\"token\":{}}") << Login();
        QTest::newRow("an array") << QByteArray("[\"123\",\"abc\"]") << Login();
        QTest::newRow("cut short") << QByteArray("{\"uid\":\"123\",\"to") << Login();
        QTest::newRow("not JSON") << QByteArray("uid=123&token=abc") << Login();
        QTest::newRow("nothing") << QByteArray() << Login();
    }

    void decryptedText()
    {
        QFETCH(QByteArray, plain);
        QFETCH(Login, expected);
        writeFile(encryptForFile(plain).toBase64());
        QCOMPARE(readSavedLogin(), expected);
    }

    void unreadableFile_data()
    {
        QTest::addColumn<QByteArray>("content");

        const QByteArray cipher = encryptForFile("{\"uid\":\"123\",\"token\":\"abcdefghijklmnop\"}");
        QCOMPARE(cipher.size(), 48);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("whitespace") << QByteArray(" \n\t\n");
        QTest::newRow("not Base64") << QByteArray("!!!! ????");
        QTest::newRow("plain JSON") << QByteArray("{\"uid\":\"123\",\"token\":\"abc\"}");
        QTest::newRow("Base64 cut mid-block") << cipher.toBase64().left(40);
        QTest::newRow("whole blocks cut") << cipher.left(16).toBase64();
        QTest::newRow("one block dropped") << cipher.left(32).toBase64();
        QTest::newRow("byte appended") << QByteArray(cipher + 'x').toBase64();
        QTest::newRow("under another key")
            << QAESEncryption(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero)
                   .encrypt("{\"uid\":\"123\",\"token\":\"abc\"}", "7kq0vd35rm8w2z6t")
                   .toBase64();
    }

    void unreadableFile()
    {
        QFETCH(QByteArray, content);
        writeFile(content);
        QVERIFY(readSavedLogin().isEmpty());
        QCOMPARE(readFile(), content); // reading never changes the file
    }

    // Another machine (another identifier) cannot read the file; this one still can afterwards.
    void otherMachineReadsNothing()
    {
        writeSavedLogin(QStringLiteral("42"), QStringLiteral("secret"));
        platform::setMachineIdCommand(QStringLiteral("/bin/echo"), {QStringLiteral("another machine's id")});
        QVERIFY(readSavedLogin().isEmpty());
        platform::setMachineIdCommand(QStringLiteral("/bin/echo"),
                                      {QStringLiteral("0f1e2d3c4b5a69788796a5b4c3d2e1f0")});
        QCOMPARE(readSavedLogin(), login(QStringLiteral("42"), QStringLiteral("secret")));
    }

    void writeReplacesAndClearRemoves()
    {
        writeSavedLogin(QStringLiteral("1"), QStringLiteral("a much longer first token than the second"));
        writeSavedLogin(QStringLiteral("2"), QStringLiteral("b"));
        QCOMPARE(readSavedLogin(), login(QStringLiteral("2"), QStringLiteral("b")));

        clearSavedLogin();
        QVERIFY(!QFile::exists(savedLoginPath()));
        QVERIFY(readSavedLogin().isEmpty());
        clearSavedLogin(); // nothing to delete
        QVERIFY(QDir(QFileInfo(savedLoginPath()).path()).exists());
    }

    // A write that cannot happen leaves the previous login as it was.
    void failedWriteKeepsTheOldFile()
    {
        writeSavedLogin(QStringLiteral("1"), QStringLiteral("kept"));
        const QString dir = QFileInfo(savedLoginPath()).path();
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(dir).isWritable()) {
            QFile::setPermissions(dir,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running with rights that ignore directory permissions");
        }
        writeSavedLogin(QStringLiteral("2"), QStringLiteral("lost"));
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(readSavedLogin(), login(QStringLiteral("1"), QStringLiteral("kept")));
    }

    void cleanupTestCase()
    {
        platform::setMachineIdCommand(QString(), {});
        platform::setApplicationDir(QString());
    }

private:
    const QString m_cacheHome;
    QTemporaryDir m_appDir;
};

int main(int argc, char **argv)
{
    QTemporaryDir cacheHome;
    if (!cacheHome.isValid())
        return 1;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    QCoreApplication app(argc, argv);
    TestSavedLogin test(cacheHome.path());
    return QTest::qExec(&test, argc, argv);
}

#include "test_savedlogin.moc"
