#include "simhost/plugins.h"

#include <algorithm>
#include <cstdio>

#include "simhost/timeline.h"
#include "simhost/version_text.h"

namespace {

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    return wide;
}

}  // namespace

std::vector<PluginEntry> FindPlugins(const std::string& folder) {
    std::vector<PluginEntry> plugins;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return plugins;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            PluginEntry plugin;
            plugin.fileName = found.cFileName;
            plugin.path = folder + "\\" + found.cFileName;
            plugins.push_back(plugin);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    // In the order the game's NTFS folder lists them, whatever file system runs this host: names
    // upper-cased and compared code by code, so "ab.dll" comes before "a_x.dll".
    std::sort(plugins.begin(), plugins.end(), [](const PluginEntry& a, const PluginEntry& b) {
        return CompareStringOrdinal(Wide(a.fileName).c_str(), -1, Wide(b.fileName).c_str(), -1,
                                    TRUE) == CSTR_LESS_THAN;
    });
    return plugins;
}

std::string FailureLine(const PluginEntry& plugin) {
    std::string line = plugin.fileName;
    // A plugin version with its top byte set is shown as a packed version, in four parts.
    if (plugin.pluginVersion != 0) {
        line += " v" + ((plugin.pluginVersion >> 24) == 0
                            ? std::to_string(plugin.pluginVersion)
                            : FormatPackedVersion(plugin.pluginVersion, true));
    }
    line += ": " + plugin.failure->reason;
    if (plugin.failure->errorCode) {
        char code[16];
        std::snprintf(code, sizeof code, " (%08lX)",
                      static_cast<unsigned long>(*plugin.failure->errorCode));
        line += code;
    }
    return line;
}

void NoteFailure(const PluginEntry& plugin) { Note("%s", FailureLine(plugin).c_str()); }

SFSEPluginEntryFn FindEntry(HMODULE module, const char* name) {
    return reinterpret_cast<SFSEPluginEntryFn>(
        reinterpret_cast<void*>(GetProcAddress(module, name)));
}
