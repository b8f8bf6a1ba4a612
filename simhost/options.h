#pragma once

#include <cstdint>
#include <string>

// What the simulated host was asked to do.
struct HostOptions {
    std::string gameFolder;
    std::uint32_t hostVersion;     // packed
    std::uint32_t runtimeVersion;  // packed
    std::uint32_t lingerMs;        // how long the process stays up after the preload phase
    std::string watchFile;         // optional: a file whose appearance ends the wait early
};

// Parses "major.minor.build[.subBuild]" into the host's packed form. False for anything else,
// including a part too large for its field.
bool ParsePackedVersion(const char* text, std::uint32_t* packed);

// "1.15.222", or "1.15.222.3" when a sub-build is set.
std::string FormatPackedVersion(std::uint32_t packed);

// Parses the command line. On failure, *error says what was wrong.
bool ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error);

extern const char kHostUsage[];
