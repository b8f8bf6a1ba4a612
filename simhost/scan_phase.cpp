#include "simhost/scan_phase.h"

#include <cstring>
#include <string>

#include "simhost/pe_image.h"
#include "simhost/timeline.h"
#include "simhost/version_text.h"

namespace {

bool IsVersionIndependent(const SFSEPluginVersionData& record) {
    const bool addresses =
        (record.addressIndependence &
         (kAddressIndependenceSignatures | kAddressIndependenceAddressLibraryV2)) != 0;
    const bool structures =
        (record.structureIndependence &
         (kStructureIndependenceNoStructs | kStructureIndependenceLayout1_14_70)) != 0;
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

// Where the real host, which reads the image without bounds checks, would read outside it. It
// catches such a fault once around its whole scan and stops scanning there; this host goes on.
Failure StrayRead(const PluginEntry& plugin, const char* what) {
    Note(
        "%s: %s lies outside the image: the real host may fault here and stop its scan, so that "
        "no later plugin loads",
        plugin.fileName.c_str(), what);
    return {"disabled, broken image", std::nullopt, false};
}

// Reads the plugin's version record and exports, and judges them as the host does.
std::optional<Failure> Scan(PluginEntry& plugin, std::uint32_t runtimeVersion,
                            std::uint32_t hostVersion) {
    const Failure kThirtyTwoBit = {"32-bit plugins can never work"};
    MappedImage image;
    std::string error;
    DWORD code = 0;
    if (!MapImage(plugin.path, &image, &error, &code)) {
        if (code != 0) {
            return Failure{"couldn't load plugin", code};
        }
        // Mapped, but not a 64-bit image: the host's machine check refuses it.
        Note("%s: %s", plugin.fileName.c_str(), error.c_str());
        return kThirtyTwoBit;
    }
    if (!IsAmd64(image)) {
        UnmapImage(&image);
        return kThirtyTwoBit;
    }
    DWORD available = 0;
    bool outside = false;
    const unsigned char* data = FindExport(image, "SFSEPlugin_Version", &available, &outside);
    if (outside || (data != nullptr && available < sizeof(SFSEPluginVersionData))) {
        UnmapImage(&image);
        return StrayRead(plugin, outside ? "the export table" : "the version record's end");
    }
    if (data == nullptr) {
        UnmapImage(&image);
        return Failure{"no version data", std::nullopt, false};
    }
    SFSEPluginVersionData record;
    std::memcpy(&record, data, sizeof record);
    record.name[sizeof record.name - 1] = '\0';
    record.author[sizeof record.author - 1] = '\0';
    DWORD ignored = 0;
    plugin.hasPreload = FindExport(image, "SFSEPlugin_Preload", &ignored) != nullptr;
    plugin.hasLoad = FindExport(image, "SFSEPlugin_Load", &ignored) != nullptr;
    plugin.pluginVersion = record.pluginVersion;
    UnmapImage(&image);

    Describe(plugin, record);
    if (const char* failure = CheckVersionRecord(record, runtimeVersion, hostVersion)) {
        return Failure{failure};
    }
    Note("%s: compatible (%s); SFSEPlugin_Preload %s, SFSEPlugin_Load %s", plugin.fileName.c_str(),
         IsVersionIndependent(record) ? "version independent" : "lists the running game",
         plugin.hasPreload ? "present" : "absent", plugin.hasLoad ? "present" : "absent");
    return std::nullopt;
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

void RunScanPhase(std::uint32_t runtimeVersion, std::uint32_t hostVersion,
                  std::vector<PluginEntry>& plugins) {
    for (PluginEntry& plugin : plugins) {
        plugin.failure = Scan(plugin, runtimeVersion, hostVersion);
        if (plugin.failure) {
            NoteFailure(plugin);
        }
    }
}
