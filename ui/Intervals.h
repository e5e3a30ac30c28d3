#pragma once

// Fixed intervals of the windows. Tests may shorten the storefront load timeout with the environment
// variable LAUNCHER_TEST_LOAD_TIMEOUT_MS or setLoadMainPageTimeoutForTesting(); nothing else changes them.
namespace intervals {

constexpr int LoadMainPageTimeoutMs = 30000;
constexpr int WaitAnimationFrameMs = 150;
constexpr int TaskIconTickMs = 400;
constexpr int StartTimeoutMs = 1000;
constexpr int MainWindowFadeInMs = 400;

// LoadMainPageTimeoutMs unless a test shortened it.
int loadMainPageTimeoutMs();
// A positive value replaces the timeout for this process; 0 restores it.
void setLoadMainPageTimeoutForTesting(int ms);

} // namespace intervals
