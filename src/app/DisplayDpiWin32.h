// The DPI of the monitor a window is on: where Windows tells it per window (Windows 10 and
// later), that; elsewhere the system's DPI.
#pragma once

#include <windows.h>

int WindowDpi(HWND window);

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
