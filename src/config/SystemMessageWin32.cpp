#include "config/SystemMessageWin32.h"

#include "config/ScopedWin32.h"

std::wstring SystemMessage(DWORD error)
{
    wchar_t* allocated = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<LPWSTR>(&allocated), 0, nullptr);
    const ScopedLocalMemory<wchar_t*> text(allocated);
    std::wstring message = length > 0 && text.Valid() ? std::wstring(text.Get(), length) : std::wstring();
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return (message.empty() ? std::wstring() : message + L" ") + L"(error " + std::to_wstring(error) + L")";
}
