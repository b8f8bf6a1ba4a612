#pragma once

#include <windows.h>

#include "host/sfse_plugin.h"

// How a guarded call into a plugin ended.
struct GuardedResult {
    bool faulted;
    bool verdict;         // what the entry returned, when it did not fault
    DWORD exceptionCode;  // when it faulted
    const void* exceptionAddress;
};

// Calls entry(sfse) on this thread as the host does, inside a guard: an exception that the
// plugin leaves unhandled comes back here as a fault instead of ending the process. Like a
// __try around the call, the guard sees only what no handler of the plugin's own took.
GuardedResult CallGuarded(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse);
