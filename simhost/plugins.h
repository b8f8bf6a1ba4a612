#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/sfse_plugin.h"

// The host's phases, in the order they run: each may drop plugins.
enum class Phase { kScan, kPreload, kLoad };

// Why the host dropped a plugin.
struct Failure {
    std::string reason;  // in the host's words
    // The system's error code, which the host shows with the reason.
    std::optional<DWORD> errorCode = std::nullopt;
    bool listed = true;  // in the summary box; otherwise only in the host's log
    Phase phase = Phase::kScan;
};

// One DLL found in the plugins folder, as the simulated host tracks it.
struct PluginEntry {
    std::string fileName;
    std::string path;
    bool hasPreload = false;          // the scan found SFSEPlugin_Preload
    bool hasLoad = false;             // the scan found SFSEPlugin_Load
    std::uint32_t pluginVersion = 0;  // from the version record, once read
    std::optional<Failure> failure;   // set once the host has dropped it
    HMODULE module = nullptr;         // set while loaded
};

// The *.dll files of folder, in the order NTFS lists them: by name, without regard to case.
std::vector<PluginEntry> FindPlugins(const std::string& folder);

// "<file name> v<version>: <reason> (<code>)", as the host lists a failed plugin.
std::string FailureLine(const PluginEntry& plugin);

// Writes the plugin's failure on the timeline, as the summary box would list it.
void NoteFailure(const PluginEntry& plugin);

using SFSEPluginEntryFn = bool (*)(const SFSEInterface* sfse);

// The loaded module's entry of that name (SFSEPlugin_Preload or SFSEPlugin_Load), or null.
SFSEPluginEntryFn FindEntry(HMODULE module, const char* name);
