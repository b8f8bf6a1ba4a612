// Many accepted preload calls at once, from several host threads: every one launches exactly
// once, and every worker gives its module reference back.

#include <gtest/gtest.h>

#include <algorithm>

#include "host/packed_version.h"
#include "tests/support/platform_fakes.h"

namespace {

constexpr int kCallerThreads = 8;
constexpr int kCallsPerThread = 125;
constexpr int kCalls = kCallerThreads * kCallsPerThread;

struct Caller {
    HANDLE start;
    int accepted;
};

DWORD WINAPI CallRepeatedly(LPVOID parameter) {
    auto* caller = static_cast<Caller*>(parameter);
    WaitForSingleObject(caller->start, INFINITE);
    for (int i = 0; i < kCallsPerThread; ++i) {
        caller->accepted += FakedPreload()(&kAcceptedHost) ? 1 : 0;
    }
    return 0;
}

TEST(StressTest, ThousandCallsFromEightThreads) {
    const std::string pluginPath = ProgramDirectory() + "\\Tarnwick.dll";
    ASSERT_NE(FakedPlugin(), nullptr);
    ResetFakes({});
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Caller callers[kCallerThreads];
    HANDLE threads[kCallerThreads];
    for (int i = 0; i < kCallerThreads; ++i) {
        callers[i] = {start, 0};
        threads[i] = CreateThread(nullptr, 0, CallRepeatedly, &callers[i], 0, nullptr);
        ASSERT_NE(threads[i], nullptr);
    }
    SetEvent(start);
    WaitForMultipleObjects(kCallerThreads, threads, TRUE, INFINITE);
    for (int i = 0; i < kCallerThreads; ++i) {
        CloseHandle(threads[i]);
        EXPECT_EQ(callers[i].accepted, kCallsPerThread);
    }
    CloseHandle(start);

    const std::vector<DWORD> exitCodes = JoinWorkers(30000);
    EXPECT_EQ(exitCodes.size(), static_cast<std::size_t>(kCalls));
    EXPECT_EQ(std::count(exitCodes.begin(), exitCodes.end(), 0u), kCalls);
    const std::string launch = "ShellExecuteA(null, \"open\", \"" + ProgramDirectory() +
                               "\\start_high_priority.bat\", null, null, 10)";
    const std::vector<std::string> calls = AllCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), launch), kCalls);
    EXPECT_EQ(
        std::count_if(calls.begin(), calls.end(),
                      [](const std::string& call) { return call.rfind("ShellExecuteA", 0) == 0; }),
        kCalls);

    // Every worker's reference is back: the test's own load is the last one.
    ASSERT_NE(GetModuleHandleA(pluginPath.c_str()), nullptr);
    FreeLibrary(FakedPlugin());
    EXPECT_EQ(GetModuleHandleA(pluginPath.c_str()), nullptr);
}

}  // namespace
