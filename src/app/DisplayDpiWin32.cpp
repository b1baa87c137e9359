#include "app/DisplayDpiWin32.h"

#include "config/ScopedWin32.h"
#include "config/SystemFunctionWin32.h"

int WindowDpi(HWND window)
{
    // Looked up at run time: the program also runs on Windows 7 and 8, which lack it.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    const ScopedWindowDc screen(window);
    const int dpi = screen.Valid() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

int FrameThickness(HWND window, int dpi)
{
    using AdjustForDpi = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = SystemFunction<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT frame = {0, 0, 0, 0};
    const BOOL adjusted = adjustForDpi != nullptr ? adjustForDpi(&frame, style, FALSE, extended, static_cast<UINT>(dpi))
                                                  : AdjustWindowRectEx(&frame, style, FALSE, extended);
    return adjusted && frame.left <= 0 ? -frame.left : 1;
}
