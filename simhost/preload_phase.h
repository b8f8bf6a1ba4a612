#pragma once

#include <windows.h>

#include <vector>

#include "simhost/options.h"
#include "simhost/plugins.h"

// Loads each kept plugin that has a preload entry and calls it on this thread, as the script
// extender does early in the game's start-up. Each call is guarded: a plugin that faults, or
// answers false, is unloaded and dropped, and the others go on. Returns when the last accepted
// call was made, or zero if there was none.
LARGE_INTEGER RunPreloadPhase(const HostOptions& options, std::vector<PluginEntry>& plugins);

// The later load phase, on the same thread, just before the game's main function: the same for
// each kept plugin that has SFSEPlugin_Load, loading it first if it had no preload entry.
void RunLoadPhase(const HostOptions& options, std::vector<PluginEntry>& plugins);
