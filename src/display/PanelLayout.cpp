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

int TextPanelHeight(float measuredTextHeight)
{
    return static_cast<int>(-1.0f + measuredTextHeight + 10.0f);
}

int MainPanelHeight(float measuredRowHeight, int showTotal, int fixMain)
{
    if (showTotal <= 0) {
        return 0;
    }
    int height = 0;
    for (int64_t row = 0; row <= showTotal; ++row) {
        height = static_cast<int>(static_cast<float>(height) + measuredRowHeight + kPanelGap);
    }
    // A negative height would hold the window's layout back for ever; a negative fixmain can
    // take away the extra rows' space but not more.
    const int64_t total = int64_t{height} + fixMain + 4;
    return static_cast<int>(std::clamp<int64_t>(total, 0, std::numeric_limits<int>::max()));
}

float DrawablePercent(float percent)
{
    if (std::isnan(percent)) {
        return 0.0f;
    }
    return std::clamp(percent, 0.0f, 100.0f);
}

ProgressBarGeometry ComputeProgressBar(float x, float y, float w, float h, float percent)
{
    ProgressBarGeometry bar;
    h -= 2.0f;
    bar.outline = {x + 0.5f, y + 0.5f, w - 1.0f, h - 1.0f};
    bar.background = {x + 1.0f, y + 1.0f, w - 2.0f, h - 2.0f};
    bar.fill = {x + 2.0f, y + 2.0f, (w - 4.0f) * (DrawablePercent(percent) * 0.01f), h - 4.0f};
    bar.hasFill = bar.fill.width > 0.0f && bar.fill.height > 0.0f;
    return bar;
}
