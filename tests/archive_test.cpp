// Each plugin archive of the release, as a player unpacks it: its DLL runs with the one SFSE its
// name says, in the simulated host through its real entry, and names that SFSE's game build.
// What it is compared with is the table of releases, not the header the plugin was built from.

#include <gtest/gtest.h>

#include "host/packed_version.h"
#include "releases.h"
#include "simhost/entry_phase.h"
#include "simhost/relocated_load.h"
#include "simhost/scan_phase.h"
#include "tests/support/import_patch.h"
#include "tests/support/pe_listing.h"
#include "tests/support/platform_fakes.h"

// Failures name the archive's SFSE rather than dumping the row's bytes.
void PrintTo(const Release& release, std::ostream* out) { *out << "SFSE " << release.sfse; }

namespace {

int boxes = 0;

int WINAPI CountBox(HWND, LPCSTR, LPCSTR, UINT) { return ++boxes, IDOK; }

// The gate's verdict is what counts here, not the launch: no worker starts.
HANDLE WINAPI NoWorker(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                       LPDWORD) {
    return nullptr;
}

std::uint32_t Packed(const char* text) {
    std::uint32_t packed = 0;
    EXPECT_TRUE(ParsePackedVersion(text, &packed)) << text;
    return packed;
}

class ArchiveTest : public testing::TestWithParam<Release> {};

TEST_P(ArchiveTest, RunsWithItsOwnSfseOnlyAndListsItsGame) {
    const Release& own = GetParam();
    const std::string folder = ProgramDirectory() + "\\..\\unpacked\\Tarnwick-" +
                               TARNWICK_VERSION_TEXT + "-SFSE-" + own.sfse +
                               ".zip\\Data\\SFSE\\Plugins";
    std::vector<Release> hosts(std::begin(kTable), std::end(kTable));
    hosts.push_back(own);
    for (const Release& host : hosts) {
        std::vector<PluginEntry> plugins = FindPlugins(folder);
        ASSERT_EQ(plugins.size(), 1u) << folder;
        RunScanPhase(Packed(host.game), Packed(host.sfse), plugins);
        plugins[0].module = LoadRelocated(plugins[0].path);
        PatchImport(plugins[0].module, "USER32.dll", "MessageBoxA",
                    reinterpret_cast<void*>(CountBox));
        PatchImport(plugins[0].module, "KERNEL32.dll", "CreateThread",
                    reinterpret_cast<void*>(NoWorker));
        boxes = 0;
        RunEntryPhase(kPreloadEntry, HostInterface(Packed(host.sfse), Packed(host.game)), plugins);
        const bool ownHost = std::string(host.sfse) == own.sfse;
        EXPECT_EQ(!plugins[0].failure, ownHost) << "host SFSE " << host.sfse;
        EXPECT_EQ(boxes, ownHost ? 0 : 1) << "host SFSE " << host.sfse;
        if (plugins[0].module != nullptr) FreeLibrary(plugins[0].module);
    }

    MappedImage image;
    std::string error;
    ASSERT_TRUE(MapImage(folder + "\\Tarnwick.dll", &image, &error)) << error;
    DWORD available = 0;
    const auto* record = reinterpret_cast<const SFSEPluginVersionData*>(
        FindExport(image, "SFSEPlugin_Version", &available));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->compatibleVersions[0], Packed(own.game));
    EXPECT_EQ(record->compatibleVersions[1], 0u);
    UnmapImage(&image);
    const std::string description = VersionString(folder + "\\Tarnwick.dll", "FileDescription");
    EXPECT_EQ(description.rfind("SFSE " + std::string(own.sfse) + " plugin ", 0), 0u)
        << description;
}

INSTANTIATE_TEST_SUITE_P(Releases, ArchiveTest, testing::ValuesIn(kReleases));

}  // namespace
