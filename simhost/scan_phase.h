#pragma once

#include <cstdint>
#include <vector>

#include "host/sfse_plugin.h"
#include "simhost/plugins.h"

// The host's judgement of a version record it has copied out (name and author already cut to
// their fields): null when the plugin may load, else the host's reason in its own words.
const char* CheckVersionRecord(const SFSEPluginVersionData& record, std::uint32_t runtimeVersion,
                               std::uint32_t hostVersion);

// Reads each plugin's version record straight from its image, mapped as a resource so that no
// plugin code runs, and drops the plugins that a host of hostVersion would not load into a game
// of runtimeVersion.
void RunScanPhase(std::uint32_t runtimeVersion, std::uint32_t hostVersion,
                  std::vector<PluginEntry>& plugins);
