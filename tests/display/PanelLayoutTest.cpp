#include "display/PanelLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

TEST(RowWindow, SlidesAroundTheCurrentItemWithinTheItems)
{
    struct Case { int current; int total; int after; int items; int start; int end; };
    const Case cases[] = {
        // Five rows ending at the current item.
        {2, 5, 0, 20, 0, 5},
        {9, 5, 0, 20, 5, 10},
        {19, 5, 0, 20, 15, 20},
        {0, 5, 0, 20, 0, 5},
        // Two rows after the current item.
        {9, 5, 2, 20, 7, 12},
        {18, 5, 2, 20, 15, 20},
        {0, 5, 2, 20, 0, 5},
        // No total given: the configuration yields after = -2, and every item shows.
        {0, -1, -2, 20, 0, 20},
        {13, -1, -2, 20, 0, 20},
        {19, 20, -2, 20, 0, 20},
        // A total above the item count is reduced to it.
        {1, 50, 0, 3, 0, 3},
        {1, 5, 4, 3, 0, 3},
        // No rows at all.
        {4, 0, -1, 20, 4, 4},
        {0, -1, -2, 0, 0, 0},
        {0, 5, 0, 0, 0, 0},
        // A current item outside the items still gives rows within them.
        {-7, 5, 0, 20, 0, 5},
        {400, 5, 0, 20, 15, 20},
        {INT_MAX, 5, INT_MAX, 20, 15, 20},
        {INT_MIN, 5, INT_MIN, 20, 0, 5},
    };
    for (const Case& c : cases) {
        const RowWindow rows = ComputeRowWindow(c.current, c.total, c.after, c.items);
        EXPECT_EQ(rows.start, c.start) << "current " << c.current << " total " << c.total << " after " << c.after;
        EXPECT_EQ(rows.end, c.end) << "current " << c.current << " total " << c.total << " after " << c.after;
    }
}

TEST(RowWindow, ShowsExactlyTheTotalForEveryCurrentItem)
{
    for (int items = 0; items <= 9; ++items) {
        for (int total = -1; total <= items + 1; ++total) {
            for (int after = -2; after < total; ++after) {
                for (int current = -1; current <= items; ++current) {
                    const RowWindow rows = ComputeRowWindow(current, total, after, items);
                    ASSERT_GE(rows.start, 0);
                    ASSERT_LE(rows.end, items);
                    ASSERT_EQ(rows.end - rows.start, ClampShowTotal(total, items));
                    if (current >= 0 && current < items && ClampShowTotal(total, items) > after && after >= 0) {
                        // With the loader's clamp (0 <= after < total) the current item is shown.
                        ASSERT_TRUE(rows.start <= current && current < rows.end)
                            << items << " " << total << " " << after << " " << current;
                    }
                }
            }
        }
    }
}

TEST(ClampShowTotal, MeansAllItemsWhenNegativeOrTooLarge)
{
    EXPECT_EQ(ClampShowTotal(-1, 7), 7);
    EXPECT_EQ(ClampShowTotal(8, 7), 7);
    EXPECT_EQ(ClampShowTotal(7, 7), 7);
    EXPECT_EQ(ClampShowTotal(0, 7), 0);
    EXPECT_EQ(ClampShowTotal(3, 7), 3);
    EXPECT_EQ(ClampShowTotal(3, 0), 0);
}

TEST(PanelHeights, FollowTheMeasuredText)
{
    EXPECT_EQ(TextPanelHeight(13.4f), 22);
    EXPECT_EQ(TextPanelHeight(0.0f), 9);
    // Each of total + 1 rows adds the measured height plus 4, truncated as it goes.
    EXPECT_EQ(MainPanelHeight(13.5f, 5, 0), 6 * 17 + 4);
    EXPECT_EQ(MainPanelHeight(13.5f, 1, 10), 2 * 17 + 14);
    EXPECT_EQ(MainPanelHeight(13.5f, 0, 50), 0);
    EXPECT_EQ(MainPanelHeight(13.5f, -1, 50), 0);
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
    EXPECT_FLOAT_EQ(bar.outline.x, 10.5f);
    EXPECT_FLOAT_EQ(bar.outline.y, 20.5f);
    EXPECT_FLOAT_EQ(bar.outline.width, 103.0f);
    EXPECT_FLOAT_EQ(bar.outline.height, 13.0f); // the height is reduced by 2 first
    EXPECT_FLOAT_EQ(bar.background.x, 11.0f);
    EXPECT_FLOAT_EQ(bar.background.y, 21.0f);
    EXPECT_FLOAT_EQ(bar.background.width, 102.0f);
    EXPECT_FLOAT_EQ(bar.background.height, 12.0f);
    EXPECT_FLOAT_EQ(bar.fill.x, 12.0f);
    EXPECT_FLOAT_EQ(bar.fill.y, 22.0f);
    EXPECT_FLOAT_EQ(bar.fill.width, 50.0f);
    EXPECT_FLOAT_EQ(bar.fill.height, 10.0f);
    EXPECT_TRUE(bar.hasFill);
}

TEST(ProgressBar, FillWidthFollowsThePercentage)
{
    struct Case { float width; float percent; float fill; bool hasFill; };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {104.0f, 0.0f, 0.0f, false},
        {104.0f, 100.0f, 100.0f, true}, // exactly w - 4
        {383.0f, 100.0f, 379.0f, true},
        {383.0f, 37.5f, 142.125f, true},
        {104.0f, 0.5f, 0.5f, true},
        // Values the program cannot produce are held within the bar.
        {104.0f, 250.0f, 100.0f, true},
        {104.0f, -20.0f, 0.0f, false},
        {104.0f, nan, 0.0f, false},
        {104.0f, inf, 100.0f, true},
        // Too narrow for a filled part.
        {3.0f, 100.0f, 0.0f, false},
    };
    for (const Case& c : cases) {
        const ProgressBarGeometry bar = ComputeProgressBar(0.0f, 0.0f, c.width, 20.0f, c.percent);
        EXPECT_EQ(bar.hasFill, c.hasFill) << c.width << " " << c.percent;
        if (c.hasFill) {
            EXPECT_FLOAT_EQ(bar.fill.width, c.fill) << c.width << " " << c.percent;
        }
    }
}

TEST(DrawablePercent, KeepsValidValuesUnchanged)
{
    for (float value : {0.0f, 0.1f, 37.4f, 99.99f, 100.0f})
        EXPECT_EQ(DrawablePercent(value), value);
    EXPECT_EQ(DrawablePercent(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(DrawablePercent(-1.0f), 0.0f);
    EXPECT_EQ(DrawablePercent(100.5f), 100.0f);
}

} // namespace
