#include "config/SystemFunctionWin32.h"

#include <string>

namespace {

HMODULE LoadSystemDll(const wchar_t* dll)
{
    if (HMODULE module = GetModuleHandleW(dll))
        return module;
    if (HMODULE module = LoadLibraryExW(dll, nullptr, kSearchSystem32Only))
        return module;
    // Windows 7 without its update for the flag refuses it: the full System32 path instead.
    if (GetLastError() != ERROR_INVALID_PARAMETER)
        return nullptr;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + dll;
    return LoadLibraryW(path.c_str());
}

} // namespace

FARPROC SystemFunctionAddress(const wchar_t* dll, const char* name)
{
    HMODULE module = LoadSystemDll(dll);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}
