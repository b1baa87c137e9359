// End to end: what the program does in the conditions it is used in beyond a quick run: a
// parent setup that waits for it without pumping messages, a hidden window with the title to
// hide, names and titles that measure unlike plain ones, a picture a later command deletes, a
// launcher that quotes the configuration path, and a long program that keeps the window still.
#include "E2eSupport.h"
#include "VarnekiteRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

// Colours used only for one thing each in the panels below.
constexpr uint32_t kCurrent = 0xFFFF00;     // the running item's line
constexpr uint32_t kDescription = 0x00FFFF; // the detail line
constexpr uint32_t kOther = 0xFF00FF;       // the other items
constexpr uint32_t kBarBack = 0x406080;     // the bars' empty part

const char kColours[] =
    "<colours><progress border='#000000' back='#406080' fore='#20A040'/>"
    "<header back='#202020' fore='#FFFFFF'/><footer back='#202020' fore='#FFFFFF'/>"
    "<main back='#000000' fore='#FF00FF' current='#FFFF00' description='#00FFFF'/></colours>";

// The first and last row holding a pixel of `rgb`, or {-1, -1}.
std::pair<int, int> RowsOf(const Capture& capture, uint32_t rgb)
{
    std::pair<int, int> rows{-1, -1};
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
            if (capture.At(x, y) == rgb) {
                if (rows.first < 0)
                    rows.first = y;
                rows.second = y;
                break;
            }
    return rows;
}

// Waits until the window shows pixels of every colour asked for, and returns that capture.
bool CaptureShowing(HWND window, const std::vector<uint32_t>& colours, Capture& capture, DWORD milliseconds)
{
    return WaitUntil([&] {
        if (!CaptureWindow(window, capture))
            return false;
        for (uint32_t colour : colours)
            if (RowsOf(capture, colour).first < 0)
                return false;
        return true;
    }, milliseconds);
}

// A setup program that started Varnekite and blocks on it without pumping messages: hiding its
// window must not wait for its thread, or the run never starts.
TEST_F(VarnekiteRun, HidingTheWindowOfAParentThatWaitsForUsDoesNotHang)
{
    const std::wstring title = L"Foreign Setup " + std::to_wstring(GetTickCount64());
    WriteTextFile(ConfigPath(), Document("<hidewindow>" + Narrow(title) + "</hidewindow>",
                                         "<item name='a'>" + Append("ran") + "</item>"));
    const std::wstring parentLog = folder.File(L"parent.txt");
    const std::wstring commandLine = L"\"" + exe + L"\" <" + ConfigPath();
    ChildProcess parent;
    ASSERT_TRUE(parent.Start(marker, L"parent \"" + title + L"\" \"" + parentLog + L"\" \"" + commandLine + L"\"",
                             folder.Path()));
    DWORD code = 0;
    ASSERT_TRUE(parent.WaitForExit(kExitTimeout, code)) << "the run behind the waiting parent did not end";
    EXPECT_EQ(ReadTextFile(MarkerPath()), "ran\n");
    EXPECT_EQ(ReadTextFile(parentLog), "exit=1\n");
}

// Of two windows with the title, the visible one is hidden and shown again; the hidden one,
// newer and so found first, stays hidden.
TEST_F(VarnekiteRun, OnlyAVisibleWindowIsHiddenAndOnlyItIsShownAgain)
{
    const std::wstring title = L"Two of a title " + std::to_wstring(GetTickCount64());
    TitledWindow visible(title);
    TitledWindow hidden(title, false);
    ASSERT_TRUE(IsWindowVisible(visible.Window()));
    ASSERT_FALSE(IsWindowVisible(hidden.Window()));

    Start(Document("<hidewindow>" + Narrow(title) + "</hidewindow>", "<item name='hold'>" + Hold() + "</item>"));
    ASSERT_NE(WaitForProgressWindow(402), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(visible.Window()); }, kWindowTimeout));
    Release();
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(visible.Window()); }, kWindowTimeout));
    Sleep(200);
    EXPECT_FALSE(IsWindowVisible(hidden.Window()));
}

// A program that runs long keeps the window still: the first paint after the layout must have
// drawn every row, the running item's detail line and the next item included. (A first paint
// before the layout was complete used to stay on screen.)
TEST_F(VarnekiteRun, AWindowThatStaysStillShowsEveryRow)
{
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        struct Run : VarnekiteRun { void TestBody() override {} } one;
        one.Start(Document(std::string("<window width='360' position='4'/><font face='Tahoma' small='8' large='10'/>"
                                       "<strings><title>Still</title></strings>") + kColours,
                           "<item name='First'>" + one.Execute("hold \"" + Narrow(one.folder.File(L"release.txt")) +
                                                                   "\" " + std::to_string(kHoldLimit), "Holding") +
                               "</item><item name='Second'>" + one.Append("x") + "</item>"));
        HWND window = one.WaitForProgressWindow(362);
        ASSERT_NE(window, nullptr);
        Sleep(1500); // many repaint ticks with nothing moving
        Capture capture;
        EXPECT_TRUE(CaptureShowing(window, {kCurrent, kDescription, kOther}, capture, 2000))
            << "current line, detail line and next item: rows " << RowsOf(capture, kCurrent).first << ", "
            << RowsOf(capture, kDescription).first << ", " << RowsOf(capture, kOther).first;
        one.Release();
        EXPECT_EQ(one.ExitCode(), 1u);
    }
}

