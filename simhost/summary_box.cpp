#include "simhost/summary_box.h"

#include <windows.h>

#include <algorithm>

#include "simhost/timeline.h"
#include "simhost/version_text.h"

namespace {

constexpr char kSummaryHeader[] =
    "Mods you have installed have failed to load correctly. Check for updates to the mods listed "
    "below.\n";
constexpr char kSummaryFooter[] =
    "\n\nContinuing to load may result in lost save data or other undesired behavior."
    "\nExit game? (yes highly suggested)";

}  // namespace

std::string SummaryText(const std::vector<PluginEntry>& plugins) {
    std::string lines;
    for (const Phase phase : {Phase::kScan, Phase::kPreload, Phase::kLoad}) {
        for (const PluginEntry& plugin : plugins) {
            if (plugin.failure && plugin.failure->listed && plugin.failure->phase == phase) {
                lines += "\n" + FailureLine(plugin);
            }
        }
    }
    return lines.empty() ? "" : kSummaryHeader + lines + kSummaryFooter;
}

std::string SummaryCaption(std::uint32_t hostVersion) {
    return "SFSE Plugin Loader (" + FormatPackedVersion(hostVersion) + ")";
}

void ShowSummaryBox(std::uint32_t hostVersion, const std::vector<PluginEntry>& plugins) {
    const std::string text = SummaryText(plugins);
    if (text.empty()) {
        return;
    }
    const std::string caption = SummaryCaption(hostVersion);
    Note("summary box \"%s\":", caption.c_str());
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        Note("  | %s", text.substr(start, end - start).c_str());
        start = end + 1;
    }
    const int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO);
    if (answer == IDYES) {
        Note("summary box: Yes, the game ends now");
        TerminateProcess(GetCurrentProcess(), 0);
    }
    Note("summary box: %s, the game goes on", answer == IDNO ? "No" : "not shown (no display)");
}
