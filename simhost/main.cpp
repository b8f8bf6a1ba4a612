// A stand-in for the script extender. It finds the plugins in a game folder, reads their version
// records without running any plugin code, loads the ones it accepts and calls their preload and
// load entries inside a guard as the real host does, shows the host's box of failed plugins,
// then keeps the process up for delayed work and unloads the plugins at exit. It prints a
// timeline of what happened.

#include <windows.h>

#include <cstdio>

#include "simhost/entry_phase.h"
#include "simhost/options.h"
#include "simhost/plugins.h"
#include "simhost/scan_phase.h"
#include "simhost/summary_box.h"
#include "simhost/timeline.h"
#include "simhost/version_text.h"

namespace {

constexpr DWORD kWatchPollMs = 5;

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Stands in for the running game: waits up to lingerMs, or until the watched file appears.
// lastAccepted is when the last accepted call of the named phase began.
void Linger(const HostOptions& options, LARGE_INTEGER lastAccepted, const char* phase) {
    Note("game running: staying up for %lu ms%s", static_cast<unsigned long>(options.lingerMs),
         options.watchFile.empty() ? "" : ", or until the watched file appears");
    const LARGE_INTEGER start = Now();
    while (MillisecondsBetween(start, Now()) < options.lingerMs) {
        if (!options.watchFile.empty() && Exists(options.watchFile)) {
            Note("%s appeared, %.1f ms after the last accepted %s call", options.watchFile.c_str(),
                 MillisecondsBetween(lastAccepted, Now()), phase);
            return;
        }
        Sleep(kWatchPollMs);
    }
    if (!options.watchFile.empty()) {
        Note("%s did not appear", options.watchFile.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "simhost: %s\n%s", error.c_str(), kHostUsage);
        return 2;
    }
    if (!IsFolder(options.gameFolder)) {
        std::fprintf(stderr, "simhost: no such game folder: %s\n", options.gameFolder.c_str());
        return 2;
    }
    StartTimeline();
    Note("simulated SFSE %s, game runtime %s", FormatPackedVersion(options.hostVersion).c_str(),
         FormatPackedVersion(options.runtimeVersion).c_str());
    const std::string pluginFolder = options.gameFolder + "\\Data\\SFSE\\Plugins";
    std::vector<PluginEntry> plugins = FindPlugins(pluginFolder);
    Note("%zu plugin DLL(s) in %s", plugins.size(), pluginFolder.c_str());
    RunScanPhase(options.runtimeVersion, options.hostVersion, plugins);

    const SFSEInterface sfse = HostInterface(options.hostVersion, options.runtimeVersion);
    const LARGE_INTEGER preloaded = RunEntryPhase(kPreloadEntry, sfse, plugins);
    const LARGE_INTEGER loaded = RunEntryPhase(kLoadEntry, sfse, plugins);
    ShowSummaryBox(options.hostVersion, plugins);

    // Every plugin still loaded had a call accepted, in one phase or the other.
    if (preloaded.QuadPart != 0) {
        Linger(options, preloaded, "preload");
    } else if (loaded.QuadPart != 0) {
        Linger(options, loaded, "load");
    }
    for (PluginEntry& plugin : plugins) {
        if (plugin.module != nullptr) {
            Note("exit: unloading %s", plugin.fileName.c_str());
            FreeLibrary(plugin.module);
        }
    }
    Note("exit");
    return 0;
}
