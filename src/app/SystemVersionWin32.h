// The two questions the window code asks of the system: is it new enough for animations, and
// does user32 export AnimateWindow (looked up at run time, so the program still starts where
// it does not).
#pragma once

#include <windows.h>

// True on Windows 2000 / Me (version 4.90) and later: major ≥ 5, or 4 with minor ≥ 90.
bool IsNewSystem();

// AnimateWindow(window, milliseconds, flags) on a new system when user32 has it; otherwise
// nothing. True when the call was made.
bool AnimateWindowIfAvailable(HWND window, DWORD milliseconds, DWORD flags);

constexpr DWORD kFadeMilliseconds = 400;
constexpr DWORD kFadeInFlags = AW_ACTIVATE | AW_SLIDE | AW_BLEND; // 0x000E0000
constexpr DWORD kFadeOutFlags = AW_HIDE | AW_SLIDE | AW_BLEND;    // 0x000D0000
