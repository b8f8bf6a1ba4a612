#include "simhost/entry_phase.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "simhost/guard.h"
#include "simhost/relocated_load.h"
#include "simhost/timeline.h"
#include "simhost/version_text.h"

namespace {

void* QueryInterface(std::uint32_t) { return nullptr; }
std::uint32_t GetPluginHandle() { return 0; }
const void* GetPluginInfo(const char*) { return nullptr; }

void Unload(PluginEntry& plugin) {
    FreeLibrary(plugin.module);
    plugin.module = nullptr;
}

// "plugin.dll+0x1234" for an address inside a loaded module.
std::string Where(const void* address) {
    char text[MAX_PATH + 32];
    HMODULE owner = nullptr;
    char path[MAX_PATH] = {};
    if (GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(address), &owner) &&
        GetModuleFileNameA(owner, path, MAX_PATH) > 0) {
        const char* name = std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path;
        std::snprintf(text, sizeof text, "%s+0x%llx", name,
                      static_cast<unsigned long long>(static_cast<const char*>(address) -
                                                      reinterpret_cast<const char*>(owner)));
    } else {
        std::snprintf(text, sizeof text, "%p", address);
    }
    return text;
}

// How one call into a plugin ended: the plugin dropped, or its call accepted at start.
struct CallOutcome {
    std::optional<Failure> failure;
    LARGE_INTEGER start;
};

// Loads the plugin if need be and calls its entry of that name inside the guard, as the host
// does. A plugin that fails stays loaded no longer.
CallOutcome CallEntry(PluginEntry& plugin, const char* entryName, const SFSEInterface& sfse) {
    const char* file = plugin.fileName.c_str();
    if (plugin.module == nullptr) {
        plugin.module = LoadRelocated(plugin.path);
        if (plugin.module == nullptr) {
            return {Failure{"couldn't load plugin", GetLastError()}, {}};
        }
        Note("%s: loaded at %p", file, static_cast<void*>(plugin.module));
    }
    const SFSEPluginEntryFn entry = FindEntry(plugin.module, entryName);
    if (entry == nullptr) {
        const DWORD code = GetLastError();
        Unload(plugin);
        return {Failure{"couldn't load plugin", code}, {}};
    }
    Note("%s: calling %s (host %s)", file, entryName,
         FormatPackedVersion(sfse.sfseVersion).c_str());
    const LARGE_INTEGER before = Now();
    const GuardedResult result = CallGuarded(entry, &sfse);
    const LARGE_INTEGER after = Now();
    if (result.faulted) {
        Note("%s: %s faulted: exception 0x%08lX at %s", file, entryName,
             static_cast<unsigned long>(result.exceptionCode),
             Where(result.exceptionAddress).c_str());
        Unload(plugin);
        return {Failure{"disabled, fatal error occurred while loading plugin"}, before};
    }
    Note("%s: %s returned %s, held the host thread %.3f ms", file, entryName,
         result.verdict ? "true" : "false", MillisecondsBetween(before, after));
    if (!result.verdict) {
        Unload(plugin);
        return {Failure{"reported as incompatible during load"}, before};
    }
    return {std::nullopt, before};
}

}  // namespace

SFSEInterface HostInterface(std::uint32_t hostVersion, std::uint32_t runtimeVersion) {
    return {hostVersion, runtimeVersion, 1, QueryInterface, GetPluginHandle, GetPluginInfo};
}

LARGE_INTEGER RunEntryPhase(const char* entryName, const SFSEInterface& sfse,
                            std::vector<PluginEntry>& plugins) {
    const bool preload = std::strcmp(entryName, kPreloadEntry) == 0;
    LARGE_INTEGER lastAccepted = {};
    for (PluginEntry& plugin : plugins) {
        if (plugin.failure || !(preload ? plugin.hasPreload : plugin.hasLoad)) {
            continue;
        }
        const CallOutcome outcome = CallEntry(plugin, entryName, sfse);
        plugin.failure = outcome.failure;
        if (plugin.failure) {
            plugin.failure->phase = preload ? Phase::kPreload : Phase::kLoad;
            NoteFailure(plugin);
        } else {
            lastAccepted = outcome.start;
        }
    }
    return lastAccepted;
}
