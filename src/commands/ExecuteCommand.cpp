// The "execute" command's rules, over the ProcessLauncher: a working folder that is not there
// starts nothing; an executable starts directly, in the tree's job when it waits for the tree;
// only what is no executable goes further, to its registered verb (still directly, still in
// the job) or to the shell; a tree no job can follow is followed by parent ids, and the outcome
// says so; the exit code decides the outcome, a time-out or a failed wait fails it. A time-out
// leaves the program running unless the command asks to end it; an exit code that asks to try
// again (a busy installer) runs the program again after a pause. Each step goes to the run log.
#include "commands/ProgramRun.h"
#include "commands/RunCallbacks.h"

#include "commands/InstallState.h"
#include "commands/ProcessLauncher.h"
#include "commands/ProgramStart.h"
#include "config/ValueFormats.h"
#include "xml/WideBytes.h"

#include <algorithm>

namespace {

std::wstring Processes(uint32_t count)
{
    return std::to_wstring(count) + (count == 1 ? L" process" : L" processes");
}

// What the program's log line adds for the rules beyond a plain wait.
std::wstring RulesText(const InstallCommand& command, int attempts, uint32_t pause)
{
    std::wstring text;
    if (command.Program().waitForTree)
        text += L", waits for every process it starts";
    if (command.Program().timeoutSeconds > 0) {
        text += L", waits at most " + std::to_wstring(command.Program().timeoutSeconds) + L" s";
        if (command.Program().endOnTimeout)
            text += command.Program().waitForTree ? L", then ends it and every process it started" : L", then ends it";
    }
    if (attempts > 1)
        text += L", tries again on exit code " + WidenBytes(ExitCodeListText(command.Program().retryCodes)) + L" (" +
                std::to_wstring(attempts) + L" attempts at most, " + std::to_wstring(pause) + L" s apart)";
    return text;
}

// The time is up: the program runs on, or is ended where the command asks.
CommandOutcome TimedOut(InstallState& state, ProcessLauncher& launcher, const InstallCommand& command, bool byParentId)
{
    const std::wstring after = L"still running after " + std::to_wstring(command.Program().timeoutSeconds) + L" s";
    if (!command.Program().endOnTimeout)
        return {CommandResult::Failed, after + L": no longer waited for"};
    state.Log(LogLevel::Warning,
              L"  " + after + (command.Program().waitForTree ? L": ending it and every process it started" : L": ending it"));
    uint32_t ended = 0;
    uint32_t error = 0;
    if (!launcher.End(command.Program().waitForTree, byParentId, ended, error))
        return {CommandResult::Failed, after + L": could not be ended: " + launcher.ErrorText(error)};
    return {CommandResult::Failed, after + L": ended (" + Processes(ended) + L")"};
}

// One run: the job where the tree is waited for, the start, the wait, the exit code. The caller
// closes the launcher after it.
CommandOutcome RunOnce(InstallState& state, ProcessLauncher& launcher, const InstallCommand& command,
                       const std::wstring& program, const std::wstring& parameters)
{
    if (program.empty())
        return {CommandResult::Failed, L"could not start: no program is named"};
    // The tree: a job where the system gives one; what cannot join it is followed by parent ids.
    std::wstring lost;
    if (command.Program().waitForTree) {
        std::wstring note;
        launcher.OpenJob(lost, note);
        if (!note.empty())
            state.Log(L"  " + note);
    }

    std::wstring commandLine = L"\"" + program + L"\"";
    if (!parameters.empty())
        commandLine += L" " + parameters;
    uint32_t error = 0;
    bool started = launcher.StartCommandLine(commandLine, command.Program().directory, command.hide, error, lost);
    bool process = started;
    if (!started && ShellMayOpenInstead(error)) {
        // A document or package whose verb is a command line starts directly, in the job too;
        // one only the shell can open (DDE, COM) goes to the shell.
        const std::wstring verb = launcher.OpenVerb(program, parameters);
        uint32_t verbError = 0;
        started = !verb.empty() && launcher.StartCommandLine(verb, command.Program().directory, command.hide, verbError, lost);
        process = started;
        if (!started)
            started = launcher.StartThroughShell(program, parameters, command.Program().directory, command.hide, error, process, lost);
    }

    // Missing file, no handler, a program that asks to be raised.
    if (!started)
        return {CommandResult::Failed, L"could not start: " + launcher.ErrorText(error)};
    if (!process)
        return {CommandResult::Succeeded, L"started, no process of its own to wait for"};
    state.Log(L"  process " + std::to_wstring(launcher.ProcessId()) + L" started");
    const bool byParentId = command.Program().waitForTree && !lost.empty();
    if (byParentId)
        state.Log(L"  the job cannot follow the tree (" + lost + L"): its processes are followed by parent id");
    CommandOutcome outcome;
    uint32_t waitError = 0;
    // In milliseconds, held below the 49 days a wait can count.
    const uint32_t limit = command.Program().timeoutSeconds > 4000000u ? 4000000000u : command.Program().timeoutSeconds * 1000u;
    switch (launcher.Wait(command.Program().waitForTree, byParentId, limit, waitError)) {
    case ProcessLauncher::Waited::TimedOut:
        outcome = TimedOut(state, launcher, command, byParentId);
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
            outcome.result = ProgramResult(exitCode, command.Program().successCodes);
            outcome.summary = L"exit code " + ExitCodeWithMeaning(exitCode);
            outcome.exited = true;
            outcome.exitCode = exitCode;
        }
        break;
    }
    }
    if (byParentId)
        outcome.summary += L" (the tree was followed by parent id: " + lost + L")";
    return outcome;
}

} // namespace

