#include "simhost/preload_phase.h"

#include "host/sfse_plugin.h"
#include "simhost/timeline.h"

namespace {

void* QueryInterface(std::uint32_t) { return nullptr; }
std::uint32_t GetPluginHandle() { return 0; }
const void* GetPluginInfo(const char*) { return nullptr; }

void UnloadAndDrop(PluginEntry& plugin, const char* failure) {
    FreeLibrary(plugin.module);
    plugin.module = nullptr;
    Drop(plugin, failure);
}

}  // namespace

LARGE_INTEGER RunPreloadPhase(const HostOptions& options, std::vector<PluginEntry>& plugins) {
    const SFSEInterface sfse = {options.hostVersion, options.runtimeVersion, 1,
                                QueryInterface,      GetPluginHandle,        GetPluginInfo};
    LARGE_INTEGER lastAccepted = {};
    for (PluginEntry& plugin : plugins) {
        if (!plugin.kept || !plugin.hasPreload) {
            continue;
        }
        plugin.module = LoadLibraryA(plugin.path.c_str());
        if (plugin.module == nullptr) {
            Note("%s: could not be loaded (error %lu)", plugin.fileName.c_str(), GetLastError());
            Drop(plugin, "couldn't load plugin");
            continue;
        }
        Note("%s: loaded at %p", plugin.fileName.c_str(), static_cast<void*>(plugin.module));
        const SFSEPluginPreloadFn preload = FindPreloadEntry(plugin.module);
        if (preload == nullptr) {
            Note("%s: SFSEPlugin_Preload not found after loading", plugin.fileName.c_str());
            UnloadAndDrop(plugin, "couldn't load plugin");
            continue;
        }
        Note("%s: calling SFSEPlugin_Preload (host %s)", plugin.fileName.c_str(),
             FormatPackedVersion(options.hostVersion).c_str());
        const LARGE_INTEGER before = Now();
        const bool verdict = preload(&sfse);
        const LARGE_INTEGER after = Now();
        Note("%s: SFSEPlugin_Preload returned %s, held the host thread %.3f ms",
             plugin.fileName.c_str(), verdict ? "true" : "false",
             MillisecondsBetween(before, after));
        if (verdict) {
            lastAccepted = before;
        } else {
            Note("%s: reported as incompatible during load; unloading", plugin.fileName.c_str());
            UnloadAndDrop(plugin, "reported as incompatible during load");
        }
    }
    return lastAccepted;
}
