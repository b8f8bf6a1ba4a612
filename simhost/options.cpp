#include "simhost/options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/packed_version.h"

const char kHostUsage[] =
    "usage: simhost <game folder> [--host-version X.Y.Z] [--runtime-version X.Y.Z]\n"
    "               [--linger-ms N] [--watch FILE]\n"
    "  Loads <game folder>\\Data\\SFSE\\Plugins\\*.dll as the script extender does.\n"
    "  --host-version     version the host reports to plugins (default 0.2.18)\n"
    "  --runtime-version  game runtime version (default 1.15.222)\n"
    "  --linger-ms        how long to stay up for delayed work (default 10000)\n"
    "  --watch FILE       stop waiting early once FILE exists, and say when it appeared\n";

namespace {

// Reads one decimal part no larger than limit, advancing *text past it.
bool ParsePart(const char** text, unsigned long limit, std::uint32_t* part) {
    if (**text < '0' || **text > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(*text, &end, 10);
    if (errno != 0 || value > limit) {
        return false;
    }
    *text = end;
    *part = static_cast<std::uint32_t>(value);
    return true;
}

bool ParseCount(const char* text, std::uint32_t* count) {
    std::uint32_t value = 0;
    if (!ParsePart(&text, 0xFFFFFFFFul, &value) || *text != '\0') {
        return false;
    }
    *count = value;
    return true;
}

}  // namespace

bool ParsePackedVersion(const char* text, std::uint32_t* packed) {
    static constexpr unsigned long kLimits[] = {0xFF, 0xFF, 0xFFF, 0xF};
    std::uint32_t parts[4] = {};
    int count = 0;
    for (;;) {
        if (!ParsePart(&text, kLimits[count], &parts[count])) {
            return false;
        }
        ++count;
        if (*text == '\0') {
            break;
        }
        if (*text != '.' || count == 4) {
            return false;
        }
        ++text;
    }
    if (count < 3) {
        return false;
    }
    *packed = PackVersion(parts[0], parts[1], parts[2], parts[3]);
    return true;
}

std::string FormatPackedVersion(std::uint32_t packed) {
    char text[32];
    const unsigned subBuild = packed & 0xFu;
    const int length = std::snprintf(text, sizeof text, "%u.%u.%u", packed >> 24,
                                     (packed >> 16) & 0xFFu, (packed >> 4) & 0xFFFu);
    std::string result(text, static_cast<std::size_t>(length));
    if (subBuild != 0) {
        result += "." + std::to_string(subBuild);
    }
    return result;
}

bool ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error) {
    *options = HostOptions{"", PackVersion(0, 2, 18), PackVersion(1, 15, 222), 10000, ""};
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strncmp(argument, "--", 2) != 0) {
            if (!options->gameFolder.empty()) {
                *error = std::string("more than one game folder: ") + argument;
                return false;
            }
            options->gameFolder = argument;
            continue;
        }
        if (i + 1 == argc) {
            *error = std::string(argument) + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        bool parsed = false;
        if (std::strcmp(argument, "--host-version") == 0) {
            parsed = ParsePackedVersion(value, &options->hostVersion);
        } else if (std::strcmp(argument, "--runtime-version") == 0) {
            parsed = ParsePackedVersion(value, &options->runtimeVersion);
        } else if (std::strcmp(argument, "--linger-ms") == 0) {
            parsed = ParseCount(value, &options->lingerMs);
        } else if (std::strcmp(argument, "--watch") == 0) {
            options->watchFile = value;
            parsed = true;
        } else {
            *error = std::string("unknown option ") + argument;
            return false;
        }
        if (!parsed) {
            *error = std::string("cannot read ") + argument + " value '" + value + "'";
            return false;
        }
    }
    if (options->gameFolder.empty()) {
        *error = "no game folder given";
        return false;
    }
    return true;
}
