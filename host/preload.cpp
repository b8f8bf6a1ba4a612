#include <windows.h>

#include "host/build_versions.h"
#include "host/sfse_plugin.h"
#include "launcher/delayed_launch.h"

namespace {

constexpr char kIncompatibleText[] =
    "Tarnwick requires SFSE " TARNWICK_SFSE_TEXT ".\nPlease update SFSE to continue.";
constexpr char kIncompatibleCaption[] = "Incompatible SFSE";

}  // namespace

extern "C" bool SFSEPlugin_Preload(const SFSEInterface* sfse) {
    // Equality, not ordering: a newer host is as unsupported as an older one.
    if (sfse == nullptr || sfse->sfseVersion != kRequiredSfseVersion) {
        MessageBoxA(nullptr, kIncompatibleText, kIncompatibleCaption, MB_OK | MB_ICONERROR);
        return false;
    }
    StartDelayedLaunch();
    return true;
}
