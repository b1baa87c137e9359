#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

TEST(WindowPlacement, EveryCodeOnTheGridAndOutOfRangeCodesBottomRight)
{
    // Panels 400 wide, 120 high in all: the window is 402 × 122. The odd work area shows
    // that halves truncate.
    struct Case { int code; int x; int y; };
    const Case cases[] = {
        {0, 0, 0},     {1, 310, 0},     {2, 621, 0},
        {3, 0, 307},   {4, 310, 307},   {5, 621, 307},
        {6, 0, 615},   {7, 310, 615},   {8, 621, 615},
        {-1, 621, 615}, {9, 621, 615}, {INT_MIN, 621, 615}, {INT_MAX, 621, 615},
    };
    for (const Case& c : cases) {
        WindowLayout layout;
        ASSERT_TRUE(ComputeWindowLayout(400, c.code, 20, 70, 30, WorkArea{0, 0, 1023, 737}, layout));
        EXPECT_EQ(layout.window.x, c.x) << "code " << c.code;
        EXPECT_EQ(layout.window.y, c.y) << "code " << c.code;
        EXPECT_EQ(layout.window.width, 402);
        EXPECT_EQ(layout.window.height, 122);
    }
}

TEST(WindowPlacement, PanelsStackWithTheConfiguredWidthOnceAllHaveMeasured)
{
    WindowLayout layout;
    EXPECT_FALSE(ComputeWindowLayout(400, 8, 10, -1, 10, WorkArea{0, 0, 1024, 738}, layout));
    ASSERT_TRUE(ComputeWindowLayout(300, 0, 25, 0, 22, WorkArea{0, 0, 1280, 1024}, layout));
    const auto rect = [](const PanelRect& r) { return std::vector<int>{r.x, r.y, r.width, r.height}; };
    EXPECT_EQ(rect(layout.header), (std::vector<int>{0, 0, 300, 25}));
    // A main panel without rows still lets the layout happen.
    EXPECT_EQ(rect(layout.main), (std::vector<int>{0, 25, 300, 0}));
    EXPECT_EQ(rect(layout.footer), (std::vector<int>{0, 25, 300, 22}));
    EXPECT_EQ(rect(layout.window), (std::vector<int>{0, 0, 302, 49}));
}

// A taskbar at the top or the left: the window keeps to the work area, offset by its origin.
TEST(WindowPlacement, TheWorkAreaOriginOffsetsEveryPlace)
{
    struct Case { WorkArea work; int code; int x; int y; };
    const Case cases[] = {
        {{0, 40, 1280, 1024}, 0, 0, 40},    {{0, 40, 1280, 1024}, 1, 439, 40},  {{0, 40, 1280, 1024}, 4, 439, 471},
        {{0, 40, 1280, 1024}, 8, 878, 902}, {{60, 0, 1280, 1024}, 3, 60, 451},  {{60, 0, 1280, 1024}, 4, 469, 451},
        {{60, 0, 1280, 1024}, 7, 469, 902}, {{60, 0, 1280, 1024}, 6, 60, 902},
    };
    for (const Case& c : cases) {
        WindowLayout layout;
        ASSERT_TRUE(ComputeWindowLayout(400, c.code, 20, 70, 30, c.work, layout));
        EXPECT_EQ(layout.window.x, c.x) << "code " << c.code << " left " << c.work.left;
        EXPECT_EQ(layout.window.y, c.y) << "code " << c.code << " top " << c.work.top;
    }
}

TEST(WindowPlacement, ExtremeWidthsDoNotOverflow)
{
    WindowLayout layout;
    ASSERT_TRUE(ComputeWindowLayout(INT_MAX, 8, INT_MAX, INT_MAX, INT_MAX, WorkArea{0, 0, 1024, 738}, layout));
    EXPECT_EQ(layout.window.width, INT_MAX);
    EXPECT_EQ(layout.window.height, INT_MAX);
    EXPECT_EQ(layout.window.x, 1024 - static_cast<long long>(INT_MAX) - 2);
    ASSERT_TRUE(ComputeWindowLayout(INT_MIN, 4, 0, 0, 0, WorkArea{0, 0, 1024, 738}, layout));
    EXPECT_EQ(layout.window.width, INT_MIN + 2);
}

} // namespace

namespace {

// A frame the system scales (two pixels at 192 DPI) widens the window on each side and keeps
// it inside the work area at every edge.
TEST(WindowPlacement, AScaledFrameWidensTheWindowOnEachSide)
{
    struct Case { int code; int x, y; };
    const WorkArea work{0, 0, 1000, 800};
    for (const Case c : {Case{0, 0, 0}, Case{8, 1000 - 400 - 4, 800 - 120 - 4}, Case{4, 500 - 202, 400 - 62}}) {
        WindowLayout layout;
        ASSERT_TRUE(ComputeWindowLayout(400, c.code, 20, 70, 30, work, layout, 2));
        EXPECT_EQ(layout.window.width, 404) << c.code;
        EXPECT_EQ(layout.window.height, 124) << c.code;
        EXPECT_EQ(layout.window.x, c.x) << c.code;
        EXPECT_EQ(layout.window.y, c.y) << c.code;
        EXPECT_EQ(layout.main.y, 20) << "panels stay in the client area";
    }
}

} // namespace
