#include "app/WindowPlacement.h"

#include <climits>
#include <cstdint>

namespace {

// The width comes from the configuration and may be any 32-bit value; the sums are made in
// 64 bits and brought back into range so that no value overflows on the way.
int Saturate(int64_t value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

bool ComputeWindowLayout(int windowWidth, int windowPosition, int headerHeight, int mainHeight,
                         int footerHeight, const WorkArea& work, WindowLayout& layout, int border)
{
    if (headerHeight < 0 || mainHeight < 0 || footerHeight < 0)
        return false;

    const int64_t w = windowWidth;
    const int64_t h = static_cast<int64_t>(headerHeight) + mainHeight + footerHeight;
    layout.header = {0, 0, windowWidth, headerHeight};
    layout.main = {0, headerHeight, windowWidth, mainHeight};
    layout.footer = {0, Saturate(static_cast<int64_t>(headerHeight) + mainHeight), windowWidth, footerHeight};

    const int64_t frame = 2 * int64_t{border < 0 ? 0 : border};
    const int64_t outerWidth = w + frame;
    const int64_t outerHeight = h + frame;

    const int code = (windowPosition >= kTopLeft && windowPosition <= kBottomRight)
                         ? windowPosition : kFallbackWindowPosition;
    const int column = code % 3;
    const int row = code / 3;

    // Halves truncate toward zero, as integer division does.
    int64_t x = work.left;
    if (column == 1)
        x = work.left + (int64_t{work.right} - work.left) / 2 - outerWidth / 2;
    else if (column == 2)
        x = work.right - w - frame;

    int64_t y = work.top;
    if (row == 1)
        y = work.top + (int64_t{work.bottom} - work.top) / 2 - outerHeight / 2;
    else if (row == 2)
        y = work.bottom - h - frame;

    layout.window = {Saturate(x), Saturate(y), Saturate(outerWidth), Saturate(outerHeight)};
    return true;
}
