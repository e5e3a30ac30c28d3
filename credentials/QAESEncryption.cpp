#include "credentials/QAESEncryption.h"

#include <array>
#include <cstdint>

namespace {

using Byte = std::uint8_t;
using Block = std::array<Byte, QAESEncryption::blockSize>;
// Room for the longest key schedule: 4 words * (14 rounds + 1) * 4 bytes.
using KeySchedule = std::array<Byte, 240>;

constexpr Byte xtime(Byte x)
{
    return Byte((x << 1) ^ ((x & 0x80) ? 0x1b : 0x00));
}

constexpr Byte multiply(Byte a, Byte b)
{
    Byte product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return product;
}

constexpr Byte rotateLeft(Byte x, int n)
{
    return Byte((x << n) | (x >> (8 - n)));
}

// The S-box is derived as FIPS-197 defines it (multiplicative inverse in GF(2^8), then the affine
// transformation) rather than typed in, so a mistyped entry cannot hide in it.
struct SubstitutionTables
{
    std::array<Byte, 256> forward{};
    std::array<Byte, 256> inverse{};
};

constexpr SubstitutionTables makeSubstitutionTables()
{
    // Powers of the generator 3 give exp/log tables, and with them the inverses.
    std::array<Byte, 256> exp{};
    std::array<Byte, 256> log{};
    Byte power = 1;
    for (int i = 0; i < 255; ++i) {
        exp[i] = power;
        log[power] = Byte(i);
        power = Byte(power ^ xtime(power));
    }
    SubstitutionTables tables;
    for (int x = 0; x < 256; ++x) {
        const Byte inverse = x == 0 ? Byte(0) : exp[(255 - log[x]) % 255];
        const Byte s = Byte(inverse ^ rotateLeft(inverse, 1) ^ rotateLeft(inverse, 2) ^
                            rotateLeft(inverse, 3) ^ rotateLeft(inverse, 4) ^ 0x63);
        tables.forward[x] = s;
        tables.inverse[s] = Byte(x);
    }
    return tables;
}

constexpr SubstitutionTables substitution = makeSubstitutionTables();
static_assert(substitution.forward[0x00] == 0x63 && substitution.forward[0x53] == 0xed, "S-box");
static_assert(substitution.inverse[0x63] == 0x00, "inverse S-box");

// Entry i is used for key word i * Nk; entry 0 is never used.
constexpr Byte roundConstants[] = {0x8d, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20,
                                   0x40, 0x80, 0x1b, 0x36, 0x6c, 0xd8, 0xab};

struct Cipher
{
    int rounds;
    KeySchedule schedule;
};

Cipher expandKey(const QByteArray &key, int rounds)
{
    Cipher cipher{rounds, {}};
    KeySchedule &w = cipher.schedule;
    const int nk = key.size() / 4;
    const int totalWords = 4 * (rounds + 1);
    for (int i = 0; i < key.size(); ++i)
        w[i] = Byte(key.at(i));
    for (int i = nk; i < totalWords; ++i) {
        Byte temp[4] = {w[4 * (i - 1)], w[4 * (i - 1) + 1], w[4 * (i - 1) + 2], w[4 * (i - 1) + 3]};
        if (i % nk == 0) {
            const Byte first = temp[0];
            temp[0] = Byte(substitution.forward[temp[1]] ^ roundConstants[i / nk]);
            temp[1] = substitution.forward[temp[2]];
            temp[2] = substitution.forward[temp[3]];
            temp[3] = substitution.forward[first];
        } else if (nk > 6 && i % nk == 4) {
            for (Byte &b : temp)
                b = substitution.forward[b];
        }
        for (int j = 0; j < 4; ++j)
            w[4 * i + j] = Byte(w[4 * (i - nk) + j] ^ temp[j]);
    }
    return cipher;
}

// The state is kept column by column: byte (row r, column c) sits at index r + 4c.
void addRoundKey(Block &state, const Cipher &cipher, int round)
{
    for (int i = 0; i < 16; ++i)
        state[i] ^= cipher.schedule[16 * round + i];
}

void subBytes(Block &state, const std::array<Byte, 256> &table)
{
    for (Byte &b : state)
        b = table[b];
}

void shiftRows(Block &state)
{
    const Block old = state;
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            state[r + 4 * c] = old[r + 4 * ((c + r) % 4)];
}

void invShiftRows(Block &state)
{
    const Block old = state;
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            state[r + 4 * ((c + r) % 4)] = old[r + 4 * c];
}

void mixColumns(Block &state)
{
    for (int c = 0; c < 4; ++c) {
        Byte *col = &state[4 * c];
        const Byte a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = Byte(xtime(a0) ^ xtime(a1) ^ a1 ^ a2 ^ a3);
        col[1] = Byte(a0 ^ xtime(a1) ^ xtime(a2) ^ a2 ^ a3);
        col[2] = Byte(a0 ^ a1 ^ xtime(a2) ^ xtime(a3) ^ a3);
        col[3] = Byte(xtime(a0) ^ a0 ^ a1 ^ a2 ^ xtime(a3));
    }
}

void invMixColumns(Block &state)
{
    for (int c = 0; c < 4; ++c) {
        Byte *col = &state[4 * c];
        const Byte a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = Byte(multiply(a0, 0x0e) ^ multiply(a1, 0x0b) ^ multiply(a2, 0x0d) ^ multiply(a3, 0x09));
        col[1] = Byte(multiply(a0, 0x09) ^ multiply(a1, 0x0e) ^ multiply(a2, 0x0b) ^ multiply(a3, 0x0d));
        col[2] = Byte(multiply(a0, 0x0d) ^ multiply(a1, 0x09) ^ multiply(a2, 0x0e) ^ multiply(a3, 0x0b));
        col[3] = Byte(multiply(a0, 0x0b) ^ multiply(a1, 0x0d) ^ multiply(a2, 0x09) ^ multiply(a3, 0x0e));
    }
}

Block toBlock(const char *data)
{
    Block block;
    for (int i = 0; i < 16; ++i)
        block[i] = Byte(data[i]);
    return block;
}

void appendBlock(QByteArray &out, const Block &block)
{
    out.append(reinterpret_cast<const char *>(block.data()), int(block.size()));
}

Block encryptBlock(Block state, const Cipher &cipher)
{
    addRoundKey(state, cipher, 0);
    for (int round = 1; round < cipher.rounds; ++round) {
        subBytes(state, substitution.forward);
        shiftRows(state);
        mixColumns(state);
        addRoundKey(state, cipher, round);
    }
    subBytes(state, substitution.forward);
    shiftRows(state);
    addRoundKey(state, cipher, cipher.rounds);
    return state;
}

Block decryptBlock(Block state, const Cipher &cipher)
{
    addRoundKey(state, cipher, cipher.rounds);
    for (int round = cipher.rounds - 1; round > 0; --round) {
        invShiftRows(state);
        subBytes(state, substitution.inverse);
        addRoundKey(state, cipher, round);
        invMixColumns(state);
    }
    invShiftRows(state);
    subBytes(state, substitution.inverse);
    addRoundKey(state, cipher, 0);
    return state;
}

Block xorBlocks(const Block &a, const Block &b)
{
    Block out;
    for (int i = 0; i < 16; ++i)
        out[i] = Byte(a[i] ^ b[i]);
    return out;
}

// Every mode below walks whole blocks; callers hand in a length that is a multiple of 16.
QByteArray runEcb(const QByteArray &in, const Cipher &cipher, bool encrypting)
{
    QByteArray out;
    out.reserve(in.size());
    for (int offset = 0; offset < in.size(); offset += 16) {
        const Block block = toBlock(in.constData() + offset);
        appendBlock(out, encrypting ? encryptBlock(block, cipher) : decryptBlock(block, cipher));
    }
    return out;
}

QByteArray runCbc(const QByteArray &in, const Cipher &cipher, const Block &iv, bool encrypting)
{
    QByteArray out;
    out.reserve(in.size());
    Block chain = iv;
    for (int offset = 0; offset < in.size(); offset += 16) {
        const Block block = toBlock(in.constData() + offset);
        if (encrypting) {
            chain = encryptBlock(xorBlocks(block, chain), cipher);
            appendBlock(out, chain);
        } else {
            appendBlock(out, xorBlocks(decryptBlock(block, cipher), chain));
            chain = block;
        }
    }
    return out;
}

// Full-block cipher feedback: every output block is the input XOR E(previous cipher block).
QByteArray runCfb(const QByteArray &in, const Cipher &cipher, const Block &iv, bool encrypting)
{
    QByteArray out;
    out.reserve(in.size());
    Block feedback = iv;
    for (int offset = 0; offset < in.size(); offset += 16) {
        const Block block = toBlock(in.constData() + offset);
        const Block result = xorBlocks(block, encryptBlock(feedback, cipher));
        appendBlock(out, result);
        feedback = encrypting ? result : block;
    }
    return out;
}

// Output feedback is its own inverse: the key stream E(iv), E(E(iv)), ... XORed with the input.
QByteArray runOfb(const QByteArray &in, const Cipher &cipher, const Block &iv)
{
    QByteArray out;
    out.reserve(in.size());
    Block stream = iv;
    for (int offset = 0; offset < in.size(); offset += 16) {
        stream = encryptBlock(stream, cipher);
        appendBlock(out, xorBlocks(toBlock(in.constData() + offset), stream));
    }
    return out;
}

int keyLengthFor(int keySize)
{
    switch (keySize) {
    case QAESEncryption::Aes192:
        return 24;
    case QAESEncryption::Aes256:
        return 32;
    default:
        return 16;
    }
}

} // namespace

