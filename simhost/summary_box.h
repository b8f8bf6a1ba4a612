#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/plugins.h"

// The text of the host's box of failed plugins: one line for each listed failure, in the order
// the failures happened: the scan's, then the preload phase's, then the load phase's, each phase
// in scan order. Empty when no plugin failed in a way the box lists.
std::string SummaryText(const std::vector<PluginEntry>& plugins);

// "SFSE Plugin Loader (<host version>)".
std::string SummaryCaption(std::uint32_t hostVersion);

// Shows the box as the host does after its load phase, if any plugin failed, and writes its
// text on the timeline. Yes ends the process at once with exit code 0; No returns, and the game
// starts with the plugins that did load.
void ShowSummaryBox(std::uint32_t hostVersion, const std::vector<PluginEntry>& plugins);
