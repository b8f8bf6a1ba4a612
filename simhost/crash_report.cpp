// Linked into the simulated host and every test program: an exception that nothing handles, on
// any thread and at any time, even after main has returned, ends the program with one fixed
// line, "CRASH: …", and exit code 70. Why the tests need it: docs/developing.md, "How a test is
// judged".

#include <windows.h>

#include <cstdint>

namespace {

// Any code but 0 does; 70 is the Unix convention for an internal software error.
constexpr UINT kCrashExitCode = 70;

// Appends text, or a number in hexadecimal, to the line. By hand, with no C runtime call: the
// crash may have come while the thread held a lock of the runtime's, or with its stack used up.
char* Append(char* out, const char* text) {
    while (*text != '\0') *out++ = *text++;
    return out;
}

char* AppendHex(char* out, std::uint64_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        *out++ = "0123456789ABCDEF"[(value >> shift) & 0xF];
    }
    return out;
}

char* AppendDecimal(char* out, unsigned long value) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) *out++ = digits[--count];
    return out;
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    char line[96];
    char* end = Append(line, "CRASH: unhandled exception 0x");
    end = AppendHex(end, exception->ExceptionRecord->ExceptionCode, 8);
    end = Append(end, " at 0x");
    end = AppendHex(
        end, reinterpret_cast<std::uintptr_t>(exception->ExceptionRecord->ExceptionAddress), 16);
    end = Append(end, " on thread ");
    end = AppendDecimal(end, GetCurrentThreadId());
    end = Append(end, "\n");
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, static_cast<DWORD>(end - line), &written,
              nullptr);
    TerminateProcess(GetCurrentProcess(), kCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// A stack overflow is reported first, before any frame is searched for a handler: that search
// needs more of the stack than is left. Every other exception only once nothing has handled it.
LONG WINAPI ReportStackOverflow(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    return ReportCrash(exception);
}

// Installed before main runs. The overflow's handler is appended, not put first: a handler that
// takes an overflow as its own, such as the simulated host's guard around a plugin's entry, then
// runs before it, whenever either was added.
[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER previousFilter =
    SetUnhandledExceptionFilter(ReportCrash);
[[maybe_unused]] const PVOID stackOverflowHandler =
    AddVectoredExceptionHandler(0, ReportStackOverflow);

}  // namespace
