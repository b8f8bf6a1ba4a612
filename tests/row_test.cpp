// One plugin of the release, for one row of the table, as built: it accepts its row's SFSE
// release and refuses the others given, each with its box naming its own; its record lists its
// row's game build alone; its file description names its SFSE. The rows come from the build,
// which checked them.
// Usage: row_tests.exe <Tarnwick.dll> <SFSE version> <game version> <refused SFSE version>...

#include <gtest/gtest.h>

#include "simhost/pe_image.h"
#include "simhost/version_text.h"
#include "tests/support/pe_listing.h"
#include "tests/support/platform_fakes.h"

namespace {

std::string dll;
std::uint32_t versions[8] = {};  // the row's SFSE, its game, then the refused SFSE versions
int refusedCount = 0;

TEST(RowTest, AcceptsItsSfseAloneAndRefusesWithItsBox) {
    ASSERT_NE(FakedPreload(), nullptr);
    const std::vector<std::string> box = {
        "MessageBoxA(null, \"Tarnwick requires SFSE " + FormatPackedVersion(versions[0]) +
        ".\\nPlease update SFSE to continue.\", \"Incompatible SFSE\", 0x10)"};
    // The refused ones first: the accepted call's worker is the one left to join.
    for (int i = refusedCount; i >= 0; --i) {
        ResetFakes({});
        const std::uint32_t host = i == 0 ? versions[0] : versions[1 + i];
        const SFSEInterface record = {host, versions[1], 1, nullptr, nullptr, nullptr};
        EXPECT_EQ(FakedPreload()(&record), i == 0) << FormatPackedVersion(host);
        if (i > 0) {
            EXPECT_EQ(CallsOn(GetCurrentThreadId()), box);
        }
    }
    EXPECT_EQ(JoinWorkers(), std::vector<DWORD>{0});
}

TEST(RowTest, RecordAndDescriptionNameItsRow) {
    MappedImage image;
    std::string error;
    ASSERT_TRUE(MapImage(dll, &image, &error)) << error;
    DWORD available = 0;
    const auto* record = reinterpret_cast<const SFSEPluginVersionData*>(
        FindExport(image, "SFSEPlugin_Version", &available));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->compatibleVersions[0], versions[1]);
    EXPECT_EQ(record->compatibleVersions[1], 0u);
    UnmapImage(&image);
    EXPECT_EQ(VersionString(FileVersionInfo(dll), "FileDescription")
                  .rfind("SFSE " + FormatPackedVersion(versions[0]) + " plugin", 0),
              0u);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    refusedCount = argc - 4;
    bool parsed = argc >= 5 && argc <= 10;
    for (int i = 2; parsed && i < argc; ++i) parsed = ParsePackedVersion(argv[i], &versions[i - 2]);
    if (!parsed) {
        std::fprintf(stderr, "usage: row_tests.exe <dll> <SFSE> <game> <refused SFSE>...\n");
        return 2;
    }
    dll = argv[1];
    UseFakedPluginAt(dll);
    return RUN_ALL_TESTS();
}
