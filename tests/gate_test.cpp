// What the preload entry asks of the platform for each host version, on the host's thread.

#include <gtest/gtest.h>

#include "tests/support/platform_fakes.h"

namespace {

const std::string kErrorBox = "MessageBoxA(null, \"Tarnwick requires SFSE " TARNWICK_SFSE_TEXT
                              ".\\nPlease update SFSE to continue.\", \"Incompatible SFSE\", 0x10)";
const std::vector<std::string> kRefused = {kErrorBox};
const std::vector<std::string> kAccepted = {
    "GetModuleHandleExA(0x4, plugin code)",
    "CreateThread(null, 0, plugin code, null, 0, null)",
    "CloseHandle(worker)",
};

struct GateCase {
    const char* name;
    bool nullRecord;
    std::uint32_t hostVersion;
    bool verdict;
    std::vector<std::string> hostCalls;
    std::size_t workers;
};

// Failures name the case rather than dumping its bytes.
void PrintTo(const GateCase& c, std::ostream* out) { *out << c.name; }

const GateCase kGateCases[] = {
    {"NullRecord", true, 0, false, kRefused, 0},
    {"PreviousBuild", false, kRequiredSfseVersion - 0x10, false, kRefused, 0},
    {"Exact", false, kRequiredSfseVersion, true, kAccepted, 1},
    {"NextBuild", false, kRequiredSfseVersion + 0x10, false, kRefused, 0},
    {"NextSubBuild", false, kRequiredSfseVersion + 1, false, kRefused, 0},
    {"Zero", false, 0, false, kRefused, 0},
};

class GateTest : public testing::TestWithParam<GateCase> {};

TEST_P(GateTest, VerdictAndHostThreadCalls) {
    const GateCase& c = GetParam();
    ASSERT_NE(FakedPreload(), nullptr);
    ResetFakes({});
    // Every field but the first is poisoned: the entry must not need them.
    SFSEInterface record = {c.hostVersion, 0xDEADBEEF, 0xDEADBEEF, nullptr, nullptr, nullptr};

    EXPECT_EQ(FakedPreload()(c.nullRecord ? nullptr : &record), c.verdict);

    EXPECT_EQ(CallsOn(GetCurrentThreadId()), c.hostCalls);
    EXPECT_EQ(Workers().size(), c.workers);
    for (DWORD exitCode : JoinWorkers()) {
        EXPECT_EQ(exitCode, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(HostVersions, GateTest, testing::ValuesIn(kGateCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GateTest, ThreadStartFailureDropsTheReferenceAndStillAccepts) {
    FakeSettings settings;
    settings.failThreadStart = true;
    ResetFakes(settings);
    EXPECT_TRUE(FakedPreload()(&kAcceptedHost));

    const std::vector<std::string> expected = {
        "GetModuleHandleExA(0x4, plugin code)",
        "CreateThread(null, 0, plugin code, null, 0, null)",
        "FreeLibrary(plugin)",
    };
    EXPECT_EQ(CallsOn(GetCurrentThreadId()), expected);
    EXPECT_TRUE(Workers().empty());
}

}  // namespace
