// The panels painted for real under GDI+: each panel is attached to a STATIC child of a
// popup window, painted into a 32-bit bitmap through WM_PRINTCLIENT (the path the fade-in
// takes) or WM_PAINT, and checked pixel by pixel.
#include "CommandKindsForTests.h"
#include "commands/CommandKinds.h"
#include "commands/InstallState.h"
#include "display/FooterPanelWin32.h"
#include "display/HeaderPanelWin32.h"
#include "display/MainPanelWin32.h"
#include "display/PanelHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct GdiplusEnvironment : testing::Environment
{
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token); }
    ULONG_PTR token = 0;
};

testing::Environment* const gdiplus = testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

// The main window's side of the panels. A layout call counts only when every panel of the
// test has measured its height by then, as the real layout needs.
struct FakeHost : PanelHost
{
    const InstallState& State() const override
    {
        ++stateReads;
        return state;
    }
    void PlaceWindows() override
    {
        if (std::all_of(panels.begin(), panels.end(), [](const PanelWindow* p) { return p->Height() >= 0; }))
            ++layouts;
    }

    InstallState state;
    std::vector<const PanelWindow*> panels;
    int layouts = 0;
    mutable int stateReads = 0;
};

// A popup window standing in for the dialog; its STATIC children stand in for the controls.
struct TestWindow
{
    TestWindow(int width, int height, DWORD visible = 0)
        : handle(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | visible, 0, 0, width, height, nullptr,
                                 nullptr, nullptr, nullptr))
    {
    }
    ~TestWindow() { DestroyWindow(handle); }
    HWND AddControl(int x, int y, int width, int height) const
    {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x, y, width, height, handle, nullptr,
                               nullptr, nullptr);
    }
    const HWND handle;
};

// Whether `pixel` is `rgb` drawn antialiased over black: the channels that are 0 in `rgb`
// stay (nearly) 0, the others are lit and (nearly) equal. The text colours used have equal
// non-zero channels, so each is told apart from the others and from the pure bar colours.
bool Tinted(uint32_t pixel, uint32_t rgb)
{
    int lowest = 256, highest = -1;
    for (int shift = 0; shift < 24; shift += 8) {
        const int channel = static_cast<int>((pixel >> shift) & 0xFF);
        if (((rgb >> shift) & 0xFF) == 0) {
            if (channel > 8)
                return false;
        } else {
            lowest = std::min(lowest, channel);
            highest = std::max(highest, channel);
        }
    }
    return lowest >= 0x20 && highest - lowest <= 12;
}

// A 32-bit top-down bitmap in a memory device context, readable pixel by pixel.
class PixelBuffer
{
public:
    PixelBuffer(int width, int height) : width(width), height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        previous = SelectObject(dc, bitmap);
        std::fill(bits, bits + width * height, 0x123456u);
    }
    ~PixelBuffer()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Paints the control into the buffer the way the fade-in animation asks for it.
    void PrintClient(HWND control)
    {
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
    }
    uint32_t Pixel(int x, int y) const { return bits[y * width + x] & 0xFFFFFFu; }
    // The pixels of colour `rgb` in row y between x0 and x1 (exclusive).
    int CountInRow(int y, uint32_t rgb, int x0, int x1) const
    {
        int count = 0;
        for (int x = x0; x < x1; ++x)
            count += Pixel(x, y) == rgb ? 1 : 0;
        return count;
    }
    int Count(uint32_t rgb, bool tinted = false) const
    {
        int count = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                count += (tinted ? Tinted(Pixel(x, y), rgb) : Pixel(x, y) == rgb) ? 1 : 0;
        return count;
    }
    int CountTinted(uint32_t rgb) const { return Count(rgb, true); }
    HDC Dc() const { return dc; }

    const int width;
    const int height;

private:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
};

PanelSettings Colours(uint32_t back, uint32_t fore)
{
    PanelSettings settings;
    settings.backColour = back;
    settings.foreColour = fore;
    settings.progressBorder = 0xFFFF0000;
    settings.progressBack = 0xFF00FF00;
    settings.progressFore = 0xFF0000FF;
    return settings;
}

// Writes a 2 x 2 24-bit BMP of one colour and returns its path. (GDI+ blends a stretched
// 1 x 1 picture with the background.)
std::wstring WriteSolidBitmap(uint32_t rgb)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"varnekite-panel-test.bmp";
    // 14-byte file header, 40-byte info header, two rows of 2 pixels padded to 8 bytes.
    unsigned char file[54 + 16] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0,
                                   0, 1, 0, 24, 0};
    for (int offset : {54, 57, 62, 65}) {
        file[offset] = rgb & 0xFF;
        file[offset + 1] = (rgb >> 8) & 0xFF;
        file[offset + 2] = (rgb >> 16) & 0xFF;
    }
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(handle, file, sizeof file, &written, nullptr);
    CloseHandle(handle);
    return path;
}

