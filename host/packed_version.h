#pragma once

// The host's packed version, and its text form "major.minor.build[.subBuild]": one place for the
// plugin, the simulated host and the tests. Only PackVersion ends up in the plugin.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

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

// Reads one decimal number no larger than limit, advancing *text past it. No sign, no spaces.
inline bool ParseDecimal(const char** text, unsigned long limit, std::uint32_t* value) {
    if (**text < '0' || **text > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = std::strtoul(*text, &end, 10);
    if (errno != 0 || parsed > limit) {
        return false;
    }
    *text = end;
    *value = static_cast<std::uint32_t>(parsed);
    return true;
}

// Parses "major.minor.build[.subBuild]", each part decimal and within its field. False for
// anything else.
inline bool ParsePackedVersion(const char* text, std::uint32_t* packed) {
    static constexpr unsigned long kLimits[] = {0xFF, 0xFF, 0xFFF, 0xF};
    std::uint32_t parts[4] = {};
    for (int count = 0;; ++text) {
        if (!ParseDecimal(&text, kLimits[count], &parts[count])) {
            return false;
        }
        ++count;
        if (*text == '\0' && count >= 3) {
            *packed = PackVersion(parts[0], parts[1], parts[2], parts[3]);
            return true;
        }
        if (*text != '.' || count == 4) {
            return false;
        }
    }
}

// "1.15.222", or "1.15.222.3" when a sub-build is set; with allParts, always four numbers.
inline std::string FormatPackedVersion(std::uint32_t packed, bool allParts = false) {
    const VersionParts parts = UnpackVersion(packed);
    std::string text = std::to_string(parts.major) + "." + std::to_string(parts.minor) + "." +
                       std::to_string(parts.build);
    return parts.subBuild != 0 || allParts ? text + "." + std::to_string(parts.subBuild) : text;
}
