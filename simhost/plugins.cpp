#include "simhost/plugins.h"

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
    return plugins;
}

void Drop(PluginEntry& plugin, const std::string& failure) {
    plugin.kept = false;
    plugin.failure = failure;
}

SFSEPluginPreloadFn FindPreloadEntry(HMODULE module) {
    return reinterpret_cast<SFSEPluginPreloadFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "SFSEPlugin_Preload")));
}
