#pragma once

// A packed version's text form, "major.minor.build[.subBuild]", for the simulated host's options
// and timeline and for the tests. The plugin has no use for text.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/packed_version.h"

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