// An item without a name still takes a line: its counter, bar and detail line keep their rows.
TEST_F(VarnekiteRun, AnItemWithoutANameKeepsItsRows)
{
    Start(Document(std::string("<window width='360' position='4'/><font face='Tahoma' small='8' large='10'/>") +
                       kColours,
                   "<item name=''>" + Execute("hold \"" + Narrow(folder.File(L"release.txt")) + "\" " +
                                              std::to_string(kHoldLimit), "Holding") +
                       "</item><item name='Next'>" + Append("x") + "</item>"));
    HWND window = WaitForProgressWindow(362);
    ASSERT_NE(window, nullptr);
    Capture capture;
    ASSERT_TRUE(CaptureShowing(window, {kCurrent, kDescription, kOther}, capture, kWindowTimeout));
    const auto line = RowsOf(capture, kCurrent);
    const auto detail = RowsOf(capture, kDescription);
    const auto next = RowsOf(capture, kOther);
    EXPECT_LT(line.second, detail.first) << "the detail line starts below the \" (1/2)\" line";
    EXPECT_LT(detail.second, next.first) << "the next item starts below the detail line";
    // The item bar stands beside the item's line (the footer's bar is far below).
    const auto bar = RowsOf(capture, kBarBack);
    EXPECT_LE(bar.first, line.second) << "the item bar is drawn beside the line";
    EXPECT_GE(bar.first + 4, line.first);
    Release();
    EXPECT_EQ(ExitCode(), 1u);
}

// A title too long for one line is cut on that line: the header is as high as for a short one.
TEST(VarnekiteTitle, ALongTitleKeepsTheHeaderOneLineHigh)
{
    const auto windowHeight = [](const std::string& title) {
        struct Run : VarnekiteRun { void TestBody() override {} } run;
        run.Start(VarnekiteRun::Document("<window width='300'/><strings><title>" + title + "</title></strings>",
                                         "<item name='hold'>" + run.Hold() + "</item>"));
        HWND window = run.WaitForProgressWindow(302);
        RECT rect = {};
        if (window != nullptr)
            GetWindowRect(window, &rect);
        run.Release();
        EXPECT_EQ(run.ExitCode(), 1u);
        return rect.bottom - rect.top;
    };
    const int shortTitle = windowHeight("Setup");
    // Longer than the window is wide even before the layout, when the header measures itself.
    const int longTitle = windowHeight("Finishing the installation of every program and every driver on this "
                                       "computer, then cleaning up the files that setup left behind for you");
    EXPECT_GT(shortTitle, 2);
    EXPECT_EQ(longTitle, shortTitle);
}

// The picture is read into memory: a later command deletes it and its folder.
TEST_F(VarnekiteRun, APictureOfAPanelCanBeDeletedByALaterCommand)
{
    const std::wstring pictures = folder.File(L"pictures");
    CreateDirectoryW(pictures.c_str(), nullptr);
    // A 1 x 1 bitmap, 24 bits per pixel.
    const unsigned char bitmap[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                    0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0x80, 0xC0, 0};
    WriteTextFile(pictures + L"\\header.bmp", std::string(reinterpret_cast<const char*>(bitmap), sizeof bitmap));
    const std::string folderText = Attribute(Narrow(pictures));
    Start(Document("<colours><header back='#000000' image='" + folderText + "\\header.bmp'/></colours>",
                   "<item name='clean'><file command='dirdelete' directory='" + folderText + "'/>" + Append("done") +
                       "</item>"));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "done\n");
    EXPECT_EQ(GetFileAttributesW(pictures.c_str()), INVALID_FILE_ATTRIBUTES) << "the picture kept its folder";
}

// Launchers quote an argument holding spaces: "<C:\My Setup\other.xml".
TEST_F(VarnekiteRun, AQuotedConfigurationPathIsRead)
{
    const std::wstring spaced = folder.File(L"My Setup");
    CreateDirectoryW(spaced.c_str(), nullptr);
    const std::wstring config = spaced + L"\\other config.xml";
    WriteTextFile(config, Document("", "<item name='a'>" + Append("quoted") + "</item>"));
    ASSERT_TRUE(child.Start(exe, L"\"<" + config + L"\" ", folder.Path()));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "quoted\n");
}

} // namespace
