#include "config/CommandRegistry.h"


const CommandHandler* CommandRegistry::FindHandler(const std::wstring& name) const
{
    for (const CommandHandler& handler : handlers)
        if (EqualsIgnoreAsciiCase(handler.name, name))
            return &handler;
    return nullptr;
}
