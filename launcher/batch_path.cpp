#include "launcher/batch_path.h"

#include <windows.h>

#include <strsafe.h>

namespace {

constexpr char kBatchPathFormat[] = "%s\\start_high_priority.bat";

// Ends the string at its last separator of either kind, leaving the directory. A path with no
// separator stays whole.
void CutAtLastSeparator(char* path) {
    for (int i = lstrlenA(path) - 1; i >= 0; --i) {
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
    // Bounded and always terminated; a result cut short reports failure and is not used.
    return SUCCEEDED(StringCchPrintfA(batchPath, kPathCapacity, kBatchPathFormat, dllPath));
}
