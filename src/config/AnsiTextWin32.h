// The platform's ANSI conversion for WidenAnsi: the code page of the installing user.
#pragma once

#include <string>
#include <string_view>

// Bytes in CP_THREAD_ACP as wide text; install it with UseAnsiDecoder(WidenAnsiWin32).
std::wstring WidenAnsiWin32(std::string_view bytes);
