#include "app/SystemVersionWin32.h"

#include "config/SystemFunctionWin32.h"

bool IsNewSystem()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version); // 276 bytes
#ifdef _MSC_VER
#pragma warning(suppress : 4996) // the plain version query is what decides; no manifest games
#endif
    if (!GetVersionExW(&version))
        return false;
    return version.dwMajorVersion >= 5 || (version.dwMajorVersion == 4 && version.dwMinorVersion >= 90);
}

bool AnimateWindowIfAvailable(HWND window, DWORD milliseconds, DWORD flags)
{
    if (!IsNewSystem())
        return false;
    using AnimateWindowFn = BOOL(WINAPI*)(HWND, DWORD, DWORD);
    const auto animate = SystemFunction<AnimateWindowFn>(L"user32.dll", "AnimateWindow");
    if (animate == nullptr)
        return false;
    animate(window, milliseconds, flags);
    return true;
}
