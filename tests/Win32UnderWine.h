// Whether the tests run under Wine, for the few cases where Wine shows otherwise than Windows:
// those tests then hold the product to what Wine can show and to Windows' behaviour elsewhere.
#pragma once

#include <windows.h>

inline bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
