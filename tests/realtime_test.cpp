// The plugin for real, nothing substituted: a copy in a folder of its own, a real batch file
// beside it, the real eight-second wait and the real shell.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/sfse_plugin.h"
#include "simhost/plugins.h"
#include "simhost/relocated_load.h"
#include "tests/support/installation.h"
#include "tests/support/platform_fakes.h"

namespace {

constexpr double kLaunchDelayMs = 8000;

// Calls the plugin's preload entry, and returns how long it held this thread.
double AcceptedCall(HMODULE plugin, long long* callStart) {
    const SFSEPluginPreloadFn preload = FindPreloadEntry(plugin);
    EXPECT_NE(preload, nullptr);
    if (preload == nullptr) return -1;
    *callStart = PreciseNowTicks();
    const ULONGLONG before = GetTickCount64();
    EXPECT_TRUE(preload(&kAcceptedHost));
    return static_cast<double>(GetTickCount64() - before);
}

TEST(RealTimeTest, BatchFileRunsAfterTheDelay) {
    const Installation at = Install("delay");
    ASSERT_TRUE(IsInstalled(at));
    HMODULE plugin = LoadRelocated(at.dll);
    ASSERT_NE(plugin, nullptr);
    long long callStart = 0;
    EXPECT_LT(AcceptedCall(plugin, &callStart), 2000);

    ASSERT_TRUE(WaitFor([&] { return MarkerWritten(at); }, 30000));
    const double delay = MarkerDelayMs(at, callStart);
    std::printf("batch file ran %.1f ms after the preload call\n", delay);
    EXPECT_GE(delay, kLaunchDelayMs);

    FreeLibrary(plugin);
    EXPECT_TRUE(WaitFor([&] { return GetModuleHandleA(at.dll.c_str()) == nullptr; }, 5000));
    Uninstall(at);
}

TEST(RealTimeTest, HostUnloadsThePluginRightAfterTheCall) {
    const Installation at = Install("unload");
    ASSERT_TRUE(IsInstalled(at));
    HMODULE plugin = LoadRelocated(at.dll);
    ASSERT_NE(plugin, nullptr);
    long long callStart = 0;
    AcceptedCall(plugin, &callStart);
    FreeLibrary(plugin);
    // The waiting worker keeps the module alive ...
    EXPECT_NE(GetModuleHandleA(at.dll.c_str()), nullptr);

    ASSERT_TRUE(WaitFor([&] { return MarkerWritten(at); }, 30000));
    EXPECT_GE(MarkerDelayMs(at, callStart), kLaunchDelayMs);
    // ... and lets it go when it ends, without running code of the unloaded module.
    EXPECT_TRUE(WaitFor([&] { return GetModuleHandleA(at.dll.c_str()) == nullptr; }, 5000));
    Uninstall(at);
}

}  // namespace