class PanelPaint : public testing::Test
{
protected:
    static constexpr int kWidth = 400;

    void SetUp() override { ASSERT_NE(frame.handle, nullptr); }

    void Prepare(PanelWindow& panel, HWND control, const wchar_t* face = L"Tahoma", int small = 8, int large = 12)
    {
        ASSERT_TRUE(panel.Attach(control));
        panel.SetOwner(&host);
        panel.SetFonts(face, small, large);
        panel.SetAntialias(false);
        host.panels.push_back(&panel);
    }

    TestWindow frame{kWidth + 2, 300};
    FakeHost host;
};

TEST_F(PanelPaint, HeaderPaintsOnlyItsPlaceInAWindowBitmapAndMeasuresOnce)
{
    // As when the whole window is printed for the fade-in: the panel gets a device context
    // whose origin is moved to the panel's place in a bitmap of the whole window.
    HeaderPanel header;
    HWND control = frame.AddControl(0, 0, kWidth, 30);
    Prepare(header, control);
    header.ApplySettings(Colours(0xFF336699, 0xFFFFFFFF));
    header.SetText(L"Setting up your computer");

    PixelBuffer buffer(kWidth + 2, 100);
    SetViewportOrgEx(buffer.Dc(), 1, 31, nullptr);
    buffer.PrintClient(control);
    EXPECT_EQ(buffer.Pixel(1, 31), 0x336699u);
    EXPECT_EQ(buffer.Pixel(kWidth, 60), 0x336699u);
    EXPECT_GT(buffer.Count(0xFFFFFF), 20) << "the title in white";
    for (const POINT outside : {POINT{0, 31}, POINT{kWidth + 1, 40}, POINT{1, 30}, POINT{1, 61}})
        EXPECT_EQ(buffer.Pixel(outside.x, outside.y), 0x123456u) << outside.x << "," << outside.y;
    EXPECT_GT(header.Height(), 9); // a measured line plus 9
    EXPECT_EQ(host.layouts, 1);

    buffer.PrintClient(control);
    EXPECT_EQ(host.layouts, 1) << "measured once only";
    header.ResetMeasure();
    buffer.PrintClient(control);
    EXPECT_EQ(host.layouts, 2);
}

TEST_F(PanelPaint, FooterBarFillFollowsTheOverallPercentage)
{
    FooterPanel footer;
    constexpr int kHeight = 30;
    HWND control = frame.AddControl(0, 0, kWidth, kHeight);
    Prepare(footer, control);
    footer.ApplySettings(Colours(0xFF000000, 0xFFFFFFFF));
    footer.SetText(L"complete");
    // Values that cannot occur are held within the bar: no fill for NaN, a full bar above 100.
    struct Case { float percent; float drawn; };
    const Case cases[] = {{37.4f, 37.4f}, {std::strtof("nan", nullptr), 0.0f}, {1e9f, 100.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.percent);
        ProgressSnapshot values;
        values.overallPercent = c.percent;
        host.state.progress.Publish(values);
        PixelBuffer buffer(kWidth, kHeight);
        buffer.PrintClient(control);
        ASSERT_GT(footer.TextWidth(), 0);

        // The bar box: right of the reserved text width, inset by 4.
        const int barX = 4 + footer.TextWidth() + 4;
        const int barWidth = kWidth - 8 - (footer.TextWidth() + 4);
        const int middle = kHeight / 2;
        EXPECT_NEAR(buffer.CountInRow(middle, 0x0000FF, barX, barX + barWidth), (barWidth - 4) * c.drawn / 100.0, 1.0);
        if (c.drawn == 0.0f) {
            EXPECT_EQ(buffer.Count(0x0000FF), 0) << "no fill anywhere";
        }
        // The outline's edges lie on half pixels; rasterisers differ in which side they take.
        EXPECT_GT(buffer.CountInRow(middle, 0xFF0000, barX, barX + barWidth + 1), 0) << "outline";
        EXPECT_EQ(buffer.CountInRow(middle, 0x0000FF, 0, barX), 0) << "the bar starts after the text box";
        EXPECT_GT(buffer.CountTinted(0xFFFFFF), 10) << "the percentage text";
    }
    EXPECT_EQ(host.layouts, 1);
}

