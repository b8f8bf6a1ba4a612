#pragma once

// The script extender's plugin interface as this plugin meets it, and the plugin's exports.

#include <cstddef>
#include <cstdint>

// The record the host passes to SFSEPlugin_Preload. The host owns it; the plugin reads only
// sfseVersion and keeps no pointer to it.
struct SFSEInterface {
    std::uint32_t sfseVersion;       // packed host version
    std::uint32_t runtimeVersion;    // packed game runtime version
    std::uint32_t interfaceVersion;  // 1
    void* (*QueryInterface)(std::uint32_t id);
    std::uint32_t (*GetPluginHandle)();
    const void* (*GetPluginInfo)(const char* name);
};

static_assert(offsetof(SFSEInterface, sfseVersion) == 0);
static_assert(offsetof(SFSEInterface, runtimeVersion) == 4);
static_assert(offsetof(SFSEInterface, interfaceVersion) == 8);
static_assert(offsetof(SFSEInterface, QueryInterface) == 16);
static_assert(offsetof(SFSEInterface, GetPluginHandle) == 24);
static_assert(offsetof(SFSEInterface, GetPluginInfo) == 32);
static_assert(sizeof(SFSEInterface) == 40);

using SFSEPluginPreloadFn = bool (*)(const SFSEInterface* sfse);

extern "C" {
// Called by the host on its own thread while it preloads plugins. Answers true when this host
// is the one version the plugin supports; false after telling the user it is not.
bool SFSEPlugin_Preload(const SFSEInterface* sfse);
}
