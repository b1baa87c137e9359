// End-to-end tests of Varnekite.exe: the driver writes a configuration into a temporary folder,
// starts the real program on it ("Varnekite.exe <C:\...\config.xml") and observes it from
// outside: exit codes, files written by the commands it runs, its message box, the geometry and
// pixels of its window, and a foreign window it hides. Execute commands start MarkerWriter,
// which appends marker lines or holds the run until the test releases it.
#include "E2eSupport.h"
#include "VarnekiteRun.h"

#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

TEST_F(VarnekiteRun, ExecuteCommandsRunInFileOrderThenTheProgramExitsWithOne)
{
    Start(Document("<strings><title>Order</title></strings>",
                   "<item name='First'>" + Append("one") + Append("two") + "</item>"
                   "<item name='Empty'/>"
                   "<item name='Second'>" + Append("three") + "<file command='unknown'/>" + "</item>"
                   "<item name='first'>" + Append("four") + "</item>"));

    EXPECT_EQ(ExitCode(), 1u);
    // Items First and first each run their own commands, once.
    EXPECT_EQ(ReadTextFile(MarkerPath()), "one\ntwo\nthree\nfour\n");
}

TEST_F(VarnekiteRun, EmptyItemListExitsWithOne)
{
    Start(Document("", ""));
    EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(VarnekiteRun, MissingProgramShowsNoErrorAndTheRunGoesOn)
{
    Start(Document("", "<item name='a'><file command='execute' program='C:\\no\\such\\program.exe' hide='false'/>" +
                           Append("after") + "</item>"));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "after\n");
}

TEST_F(VarnekiteRun, HideStartsTheProgramHiddenOtherwiseShown)
{
    const std::string showState = "showstate \"" + Narrow(MarkerPath()) + "\"";
    Start(Document("", "<item name='a'>"
                       "<file command='execute' program='" + Attribute(Narrow(marker)) + "' arguments='" +
                       Attribute(showState) + "' hide='TRUE'/>"
                       "<file command='execute' program='" + Attribute(Narrow(marker)) + "' arguments='" +
                       Attribute(showState) + "'/>"
                       "</item>"));
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "show=0\nshow=5\n"); // SW_HIDE, then SW_SHOW
}

TEST_F(VarnekiteRun, MissingConfigurationShowsOneErrorBoxAndNoWindowThenExitsWithAllOnes)
{
    const std::wstring missing = folder.File(L"missing.xml");
    StartWithPath(missing);

    HWND box = WaitForErrorBox();
    ASSERT_NE(box, nullptr) << "no message box captioned Configuration Error";
    Sleep(300); // a second box or a window would have appeared by now
    int boxes = 0;
    for (HWND window : TopLevelWindows(child.Id())) {
        if (WindowText(window) == L"Configuration Error")
            ++boxes;
        else
            EXPECT_FALSE(IsWindowVisible(window)) << "visible window besides the message box";
    }
    EXPECT_EQ(boxes, 1);
    // The first lines as they always were, the reason below them.
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), L"Error opening: \n" + missing + L"\n\nthere is no such file");
    EXPECT_TRUE(child.Running()) << "the process must wait for the box";

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(), 0xFFFFFFFFu);
}

TEST_F(VarnekiteRun, WrongRootElementShowsItsMessage)
{
    for (const char* document : {"<Setup><config/></Setup>", "<Varnekit/>"}) {
        TempFolder caseFolder;
        ChildProcess caseChild;
        WriteTextFile(caseFolder.File(L"config.xml"), document);
        ASSERT_TRUE(caseChild.Start(exe, L"<" + caseFolder.File(L"config.xml"), caseFolder.Path()));
        HWND box = WaitForWindow(caseChild.Id(), [](HWND window) {
            return WindowText(window) == L"Configuration Error";
        }, kWindowTimeout);
        ASSERT_NE(box, nullptr) << document;
        EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), L"Could not find element:\nVarnekite") << document;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 0;
        EXPECT_TRUE(caseChild.WaitForExit(kExitTimeout, code));
        EXPECT_EQ(code, 0xFFFFFFFFu) << document;
    }
}

TEST_F(VarnekiteRun, RootElementNameIgnoresCase)
{
    Start("<VARNEKITE><items><item name='a'>" + Append("ran") + "</item></items></VARNEKITE>");
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "ran\n");
}

