#include "app/DisplayDpiWin32.h"

int WindowDpi(HWND window)
{
    // Looked up at run time: the program also runs on Windows 7 and 8, which lack it.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    HDC screen = GetDC(window);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr)
        ReleaseDC(window, screen);
    return dpi > 0 ? dpi : 96;
}
