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

// Parses the command line. On failure, *error says what was wrong.
bool ParseHostOptions(int argc, char** argv, HostOptions* options, std::string* error);

extern const char kHostUsage[];
