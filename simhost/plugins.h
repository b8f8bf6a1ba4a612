#pragma once

#include <windows.h>

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
