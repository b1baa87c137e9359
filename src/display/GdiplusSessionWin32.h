// GDI+ for the lifetime of an object: programs that draw panels hold one for as long as any
// window may paint.
#pragma once

#include "display/GdiplusWin32.h"

class GdiplusSession
{
public:
    GdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread, codecs
        Gdiplus::GdiplusStartup(&token, &input, nullptr); // failure: panels simply draw nothing
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token = 0;
};
