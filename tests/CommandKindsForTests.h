// Tests build commands by hand with a kind's name; the loader gives each command its kind from
// the registry it loads with, and this does the same for them.
#pragma once

#include "config/CommandRegistry.h"
#include "config/InstallCommand.h"

#include <vector>

inline void GiveKinds(std::vector<InstallCommand>& commands, const CommandRegistry& registry)
{
    for (InstallCommand& command : commands)
        command.kind = registry.FindHandler(std::wstring(command.CommandName()));
}
