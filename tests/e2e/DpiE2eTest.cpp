// End to end: the window at the screen's DPI. Measured here: the window's size, the header's
// height and its text's height, and the item bar's width; run-at-dpi.sh runs this at 96, 144
// and 192 DPI and holds the figures against each other. The window's width is exact here.
#include "E2eSupport.h"
#include "VarnekiteRun.h"
#include "display/PanelLayout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace e2e;

namespace {

constexpr uint32_t kHeaderBack = 0x202020;
constexpr uint32_t kHeaderFore = 0xFFFFFF;
constexpr uint32_t kFooterBack = 0x303030;
constexpr uint32_t kBarBack = 0x406080;

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST_F(VarnekiteRun, TheWindowScalesWithTheDpi)
{
    const int dpi = ScreenDpi();
    const int width = ScalePixels(300, dpi);
    Start(Document("<window width='300' position='4' fixmain='10'/><font face='Tahoma' small='8' large='12'/>"
                   "<strings><title>Height</title><complete>done</complete></strings>"
                   "<colours><progress border='#000000' back='#406080' fore='#20A040'/>"
                   "<header back='#202020' fore='#FFFFFF'/><footer back='#303030' fore='#FFFFFF'/>"
                   "<main back='#000000' fore='#FF00FF' current='#FFFF00' description='#00FFFF'/></colours>",
                   "<item name='Hold'>" + Hold() + "</item>"));
    HWND window = WaitForProgressWindow(width + 2);
    ASSERT_NE(window, nullptr) << "no window " << width + 2 << " pixels wide at " << dpi << " DPI";
    Sleep(300);
    Capture capture;
    ASSERT_TRUE(CaptureWindow(window, capture));
    Release();
    EXPECT_EQ(ExitCode(), 1u);

    // Down the left edge: the header's rows; in them, the title's.
    int header = 0;
    while (1 + header < capture.height && capture.At(2, 1 + header) == kHeaderBack)
        ++header;
    int text = 0;
    for (int y = 1; y < 1 + header; ++y)
        for (int x = 0; x < capture.width; ++x)
            if (capture.At(x, y) == kHeaderFore) {
                ++text;
                break;
            }
    // Between the header and the footer: the item bar's empty part (0% done), its widest row.
    int footerTop = capture.height - 2;
    while (footerTop > 0 && capture.At(2, footerTop - 1) == kFooterBack)
        --footerTop;
    int bar = 0;
    for (int y = 1 + header; y < footerTop; ++y) {
        int row = 0;
        for (int x = 0; x < capture.width; ++x)
            row += capture.At(x, y) == kBarBack ? 1 : 0;
        bar = row > bar ? row : bar;
    }
    EXPECT_GT(header, 0);
    EXPECT_GT(text, 0);
    EXPECT_GT(bar, 0);

    char line[160];
    std::snprintf(line, sizeof line, "dpi=%d width=%d height=%d header=%d text=%d bar=%d\n", dpi, capture.width,
                  capture.height, header, text, bar);
    std::fputs(line, stdout);
    wchar_t results[MAX_PATH];
    if (GetEnvironmentVariableW(L"VARNEKITE_DPI_RESULTS", results, MAX_PATH) > 0)
        WriteTextFile(results, ReadTextFile(results) + line);
}

} // namespace
