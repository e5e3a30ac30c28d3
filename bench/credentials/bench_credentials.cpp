// Prints the AES-128 ECB throughput, the time deviceKey() takes with this OS's identifier command, and
// the time of a saved-login write and read (what start-up waits for). Files go to temporary directories.
#include "credentials/DeviceKey.h"
#include "credentials/QAESEncryption.h"
#include "credentials/SavedLogin.h"
#include "platform/ApplicationDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median wall time of runs calls, in milliseconds.
double medianMs(int runs, const std::function<void()> &call)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        call();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir cacheHome;
    QTemporaryDir appDir;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    QCoreApplication app(argc, argv);
    platform::setApplicationDir(appDir.path());

    const qint64 size = 4 * 1024 * 1024;
    const QByteArray plain(int(size), 'p');
    const QByteArray key("0123456789abcdef");
    QAESEncryption aes(QAESEncryption::Aes128, QAESEncryption::Ecb, QAESEncryption::PadZero);
    QByteArray cipher;
    const double encryptMs = medianMs(3, [&] { cipher = aes.encrypt(plain, key); });
    const double decryptMs = medianMs(3, [&] { aes.decrypt(cipher, key); });
    std::printf("AES-128 ECB encrypt: %.1f MiB/s (%lld bytes in %.1f ms)\n",
                size / 1048576.0 / (encryptMs / 1000), static_cast<long long>(size), encryptMs);
    std::printf("AES-128 ECB decrypt: %.1f MiB/s (%lld bytes in %.1f ms)\n",
                size / 1048576.0 / (decryptMs / 1000), static_cast<long long>(size), decryptMs);

    QString deviceKeyText;
    const double keyMs = medianMs(20, [&] { deviceKeyText = deviceKey(); });
    std::printf("deviceKey(): median %.2f ms over 20 calls (key is %s)\n", keyMs,
                deviceKeyText == QLatin1String("7kq0vd35rm8w2z6t") ? "the fallback" : "from the machine id");

    const QString token(600, QLatin1Char('t'));
    const double writeMs = medianMs(20, [&] { writeSavedLogin(QStringLiteral("123456"), token); });
    bool readBack = true;
    const double readMs = medianMs(
        20, [&] { readBack = readBack && readSavedLogin().value(QStringLiteral("token")) == token; });
    std::printf("writeSavedLogin(): median %.2f ms; readSavedLogin(): median %.2f ms (%s)\n", writeMs, readMs,
                readBack ? "read back" : "NOT read back");
    clearSavedLogin();
    return readBack ? 0 : 1;
}
