#pragma once

#include <windows.h>

#include "host/sfse_plugin.h"

#include <cstdint>
#include <string>
#include <vector>

// One DLL found in the plugins folder, as the simulated host tracks it.
struct PluginEntry {
    std::string fileName;
    std::string path;
    bool kept = true;                 // still in the running: passed every check so far
    bool hasPreload = false;          // the scan found SFSEPlugin_Preload
    bool hasLoad = false;             // the scan found SFSEPlugin_Load
    std::uint32_t pluginVersion = 0;  // from the version record, once read
    std::string failure;              // why it was dropped, in the host's words
    bool hasErrorCode = false;        // the failure came with a system error code
    DWORD errorCode = 0;
    bool listed = true;        // a failure the summary box lists (not a log-only one)
    HMODULE module = nullptr;  // set while loaded
};

// The *.dll files of folder, in the order NTFS lists them: by name, without regard to case.
std::vector<PluginEntry> FindPlugins(const std::string& folder);

// Marks plugin as dropped, for the reason given in the host's words, and writes it on the
// timeline as the summary box would list it.
void Drop(PluginEntry& plugin, const std::string& failure);
void DropWithCode(PluginEntry& plugin, const std::string& failure, DWORD errorCode);
// Dropped without a line in the summary box: the host only writes these to its log.
void DropUnlisted(PluginEntry& plugin, const std::string& failure);

// "<file name> v<version>: <reason> (<code>)", as the host lists a failed plugin.
std::string FailureLine(const PluginEntry& plugin);

// How the host shows a plugin version: four dotted numbers when the top byte is set (a packed
// version), else one decimal number.
std::string FormatPluginVersion(std::uint32_t version);

using SFSEPluginEntryFn = bool (*)(const SFSEInterface* sfse);

// The loaded module's entry of that name (SFSEPlugin_Preload or SFSEPlugin_Load), or null.
SFSEPluginEntryFn FindEntry(HMODULE module, const char* name);
SFSEPluginPreloadFn FindPreloadEntry(HMODULE module);
