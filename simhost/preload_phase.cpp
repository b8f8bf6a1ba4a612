#include "simhost/preload_phase.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "host/sfse_plugin.h"
#include "simhost/guard.h"
#include "simhost/relocated_load.h"
#include "simhost/timeline.h"

namespace {

void* QueryInterface(std::uint32_t) { return nullptr; }
std::uint32_t GetPluginHandle() { return 0; }
const void* GetPluginInfo(const char*) { return nullptr; }

SFSEInterface HostInterface(const HostOptions& options) {
    return {options.hostVersion, options.runtimeVersion, 1,
            QueryInterface,      GetPluginHandle,        GetPluginInfo};
}

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

// Loads the plugin if need be and calls its entry of that name inside the guard, as the host
// does. True if the plugin stays loaded; otherwise it is unloaded and dropped in the host's
// words.
bool CallEntry(PluginEntry& plugin, const char* entryName, const SFSEInterface& sfse,
               LARGE_INTEGER* callStart) {
    const char* file = plugin.fileName.c_str();
    if (plugin.module == nullptr) {
        plugin.module = LoadRelocated(plugin.path);
        if (plugin.module == nullptr) {
            DropWithCode(plugin, "couldn't load plugin", GetLastError());
            return false;
        }
        Note("%s: loaded at %p", file, static_cast<void*>(plugin.module));
    }
    const SFSEPluginEntryFn entry = FindEntry(plugin.module, entryName);
    if (entry == nullptr) {
        const DWORD code = GetLastError();
        Unload(plugin);
        DropWithCode(plugin, "couldn't load plugin", code);
        return false;
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
        Drop(plugin, "disabled, fatal error occurred while loading plugin");
        return false;
    }
    Note("%s: %s returned %s, held the host thread %.3f ms", file, entryName,
         result.verdict ? "true" : "false", MillisecondsBetween(before, after));
    if (!result.verdict) {
        Unload(plugin);
        Drop(plugin, "reported as incompatible during load");
        return false;
    }
    *callStart = before;
    return true;
}

}  // namespace

LARGE_INTEGER RunPreloadPhase(const HostOptions& options, std::vector<PluginEntry>& plugins) {
    const SFSEInterface sfse = HostInterface(options);
    LARGE_INTEGER lastAccepted = {};
    for (PluginEntry& plugin : plugins) {
        if (plugin.kept && plugin.hasPreload) {
            CallEntry(plugin, "SFSEPlugin_Preload", sfse, &lastAccepted);
        }
    }
    return lastAccepted;
}

void RunLoadPhase(const HostOptions& options, std::vector<PluginEntry>& plugins) {
    const SFSEInterface sfse = HostInterface(options);
    for (PluginEntry& plugin : plugins) {
        LARGE_INTEGER ignored;
        if (plugin.kept && plugin.hasLoad) {
            CallEntry(plugin, "SFSEPlugin_Load", sfse, &ignored);
        }
    }
}
