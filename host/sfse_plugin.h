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

// The record by which a plugin introduces itself, read by the host straight from the image
// before any plugin code runs. Strings are zero-terminated and zero-filled; the compatibility
// list ends at its first 0.
struct SFSEPluginVersionData {
    std::uint32_t dataVersion;
    std::uint32_t pluginVersion;
    char name[256];
    char author[256];
    std::uint32_t addressIndependence;
    std::uint32_t structureIndependence;
    std::uint32_t compatibleVersions[16];  // packed game runtime versions
    std::uint32_t seVersionRequired;       // lowest packed host version, 0 for any
    std::uint32_t reservedNonBreaking;
    std::uint32_t reservedBreaking;  // non-zero makes the host treat the plugin as tied to the game
};

static_assert(offsetof(SFSEPluginVersionData, dataVersion) == 0);
static_assert(offsetof(SFSEPluginVersionData, pluginVersion) == 4);
static_assert(offsetof(SFSEPluginVersionData, name) == 8);
static_assert(offsetof(SFSEPluginVersionData, author) == 264);
static_assert(offsetof(SFSEPluginVersionData, addressIndependence) == 520);
static_assert(offsetof(SFSEPluginVersionData, structureIndependence) == 524);
static_assert(offsetof(SFSEPluginVersionData, compatibleVersions) == 528);
static_assert(offsetof(SFSEPluginVersionData, seVersionRequired) == 592);
static_assert(offsetof(SFSEPluginVersionData, reservedNonBreaking) == 596);
static_assert(offsetof(SFSEPluginVersionData, reservedBreaking) == 600);
static_assert(sizeof(SFSEPluginVersionData) == 604);

constexpr std::uint32_t kVersionDataLayout = 1;
// Address independence: the plugin finds the addresses it needs by signature matching only.
constexpr std::uint32_t kAddressIndependenceSignatures = 1u << 0;
// Address independence: the plugin finds its addresses through the second form of the
// community address library. The host counts it as version independent too.
constexpr std::uint32_t kAddressIndependenceAddressLibraryV2 = 1u << 2;
// Structure independence: the plugin uses no game structures.
constexpr std::uint32_t kStructureIndependenceNoStructs = 1u << 0;
// Structure independence: the plugin uses the game's structures as laid out from game 1.14.70
// on. The host counts it as version independent too.
constexpr std::uint32_t kStructureIndependenceLayout1_14_70 = 1u << 3;

using SFSEPluginPreloadFn = bool (*)(const SFSEInterface* sfse);

extern "C" {
// Called by the host on the game's main thread, in the game's C runtime start-up before any
// window exists, while it preloads plugins. Answers true when this host is the one version the
// plugin supports; false after telling the user it is not.
bool SFSEPlugin_Preload(const SFSEInterface* sfse);

// The plugin's version record, laid out when the module is built.
extern const SFSEPluginVersionData SFSEPlugin_Version;
}
