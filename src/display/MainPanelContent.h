// What the main panel draws for the running item, composed from one reading of the install
// state: the line with its counter, the item bar's percentage, and the detail line (the
// program's name, or a status template with the current file) with or without a file bar.
#pragma once

#include "display/DisplayText.h"

#include <cstdint>
#include <string>
#include <vector>

class InstallProgress;
struct InstallSettings;

// The progress values one paint uses, each read once while the worker may be writing them.
struct MainPanelSnapshot
{
    int currentItem = 0;
    int currentCommand = 0;
    float itemPercent = 0;
    float commandPercent = 0;
    float filePercent = 0;
    FileProgressText file;
    std::vector<int32_t> failedItems;
};

MainPanelSnapshot TakeMainPanelSnapshot(const InstallProgress& progress);

// Equal snapshots paint identical pixels: the settings never change after loading.
bool operator==(const MainPanelSnapshot& a, const MainPanelSnapshot& b);
inline bool operator!=(const MainPanelSnapshot& a, const MainPanelSnapshot& b) { return !(a == b); }

struct MainPanelSettings;

// The colour of an item's name: the running item's, or the others'; an item that failed has
// the failed colour where one is configured.
uint32_t ItemNameColour(const MainPanelSettings& settings, const MainPanelSnapshot& snapshot, int itemIndex);

struct CurrentItemContent
{
    std::wstring line;           // "<name> (<i + 1>/<items>)"
    float itemBarPercent = 0;    // finished commands plus the running command's share
    DetailKind detail = DetailKind::None;
    std::wstring detailText;     // empty when detail is None
    bool detailLeavesBarRoom = false; // the folder commands' text keeps clear of the bar column
    bool fileBar = false;        // copy and move show the file's progress under the item bar
    float filePercent = 0;
};

// The running item's content. `itemIndex` must lie within settings.items. A current command
// that names no command, or an item without commands, gives the bar at the item percentage
// and no detail line.
CurrentItemContent ComposeCurrentItem(const InstallSettings& settings, const MainPanelSnapshot& snapshot,
                                      int itemIndex);
