#include <windows.h>

#include "host/packed_version.h"
#include "host/sfse_plugin.h"
#include "launcher/delayed_launch.h"

namespace {

constexpr std::uint32_t kRequiredSfseVersion = PackVersion(0, 2, 18);
constexpr char kIncompatibleText[] =
    "Tarnwick requires SFSE 0.2.18.\nPlease update SFSE to continue.";
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
