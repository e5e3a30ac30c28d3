#pragma once

#include <QByteArray>
#include <QString>

// How long deviceKey() waits for the machine-identifier command.
constexpr int deviceKeyCommandTimeoutMs = 30000;

// The 16-character key of this machine, used (one Latin-1 byte per character) as the AES-128 key of the
// saved login. Runs platform::machineIdCommand() afresh on every call and waits for it at most
// deviceKeyCommandTimeoutMs; see deviceKeyFromOutput() for how its output becomes the key.
QString deviceKey();

// The same with another bound on the wait (tests use a short one).
QString deviceKey(int timeoutMs);

// The key rules: the output decoded with the local 8-bit code page and simplified; the built-in
// "7kq0vd35rm8w2z6t" when that is empty; then cut to its first 16 characters or padded with "q" to 16.
QString deviceKeyFromOutput(const QByteArray &commandOutput);
