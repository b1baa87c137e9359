#include "display/PanelLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <vector>

namespace {

TEST(RowWindow, SlidesAroundTheCurrentItemWithinTheItems)
{
    struct Case { int current; int total; int after; int items; int start; int end; };
    const Case cases[] = {
        {9, 5, 0, 20, 5, 10},    // five rows ending at the current item
        {9, 5, 2, 20, 7, 12},    // two rows after it
        {18, 5, 2, 20, 15, 20},  // slid back from the end
        {0, 5, 2, 20, 0, 5},     // and forward from the start
        {13, -1, -2, 20, 0, 20}, // no total given: every item
        {1, 50, 0, 3, 0, 3},     // a total above the item count is reduced to it
        {INT_MAX, 5, INT_MAX, 20, 15, 20},
        {INT_MIN, 5, INT_MIN, 20, 0, 5},
    };
    for (const Case& c : cases) {
        const RowWindow rows = ComputeRowWindow(c.current, c.total, c.after, c.items);
        EXPECT_EQ(rows.start, c.start) << "current " << c.current << " total " << c.total << " after " << c.after;
        EXPECT_EQ(rows.end, c.end) << "current " << c.current << " total " << c.total << " after " << c.after;
    }
    EXPECT_EQ(ClampShowTotal(-1, 7), 7);
    EXPECT_EQ(ClampShowTotal(8, 7), 7);
    EXPECT_EQ(ClampShowTotal(3, 7), 3);
}

TEST(RowWindow, ShowsExactlyTheTotalForEveryCurrentItem)
{
    for (int items = 0; items <= 9; ++items) {
        for (int total = -1; total <= items + 1; ++total) {
            const int shown = total < 0 || total > items ? items : total;
            for (int after = -2; after < total; ++after) {
                for (int current = -1; current <= items; ++current) {
                    const RowWindow rows = ComputeRowWindow(current, total, after, items);
                    ASSERT_GE(rows.start, 0);
                    ASSERT_LE(rows.end, items);
                    ASSERT_EQ(rows.end - rows.start, shown);
                    if (current >= 0 && current < items && shown > after && after >= 0) {
                        // With the loader's clamp (0 <= after < total) the current item is shown.
                        ASSERT_TRUE(rows.start <= current && current < rows.end)
                            << items << " " << total << " " << after << " " << current;
                    }
                }
            }
        }
    }
}

TEST(PanelHeights, FollowTheMeasuredText)
{
    EXPECT_EQ(TextPanelHeight(13.4f), 22);
    // Each of total + 1 rows adds the measured height plus 4, truncated as it goes.
    EXPECT_EQ(MainPanelHeight(13.5f, 5, 0), 6 * 17 + 4);
    EXPECT_EQ(MainPanelHeight(13.5f, 0, 50), 0);
    // A negative fixmain takes away space but never makes the height negative, which would
    // keep the window from ever being laid out.
    EXPECT_EQ(MainPanelHeight(13.5f, 1, -20), 34 - 20 + 4);
    EXPECT_EQ(MainPanelHeight(13.5f, 1, -1000), 0);
    EXPECT_EQ(MainPanelHeight(13.5f, 1, INT_MIN), 0);
    EXPECT_EQ(MainPanelHeight(13.5f, 1, INT_MAX), INT_MAX);
}

TEST(ProgressBar, OutlineBackgroundAndFill)
{
    const ProgressBarGeometry bar = ComputeProgressBar(10.0f, 20.0f, 104.0f, 16.0f, 50.0f);
    // Every value is exact in binary.
    const auto rect = [](const BarRect& r) { return std::vector<float>{r.x, r.y, r.width, r.height}; };
    EXPECT_EQ(rect(bar.outline), (std::vector<float>{10.5f, 20.5f, 103.0f, 13.0f})); // the height is reduced by 2 first
    EXPECT_EQ(rect(bar.background), (std::vector<float>{11.0f, 21.0f, 102.0f, 12.0f}));
    EXPECT_EQ(rect(bar.fill), (std::vector<float>{12.0f, 22.0f, 50.0f, 10.0f}));
    EXPECT_TRUE(bar.hasFill);
}

TEST(ProgressBar, FillWidthFollowsThePercentage)
{
    struct Case { float width; float percent; float fill; bool hasFill; };
    const Case cases[] = {
        {383.0f, 37.5f, 142.125f, true},
        {104.0f, 0.0f, 0.0f, false},
        // Values the program cannot produce are held within the bar.
        {104.0f, 250.0f, 100.0f, true},
        {104.0f, -20.0f, 0.0f, false},
        {104.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f, false},
        {3.0f, 100.0f, 0.0f, false}, // too narrow for a filled part
    };
    for (const Case& c : cases) {
        const ProgressBarGeometry bar = ComputeProgressBar(0.0f, 0.0f, c.width, 20.0f, c.percent);
        EXPECT_EQ(bar.hasFill, c.hasFill) << c.width << " " << c.percent;
        if (c.hasFill) {
            EXPECT_FLOAT_EQ(bar.fill.width, c.fill) << c.width << " " << c.percent;
        }
    }
    // The footer also prints the value it draws: "0%", not "nan%".
    EXPECT_EQ(DrawablePercent(std::numeric_limits<float>::quiet_NaN()), 0.0f);
}

} // namespace

namespace {

// Sizes in pixels at 96 DPI scale with the monitor: at 96 nothing moves.
TEST(PanelScale, PixelSizesScaleWithTheDpi)
{
    struct Case { int pixels, dpi, scaled; };
    const Case cases[] = {
        {400, 96, 400}, {400, 144, 600}, {400, 192, 800}, {301, 144, 452}, {-10, 192, -20}, {7, 120, 9},
        {400, 0, 400}, {INT_MAX, 192, INT_MAX}, {INT_MIN, 192, INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScalePixels(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
    EXPECT_EQ(ScaleOf(144), 1.5f);
    EXPECT_EQ(ScaleOf(-1), 1.0f);

    EXPECT_EQ(TextPanelHeight(13.0f, 2.0f), 13 - 1 + 20);
    EXPECT_EQ(MainPanelHeight(26.0f, 2, 20, 2.0f), 3 * (26 + 8) + 20 + 8);
    const ProgressBarGeometry bar = ComputeProgressBar(0.0f, 0.0f, 200.0f, 30.0f, 50.0f, 2.0f);
    EXPECT_FLOAT_EQ(bar.outline.x, 1.0f);
    EXPECT_FLOAT_EQ(bar.background.width, 196.0f);
    EXPECT_FLOAT_EQ(bar.fill.x, 4.0f);
    EXPECT_FLOAT_EQ(bar.fill.width, 96.0f);
    EXPECT_FLOAT_EQ(bar.fill.height, 30.0f - 4.0f - 8.0f);
}

} // namespace
