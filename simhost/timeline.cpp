#include "simhost/timeline.h"

#include <cstdarg>
#include <cstdio>

namespace {

LARGE_INTEGER frequency;
LARGE_INTEGER start;

}  // namespace

void StartTimeline() {
    QueryPerformanceFrequency(&frequency);
    start = Now();
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double MillisecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

void Note(const char* format, ...) {
    if (frequency.QuadPart == 0) {
        StartTimeline();
    }
    std::printf("[%10.3f ms] ", MillisecondsBetween(start, Now()));
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::putchar('\n');
    // Lines must reach a pipe at once: a person or a test watches them while the host waits.
    std::fflush(stdout);
}
