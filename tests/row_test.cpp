// One plugin of the release, for one row of the table, as built: it accepts its row's SFSE
// release and refuses the others given, each with its box naming its own; its record lists its
// row's game build; its file description names its SFSE. The rows come from the build, which
// checked them.
// Usage: row_tests.exe <Tarnwick.dll> <SFSE version> <game version> <refused SFSE version>...

#include <gtest/gtest.h>

#include "simhost/pe_image.h"
#include "simhost/version_text.h"
#include "tests/support/platform_fakes.h"

namespace {

std::string dll;
std::uint32_t sfse = 0;
std::uint32_t game = 0;
std::vector<std::uint32_t> refused;

TEST(RowTest, AcceptsItsSfseAndRefusesTheOthersWithItsBox) {
    ASSERT_NE(FakedPreload(), nullptr);
    const std::string box = "MessageBoxA(null, \"Tarnwick requires SFSE " +
                            FormatPackedVersion(sfse) +
                            ".\\nPlease update SFSE to continue.\", \"Incompatible SFSE\", 0x10)";
    for (std::uint32_t host : refused) {
        ResetFakes({});
        const SFSEInterface record = {host, game, 1, nullptr, nullptr, nullptr};
        EXPECT_FALSE(FakedPreload()(&record)) << FormatPackedVersion(host);
        EXPECT_EQ(CallsOn(GetCurrentThreadId()), std::vector<std::string>{box});
    }
    ResetFakes({});
    const SFSEInterface own = {sfse, game, 1, nullptr, nullptr, nullptr};
    EXPECT_TRUE(FakedPreload()(&own));
    EXPECT_EQ(Workers().size(), 1u);
    for (DWORD exitCode : JoinWorkers()) EXPECT_EQ(exitCode, 0u);
}

TEST(RowTest, RecordListsItsGameBuildAlone) {
    MappedImage image;
    std::string error;
    ASSERT_TRUE(MapImage(dll, &image, &error)) << error;
    DWORD available = 0;
    const auto* record = reinterpret_cast<const SFSEPluginVersionData*>(
        FindExport(image, "SFSEPlugin_Version", &available));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->compatibleVersions[0], game);
    EXPECT_EQ(record->compatibleVersions[1], 0u);
    UnmapImage(&image);
}

TEST(RowTest, DescriptionNamesItsSfse) {
    std::vector<char> info(GetFileVersionInfoSizeA(dll.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\FileDescription", &value,
                               &length));
    const std::string description = static_cast<const char*>(value);
    EXPECT_EQ(description.rfind("SFSE " + FormatPackedVersion(sfse) + " plugin", 0), 0u)
        << description;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    bool parsed =
        argc >= 5 && ParsePackedVersion(argv[2], &sfse) && ParsePackedVersion(argv[3], &game);
    for (int i = 4; parsed && i < argc; ++i) {
        std::uint32_t host = 0;
        parsed = ParsePackedVersion(argv[i], &host);
        refused.push_back(host);
    }
    if (!parsed) {
        std::fprintf(stderr,
                     "usage: row_tests.exe <Tarnwick.dll> <SFSE> <game> <refused SFSE>...\n");
        return 2;
    }
    dll = argv[1];
    UseFakedPluginAt(dll);
    return RUN_ALL_TESTS();
}
