#pragma once

#include <QString>
#include <QStringList>

#include <atomic>

namespace devices {

// How one run of the adb tool ended, and what it printed (decoded as UTF-8).
struct AdbResult
{
    enum class End
    {
        Exited,        // the tool ended by itself; exitCode holds its code
        FailedToStart, // no such program, or it could not be run; errorString says why
        Crashed,       // the tool died from a signal
        TimedOut,      // it did not end within the bound and was killed
        Interrupted,   // the caller asked to stop; it was killed
    };

    End end = End::FailedToStart;
    int exitCode = -1;
    QString standardOutput;
    QString standardError;
    QString errorString;

    bool exitedWithZero() const { return end == End::Exited && exitCode == 0; }
    // Standard output and standard error, trimmed, as one text.
    QString output() const;
};

// Runs the adb tool with these arguments, each passed as it is. The run ends when the tool ends, after
// timeoutMs (the tool is killed), or within a fraction of a second after stop becomes true (killed too).
// Blocks the calling thread and needs no event loop.
AdbResult runAdb(const QStringList &arguments, int timeoutMs, const std::atomic<bool> &stop);

} // namespace devices
