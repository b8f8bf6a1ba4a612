// Crashes, aborts or ends early on purpose, one case at a time, so that judge_test.sh can show
// that the way CTest judges a test program still sees each of these.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/use_up_stack.h"

namespace {

void WriteThroughNull() { *static_cast<volatile int*>(nullptr) = 1; }

DWORD WINAPI OverflowStack(LPVOID) { return UseUpStack(0); }

DWORD WINAPI CrashLater(LPVOID) {
    Sleep(100);
    WriteThroughNull();
    return 0;
}

// Waits, as the program ends, for a thread a test left running.
struct LeftRunning {
    HANDLE thread = nullptr;
    ~LeftRunning() {
        if (thread != nullptr) WaitForSingleObject(thread, INFINITE);
    }
} leftRunning;

TEST(CrashTest, OnTheMainThread) { WriteThroughNull(); }

// As a plugin's worker would, after its wait, while the test waits for it.
TEST(CrashTest, OnASecondThread) {
    HANDLE thread = CreateThread(nullptr, 0, CrashLater, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

TEST(CrashTest, StackOverflowOnASecondThread) {
    HANDLE thread = CreateThread(nullptr, 0, OverflowStack, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

}  // namespace

// Every test passes and the report is written; then, while the program ends, the thread crashes.
TEST(CrashTest, AfterTheLastTest) {
    leftRunning.thread = CreateThread(nullptr, 0, CrashLater, nullptr, 0, nullptr);
    ASSERT_NE(leftRunning.thread, nullptr);
}

// Every test passes and the report is written; then, as the program ends, it aborts: no exception,
// only its exit code tells.
TEST(CrashTest, AbortsAfterTheLastTest) {
    std::atexit([] { std::abort(); });
}

// Ends the program in the middle of its only test, with exit code 0.
TEST(CrashTest, EndsEarly) { ExitProcess(0); }
