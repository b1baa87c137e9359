// The GDI+ flat API as the panels use it. Includes <windows.h> and <gdiplus.h> in an order that
// compiles with both the mingw-w64 and the Windows SDK headers (the SDK's GDI+ headers need
// IStream and the min/max names, which WIN32_LEAN_AND_MEAN and NOMINMAX remove).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus

#include <gdiplus.h>