CommandOutcome RunProgram(InstallState& state, const InstallCommand& command, const std::wstring& program,
                          const std::wstring& parameters)
{
    ProcessLauncher& launcher = *state.launcher;
    const int attempts = command.Program().retryCodes.empty() ? 1 : std::clamp(command.Program().attempts, kMinAttempts, kMaxAttempts);
    const uint32_t pause = static_cast<uint32_t>(std::clamp(command.Program().retryPauseSeconds, 0, kMaxRetryPauseSeconds));
    const std::wstring folder = command.Program().directory.empty() ? launcher.CurrentFolder() : command.Program().directory;
    state.Log(L"  program \"" + program + L"\", arguments \"" + parameters + L"\", folder \"" + folder + L"\"" +
              RulesText(command, attempts, pause));

    // A working folder that is not there runs nothing: the program would run in Varnekite's own
    // folder and look there for what it was meant to find.
    if (!command.Program().directory.empty() && !launcher.FolderExists(command.Program().directory))
        return {CommandResult::Failed, L"could not start: the working folder \"" + command.Program().directory + L"\" is not there"};

    for (int attempt = 1;; ++attempt) {
        CommandOutcome run = RunOnce(state, launcher, command, program, parameters);
        launcher.Close();
        const bool again = run.exited && attempt < attempts &&
                           std::find(command.Program().retryCodes.begin(), command.Program().retryCodes.end(), run.exitCode) !=
                               command.Program().retryCodes.end();
        if (!again) {
            if (attempt > 1)
                run.summary += L", on attempt " + std::to_wstring(attempt) + L" of " + std::to_wstring(attempts);
            return run;
        }
        // The pause answers the worker's messages (the launcher's), as its waits do.
        state.Log(LogLevel::Warning, L"  attempt " + std::to_wstring(attempt) + L" of " + std::to_wstring(attempts) + L": " +
                  L"exit code " + ExitCodeWithMeaning(run.exitCode) + L": trying again in " + std::to_wstring(pause) + L" s");
        launcher.Pause(pause * 1000u);
    }
}

void PublishOutcome(InstallState& state, int commandIndex, const CommandOutcome& outcome)
{
    if (commandIndex >= 0 && static_cast<size_t>(commandIndex) < state.outcomes.size())
        state.outcomes[static_cast<size_t>(commandIndex)] = outcome;
}

const InstallCommand* ProgramCommandAt(InstallState& state, int commandIndex)
{
    const std::vector<InstallCommand>& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return nullptr;
    if (state.launcher == nullptr) {
        PublishOutcome(state, commandIndex, {CommandResult::Failed, L"could not start: no programs run here"});
        return nullptr;
    }
    return &commands[static_cast<size_t>(commandIndex)];
}

void RunExecute(InstallState& state, int commandIndex)
{
    if (const InstallCommand* command = ProgramCommandAt(state, commandIndex))
        PublishOutcome(state, commandIndex, RunProgram(state, *command, command->arguments[0], command->arguments[1]));
}
