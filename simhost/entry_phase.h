#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "host/sfse_plugin.h"
#include "simhost/plugins.h"

constexpr char kPreloadEntry[] = "SFSEPlugin_Preload";
constexpr char kLoadEntry[] = "SFSEPlugin_Load";

// The record the host passes to each entry.
SFSEInterface HostInterface(std::uint32_t hostVersion, std::uint32_t runtimeVersion);

// One of the host's two phases, on this thread: the preload phase (kPreloadEntry) early in the
// game's start-up, the load phase (kLoadEntry) just before the game's main function. Loads each
// plugin still in the running that exports entryName, if it is not loaded yet, and calls the
// entry. Each call is guarded: a plugin that faults, or answers false, is unloaded and dropped,
// and the others go on. Returns when the last accepted call began, or zero if none was.
LARGE_INTEGER RunEntryPhase(const char* entryName, const SFSEInterface& sfse,
                            std::vector<PluginEntry>& plugins);
