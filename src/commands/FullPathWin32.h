// The absolute form Windows itself gives a path (GetFullPathNameW), however long it is.
#pragma once

#include <string>

// Empty when the system cannot make one (an empty path, say).
std::wstring FullPathName(const std::wstring& path);
