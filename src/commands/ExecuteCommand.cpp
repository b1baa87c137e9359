// The "execute" command's rules, over the ProcessLauncher: a working folder that is not there
// starts nothing; an executable starts directly, in the tree's job when it waits for the tree;
// only what is no executable goes further, to its registered verb (still directly, still in
// the job) or to the shell; a tree no job can follow is followed by parent ids, and the outcome
// says so; the exit code decides the outcome, a time-out or a failed wait fails it. Each step
// goes to the run log.
#include "commands/RunCallbacks.h"

#include "commands/InstallState.h"
#include "commands/ProcessLauncher.h"
#include "commands/ProgramStart.h"

namespace {

void Publish(InstallState& state, int commandIndex, const CommandOutcome& outcome)
{
    if (static_cast<size_t>(commandIndex) < state.outcomes.size())
        state.outcomes[static_cast<size_t>(commandIndex)] = outcome;
}

} // namespace

void RunExecute(InstallState& state, int commandIndex)
{
    const std::vector<InstallCommand>& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return;
    const InstallCommand& command = commands[static_cast<size_t>(commandIndex)];
    if (state.launcher == nullptr)
        return Publish(state, commandIndex, {CommandResult::Failed, L"could not start: no programs run here"});
    ProcessLauncher& launcher = *state.launcher;
    const std::wstring program = command.arguments.size() > 0 ? command.arguments[0] : std::wstring();
    const std::wstring parameters = command.arguments.size() > 1 ? command.arguments[1] : std::wstring();

    const std::wstring folder = command.directory.empty() ? launcher.CurrentFolder() : command.directory;
    state.Log(L"  program \"" + program + L"\", arguments \"" + parameters + L"\", folder \"" + folder + L"\"" +
              (command.waitForTree ? L", waits for every process it starts" : L"") +
              (command.timeoutSeconds > 0 ? L", waits at most " + std::to_wstring(command.timeoutSeconds) + L" s"
                                          : L""));

    // A working folder that is not there runs nothing: the program would run in Varnekite's own
    // folder and look there for what it was meant to find.
    if (!command.directory.empty() && !launcher.FolderExists(command.directory))
        return Publish(state, commandIndex,
                       {CommandResult::Failed, L"could not start: the working folder \"" + command.directory +
                                                   L"\" is not there"});

    // The tree: a job where the system gives one; what cannot join it is followed by parent ids.
    std::wstring lost;
    if (command.waitForTree) {
        std::wstring note;
        launcher.OpenJob(lost, note);
        if (!note.empty())
            state.Log(L"  " + note);
    }

    std::wstring commandLine = L"\"" + program + L"\"";
    if (!parameters.empty())
        commandLine += L" " + parameters;
    uint32_t error = 0;
    bool started = !program.empty() && launcher.StartCommandLine(commandLine, command.directory, command.hide, error, lost);
    bool process = started;
    if (!started && !program.empty() && ShellMayOpenInstead(error)) {
        // A document or package whose verb is a command line starts directly, in the job too;
        // one only the shell can open (DDE, COM) goes to the shell.
        const std::wstring verb = launcher.OpenVerb(program, parameters);
        uint32_t verbError = 0;
        started = !verb.empty() && launcher.StartCommandLine(verb, command.directory, command.hide, verbError, lost);
        process = started;
        if (!started)
            started = launcher.StartThroughShell(program, parameters, command.directory, command.hide, error, process, lost);
    }

    CommandOutcome outcome;
    if (program.empty()) {
        outcome = {CommandResult::Failed, L"could not start: no program is named"};
    } else if (!started) {
        // Missing file, no handler, empty program, a program that asks to be raised.
        outcome = {CommandResult::Failed, L"could not start: " + launcher.ErrorText(error)};
    } else if (!process) {
        outcome = {CommandResult::Succeeded, L"started, no process of its own to wait for"};
    } else {
        state.Log(L"  process " + std::to_wstring(launcher.ProcessId()) + L" started");
        const bool byParentId = command.waitForTree && !lost.empty();
        if (byParentId)
            state.Log(L"  the job cannot follow the tree (" + lost + L"): its processes are followed by parent id");
        uint32_t waitError = 0;
        // In milliseconds, held below the 49 days a wait can count.
        const uint32_t limit = command.timeoutSeconds > 4000000u ? 4000000000u : command.timeoutSeconds * 1000u;
        switch (launcher.Wait(command.waitForTree, byParentId, limit, waitError)) {
        case ProcessLauncher::Waited::TimedOut:
            // The program keeps running; the list goes on without it.
            outcome = {CommandResult::Failed, L"still running after " + std::to_wstring(command.timeoutSeconds) +
                                                  L" s: no longer waited for"};
            break;
        case ProcessLauncher::Waited::Failed:
            outcome = {CommandResult::Failed, L"the wait failed: " + launcher.ErrorText(waitError)};
            break;
        case ProcessLauncher::Waited::Ended: {
            uint32_t exitCode = 0;
            uint32_t exitError = 0;
            if (!launcher.ExitCode(exitCode, exitError)) {
                outcome = {CommandResult::Failed, L"exit code unknown: " + launcher.ErrorText(exitError)};
            } else {
                outcome.exited = true;
                outcome.exitCode = exitCode;
                outcome.result = ProgramResult(exitCode, command.successCodes);
                outcome.summary = L"exit code " + std::to_wstring(exitCode);
            }
            break;
        }
        }
        if (byParentId)
            outcome.summary += L" (the tree was followed by parent id: " + lost + L")";
    }
    launcher.Close();
    Publish(state, commandIndex, outcome);
}
