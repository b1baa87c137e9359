// Where the main window and its three stacked panels go once every panel has measured its
// height. Plain arithmetic over the work area's right and bottom edges; the Windows side only
// moves the windows to the computed places.
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

struct WindowLayout
{
    PanelRect header; // in the window's client area
    PanelRect main;
    PanelRect footer;
    PanelRect window; // on the screen; the panels plus a one-pixel border on each side
};

// False while any panel height is negative (not measured yet): nothing is placed then.
// `workRight` and `workBottom` are the work area's right and bottom edges; its left and top
// are not used, so codes 0, 3, 6 sit at x 0 and codes 0, 1, 2 at y 0.
bool ComputeWindowLayout(int windowWidth, int windowPosition, int headerHeight, int mainHeight,
                         int footerHeight, int workRight, int workBottom, WindowLayout& layout);