TEST(VarnekiteWindow, SizeAndPlacementFollowTheWindowSettings)
{
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    struct Case { int width; int position; const char* attributes; };
    const Case cases[] = {
        {400, 8, ""}, // the defaults
        {300, 0, "width='300' position='0'"},
        {500, 4, "width='500' position='4'"},
        {250, 2, "width='250' position='2'"},
        {350, 6, "width='350' position='6'"},
        {420, 8, "width='420' position='42'"}, // out of range: bottom right
        {320, 8, "width='320' position='-1'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        struct Run : VarnekiteRun { void TestBody() override {} } run;
        run.Start(VarnekiteRun::Document(std::string("<window ") + c.attributes + "/>",
                                         "<item name='hold'>" + run.Hold() + "</item>"));
        if (testing::Test::HasFatalFailure())
            return;
        HWND window = run.WaitForProgressWindow(c.width + 2);
        ASSERT_NE(window, nullptr) << "no placed window " << c.width + 2 << " pixels wide";
        RECT rect = {};
        GetWindowRect(window, &rect);
        const int height = rect.bottom - rect.top;
        EXPECT_GT(height, 2);
        WindowLayout expected;
        ASSERT_TRUE(ComputeWindowLayout(c.width, c.position, height - 2, 0, 0,
                                        {work.left, work.top, work.right, work.bottom}, expected));
        EXPECT_EQ(rect.left, expected.window.x);
        EXPECT_EQ(rect.top, expected.window.y);
        EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
        run.Release();
        EXPECT_EQ(run.ExitCode(), 1u);
    }
}

TEST_F(VarnekiteRun, EnterEscapeAndCloseDoNotCloseTheWindow)
{
    Start(Document("", "<item name='hold'>" + Hold() + "</item>"));
    HWND window = WaitForProgressWindow(402);
    ASSERT_NE(window, nullptr);

    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Sleep(500);

    EXPECT_TRUE(child.Running());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    Release();
    EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(VarnekiteRun, ConfiguredForeignWindowIsHiddenDuringTheRunAndShownAtTheEnd)
{
    const std::wstring title = L"Varnekite e2e foreign " + std::to_wstring(GetTickCount64());
    TitledWindow foreign(title);
    ASSERT_NE(foreign.Window(), nullptr);
    ASSERT_TRUE(IsWindowVisible(foreign.Window()));

    Start(Document("<hidewindow>" + Narrow(title) + "</hidewindow>", "<item name='hold'>" + Hold() + "</item>"));
    ASSERT_NE(WaitForProgressWindow(402), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(foreign.Window()); }, kWindowTimeout));

    Release();
    EXPECT_EQ(ExitCode(), 1u);
    // Shown without waiting for its thread: it may become visible just after the program ended.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(foreign.Window()); }, kWindowTimeout));
}

TEST_F(VarnekiteRun, WithoutHideWindowNoUntitledWindowIsHidden)
{
    TitledWindow untitled(L"");
    ASSERT_NE(untitled.Window(), nullptr);

    Start(Document("<window position='0'/>", "<item name='hold'>" + Hold() + "</item>"));
    ASSERT_NE(WaitForProgressWindow(402), nullptr);
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(untitled.Window()));
    Release();
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_TRUE(IsWindowVisible(untitled.Window()));
}

// Runs of equal colour down one pixel column.
std::vector<std::pair<uint32_t, int>> ColumnRuns(const Capture& capture, int x, int top, int bottom)
{
    std::vector<std::pair<uint32_t, int>> runs;
    for (int y = top; y < bottom; ++y) {
        const uint32_t pixel = capture.At(x, y);
        if (runs.empty() || runs.back().first != pixel)
            runs.push_back({pixel, 0});
        ++runs.back().second;
    }
    return runs;
}

// The filled share of the footer bar in one row: fore pixels ÷ the bar's inner width.
double FooterBarShare(const Capture& capture, int y, uint32_t fore, uint32_t back)
{
    int x = 0;
    while (x < capture.width && capture.At(x, y) != fore)
        ++x;
    int filled = 0;
    while (x < capture.width && capture.At(x, y) == fore) {
        ++filled;
        ++x;
    }
    int empty = 0;
    while (x < capture.width && capture.At(x, y) == back) {
        ++empty;
        ++x;
    }
    // The bar is w wide: border, back, fore from x + 2 over (w − 4) × share, back, border.
    const int inner = filled + empty - 1;
    return inner > 0 ? static_cast<double>(filled) / inner : -1.0;
}

