#include "simhost/scan_phase.h"

#include <cstring>
#include <string>

#include "simhost/pe_image.h"
#include "simhost/timeline.h"

namespace {

bool IsVersionIndependent(const SFSEPluginVersionData& record) {
    const bool addresses = (record.addressIndependence &
                            (kAddressIndependenceSignatures | kAddressIndependenceBit2)) != 0;
    const bool structures = (record.structureIndependence &
                             (kStructureIndependenceNoStructs | kStructureIndependenceBit3)) != 0;
    return addresses && structures && record.reservedBreaking == 0;
}

bool ListsRuntime(const SFSEPluginVersionData& record, std::uint32_t runtimeVersion) {
    for (std::uint32_t version : record.compatibleVersions) {
        if (version == 0) return false;
        if (version == runtimeVersion) return true;
    }
    return false;
}

std::string CompatibleList(const SFSEPluginVersionData& record) {
    std::string list;
    for (std::uint32_t version : record.compatibleVersions) {
        if (version == 0) break;
        list += (list.empty() ? "" : ", ") + FormatPackedVersion(version);
    }
    return list.empty() ? "none" : list;
}

void Describe(const PluginEntry& plugin, const SFSEPluginVersionData& record) {
    Note("%s: version record: layout %u, name \"%s\", author \"%s\", plugin version %u",
         plugin.fileName.c_str(), record.dataVersion, record.name, record.author,
         record.pluginVersion);
    Note("%s:   address independence 0x%08X, structure independence 0x%08X",
         plugin.fileName.c_str(), record.addressIndependence, record.structureIndependence);
    Note("%s:   compatible runtimes: %s; requires host %s; reserved 0x%08X 0x%08X",
         plugin.fileName.c_str(), CompatibleList(record).c_str(),
         record.seVersionRequired == 0 ? "any"
                                       : FormatPackedVersion(record.seVersionRequired).c_str(),
         record.reservedNonBreaking, record.reservedBreaking);
}

void Refuse(PluginEntry& plugin, const std::string& failure) {
    Note("%s: %s", plugin.fileName.c_str(), failure.c_str());
    Drop(plugin, failure);
}

void Scan(const HostOptions& options, PluginEntry& plugin) {
    MappedImage image;
    std::string error;
    if (!MapImage(plugin.path, &image, &error)) {
        Refuse(plugin, "disabled, " + error);
        return;
    }
    if (!IsAmd64(image)) {
        UnmapImage(&image);
        Refuse(plugin, "disabled, not an x64 image");
        return;
    }
    DWORD available = 0;
    const unsigned char* data = FindExport(image, "SFSEPlugin_Version", &available);
    if (data == nullptr || available < sizeof(SFSEPluginVersionData)) {
        UnmapImage(&image);
        Refuse(plugin, "disabled, no version data");
        return;
    }
    SFSEPluginVersionData record;
    std::memcpy(&record, data, sizeof record);
    record.name[sizeof record.name - 1] = '\0';
    record.author[sizeof record.author - 1] = '\0';
    DWORD ignored = 0;
    plugin.hasPreload = FindExport(image, "SFSEPlugin_Preload", &ignored) != nullptr;
    const bool hasLoad = FindExport(image, "SFSEPlugin_Load", &ignored) != nullptr;
    UnmapImage(&image);

    Describe(plugin, record);
    if (const char* failure =
            CheckVersionRecord(record, options.runtimeVersion, options.hostVersion)) {
        Refuse(plugin, failure);
        return;
    }
    Note("%s: compatible (%s); SFSEPlugin_Preload %s, SFSEPlugin_Load %s", plugin.fileName.c_str(),
         IsVersionIndependent(record) ? "version independent" : "lists the running game",
         plugin.hasPreload ? "present" : "absent", hasLoad ? "present" : "absent");
}

}  // namespace

const char* CheckVersionRecord(const SFSEPluginVersionData& record, std::uint32_t runtimeVersion,
                               std::uint32_t hostVersion) {
    if (record.dataVersion == 0) {
        return "disabled, bad version data";
    }
    if (record.name[0] == '\0') {
        return "disabled, no name specified";
    }
    if (!IsVersionIndependent(record) && !ListsRuntime(record, runtimeVersion)) {
        return "disabled, incompatible with current version of the game";
    }
    if (record.seVersionRequired > hostVersion) {
        return "disabled, requires newer script extender";
    }
    return nullptr;
}

void RunScanPhase(const HostOptions& options, std::vector<PluginEntry>& plugins) {
    for (PluginEntry& plugin : plugins) {
        Scan(options, plugin);
    }
}
