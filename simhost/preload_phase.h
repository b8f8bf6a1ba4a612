#pragma once

#include <windows.h>

#include <vector>

#include "simhost/options.h"
#include "simhost/plugins.h"

// Loads each kept plugin that has a preload entry and calls it on this thread, as the script
// extender does early in the game's start-up. A plugin that answers false is unloaded and
// dropped. Returns when the last accepted call was made, or zero if there was none.
LARGE_INTEGER RunPreloadPhase(const HostOptions& options, std::vector<PluginEntry>& plugins);
