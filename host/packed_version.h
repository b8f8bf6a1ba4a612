#pragma once

#include <cstdint>

// The host's packed version: major in bits 24-31, minor in 16-23, build in 4-15 and
// sub-build in 0-3. Out-of-range parts are masked to their fields.
constexpr std::uint32_t PackVersion(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                    std::uint32_t subBuild = 0) {
    return (major & 0xFFu) << 24 | (minor & 0xFFu) << 16 | (build & 0xFFFu) << 4 |
           (subBuild & 0xFu);
}

static_assert(PackVersion(0, 2, 18) == 0x00020120u);
static_assert(PackVersion(1, 15, 222) == 0x010F0DE0u);
