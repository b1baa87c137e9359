// Where the main window and its three stacked panels go once every panel has measured its
// height. Plain arithmetic over the work area (the screen without the taskbar, wherever the
// taskbar is); the Windows side only moves the windows to the computed places.
#pragma once

// Placement codes of `window position`: a 3 × 3 grid over the work area.
enum WindowPositionCode
{
    kTopLeft = 0, kTopCentre, kTopRight,
    kMiddleLeft, kCentre, kMiddleRight,
    kBottomLeft, kBottomCentre, kBottomRight,
};

// A code outside 0-8 places the window where the default does: bottom right.
constexpr int kFallbackWindowPosition = kBottomRight;

struct PanelRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The work area's edges on the screen: left and top included, right and bottom excluded.
struct WorkArea
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct WindowLayout
{
    PanelRect header; // in the window's client area
    PanelRect main;
    PanelRect footer;
    PanelRect window; // on the screen; the panels plus the border on each side
};

// False while any panel height is negative (not measured yet): nothing is placed then. The
// window sits in the work area: codes 0, 3, 6 at its left edge, 0, 1, 2 at its top, 2, 5, 8 at
// its right and 6, 7, 8 at its bottom, the others centred in it.
// `border` is the window frame's thickness on each side: one pixel at 96 DPI, as the system
// scales it at others.
bool ComputeWindowLayout(int windowWidth, int windowPosition, int headerHeight, int mainHeight,
                         int footerHeight, const WorkArea& work, WindowLayout& layout, int border = 1);
