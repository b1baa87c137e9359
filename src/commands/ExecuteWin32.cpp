// The "execute" command: starts a program (or opens a document) through the shell and waits
// until the started process has ended. The worker thread blocks here; the window stays live
// because painting happens on the window thread.
#include "commands/InstallState.h"
#include "commands/RunCallbacksWin32.h"

#include <windows.h>
#include <shellapi.h>

void RunExecute(InstallState& state, int commandIndex)
{
    const std::vector<InstallCommand>& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return;
    const InstallCommand& command = commands[static_cast<size_t>(commandIndex)];
    const std::wstring program = command.arguments.size() > 0 ? command.arguments[0] : std::wstring();
    const std::wstring parameters = command.arguments.size() > 1 ? command.arguments[1] : std::wstring();

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // No error box from the shell: a missing program must not stop an unattended run waiting
    // for someone to click OK. The launch completes before the call returns (no hand-off to a
    // shell thread that the end of the process could cut off); the worker has COM initialised
    // for the shell extensions that handle documents, shortcuts and verbs.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = command.hide ? SW_HIDE : SW_SHOW;

    // Failure (missing file, no handler, empty program) leaves no process handle: the run goes
    // on with the next command. A document handed to a running application has none either.
    ShellExecuteExW(&info);
    if (info.hProcess != nullptr) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
    }
}
