#include "commands/CommandKinds.h"

#include <cstddef>

const CommandKind* FindCommandKind(const std::wstring& name)
{
    for (const CommandKind& kind : kCommandKinds)
        if (EqualsIgnoreAsciiCase(name, kind.name))
            return &kind;
    return nullptr;
}

void RegisterCommandKinds(CommandRegistry& registry, const CommandKindRuns& runs)
{
    for (size_t i = 0; i < sizeof kCommandKinds / sizeof kCommandKinds[0]; ++i)
        registry.Append({kCommandKinds[i].name, runs.run[i], kCommandKinds[i].parse});
}
