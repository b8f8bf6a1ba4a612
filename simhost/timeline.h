#pragma once

#include <windows.h>

// The simulated host's timeline: every line carries the milliseconds since the host started,
// read from the high-resolution performance counter.

// The C runtime's printf here is MinGW's C99 one; GCC calls that format gnu_printf.
#if defined(__clang__)
#define TIMELINE_PRINTF_FORMAT __attribute__((format(printf, 1, 2)))
#else
#define TIMELINE_PRINTF_FORMAT __attribute__((format(gnu_printf, 1, 2)))
#endif

void StartTimeline();
LARGE_INTEGER Now();
double MillisecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to);
void Note(const char* format, ...) TIMELINE_PRINTF_FORMAT;
