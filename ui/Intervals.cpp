#include "ui/Intervals.h"

#include <QtGlobal>

#include <atomic>

namespace intervals {
namespace {
std::atomic<int> testTimeout{0};
}

int loadMainPageTimeoutMs()
{
    if (testTimeout > 0)
        return testTimeout;
    bool ok = false;
    const int fromEnv = qEnvironmentVariableIntValue("LAUNCHER_TEST_LOAD_TIMEOUT_MS", &ok);
    return ok && fromEnv > 0 ? fromEnv : LoadMainPageTimeoutMs;
}

void setLoadMainPageTimeoutForTesting(int ms)
{
    testTimeout = ms > 0 ? ms : 0;
}

} // namespace intervals