QAESEncryption::QAESEncryption(int keySize, int mode, int padding, QObject *parent)
    : QObject(parent), m_keyLength(keyLengthFor(keySize)), m_rounds(m_keyLength / 4 + 6), m_mode(mode),
      m_padding(padding == PadPkcs7 || padding == PadMarker ? padding : PadZero)
{}

QByteArray QAESEncryption::padding(int scheme, qint64 textLength)
{
    const int remainder = int(textLength % blockSize);
    switch (scheme) {
    case PadPkcs7: {
        const int count = blockSize - remainder;
        return QByteArray(count, char(count));
    }
    case PadMarker:
        if (remainder == 0)
            return QByteArray();
        return QByteArray(1, char(0x80)) + QByteArray(blockSize - 1 - remainder, '\0');
    default:
        return remainder == 0 ? QByteArray() : QByteArray(blockSize - remainder, '\0');
    }
}

QByteArray QAESEncryption::encrypt(const QByteArray &plainText, const QByteArray &key,
                                   const QByteArray &iv) const
{
    if (key.size() != m_keyLength || (m_mode != Ecb && iv.size() != blockSize))
        return QByteArray();
    if (m_mode < Ecb || m_mode > Ofb)
        return QByteArray();

    const QByteArray padded = plainText + padding(m_padding, plainText.size());
    const Cipher cipher = expandKey(key, m_rounds);
    switch (m_mode) {
    case Ecb:
        return runEcb(padded, cipher, true);
    case Cbc:
        return runCbc(padded, cipher, toBlock(iv.constData()), true);
    case Cfb:
        return runCfb(padded, cipher, toBlock(iv.constData()), true);
    default:
        return runOfb(padded, cipher, toBlock(iv.constData()));
    }
}

QByteArray QAESEncryption::decrypt(const QByteArray &cipherText, const QByteArray &key,
                                   const QByteArray &iv) const
{
    if ((m_mode != Ecb && iv.size() != blockSize) || key.size() != m_keyLength ||
        cipherText.size() % blockSize != 0)
        return QByteArray();
    if (m_mode < Ecb || m_mode > Ofb)
        return QByteArray();

    const Cipher cipher = expandKey(key, m_rounds);
    switch (m_mode) {
    case Ecb:
        return runEcb(cipherText, cipher, false);
    case Cbc:
        return runCbc(cipherText, cipher, toBlock(iv.constData()), false);
    case Cfb:
        return runCfb(cipherText, cipher, toBlock(iv.constData()), false);
    default:
        return runOfb(cipherText, cipher, toBlock(iv.constData()));
    }
}
