#include "commands/CommandRegistry.h"

#include "xml/AsciiText.h"

#include <string_view>

bool EqualsIgnoreAsciiCase(const std::wstring& a, const std::wstring& b)
{
    return EqualsIgnoreAsciiCase(std::wstring_view(a), std::wstring_view(b));
}

const CommandHandler* CommandRegistry::FindHandler(const std::wstring& name) const
{
    for (const CommandHandler& handler : handlers)
        if (EqualsIgnoreAsciiCase(handler.name, name))
            return &handler;
    return nullptr;
}
