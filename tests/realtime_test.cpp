// The plugin for real, nothing substituted: copies in folders as players have them, a real batch
// file beside each, the real eight-second wait, the real shell and cmd.

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

// Each folder gets a plugin copy of its own; all of them wait out the delay side by side.
TEST(RealTimeTest, BatchFileRunsAfterTheDelay) {
    // The names are in the ANSI code page of a Western Windows, as a player's narrow paths are.
    ASSERT_EQ(GetACP(), 1252u);
    const std::string kFolders[] = {
        kSteamPluginFolder,
        "Spiele f\xFCr J\xF6rg\\SteamLibrary\\steamapps\\common\\Starfield\\Data\\SFSE\\Plugins",
    };
    constexpr std::size_t kCount = std::size(kFolders);
    Installation at[kCount];
    HMODULE plugin[kCount] = {};
    long long callStart[kCount] = {};
    for (std::size_t i = 0; i < kCount; ++i) {
        at[i] = Install("delay" + std::to_string(i), kFolders[i]);
        ASSERT_TRUE(IsInstalled(at[i])) << at[i].folder;
        plugin[i] = LoadRelocated(at[i].dll);
        ASSERT_NE(plugin[i], nullptr) << at[i].dll;
        EXPECT_LT(AcceptedCall(plugin[i], &callStart[i]), 2000);
    }
    for (std::size_t i = 0; i < kCount; ++i) {
        ASSERT_TRUE(WaitFor([&] { return MarkerWritten(at[i]); }, 30000)) << at[i].folder;
        const double delay = MarkerDelayMs(at[i], callStart[i]);
        std::printf("batch file ran %.1f ms after the preload call in %s\n", delay,
                    at[i].folder.c_str());
        EXPECT_GE(delay, kLaunchDelayMs);
        FreeLibrary(plugin[i]);
        EXPECT_TRUE(WaitFor([&] { return GetModuleHandleA(at[i].dll.c_str()) == nullptr; }, 5000));
        EXPECT_EQ(FileBytes(at[i].marker), "ran\r\n") << "the batch file ran more than once";
        Uninstall(at[i]);
    }
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
