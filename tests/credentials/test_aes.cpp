#include "credentials/QAESEncryption.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// The four plaintext blocks every AES example of NIST SP 800-38A encrypts.
const char sp800_38aPlain[] = "6bc1bee22e409f96e93d7e117393172a"
                              "ae2d8a571e03ac9c9eb76fac45af8e51"
                              "30c81c46a35ce411e5fbc1191a0a52ef"
                              "f69f2445df4f9b17ad2b417be66c3710";
const char sp800_38aKey128[] = "2b7e151628aed2a6abf7158809cf4f3c";
const char sp800_38aKey192[] = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const char sp800_38aKey256[] = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const char sp800_38aIv[] = "000102030405060708090a0b0c0d0e0f";

} // namespace

class TestAes : public QObject
{
    Q_OBJECT

private slots:
    void knownAnswers_data()
    {
        QTest::addColumn<int>("keySize");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("iv");
        QTest::addColumn<QByteArray>("plain");
        QTest::addColumn<QByteArray>("cipher");

        const QByteArray fipsPlain = hex("00112233445566778899aabbccddeeff");
        QTest::newRow("FIPS-197 C.1 AES-128") << int(QAESEncryption::Aes128) << int(QAESEncryption::Ecb)
                                              << hex("000102030405060708090a0b0c0d0e0f") << QByteArray()
                                              << fipsPlain << hex("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("FIPS-197 C.2 AES-192")
            << int(QAESEncryption::Aes192) << int(QAESEncryption::Ecb)
            << hex("000102030405060708090a0b0c0d0e0f1011121314151617") << QByteArray() << fipsPlain
            << hex("dda97ca4864cdfe06eaf70a0ec0d7191");
        QTest::newRow("FIPS-197 C.3 AES-256")
            << int(QAESEncryption::Aes256) << int(QAESEncryption::Ecb)
            << hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f") << QByteArray()
            << fipsPlain << hex("8ea2b7ca516745bfeafc49904b496089");
        QTest::newRow("FIPS-197 B cipher example")
            << int(QAESEncryption::Aes128) << int(QAESEncryption::Ecb) << hex(sp800_38aKey128) << QByteArray()
            << hex("3243f6a8885a308d313198a2e0370734") << hex("3925841d02dc09fbdc118597196a0b32");

        QTest::newRow("SP 800-38A F.1.1 ECB-AES128")
            << int(QAESEncryption::Aes128) << int(QAESEncryption::Ecb) << hex(sp800_38aKey128) << QByteArray()
            << hex(sp800_38aPlain)
            << hex("3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
                   "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4");
        QTest::newRow("SP 800-38A F.1.3 ECB-AES192")
            << int(QAESEncryption::Aes192) << int(QAESEncryption::Ecb) << hex(sp800_38aKey192) << QByteArray()
            << hex(sp800_38aPlain)
            << hex("bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
                   "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e");
        QTest::newRow("SP 800-38A F.1.5 ECB-AES256")
            << int(QAESEncryption::Aes256) << int(QAESEncryption::Ecb) << hex(sp800_38aKey256) << QByteArray()
            << hex(sp800_38aPlain)
            << hex("f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
                   "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7");
        QTest::newRow("SP 800-38A F.2.1 CBC-AES128")
            << int(QAESEncryption::Aes128) << int(QAESEncryption::Cbc) << hex(sp800_38aKey128)
            << hex(sp800_38aIv) << hex(sp800_38aPlain)
            << hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                   "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
        QTest::newRow("SP 800-38A F.2.5 CBC-AES256")
            << int(QAESEncryption::Aes256) << int(QAESEncryption::Cbc) << hex(sp800_38aKey256)
            << hex(sp800_38aIv) << hex(sp800_38aPlain)
            << hex("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                   "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");
        QTest::newRow("SP 800-38A F.3.13 CFB128-AES128")
            << int(QAESEncryption::Aes128) << int(QAESEncryption::Cfb) << hex(sp800_38aKey128)
            << hex(sp800_38aIv) << hex(sp800_38aPlain)
            << hex("3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
                   "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6");
        QTest::newRow("SP 800-38A F.4.1 OFB-AES128")
            << int(QAESEncryption::Aes128) << int(QAESEncryption::Ofb) << hex(sp800_38aKey128)
            << hex(sp800_38aIv) << hex(sp800_38aPlain)
            << hex("3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
                   "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e");
        QTest::newRow("SP 800-38A F.4.3 OFB-AES192")
            << int(QAESEncryption::Aes192) << int(QAESEncryption::Ofb) << hex(sp800_38aKey192)
            << hex(sp800_38aIv) << hex(sp800_38aPlain)
            << hex("cdc80d6fddf18cab34c25909c99a4174fcc28b8d4c63837c09e81700c1100401"
                   "8d9a9aeac0f6596f559c6d4daf59a5f26d9f200857ca6c3e9cac524bd9acc92a");
    }

    // Whole-block inputs get no padding under the zero and marker schemes, so both must reproduce
    // the published cipher text exactly, in both directions.
    void knownAnswers()
    {
        QFETCH(int, keySize);
        QFETCH(int, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, iv);
        QFETCH(QByteArray, plain);
        QFETCH(QByteArray, cipher);

        for (int padding : {int(QAESEncryption::PadZero), int(QAESEncryption::PadMarker)}) {
            QAESEncryption aes(keySize, mode, padding);
            QCOMPARE(aes.encrypt(plain, key, iv).toHex(), cipher.toHex());
            QCOMPARE(aes.decrypt(cipher, key, iv).toHex(), plain.toHex());
        }
    }

    void padding_data()
    {
        QTest::addColumn<int>("scheme");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("expected");

        const int zero = QAESEncryption::PadZero;
        const int pkcs7 = QAESEncryption::PadPkcs7;
        const int marker = QAESEncryption::PadMarker;
        QTest::newRow("zero, empty") << zero << 0 << QByteArray();
        QTest::newRow("zero, one block") << zero << 16 << QByteArray();
        QTest::newRow("zero, 15") << zero << 15 << QByteArray(1, '\0');
        QTest::newRow("zero, 32 stays") << zero << 32 << QByteArray();
        QTest::newRow("zero, 33") << zero << 33 << QByteArray(15, '\0');
        QTest::newRow("pkcs7, empty") << pkcs7 << 0 << QByteArray(16, '\x10');
        QTest::newRow("pkcs7, one block adds a block") << pkcs7 << 16 << QByteArray(16, '\x10');
        QTest::newRow("pkcs7, 15") << pkcs7 << 15 << QByteArray(1, '\x01');
        QTest::newRow("pkcs7, 33") << pkcs7 << 33 << QByteArray(15, '\x0f');
        QTest::newRow("marker, empty") << marker << 0 << QByteArray();
        QTest::newRow("marker, one block") << marker << 16 << QByteArray();
        QTest::newRow("marker, 31") << marker << 31 << hex("80");
        QTest::newRow("marker, 33") << marker << 33 << hex("80") + QByteArray(14, '\0');
        QTest::newRow("unknown scheme pads with zeros") << 9 << 20 << QByteArray(12, '\0');
    }

    // Every mode pads before it encrypts, and decrypting gives the text with its padding.
    void padding()
    {
        QFETCH(int, scheme);
        QFETCH(int, length);
        QFETCH(QByteArray, expected);

        QCOMPARE(QAESEncryption::padding(scheme, length).toHex(), expected.toHex());

        const QByteArray key = hex(sp800_38aKey128);
        const QByteArray iv = hex(sp800_38aIv);
        QByteArray text(length, '\0');
        for (int i = 0; i < length; ++i)
            text[i] = char('a' + i % 26);
        const QByteArray padded = text + expected;

        for (int mode : {int(QAESEncryption::Ecb), int(QAESEncryption::Cbc), int(QAESEncryption::Cfb),
                         int(QAESEncryption::Ofb)}) {
            QAESEncryption aes(QAESEncryption::Aes128, mode, scheme);
            const QByteArray cipher = aes.encrypt(text, key, iv);
            // The padded text is whole blocks, so encrypting it with zero padding adds nothing more.
            QAESEncryption unpadded(QAESEncryption::Aes128, mode, QAESEncryption::PadZero);
            QCOMPARE(cipher.toHex(), unpadded.encrypt(padded, key, iv).toHex());
            QCOMPARE(aes.decrypt(cipher, key, iv).toHex(), padded.toHex());
        }
    }

    void invalidInputGivesEmpty_data()
    {
        QTest::addColumn<int>("keySize");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("keyLength");
        QTest::addColumn<int>("ivLength");
        QTest::addColumn<int>("inputLength");
        QTest::addColumn<bool>("encrypting");

        const int aes128 = QAESEncryption::Aes128;
        const int aes256 = QAESEncryption::Aes256;
        const int ecb = QAESEncryption::Ecb;
        const int cbc = QAESEncryption::Cbc;
        QTest::newRow("15-byte key, encrypt") << aes128 << ecb << 15 << 0 << 16 << true;
        QTest::newRow("15-byte key, decrypt") << aes128 << ecb << 15 << 0 << 16 << false;
        QTest::newRow("17-byte key, encrypt") << aes128 << ecb << 17 << 0 << 16 << true;
        QTest::newRow("128-bit key for AES-256") << aes256 << ecb << 16 << 0 << 16 << true;
        QTest::newRow("empty key") << aes128 << ecb << 0 << 0 << 16 << true;
        QTest::newRow("cbc without iv, encrypt") << aes128 << cbc << 16 << 0 << 16 << true;
        QTest::newRow("cbc without iv, decrypt") << aes128 << cbc << 16 << 0 << 16 << false;
        QTest::newRow("cbc 15-byte iv") << aes128 << cbc << 16 << 15 << 16 << true;
        QTest::newRow("cfb 17-byte iv") << aes128 << int(QAESEncryption::Cfb) << 16 << 17 << 16 << true;
        QTest::newRow("ofb without iv, decrypt")
            << aes128 << int(QAESEncryption::Ofb) << 16 << 0 << 16 << false;
        QTest::newRow("decrypt 17 bytes") << aes128 << ecb << 16 << 0 << 17 << false;
        QTest::newRow("decrypt 15 bytes, cbc") << aes128 << cbc << 16 << 16 << 15 << false;
        QTest::newRow("unknown mode 4, encrypt") << aes128 << 4 << 16 << 16 << 16 << true;
        QTest::newRow("unknown mode 4, decrypt") << aes128 << 4 << 16 << 16 << 16 << false;
        QTest::newRow("negative mode") << aes128 << -1 << 16 << 16 << 16 << true;
    }

    void invalidInputGivesEmpty()
    {
        QFETCH(int, keySize);
        QFETCH(int, mode);
        QFETCH(int, keyLength);
        QFETCH(int, ivLength);
        QFETCH(int, inputLength);
        QFETCH(bool, encrypting);

        QAESEncryption aes(keySize, mode, QAESEncryption::PadZero);
        const QByteArray key(keyLength, 'k');
        const QByteArray iv(ivLength, 'i');
        const QByteArray input(inputLength, 'x');
        const QByteArray result = encrypting ? aes.encrypt(input, key, iv) : aes.decrypt(input, key, iv);
        QVERIFY(result.isEmpty());
    }

    void ecbIgnoresIv()
    {
        QAESEncryption aes(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
        const QByteArray key = hex(sp800_38aKey128);
        const QByteArray plain = hex(sp800_38aPlain);
        const QByteArray expected = aes.encrypt(plain, key);
        QCOMPARE(expected.size(), plain.size());
        QCOMPARE(aes.encrypt(plain, key, QByteArray(5, 'v')), expected);
        QCOMPARE(aes.encrypt(plain, key, hex(sp800_38aIv)), expected);
        QCOMPARE(aes.decrypt(expected, key, QByteArray(3, 'v')), plain);
    }

    // Unknown key-size values fall back to AES-128.
    void unknownKeySizeIsAes128()
    {
        QAESEncryption fallback(7, QAESEncryption::Ecb, QAESEncryption::PadZero);
        QAESEncryption aes128(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
        QCOMPARE(fallback.keyLength(), 16);
        const QByteArray key = hex(sp800_38aKey128);
        QCOMPARE(fallback.encrypt("some text", key), aes128.encrypt("some text", key));
        QVERIFY(fallback.encrypt("some text", hex(sp800_38aKey256)).isEmpty());
    }

    // A wrong key is not detected: the result has the right length and is not the plain text.
    void wrongKeyGivesGarbage()
    {
        const QByteArray plain("{\"uid\":\"123\",\"token\":\"abc\"}");
        QAESEncryption aes(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
        const QByteArray cipher = aes.encrypt(plain, "0123456789abcdef");
        QCOMPARE(cipher.size(), 32);
        const QByteArray wrong = aes.decrypt(cipher, "0123456789abcdeg");
        QCOMPARE(wrong.size(), 32);
        QVERIFY(!wrong.startsWith(plain.left(8)));
    }

    // Random texts of every length up to a few blocks, every key size, mode and padding, round-trip.
    void roundTrips()
    {
        QRandomGenerator random(20240607);
        auto bytes = [&random](int count) {
            QByteArray out(count, '\0');
            for (int i = 0; i < count; ++i)
                out[i] = char(random.bounded(256));
            return out;
        };
        for (int keySize : {0, 1, 2}) {
            for (int mode = QAESEncryption::Ecb; mode <= QAESEncryption::Ofb; ++mode) {
                for (int scheme : {0, 1, 2}) {
                    QAESEncryption aes(keySize, mode, scheme);
                    const QByteArray key = bytes(aes.keyLength());
                    const QByteArray iv = bytes(16);
                    for (int length = 0; length <= 70; ++length) {
                        const QByteArray text = bytes(length);
                        const QByteArray cipher = aes.encrypt(text, key, iv);
                        const QByteArray expected = text + QAESEncryption::padding(scheme, length);
                        QCOMPARE(cipher.size(), expected.size());
                        QCOMPARE(aes.decrypt(cipher, key, iv), expected);
                    }
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestAes)
#include "test_aes.moc"
