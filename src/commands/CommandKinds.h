// The four command kinds of the installer, as program-wide constants, and their registration
// in the fixed order execute, dircopy, dirmove, dirdelete.
//
// The constants are inline variables defined here, so every file that includes this header
// before defining its own static objects gets them constructed first: the entry point relies
// on this to have the command kinds exist before GDI+ starts.
#pragma once

#include "config/CommandRegistry.h"
#include "commands/ParseCallbacks.h"

#ifdef _WIN32
#include "commands/RunCallbacks.h"
#define VARNEKITE_RUN(callback) (callback)
#else
// Without Windows only the parse callbacks exist: loading and checking a configuration.
#define VARNEKITE_RUN(callback) nullptr
#endif

inline const CommandHandler executeCommand{L"execute", VARNEKITE_RUN(RunExecute), ParseExecute};
inline const CommandHandler dirCopyCommand{L"dircopy", VARNEKITE_RUN(RunDirCopy), ParseDirectoryPair};
inline const CommandHandler dirMoveCommand{L"dirmove", VARNEKITE_RUN(RunDirMove), ParseDirectoryPair};
inline const CommandHandler dirDeleteCommand{L"dirdelete", VARNEKITE_RUN(RunDirDelete), ParseSingleDirectory};

#undef VARNEKITE_RUN

// Appends the four kinds to the registry in their fixed order.
void RegisterCommandKinds(CommandRegistry& registry);
