#include "config/AnsiTextWin32.h"

#include <windows.h>

std::wstring WidenAnsiWin32(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF)
        return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, &text[0], units);
    return text;
}
