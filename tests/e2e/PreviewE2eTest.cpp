// End to end: varnekite-check --preview draws the window the installer shows. The picture of a
// configuration at 0% is held against a capture of Varnekite.exe's real window on the same
// configuration while its first command runs.
#include "E2eSupport.h"
#include "VarnekiteRun.h"
#include "display/GdiplusSessionWin32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace e2e;
using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

// A PNG file's pixels as 0x00RRGGBB, the way CaptureWindow gives them; empty when unreadable.
Capture ReadPicture(const std::wstring& path)
{
    const GdiplusSession gdiplus;
    Capture picture;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok)
        return picture;
    UINT width = 0;
    UINT height = 0;
    GdipGetImageWidth(bitmap, &width);
    GdipGetImageHeight(bitmap, &height);
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            ARGB pixel = 0;
            GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &pixel);
            picture.pixels.push_back(pixel & 0xFFFFFF);
        }
    }
    GdipDisposeImage(bitmap);
    return picture;
}

bool Close(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

TEST_F(VarnekiteRun, ThePreviewIsTheWindowTheInstallerShows)
{
    const std::string configuration = Document(
        "<window width='360' position='4'/><font face='Tahoma' small='8' large='11' antialias='true'/>"
        "<strings><title>Setting up the office</title><complete>% complete</complete></strings>"
        "<colours><progress border='#000000' back='#FFFFFF' fore='#2060C0'/>"
        "<header back='#1F3A5F' fore='#FFFFFF'/><footer back='#DDE3EA' fore='#1F3A5F'/>"
        "<main back='#FFFFFF' fore='#404040' current='#1F5FAF' description='#707070'/></colours>",
        "<item name='Office runtime'>" + Hold() + "</item><item name='Drivers'/><item name='Clean up'/>");
    WriteTextFile(ConfigPath(), configuration);

    const std::wstring picturePath = folder.File(L"preview.png");
    ChildProcess check;
    ASSERT_TRUE(check.Start(WindowsPath(VARNEKITE_CHECK_EXE_PATH),
                            L"--preview \"" + picturePath + L"\" --percent 0 \"" + ConfigPath() + L"\"", folder.Path()));
    DWORD checkExit = 99;
    ASSERT_TRUE(check.WaitForExit(kExitTimeout, checkExit));
    ASSERT_EQ(checkExit, 0u);
    const Capture preview = ReadPicture(picturePath);
    ASSERT_GT(preview.width, 0) << "no picture at " << Narrow(picturePath);

    StartWithPath(ConfigPath());
    HWND window = WaitForProgressWindow(362);
    ASSERT_NE(window, nullptr);
    Sleep(500); // faded in and painted for the held command
    Capture shown;
    ASSERT_TRUE(CaptureWindow(window, shown));
    Release();
    EXPECT_EQ(ExitCode(), 1u);

    ASSERT_EQ(preview.width, shown.width);
    ASSERT_EQ(preview.height, shown.height);
    size_t different = 0;
    for (size_t i = 0; i < shown.pixels.size(); ++i)
        different += Close(preview.pixels[i], shown.pixels[i], 24) ? 0 : 1;
    // A few pixels of text edges may round differently; anything more is another window.
    std::printf("preview: %zu of %zu pixels differ from the window\n", different, shown.pixels.size());
    EXPECT_LE(different, shown.pixels.size() / 1000);
}

} // namespace
