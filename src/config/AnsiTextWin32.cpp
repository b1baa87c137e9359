// WidenAnsi through the platform: CP_THREAD_ACP, the code page of the installing user.
#include "config/AnsiText.h"

#include <windows.h>

std::wstring WidenAnsi(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
    if (units <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, &text[0], units);
    return text;
}
