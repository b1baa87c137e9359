// The command kind constants exist before the program's entry point runs. This file belongs to
// the Windows edge library on Windows (its run callbacks live there) and to the portable core
// elsewhere.
#include "commands/CommandKinds.h"

#include "commands/ParseCallbacks.h"

#ifdef _WIN32
#include "commands/RunCallbacks.h"
#define VARNEKITE_RUN(callback) (callback)
#else
#define VARNEKITE_RUN(callback) nullptr
#endif

const CommandHandler executeCommand{L"execute", VARNEKITE_RUN(RunExecute), ParseExecute};
const CommandHandler dirCopyCommand{L"dircopy", VARNEKITE_RUN(RunDirCopy), ParseDirectoryPair};
const CommandHandler dirMoveCommand{L"dirmove", VARNEKITE_RUN(RunDirMove), ParseDirectoryPair};
const CommandHandler dirDeleteCommand{L"dirdelete", VARNEKITE_RUN(RunDirDelete), ParseSingleDirectory};

void RegisterCommandKinds(CommandRegistry& registry)
{
    registry.Append(executeCommand);
    registry.Append(dirCopyCommand);
    registry.Append(dirMoveCommand);
    registry.Append(dirDeleteCommand);
}
