// Linked into the simulated host and every test program: an exception that nothing handles, on
// any thread and at any time, even after main has returned, ends the program with one fixed
// line and a non-zero exit code. Without this, how a crash shows depends on what runs the
// program: one Wine prints a report, another prints nothing, either may end it with exit code 0,
// and Windows prints nothing at all.

#include <windows.h>

#include <cstdio>

namespace {

// Any code but 0 does; 70 is the Unix convention for an internal software error.
constexpr UINT kCrashExitCode = 70;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    // Formatted on the stack and written straight to the handle: the crash may have come while
    // the thread held a lock of the C runtime's.
    char line[128];
    const int length =
        std::snprintf(line, sizeof line, "CRASH: unhandled exception 0x%08lX at %p on thread %lu\n",
                      static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                      exception->ExceptionRecord->ExceptionAddress,
                      static_cast<unsigned long>(GetCurrentThreadId()));
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
    TerminateProcess(GetCurrentProcess(), kCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Installed before main runs.
[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER previousFilter =
    SetUnhandledExceptionFilter(ReportCrash);

}  // namespace
