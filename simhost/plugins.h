#pragma once

#include <windows.h>

#include "host/sfse_plugin.h"

#include <string>
#include <vector>

// One DLL found in the plugins folder, as the simulated host tracks it.
struct PluginEntry {
    std::string fileName;
    std::string path;
    bool kept = true;          // still in the running: passed every check so far
    bool hasPreload = false;   // the scan found SFSEPlugin_Preload
    std::string failure;       // why it was dropped, in the host's words
    HMODULE module = nullptr;  // set while loaded
};

// The *.dll files of folder, in the order the file system lists them.
std::vector<PluginEntry> FindPlugins(const std::string& folder);

// Marks plugin as dropped, for the reason given in the host's words.
void Drop(PluginEntry& plugin, const std::string& failure);

// The loaded module's SFSEPlugin_Preload, or null.
SFSEPluginPreloadFn FindPreloadEntry(HMODULE module);
