// The batch path worked out from a module path, on its own, without any platform call.

#include <gtest/gtest.h>

#include <cstring>

#include "launcher/batch_path.h"

namespace {

struct DeriveCase {
    const char* name;
    std::string modulePath;
    std::string batchPath;  // empty: no trustworthy path
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const DeriveCase& c, std::ostream* out) { *out << c.name; }

const std::string kBat = "\\start_high_priority.bat";

const DeriveCase kDeriveCases[] = {
    {"Typical", "C:\\mods\\plugins\\tool.dll", "C:\\mods\\plugins" + kBat},
    {"MixedSeparatorsCutAtTheLastOne", "C:/mods\\plugins/tool.dll", "C:/mods\\plugins" + kBat},
    {"LastSeparatorIsABackslash", "C:/mods/plugins\\tool.dll", "C:/mods/plugins" + kBat},
    {"NoSeparatorStaysWhole", "tool.dll", "tool.dll" + kBat},
    {"TrailingSeparator", "C:\\mods\\", "C:\\mods" + kBat},
    {"RootFile", "C:\\tool.dll", "C:" + kBat},
    {"OnlyBackslashFirst", "\\tool.dll", kBat},
    {"OnlySlashFirst", "/tool.dll", kBat},
    {"UncPath", "\\\\server\\share\\tool.dll", "\\\\server\\share" + kBat},
    {"Dir235", std::string(235, 'd') + "\\t.dll", std::string(235, 'd') + kBat},
    {"Dir236", std::string(236, 'd') + "\\t.dll", ""},
    {"LongestPathDir235", std::string(235, 'd') + "\\" + std::string(23, 'f'),
     std::string(235, 'd') + kBat},
};

class DeriveBatchPathTest : public testing::TestWithParam<DeriveCase> {};

TEST_P(DeriveBatchPathTest, FromModulePath) {
    const DeriveCase& c = GetParam();
    ASSERT_LT(c.modulePath.size(), kPathCapacity);
    char dllPath[kPathCapacity] = {};
    std::memcpy(dllPath, c.modulePath.data(), c.modulePath.size());
    char batchPath[kPathCapacity];
    std::memset(batchPath, '#', sizeof batchPath);

    const bool derived =
        DeriveBatchPath(dllPath, static_cast<std::uint32_t>(c.modulePath.size()), batchPath);

    EXPECT_EQ(derived, !c.batchPath.empty());
    if (derived) {
        EXPECT_EQ(std::string(batchPath), c.batchPath);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, DeriveBatchPathTest, testing::ValuesIn(kDeriveCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What the platform reports decides before the text does: no path, or a path it cut short and
// may not have terminated, gives no batch path at all.
TEST(DeriveBatchPathTest, UntrustworthyReports) {
    const struct {
        std::uint32_t reportedLength;
        char fill;
    } kReports[] = {{0, '\0'}, {260, 'x'}, {260, '\\'}, {261, 'x'}};
    for (const auto& report : kReports) {
        char dllPath[kPathCapacity];
        std::memset(dllPath, report.fill, sizeof dllPath);
        char batchPath[kPathCapacity];
        EXPECT_FALSE(DeriveBatchPath(dllPath, report.reportedLength, batchPath))
            << "reported length " << report.reportedLength;
    }
}

}  // namespace
