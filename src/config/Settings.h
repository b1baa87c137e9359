// Everything LoadConfiguration reads from Varnekite.xml, as plain records. The main window,
// its panels and the worker read these; nothing changes them after loading.
#pragma once

#include "config/InstallCommand.h"
#include "config/ItemCommands.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// Colours (32-bit ARGB, alpha in the top byte) and picture of one panel.
struct PanelSettings
{
    uint32_t backColour = kOpaqueBlack;
    uint32_t foreColour = kOpaqueBlack;
    uint32_t progressBorder = kOpaqueBlack;
    uint32_t progressBack = kOpaqueBlack;
    uint32_t progressFore = kOpaqueBlack;
    std::wstring imagePath; // expanded; empty means no picture
};

struct MainPanelSettings : PanelSettings
{
    uint32_t currentColour = kOpaqueBlack;
    uint32_t descriptionColour = kOpaqueBlack;
    int32_t showTotal = -1; // item rows shown; negative or more than the items: all
    int32_t showAfter = -1; // rows after the current item, clamped against showTotal
    int32_t fixMain = 0;    // extra pixels below the rows
};

struct InstallSettings
{
    std::wstring hideWindowTitle;
    std::wstring titleText;
    std::wstring completeText;
    std::wstring copyText;
    std::wstring moveText;
    std::wstring deleteText;

    std::vector<std::wstring> items;      // item names, in file order
    std::vector<InstallCommand> commands; // every accepted command, in file order
    ItemCommands itemCommands;            // which commands each item runs; made once the lists are complete

    int32_t windowWidth = 400;
    int32_t windowPosition = 8;
    std::wstring fontFace; // "Tahoma" when `config` exists without a face; empty without `config`
    int32_t smallFontSize = 8;
    int32_t largeFontSize = 8;
    bool antialias = false;

    PanelSettings header;
    PanelSettings footer;
    MainPanelSettings main;
};
