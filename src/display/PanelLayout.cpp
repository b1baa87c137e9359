// Panel geometry: the main panel's row window, the measured heights and the progress bar.
#include "display/PanelLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

int ClampShowTotal(int showTotal, int itemCount)
{
    if (itemCount < 0) {
        itemCount = 0;
    }
    if (showTotal < 0 || showTotal > itemCount) {
        return itemCount;
    }
    return showTotal;
}

RowWindow ComputeRowWindow(int currentItem, int showTotal, int showAfter, int itemCount)
{
    const int64_t count = std::max(itemCount, 0);
    const int64_t total = ClampShowTotal(showTotal, itemCount);
    // 64-bit, so no combination of 32-bit inputs can overflow.
    int64_t start = int64_t{currentItem} - total + showAfter + 1;
    int64_t end = int64_t{currentItem} + showAfter + 1;
    if (start < 0) {
        end -= start;
        start = 0;
    }
    if (count > 0 && end >= count) {
        start += count - end;
        end = count;
    }
    // With the total at most the item count the slide already lands inside the items; this
    // only states that the rows never leave them.
    start = std::clamp<int64_t>(start, 0, count);
    end = std::clamp<int64_t>(end, start, count);
    return {static_cast<int>(start), static_cast<int>(end)};
}

float ScaleOf(int dpi)
{
    return dpi > 0 ? static_cast<float>(dpi) / static_cast<float>(kBaseDpi) : 1.0f;
}

int ScalePixels(int pixels, int dpi)
{
    if (dpi <= 0 || dpi == kBaseDpi)
        return pixels;
    const double scaled = std::round(static_cast<double>(pixels) * dpi / kBaseDpi);
    return static_cast<int>(std::clamp<double>(scaled, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int TextPanelHeight(float measuredTextHeight, float scale)
{
    return static_cast<int>(-1.0f + measuredTextHeight + 10.0f * scale);
}

int MainPanelHeight(float measuredRowHeight, int showTotal, int fixMain, float scale)
{
    if (showTotal <= 0) {
        return 0;
    }
    int height = 0;
    for (int64_t row = 0; row <= showTotal; ++row) {
        height = static_cast<int>(static_cast<float>(height) + measuredRowHeight + kPanelGap * scale);
    }
    // A negative height would hold the window's layout back for ever; a negative fixmain can
    // take away the extra rows' space but not more.
    const int64_t total = int64_t{height} + fixMain + static_cast<int64_t>(std::lround(kPanelInset * scale));
    return static_cast<int>(std::clamp<int64_t>(total, 0, std::numeric_limits<int>::max()));
}

float DrawablePercent(float percent)
{
    if (std::isnan(percent)) {
        return 0.0f;
    }
    return std::clamp(percent, 0.0f, 100.0f);
}

ProgressBarGeometry ComputeProgressBar(float x, float y, float w, float h, float percent, float scale)
{
    ProgressBarGeometry bar;
    const float one = scale; // a pixel at 96 DPI
    h -= 2.0f * one;
    bar.outline = {x + 0.5f * one, y + 0.5f * one, w - one, h - one};
    bar.background = {x + one, y + one, w - 2.0f * one, h - 2.0f * one};
    bar.fill = {x + 2.0f * one, y + 2.0f * one, (w - 4.0f * one) * (DrawablePercent(percent) * 0.01f), h - 4.0f * one};
    bar.hasFill = bar.fill.width > 0.0f && bar.fill.height > 0.0f;
    return bar;
}
