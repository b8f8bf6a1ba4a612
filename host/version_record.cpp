#include "host/build_versions.h"
#include "host/sfse_plugin.h"

namespace {

constexpr std::uint32_t kPluginVersion = TARNWICK_VERSION_MAJOR;

}  // namespace

// Laid out by the compiler (constexpr), so it sits in the image's read-only data from the moment
// the module is mapped: the host copies it out before any of our code has run, and a DLL
// without runtime start-up code would never run an initializer. Everything not named here, the
// rest of both strings and the three words after the list included, is zero.
extern "C" constexpr SFSEPluginVersionData SFSEPlugin_Version = {
    kVersionDataLayout,
    kPluginVersion,
    TARNWICK_NAME,
    TARNWICK_AUTHOR,
    kAddressIndependenceSignatures,
    kStructureIndependenceNoStructs,
    {kGameRuntimeVersion},
    0,
    0,
    0,
};

// The host copies 604 bytes from the export's address: a shorter object would hand it whatever
// the linker placed next.
static_assert(sizeof SFSEPlugin_Version == 604);
