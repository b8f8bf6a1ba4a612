#pragma once

#include <cstddef>
#include <cstdint>

// Capacity of each path buffer, terminating zero included: 259 characters at most.
constexpr std::size_t kPathCapacity = 260;

// Cuts the file name off dllPath, which holds the module's own path as the platform reported
// it (reportedLength characters, dllPath cleared beforehand), and writes the path of the batch
// file in that directory to batchPath. Returns false when no trustworthy path results: the
// platform had no path to give, or cut it short, or the batch path would not fit.
bool DeriveBatchPath(char (&dllPath)[kPathCapacity], std::uint32_t reportedLength,
                     char (&batchPath)[kPathCapacity]);
