#include "commands/FullPathWin32.h"

#include <windows.h>

std::wstring FullPathName(const std::wstring& path)
{
    // A buffer too small gets the size needed, terminator included; the loop also covers a
    // current folder that grew between two calls.
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return std::wstring();
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}
