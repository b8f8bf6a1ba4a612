#include "simhost/options.h"

#include <cstring>

#include "host/build_versions.h"
#include "simhost/version_text.h"

const char kHostUsage[] =
    "usage: simhost <game folder> [--host-version X.Y.Z] [--runtime-version X.Y.Z]\n"
    "               [--linger-ms N] [--watch FILE]\n"
    "  Loads <game folder>\\Data\\SFSE\\Plugins\\*.dll as the script extender does.\n"
    "  --host-version     version the host reports to plugins (default " TARNWICK_SFSE_TEXT
    ")\n"
    "  --runtime-version  game runtime version (default " TARNWICK_GAME_TEXT
    ")\n"
    "  --linger-ms        how long to stay up for delayed work (default 10000)\n"
    "  --watch FILE       stop waiting early once FILE exists, and say when it appeared\n";

namespace {

bool ParseCount(const char* text, std::uint32_t* count) {
    return ParseDecimal(&text, 0xFFFFFFFFul, count) && *text == '\0';
}

}  // namespace

bool ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error) {
    *options = HostOptions{"", kRequiredSfseVersion, kGameRuntimeVersion, 10000, ""};
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
