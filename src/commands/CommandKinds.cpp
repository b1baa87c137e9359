#include "commands/CommandKinds.h"

void RegisterCommandKinds(CommandRegistry& registry)
{
    registry.Append(executeCommand);
    registry.Append(dirCopyCommand);
    registry.Append(dirMoveCommand);
    registry.Append(dirDeleteCommand);
}
