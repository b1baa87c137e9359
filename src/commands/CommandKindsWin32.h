// The command kinds with the Windows run callbacks: what the installer registers.
#pragma once

#include "commands/CommandKinds.h"
#include "commands/RunCallbacksWin32.h"

inline void RegisterCommandKindsWin32(CommandRegistry& registry)
{
    RegisterCommandKinds(registry, CommandKindRuns{{RunExecute, RunDirCopy, RunDirMove, RunDirDelete}});
}
