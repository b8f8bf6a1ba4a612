// The simulated host's reading of its command line.

#include <gtest/gtest.h>

#include "simhost/options.h"
#include "simhost/version_text.h"

namespace {

TEST(SimhostOptionsTest, PackedVersions) {
    const struct {
        const char* text;
        bool parsed;
        std::uint32_t packed;
    } kCases[] = {
        {"0.2.18", true, 0x00020120},
        {"1.15.222", true, 0x010F0DE0},
        {"0.2.18.1", true, 0x00020121},
        {"255.255.4095.15", true, 0xFFFFFFFF},
        {"0.2", false, 0},
        {"0.2.18.1.1", false, 0},
        {"0.2.4096", false, 0},
        {"256.0.0", false, 0},
        {"0.2.18.16", false, 0},
        {"0.2.x", false, 0},
        {"0..18", false, 0},
        {"0.2.18.", false, 0},
        {"-1.2.3", false, 0},
        {"", false, 0},
        {"0.2.99999999999999999999", false, 0},
    };
    for (const auto& c : kCases) {
        std::uint32_t packed = 0;
        EXPECT_EQ(ParsePackedVersion(c.text, &packed), c.parsed) << c.text;
        if (c.parsed) {
            EXPECT_EQ(packed, c.packed) << c.text;
            EXPECT_EQ(FormatPackedVersion(packed), c.text);
        }
    }
}

TEST(SimhostOptionsTest, RejectedCommandLines) {
    const std::vector<std::vector<const char*>> kCommandLines = {
        {},
        {"--host-version", "0.2.18"},
        {"game", "--host-version"},
        {"game", "--host-version", "two"},
        {"game", "--linger-ms", "-5"},
        {"game", "--colour", "red"},
        {"game", "other"},
    };
    for (const auto& arguments : kCommandLines) {
        std::vector<char*> argv = {const_cast<char*>("simhost")};
        for (const char* argument : arguments) argv.push_back(const_cast<char*>(argument));
        HostOptions options;
        std::string error;
        EXPECT_FALSE(ParseHostOptions(static_cast<int>(argv.size()), argv.data(), &options, &error))
            << arguments.size() << " arguments";
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
