#include "commands/CommandRegistry.h"

namespace {

wchar_t FoldAscii(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

} // namespace

bool EqualsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

const CommandHandler* CommandRegistry::FindHandler(const std::wstring& name) const
{
    for (const CommandHandler& handler : handlers)
        if (EqualsIgnoreAsciiCase(handler.name, name))
            return &handler;
    return nullptr;
}
