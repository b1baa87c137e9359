// Removes a test's folder with everything in it, read-only files and paths past MAX_PATH
// included, with neither the code under test nor the shell: the shell's delete cannot take
// long paths, and under Wine it then went on to delete in the test's current folder. A folder
// link is removed as a link, never entered. Only absolute drive paths are touched.
#pragma once

#include <windows.h>

#include <string>

inline void RemoveTreeBelow(const std::wstring& extended)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((extended + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = extended + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (folder && !link)
            RemoveTreeBelow(path);
        if (folder)
            RemoveDirectoryW(path.c_str());
        else
            DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

inline void RemoveTestTree(const std::wstring& folder)
{
    const bool absolute = folder.size() > 3 && folder[1] == L':' && folder[2] == L'\\';
    if (!absolute)
        return;
    const std::wstring extended = L"\\\\?\\" + folder;
    RemoveTreeBelow(extended);
    SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(extended.c_str());
}
