// A file's first 4 KB as the Win32 tests read it back: shared with every other opener, and
// "<missing>" when it cannot be opened.
#pragma once

#include <windows.h>

#include <string>

inline std::string ReadFileText(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string text(4096, '\0');
    DWORD read = 0;
    ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
}
