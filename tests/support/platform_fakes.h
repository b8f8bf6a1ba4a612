#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/packed_version.h"
#include "host/sfse_plugin.h"

// A host record the plugin accepts: SFSE 0.2.18 on game runtime 1.15.222.
inline const SFSEInterface kAcceptedHost = {
    PackVersion(0, 2, 18), PackVersion(1, 15, 222), 1, nullptr, nullptr, nullptr};

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

// The plugin, loaded once per test program with its imports substituted.
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
