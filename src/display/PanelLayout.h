// The geometry of the panels, without any drawing: which item rows the main panel shows, the
// heights the panels measure, and the three rectangles of a progress bar.
#pragma once

// The panels' spacing in pixels at 96 DPI: the margin inside every panel, and the gap between
// rows and between a text and the bar beside it. Every configured and built-in pixel size is
// scaled by the monitor's DPI / 96; at 96 DPI nothing moves.
constexpr float kPanelInset = 4.0f;
constexpr float kPanelGap = 4.0f;
constexpr int kBaseDpi = 96;

// The window's scale: dpi / 96 (1 for a DPI that is not positive).
float ScaleOf(int dpi);

// A size in pixels at 96 DPI as many pixels at `dpi`, rounded to the nearest; saturates.
int ScalePixels(int pixels, int dpi);

// The rows [start, end) of the items shown in the main panel.
struct RowWindow
{
    int start = 0;
    int end = 0;
};

// The number of rows: a negative count, or one above the number of items, means every item.
int ClampShowTotal(int showTotal, int itemCount);

// The rows around `currentItem`: `showTotal` rows ending `showAfter` rows after the current
// one, slid so that they start at item 0 or later and end at the last item or earlier.
RowWindow ComputeRowWindow(int currentItem, int showTotal, int showAfter, int itemCount);

// Header and footer height from the measured text height: the text plus 9 pixels (scaled).
int TextPanelHeight(float measuredTextHeight, float scale = 1.0f);

// Main panel height: one row per shown item plus one for the detail line, each the measured
// row height plus the gap, then `fixMain` (already scaled) and the inset below; 0 when no rows
// are shown. Never negative.
int MainPanelHeight(float measuredRowHeight, int showTotal, int fixMain, float scale = 1.0f);

// A percentage as the bars draw it: NaN becomes 0, and the value is held within 0..100.
float DrawablePercent(float percent);

struct BarRect
{
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// A progress bar in the box (x, y, w, h): a one-pixel outline, the background inside it, and
// the filled part two pixels in, (w - 4) x percent / 100 wide. The bar leaves the box's last
// two rows free. The pixel sizes are scaled by `scale`.
struct ProgressBarGeometry
{
    BarRect outline;    // drawn with a 1.0 pen
    BarRect background;
    BarRect fill;
    bool hasFill = false; // false when the filled part would have no area
};

ProgressBarGeometry ComputeProgressBar(float x, float y, float w, float h, float percent, float scale = 1.0f);