TEST_F(VarnekiteRun, CaptureShowsThePanelColoursAndAHalfFilledFooterBar)
{
    const uint32_t headerBack = 0x3060C0, mainBack = 0xC04050, footerBack = 0xF0D040;
    const uint32_t barBack = 0xE0E0E0, barFore = 0x20A040;
    Start(Document("<window width='360' position='4' fixmain='12'/><font face='Tahoma' small='8' large='10'/>"
                   "<strings><title>Pixels</title><complete>done</complete></strings>"
                   "<colours><progress border='#102030' back='#E0E0E0' fore='#20A040'/>"
                   "<header back='#3060C0' fore='#FFFFFF'/><footer back='#F0D040' fore='#000000'/>"
                   "<main back='#C04050' fore='#FFFFFF' current='#FFFF00' description='#00FFFF'/></colours>",
                   "<item name='Only'>" + Append("first") + Hold() + "</item>"));
    HWND window = WaitForProgressWindow(362);
    ASSERT_NE(window, nullptr);

    Capture capture;
    std::vector<std::pair<uint32_t, int>> runs;
    double share = -1.0;
    // The second of two commands is running: the footer shows 50 % once it has repainted.
    const bool painted = WaitUntil([&] {
        if (!CaptureWindow(window, capture) || capture.height < 10)
            return false;
        runs = ColumnRuns(capture, 2, 1, capture.height - 1); // client column 1, inside the border
        if (runs.size() != 3)
            return false;
        const int footerMiddle = 1 + runs[0].second + runs[1].second + runs[2].second / 2;
        share = FooterBarShare(capture, footerMiddle, barFore, barBack);
        return share > 0.45 && share < 0.55;
    }, kWindowTimeout);

    ASSERT_EQ(runs.size(), 3u) << "expected header, main and footer backgrounds down the left edge";
    EXPECT_EQ(runs[0].first, headerBack);
    EXPECT_EQ(runs[1].first, mainBack);
    EXPECT_EQ(runs[2].first, footerBack);
    EXPECT_GE(runs[1].second, 12) << "the main panel keeps fixmain pixels below its rows";
    EXPECT_TRUE(painted);
    EXPECT_NEAR(share, 0.5, 0.02);

    Release();
    EXPECT_EQ(ExitCode(), 1u);
}

TEST_F(VarnekiteRun, DetailLineShowsTheFileBeingCopied)
{
    // Enough files that the copy lasts a few seconds, during which the window is captured.
    CreateDirectoryW(folder.File(L"tree").c_str(), nullptr);
    for (int i = 0; i < 4000; ++i)
        WriteTextFile(folder.File(L"tree\\file" + std::to_wstring(i) + L".txt"), "x");
    // The copy line is the file name alone, in a colour nothing else uses; the held command
    // after it has no name, so once the copy is over nothing is drawn in that colour.
    const uint32_t description = 0x00FFFF;
    const std::string base = Narrow(folder.Path());
    Start(Document("<window width='360' position='4'/><font face='Tahoma' small='8' large='10'/>"
                   "<strings><title>Files</title><copy>%1%</copy></strings>"
                   "<colours><progress border='#000000' back='#FFFFFF' fore='#000000'/>"
                   "<header back='#202020' fore='#FFFFFF'/><footer back='#202020' fore='#FFFFFF'/>"
                   "<main back='#FFFFFF' fore='#000000' current='#000000' description='#00FFFF'/></colours>",
                   "<item name='Copy'><file command='dircopy' directory='" + Attribute(base + "\\tree") +
                       "' target='" + Attribute(base + "\\copy") + "'/></item>"
                   "<item name='Wait'>" + Execute("hold \"" + Narrow(folder.File(L"release.txt")) + "\" " +
                                                  std::to_string(kHoldLimit), "") + "</item>"));
    HWND window = WaitForProgressWindow(362);
    ASSERT_NE(window, nullptr);

    Capture capture;
    const bool fileNameShown = WaitUntil([&] {
        if (!CaptureWindow(window, capture))
            return false;
        for (uint32_t pixel : capture.pixels)
            if ((pixel & 0xFFFFFF) == description)
                return true;
        return false;
    }, kWindowTimeout);
    EXPECT_TRUE(fileNameShown) << "no file name was drawn on the detail line while the copy ran";

    Release();
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(folder.File(L"copy\\tree\\file3999.txt")), "x");
}

} // namespace
