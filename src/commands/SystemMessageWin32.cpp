#include "commands/SystemMessageWin32.h"

std::wstring SystemMessage(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message = length > 0 && text != nullptr ? std::wstring(text, length) : std::wstring();
    if (text != nullptr)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return (message.empty() ? std::wstring() : message + L" ") + L"(error " + std::to_wstring(error) + L")";
}
