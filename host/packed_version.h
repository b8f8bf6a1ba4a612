#pragma once

// The host's packed version: one place for the plugin, the simulated host and the tests. Only
// PackVersion ends up in the plugin. Its text form is simhost/version_text.h's.

#include <cstdint>

struct VersionParts {
    std::uint32_t major;     // bits 24-31
    std::uint32_t minor;     // bits 16-23
    std::uint32_t build;     // bits 4-15
    std::uint32_t subBuild;  // bits 0-3
};

// Out-of-range parts are masked to their fields.
constexpr std::uint32_t PackVersion(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                    std::uint32_t subBuild = 0) {
    return (major & 0xFFu) << 24 | (minor & 0xFFu) << 16 | (build & 0xFFFu) << 4 |
           (subBuild & 0xFu);
}

constexpr VersionParts UnpackVersion(std::uint32_t packed) {
    return {packed >> 24, (packed >> 16) & 0xFFu, (packed >> 4) & 0xFFFu, packed & 0xFu};
}

static_assert(PackVersion(0, 2, 18) == 0x00020120u);
static_assert(PackVersion(1, 15, 222) == 0x010F0DE0u);
static_assert(UnpackVersion(0x010F0DE3u).build == 222 && UnpackVersion(0x010F0DE3u).subBuild == 3);
