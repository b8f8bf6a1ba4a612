#include "launcher/batch_path.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr char kBatchPathFormat[] = "%s\\start_high_priority.bat";

// Ends the string at its last separator of either kind, leaving the directory. A path with no
// separator stays whole.
void CutAtLastSeparator(char* path) {
    for (int i = static_cast<int>(std::strlen(path)) - 1; i >= 0; --i) {
        if (path[i] == '\\' || path[i] == '/') {
            path[i] = '\0';
            return;
        }
    }
}

}  // namespace

bool DeriveBatchPath(char (&dllPath)[kPathCapacity], std::uint32_t reportedLength,
                     char (&batchPath)[kPathCapacity]) {
    // A length of 0 means no path at all; a full buffer means the platform truncated the path
    // (and may have left it unterminated), so cutting it would name some other folder.
    if (reportedLength == 0 || reportedLength >= kPathCapacity) {
        return false;
    }
    CutAtLastSeparator(dllPath);
    const int written = std::snprintf(batchPath, kPathCapacity, kBatchPathFormat, dllPath);
    return written >= 0 && static_cast<std::size_t>(written) < kPathCapacity;
}
