// The shipped DLL as a file: what it exports and what it needs from the system.

#include <gtest/gtest.h>

#include <algorithm>

#include "simhost/pe_image.h"
#include "tests/support/platform_fakes.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    for (std::string& name : names) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    std::sort(names.begin(), names.end());
    return names;
}

class BinaryTest : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(MapImage(ProgramDirectory() + "\\Tarnwick.dll", &image, &error)) << error;
    }
    void TearDown() override { UnmapImage(&image); }
    MappedImage image;
};

TEST_F(BinaryTest, IsAnAmd64Dll) {
    EXPECT_TRUE(IsAmd64(image));
    EXPECT_NE(image.nt->FileHeader.Characteristics & IMAGE_FILE_DLL, 0);
}

TEST_F(BinaryTest, ExportsExactlyTheHostEntries) {
    EXPECT_EQ(Sorted(ExportNames(image)), Sorted({"SFSEPlugin_Preload"}));
}

// Only DLLs that every Windows installation ships, and from the user-interface, shell and COM
// ones only the calls the plugin means to make.
TEST_F(BinaryTest, ImportsOnlyWhatWindowsShips) {
    EXPECT_EQ(Sorted(ImportedDlls(image)),
              Sorted({"kernel32.dll", "msvcrt.dll", "ole32.dll", "shell32.dll", "user32.dll"}));
    const struct {
        const char* dll;
        std::vector<std::string> functions;
    } kExactImports[] = {
        {"user32.dll", {"MessageBoxA"}},
        {"shell32.dll", {"ShellExecuteA"}},
        {"ole32.dll", {"CoInitializeEx", "CoUninitialize"}},
    };
    for (const auto& expected : kExactImports) {
        EXPECT_EQ(Sorted(ImportedFunctions(image, expected.dll)), Sorted(expected.functions))
            << expected.dll;
    }
}

}  // namespace
