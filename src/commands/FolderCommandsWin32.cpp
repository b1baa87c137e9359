// The run callbacks of "dircopy", "dirmove" and "dirdelete": they read their command's
// arguments and run the folder commands on the Win32 file system.
#include "commands/RunCallbacksWin32.h"

#include "commands/InstallState.h"
#include "commands/FileSystemWin32.h"
#include "commands/FolderCommands.h"

namespace {

// The command's n-th argument; empty when the command or the argument is missing.
std::wstring Argument(const InstallState& state, int commandIndex, size_t n)
{
    const auto& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return std::wstring();
    const auto& arguments = commands[static_cast<size_t>(commandIndex)].arguments;
    return n < arguments.size() ? arguments[n] : std::wstring();
}

// Files the command copies or moves at once; 1 when the command is missing.
int Threads(const InstallState& state, int commandIndex)
{
    const auto& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return 1;
    return commands[static_cast<size_t>(commandIndex)].threads;
}

} // namespace

// FileSystemWin32 holds no state of its own, so its calls may come from several threads.
void RunDirCopy(InstallState& state, int commandIndex)
{
    FileSystemWin32 fileSystem;
    CopyFolderTreeWithThreads(fileSystem, state.progress, Argument(state, commandIndex, 0),
                              Argument(state, commandIndex, 1), Threads(state, commandIndex));
}

void RunDirMove(InstallState& state, int commandIndex)
{
    FileSystemWin32 fileSystem;
    MoveFolderTreeWithThreads(fileSystem, state.progress, Argument(state, commandIndex, 0),
                              Argument(state, commandIndex, 1), Threads(state, commandIndex));
}

void RunDirDelete(InstallState& state, int commandIndex)
{
    FileSystemWin32 fileSystem;
    DeleteFolderTree(fileSystem, state.progress, Argument(state, commandIndex, 0));
}
