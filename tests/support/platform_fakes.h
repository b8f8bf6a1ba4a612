#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/build_versions.h"
#include "host/sfse_plugin.h"

// A host record the plugin accepts: the SFSE version and game runtime it was built for.
inline const SFSEInterface kAcceptedHost = {
    kRequiredSfseVersion, kGameRuntimeVersion, 1, nullptr, nullptr, nullptr};

// Loads the shipped Tarnwick.dll and substitutes the platform functions it imports, so a test
// sees every call the plugin makes, on which thread, with which arguments, and can steer the
// answers. Each call is recorded as text, e.g. Sleep(8000) or FreeLibrary(plugin).

enum class ModulePathAnswer {
    kReal,     // what the platform says
    kFailure,  // 0, the path cannot be had
    kGiven,    // givenPath, cut to the caller's buffer as the platform cuts a long path
};

struct FakeSettings {
    DWORD realSleepMs = 0;  // how long a substituted wait really waits
    bool failThreadStart = false;
    ModulePathAnswer modulePath = ModulePathAnswer::kReal;
    std::string givenPath;
};

// The preload entry of a loaded plugin, or null.
SFSEPluginPreloadFn FindPreloadEntry(HMODULE module);

// The plugin, loaded once per test program with its imports substituted: the Tarnwick.dll beside
// the test program, or the one at path, named before the first call.
void UseFakedPluginAt(const std::string& path);
HMODULE FakedPlugin();
SFSEPluginPreloadFn FakedPreload();

// Forgets every recorded call and worker, and applies settings from now on.
void ResetFakes(const FakeSettings& settings);

// The calls the plugin made on thread, in order.
std::vector<std::string> CallsOn(DWORD thread);

// Every call the plugin made, on any thread.
std::vector<std::string> AllCalls();

// Threads started through the substituted CreateThread since the last reset.
std::vector<DWORD> Workers();

// Waits for every worker to end and returns their exit codes; a worker still running after
// timeoutMs reports STILL_ACTIVE.
std::vector<DWORD> JoinWorkers(DWORD timeoutMs = 10000);

// The directory of the test program, where the build puts the plugin too.
std::string ProgramDirectory();