// A copy shows the item bar and the file bar under it; an execute only the item bar, whatever
// file percentage a copy before it left.
TEST_F(PanelPaint, MainPanelDrawsTheRowsTheItemBarAndTheFileBar)
{
    // Twenty items of two commands each: a copy, then an execute.
    for (int i = 0; i < 20; ++i) {
        host.state.settings.items.push_back(L"Item " + std::to_wstring(i));
        InstallCommand command;
        command.item = host.state.settings.items.size() - 1;
        command.SetCommandName(L"dircopy");
        host.state.settings.commands.push_back(command);
        command.SetCommandName(L"execute");
        command.Program().displayName = L"Running setup";
        host.state.settings.commands.push_back(command);
    }
    host.state.settings.itemCommands = ItemCommands(host.state.settings.items.size(), host.state.settings.commands);
    CommandRegistry kinds;
    RegisterCommandKinds(kinds, false);
    GiveKinds(host.state.settings.commands, kinds);
    host.state.settings.copyText = L"Copying %1% (%4%)";
    MainPanelSettings settings;
    static_cast<PanelSettings&>(settings) = Colours(0xFF000000, 0xFF808080);
    settings.currentColour = 0xFFFFFF00;
    settings.descriptionColour = 0xFF00FFFF;
    settings.showTotal = 5;
    settings.showAfter = 0;

    constexpr int kHeight = 200;
    const int barX = 4 + (kWidth - 8) - 100; // at the right edge of the layout box
    MainPanel main;
    HWND control = frame.AddControl(0, 0, kWidth, kHeight);
    Prepare(main, control);
    main.ApplyMainSettings(settings);
    InstallProgress& progress = host.state.progress;
    ProgressSnapshot values;
    values.currentItem = 9;
    values.fileBytesDone = 1; // a quarter of the file
    values.fileBytesTotal = 4;
    values.commandBytesTotal = 1;
    struct Case { int command; float itemPercent, commandPercent; bool fileBar; };
    const Case cases[] = {
        {18, 0.0f, 100.0f, true},  // the copy of item 9, one of two commands: the item bar at 50
        {19, 50.0f, 0.0f, false},  // the execute of item 9
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        values.currentCommand = c.command;
        values.itemPercent = c.itemPercent;
        values.commandBytesDone = c.commandPercent > 0.0f ? 1 : 0; // the whole command, or none of it
        progress.Publish(values);
        PixelBuffer buffer(kWidth, kHeight);
        buffer.PrintClient(control);
        EXPECT_EQ(host.layouts, 1);
        ASSERT_GT(main.Height(), 6 * 4 + 4) << "six measured rows and the extra 4";
        EXPECT_GT(buffer.CountTinted(0x808080), 10) << "the other items' names";
        EXPECT_GT(buffer.CountTinted(0xFFFF00), 10) << "the running item's line";
        EXPECT_GT(buffer.CountTinted(0x00FFFF), 10) << "the detail line";

        int itemRows = 0, fileRows = 0, lastItemRow = -1, firstFileRow = kHeight;
        for (int y = 0; y < kHeight; ++y) {
            const int filled = buffer.CountInRow(y, 0x0000FF, barX, barX + 100);
            EXPECT_EQ(buffer.CountInRow(y, 0x0000FF, 0, barX), 0) << "no fill left of the bars, row " << y;
            if (filled >= 47 && filled <= 49) { // (100 - 4) x 50%
                ++itemRows;
                lastItemRow = y;
            } else if (filled >= 23 && filled <= 25) { // (100 - 4) x 25%
                ++fileRows;
                firstFileRow = std::min(firstFileRow, y);
            } else {
                EXPECT_EQ(filled, 0) << "row " << y;
            }
        }
        EXPECT_GT(itemRows, 2);
        EXPECT_EQ(fileRows, c.fileBar ? itemRows : 0) << "both bars are as high as the measured item line";
        if (c.fileBar) {
            EXPECT_GT(firstFileRow, lastItemRow) << "the file bar lies under the item bar";
        }
    }
}

TEST_F(PanelPaint, UnknownFaceFallsBackToSansSerifAndStillMeasures)
{
    HeaderPanel named, unknown, noFontAtAll;
    HWND namedControl = frame.AddControl(0, 0, kWidth, 40);
    HWND unknownControl = frame.AddControl(0, 40, kWidth, 40);
    HWND noFontControl = frame.AddControl(0, 80, kWidth, 40);
    Prepare(named, namedControl, L"Tahoma", 8, 14);
    Prepare(unknown, unknownControl, L"No Such Face At All", 8, 14);
    Prepare(noFontAtAll, noFontControl, L"Tahoma", -5, -5); // no font of a negative size can be made
    for (HeaderPanel* panel : {&named, &unknown, &noFontAtAll}) {
        panel->ApplySettings(Colours(0xFF000000, 0xFFFFFFFF));
        panel->SetText(L"Installing");
    }
    PixelBuffer buffer(kWidth, 40);
    buffer.PrintClient(unknownControl);
    EXPECT_GT(unknown.Height(), 9);
    EXPECT_GT(buffer.CountTinted(0xFFFFFF), 20) << "the title drawn in the fallback face";
    buffer.PrintClient(namedControl);
    // The size is kept: a 14-point line is about 19 pixels in any face.
    EXPECT_NEAR(unknown.Height(), named.Height(), 6);

    buffer.PrintClient(noFontControl);
    EXPECT_EQ(noFontAtAll.Height(), 9) << "measured as empty text";
    EXPECT_EQ(host.layouts, 1) << "laid out once all three have measured";
}

