// The DPI of the monitor a window is on: where Windows tells it per window (Windows 10 and
// later), that; elsewhere the system's DPI.
#pragma once

#include <windows.h>

int WindowDpi(HWND window);

// The thickness of the window's frame on each side at `dpi`: per monitor where Windows scales
// the frame itself (AdjustWindowRectExForDpi, Windows 10 1607 and later), else the system's.
int FrameThickness(HWND window, int dpi);

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
