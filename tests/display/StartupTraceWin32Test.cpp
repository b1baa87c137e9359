// The start-up trace: its marks are written once, at the first paint of a panel on the screen,
// in the order they were made; a hidden panel's measuring paint does not end it, and nothing is
// added after it. The trace is one per process, so one test follows it from start to end.
#include "display/StartupTraceWin32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::pair<std::string, double>> ReadTrace(const std::filesystem::path& path)
{
    std::vector<std::pair<std::string, double>> marks;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos)
            return {{"unreadable line: " + line, 0}};
        marks.emplace_back(line.substr(0, tab), std::stod(line.substr(tab + 1)));
    }
    return marks;
}

TEST(StartupTrace, WrittenAtTheFirstVisiblePaintInOrderAndNotAfter)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-startup-trace.txt";
    std::filesystem::remove(path);
    ASSERT_TRUE(SetEnvironmentVariableW(L"VARNEKITE_STARTUP_TRACE", path.wstring().c_str()));

    MarkStartup("entry");
    Sleep(2);
    MarkStartup("configuration loaded");
    HWND panel = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(panel, nullptr);
    MarkPaint(panel); // measuring while hidden
    EXPECT_FALSE(std::filesystem::exists(path));

    ShowWindow(panel, SW_SHOWNOACTIVATE);
    MarkPaint(panel);
    MarkStartup("after the first paint");
    MarkPaint(panel);
    DestroyWindow(panel);

    const auto marks = ReadTrace(path);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].first, "entry");
    EXPECT_EQ(marks[1].first, "configuration loaded");
    EXPECT_EQ(marks[2].first, "first paint");
    EXPECT_GE(marks[0].second, 0.0);
    EXPECT_GE(marks[1].second - marks[0].second, 1.0); // the sleep between them
    EXPECT_GE(marks[2].second, marks[1].second);
    std::filesystem::remove(path);
}

} // namespace
