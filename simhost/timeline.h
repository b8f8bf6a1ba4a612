#pragma once

#include <windows.h>

// The simulated host's timeline: every line carries the milliseconds since the host started,
// read from the high-resolution performance counter.

void StartTimeline();
LARGE_INTEGER Now();
double MillisecondsBetween(LARGE_INTEGER from, LARGE_INTEGER to);
void Note(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
