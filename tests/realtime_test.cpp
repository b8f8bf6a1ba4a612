// The plugin for real, nothing substituted: a copy in a folder of its own, a real batch file
// beside it, the real eight-second wait and the real shell.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/packed_version.h"
#include "host/sfse_plugin.h"
#include "tests/support/platform_fakes.h"

namespace {

constexpr double kLaunchDelayMs = 8000;

long long FileTimeTicks(const FILETIME& time) {
    return static_cast<long long>(
        ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart);
}

long long PreciseNowTicks() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return FileTimeTicks(now);
}

// A fresh folder under the temporary directory holding a copy of the plugin and a batch file
// that records, by creating a file, that the shell ran it.
struct Installation {
    std::string folder;
    std::string dll;
    std::string marker;
};

Installation Install(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    Installation at;
    at.folder =
        std::string(temp) + "tarnwick-" + name + "-" + std::to_string(GetCurrentProcessId());
    at.dll = at.folder + "\\Tarnwick.dll";
    at.marker = at.folder + "\\batch-ran.txt";
    CreateDirectoryA(at.folder.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA((ProgramDirectory() + "\\Tarnwick.dll").c_str(), at.dll.c_str(), FALSE));
    FILE* batch = std::fopen((at.folder + "\\start_high_priority.bat").c_str(), "wb");
    EXPECT_NE(batch, nullptr);
    std::fputs("@echo off\r\necho ran> \"%~dp0batch-ran.txt\"\r\n", batch);
    std::fclose(batch);
    return at;
}

void Uninstall(const Installation& at) {
    DeleteFileA(at.marker.c_str());
    DeleteFileA((at.folder + "\\start_high_priority.bat").c_str());
    DeleteFileA(at.dll.c_str());
    RemoveDirectoryA(at.folder.c_str());
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(5);
    }
    return true;
}

// Milliseconds from callStart to when the batch file wrote its marker.
double MarkerDelayMs(const Installation& at, long long callStart) {
    WIN32_FILE_ATTRIBUTE_DATA marker;
    if (!GetFileAttributesExA(at.marker.c_str(), GetFileExInfoStandard, &marker)) return -1;
    return static_cast<double>(FileTimeTicks(marker.ftLastWriteTime) - callStart) / 10000.0;
}

// Calls the preload entry of the plugin at at.dll, and returns how long it held this thread.
double AcceptedCall(HMODULE plugin, long long* callStart) {
    const auto preload = reinterpret_cast<SFSEPluginPreloadFn>(
        reinterpret_cast<void*>(GetProcAddress(plugin, "SFSEPlugin_Preload")));
    EXPECT_NE(preload, nullptr);
    if (preload == nullptr) return -1;
    *callStart = PreciseNowTicks();
    const ULONGLONG before = GetTickCount64();
    EXPECT_TRUE(preload(&kAcceptedHost));
    return static_cast<double>(GetTickCount64() - before);
}

TEST(RealTimeTest, BatchFileRunsAfterTheDelay) {
    const Installation at = Install("delay");
    HMODULE plugin = LoadLibraryA(at.dll.c_str());
    ASSERT_NE(plugin, nullptr);
    long long callStart = 0;
    EXPECT_LT(AcceptedCall(plugin, &callStart), 2000);

    ASSERT_TRUE(WaitFor(
        [&] { return GetFileAttributesA(at.marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000));
    const double delay = MarkerDelayMs(at, callStart);
    std::printf("batch file ran %.1f ms after the preload call\n", delay);
    EXPECT_GE(delay, kLaunchDelayMs);

    FreeLibrary(plugin);
    EXPECT_TRUE(WaitFor([&] { return GetModuleHandleA(at.dll.c_str()) == nullptr; }, 5000));
    Uninstall(at);
}

TEST(RealTimeTest, HostUnloadsThePluginRightAfterTheCall) {
    const Installation at = Install("unload");
    HMODULE plugin = LoadLibraryA(at.dll.c_str());
    ASSERT_NE(plugin, nullptr);
    long long callStart = 0;
    AcceptedCall(plugin, &callStart);
    FreeLibrary(plugin);
    // The waiting worker keeps the module alive ...
    EXPECT_NE(GetModuleHandleA(at.dll.c_str()), nullptr);

    ASSERT_TRUE(WaitFor(
        [&] { return GetFileAttributesA(at.marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000));
    EXPECT_GE(MarkerDelayMs(at, callStart), kLaunchDelayMs);
    // ... and lets it go when it ends, without running code of the unloaded module.
    EXPECT_TRUE(WaitFor([&] { return GetModuleHandleA(at.dll.c_str()) == nullptr; }, 5000));
    Uninstall(at);
}

}  // namespace
