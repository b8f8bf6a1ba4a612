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

// Calls entry(sfse) on this thread as the host does, inside a __try/__except of its own: an
// exception that the plugin leaves unhandled comes back here as a fault instead of ending the
// process. As with __except, the guard sees only what no handler of the plugin's own took, and
// the system unwinds the plugin's frames by the plugin's own unwind data to get back here.
GuardedResult CallGuarded(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse);
