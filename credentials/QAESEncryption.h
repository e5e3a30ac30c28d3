#pragma once

#include <QByteArray>
#include <QObject>

// AES (FIPS-197) over byte arrays: 128-, 192- or 256-bit keys, four block modes and three paddings.
//
// Invalid input is not reported: a key of the wrong length, a missing or wrong-length initialisation
// vector in a mode that needs one, a cipher text that is not whole blocks, or an unknown mode all give an
// empty result. decrypt() leaves the padding in place; the caller strips what it added.
//
// The object holds only its configuration; every call expands the key afresh and keeps no state, so
// one object may serve several threads.
class QAESEncryption : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(QAESEncryption)

public:
    // Any value other than Aes192 or Aes256 means Aes128.
    enum Aes
    {
        Aes128 = 0,
        Aes192 = 1,
        Aes256 = 2
    };
    // Cfb uses 128-bit segments.
    enum Mode
    {
        Ecb = 0,
        Cbc = 1,
        Cfb = 2,
        Ofb = 3
    };
    // Bytes appended by encrypt() to a text whose length leaves r bytes in its last block:
    // PadZero: 16 - r zero bytes (none when r = 0); PadPkcs7: 16 - r bytes of value 16 - r (a whole block
    // of 16 when r = 0); PadMarker: 0x80 then 15 - r zero bytes (none when r = 0).
    // Any value other than PadPkcs7 or PadMarker means PadZero.
    enum Padding
    {
        PadZero = 0,
        PadPkcs7 = 1,
        PadMarker = 2
    };

    static constexpr int blockSize = 16;

    QAESEncryption(int keySize, int mode, int padding, QObject *parent = nullptr);

    QByteArray encrypt(const QByteArray &plainText, const QByteArray &key,
                       const QByteArray &iv = QByteArray()) const;
    QByteArray decrypt(const QByteArray &cipherText, const QByteArray &key,
                       const QByteArray &iv = QByteArray()) const;

    // The key length in bytes this object expects: 16, 24 or 32.
    int keyLength() const { return m_keyLength; }

    // The padding encrypt() appends to a text of the given length under the given scheme.
    static QByteArray padding(int scheme, qint64 textLength);

private:
    const int m_keyLength;
    const int m_rounds;
    const int m_mode;
    const int m_padding;
};