TEST_F(PanelPaint, PicturesAreDrawnStretchedAndMissingOnesAreSkipped)
{
    HeaderPanel header;
    HWND control = frame.AddControl(0, 0, kWidth, 40);
    Prepare(header, control);
    PanelSettings settings = Colours(0xFF336699, 0xFF336699);
    settings.imagePath = L"C:\\no\\such\\folder\\picture.png";
    header.ApplySettings(settings);
    PixelBuffer buffer(kWidth, 40);
    buffer.PrintClient(control);
    EXPECT_EQ(buffer.Pixel(kWidth / 2, 20), 0x336699u);

    settings.imagePath = WriteSolidBitmap(0xC01020);
    header.ApplySettings(settings);
    buffer.PrintClient(control);
    EXPECT_EQ(buffer.Pixel(kWidth / 2, 20), 0xC01020u);
    DeleteFileW(settings.imagePath.c_str());

    settings.imagePath.clear();
    header.ApplySettings(settings);
    // WM_PAINT with a device context in wParam paints into it like WM_PRINTCLIENT.
    SendMessageW(control, WM_PAINT, reinterpret_cast<WPARAM>(buffer.Dc()), 0);
    GdiFlush();
    EXPECT_EQ(buffer.Pixel(kWidth / 2, 20), 0x336699u);
}

TEST_F(PanelPaint, AttachForwardsOtherMessagesAndDetachesWithTheControl)
{
    auto header = std::make_unique<HeaderPanel>();
    HWND control = frame.AddControl(0, 0, kWidth, 40);
    const LONG_PTR original = GetWindowLongPtrW(control, GWLP_WNDPROC);
    ASSERT_TRUE(header->Attach(control));
    EXPECT_FALSE(header->Attach(control)) << "one control per panel";
    HeaderPanel other;
    // A second panel would call itself for ever on the next message: stop here if it got in.
    ASSERT_FALSE(other.Attach(control)) << "one panel per control";
    EXPECT_EQ(SendMessageW(control, WM_ERASEBKGND, 0, 0), 1);

    // The static control still keeps its text: unhandled messages reach its own procedure.
    SetWindowTextW(control, L"kept");
    wchar_t text[16] = {};
    GetWindowTextW(control, text, 16);
    EXPECT_STREQ(text, L"kept");

    header.reset(); // the panel goes first: the control gets its procedure back
    EXPECT_EQ(GetWindowLongPtrW(control, GWLP_WNDPROC), original);

    auto second = std::make_unique<HeaderPanel>();
    ASSERT_TRUE(second->Attach(control));
    DestroyWindow(control); // the control goes first: the panel lets go of it
    EXPECT_EQ(second->Window(), nullptr);
}

TEST_F(PanelPaint, TimerRepaintsTheVisibleMainPanelAtOnceWhenProgressMoved)
{
    TestWindow shown(kWidth + 2, 200, WS_VISIBLE);
    MainPanel main;
    HWND control = shown.AddControl(1, 1, kWidth, 150);
    Prepare(main, control);
    main.ApplyMainSettings(MainPanelSettings{});
    host.state.settings.items = {L"One"};
    UpdateWindow(shown.handle);
    EXPECT_EQ(host.layouts, 1) << "the first WM_PAINT measured";
    ASSERT_TRUE(main.StartRepaintTimer());

    // The timer's check reads the state once; a paint reads it again.
    const auto readsInTick = [&](UINT_PTR timer) {
        const int before = host.stateReads;
        SendMessageW(control, WM_TIMER, timer, 0);
        return host.stateReads - before;
    };
    EXPECT_EQ(readsInTick(MainPanel::kRepaintTimerId + 1), 0) << "other timers do nothing";
    EXPECT_EQ(readsInTick(MainPanel::kRepaintTimerId), 1) << "nothing moved since the last paint: no repaint";
    ProgressSnapshot moved = host.state.progress.Snapshot();
    moved.fileBytesDone = 4096;
    host.state.progress.Publish(moved);
    EXPECT_GE(readsInTick(MainPanel::kRepaintTimerId), 2) << "the repaint happened inside the timer message";
    EXPECT_EQ(readsInTick(MainPanel::kRepaintTimerId), 1) << "painted state is current again";
    moved.fileName = L"next.dat";
    host.state.progress.Publish(moved);
    EXPECT_GE(readsInTick(MainPanel::kRepaintTimerId), 2) << "a new file name repaints";
    KillTimer(control, MainPanel::kRepaintTimerId);
}

} // namespace
