// The four command kinds of the installer, as program-wide constants, and their registration
// in the fixed order execute, dircopy, dirmove, dirdelete.
#pragma once

#include "commands/CommandRegistry.h"

// On Windows each has its run callback; elsewhere only the parse callbacks exist (run is null),
// which is all that loading and checking a configuration needs.
extern const CommandHandler executeCommand;
extern const CommandHandler dirCopyCommand;
extern const CommandHandler dirMoveCommand;
extern const CommandHandler dirDeleteCommand;

// Appends the four kinds to the registry in their fixed order.
void RegisterCommandKinds(CommandRegistry& registry);
