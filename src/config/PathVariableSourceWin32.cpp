// The path variables' values on Windows: the program's module path, the setup source path in
// the machine's registry, and the process environment. Any failure gives an empty value.
#include "config/PathVariableSourceWin32.h"

#include "config/ScopedWin32.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

constexpr DWORD kBufferUnits = 1024;
const wchar_t kSetupKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\";

} // namespace

std::wstring ProgramPath()
{
    // The call cuts a path longer than the buffer (a program deep in a long-path tree): the
    // buffer grows until the whole path fits, up to the longest path Windows has.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size() || path.size() >= 32768) {
            // Older systems leave a path that fills the buffer unterminated.
            path.resize(wcsnlen(path.c_str(), std::min<size_t>(length, path.size())));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring Win32PathVariableSource::ModuleFileName() const
{
    return ProgramPath();
}

std::wstring Win32PathVariableSource::SourcePath() const
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSetupKey, 0, KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return std::wstring();
    const ScopedRegistryKey key(opened);

    wchar_t data[kBufferUnits] = {};
    DWORD type = 0;
    DWORD size = sizeof(data);
    const LONG status = RegQueryValueExW(key.Get(), L"SourcePath", nullptr, &type,
                                         reinterpret_cast<BYTE*>(data), &size);

    // Only a string of whole UTF-16 units that ends with its NUL is taken; the value is read
    // verbatim, so REG_EXPAND_SZ references stay as they are.
    const bool isString = type == REG_SZ || type == REG_EXPAND_SZ;
    const DWORD units = size / sizeof(wchar_t);
    if (status != ERROR_SUCCESS || !isString || size % sizeof(wchar_t) != 0 || units == 0 ||
        data[units - 1] != L'\0')
        return std::wstring();
    return std::wstring(data, wcsnlen(data, units));
}

std::wstring Win32PathVariableSource::Environment(const wchar_t* name) const
{
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0)
        return std::wstring();
    std::vector<wchar_t> value(needed, L'\0');
    const DWORD copied = GetEnvironmentVariableW(name, value.data(), needed);
    // A value that grew between the two calls reports the larger size instead of copying.
    if (copied == 0 || copied >= needed)
        return std::wstring();
    return std::wstring(value.data(), copied);
}

std::vector<std::pair<std::wstring, std::wstring>> Win32PathVariableSource::EnvironmentBlock() const
{
    std::vector<std::pair<std::wstring, std::wstring>> variables;
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr)
        return variables;
    // NAME=value entries, each ended by a NUL, the block by an empty one. Names that start with
    // '=' are the shell's per-drive current folders, not variables.
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        const wchar_t* equals = std::wcschr(entry + 1, L'=');
        if (entry[0] != L'=' && equals != nullptr)
            variables.emplace_back(std::wstring(entry, equals), std::wstring(equals + 1));
    }
    FreeEnvironmentStringsW(block);
    return variables;
}
