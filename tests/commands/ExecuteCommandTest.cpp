// The execute command's rules on a scripted launcher: which failure goes on to the verb and the
// shell, what a wait's end makes of the outcome, and what the launcher was asked to do.
#include "ScriptedLauncher.h"
#include "commands/CommandKinds.h"
#include "commands/InstallState.h"
#include "commands/RunCallbacks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct ExecuteRun
{
    CommandOutcome outcome;
    std::vector<std::wstring> calls;
};

ExecuteRun Execute(ScriptedLauncher launcher, InstallCommand command)
{
    InstallState state;
    state.launcher = &launcher;
    state.settings.commands = {command};
    state.outcomes.assign(1, CommandOutcome());
    RunExecute(state, 0);
    return {state.outcomes[0], launcher.calls};
}

InstallCommand Program(const wchar_t* program, const wchar_t* parameters = L"")
{
    InstallCommand command;
    command.arguments = {program, parameters};
    return command;
}

} // namespace

TEST(ExecuteCommand, HowTheProgramStartsAndWhatItsEndMakesOfTheOutcome)
{
    struct Case
    {
        const char* what;
        ScriptedLauncher launcher;
        InstallCommand command;
        CommandResult result;
        std::wstring summary;
        std::vector<std::wstring> calls;
    };
    ScriptedLauncher plain;
    ScriptedLauncher reboot = plain;
    reboot.exitCode = 3010;
    ScriptedLauncher fails = plain;
    fails.exitCode = 1603;
    ScriptedLauncher denied = plain;
    denied.directError = 5;
    ScriptedLauncher document = plain;
    document.directError = 193;
    document.verb = L"\"C:\\Editor\\edit.exe\" \"notes.txt\"";
    ScriptedLauncher shellOnly = plain;
    shellOnly.directError = 2;
    shellOnly.shellProcess = false;
    ScriptedLauncher nothing = plain;
    nothing.directError = 2;
    nothing.shellStarts = false;
    ScriptedLauncher slow = plain;
    slow.waited = ProcessLauncher::Waited::TimedOut;
    ScriptedLauncher broken = plain;
    broken.waited = ProcessLauncher::Waited::Failed;
    ScriptedLauncher noExit = plain;
    noExit.exitKnown = false;
    ScriptedLauncher noFolder = plain;
    noFolder.folderExists = false;
    ScriptedLauncher outsideJob = plain;
    outsideJob.jobLost = L"access denied";
    ScriptedLauncher slowOutsideJob = slow;
    slowOutsideJob.jobLost = L"access denied";
    ScriptedLauncher slowAndStubborn = slow;
    slowAndStubborn.endWorks = false;

    InstallCommand hidden = Program(L"setup.exe", L"/q");
    hidden.hide = true;
    InstallCommand timed = Program(L"setup.exe");
    timed.Program().timeoutSeconds = 30;
    InstallCommand huge = Program(L"setup.exe");
    huge.Program().timeoutSeconds = 5000000; // beyond what a wait counts in milliseconds
    InstallCommand inFolder = Program(L"setup.exe");
    inFolder.Program().directory = L"D:\\gone";
    InstallCommand tree = Program(L"setup.exe");
    tree.Program().waitForTree = true;
    InstallCommand ownCodes = Program(L"setup.exe");
    ownCodes.Program().successCodes = {1603};
    InstallCommand killed = timed;
    killed.Program().endOnTimeout = true;
    InstallCommand treeKilled = killed;
    treeKilled.Program().waitForTree = true;

    const Case cases[] = {
        {"an executable starts directly and its exit code decides", plain, hidden, CommandResult::Succeeded,
         L"exit code 0", {L"start \"setup.exe\" /q hidden", L"wait 0", L"close"}},
        {"a restart code is a success that asks for a restart", reboot, Program(L"setup.exe"),
         CommandResult::Restart, L"exit code 3010 (a restart is required to complete the installation)", {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"an exit code outside the list fails", fails, Program(L"setup.exe"), CommandResult::Failed,
         L"exit code 1603 (a fatal error during installation)", {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"the configuration's own codes replace the list", fails, ownCodes, CommandResult::Succeeded,
         L"exit code 1603 (a fatal error during installation)", {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"a refused start is the command's failure, never the shell's turn", denied, Program(L"setup.exe"),
         CommandResult::Failed, L"could not start: error 5", {L"start \"setup.exe\"", L"close"}},
        {"a document starts through its verb's command line, still directly", document, Program(L"notes.txt"),
         CommandResult::Succeeded, L"exit code 0",
         {L"start \"notes.txt\"", L"verb notes.txt", L"start \"C:\\Editor\\edit.exe\" \"notes.txt\"", L"wait 0",
          L"close"}},
        {"what only the shell opens, handed to a running program, has nothing to wait for", shellOnly,
         Program(L"page.url"), CommandResult::Succeeded, L"started, no process of its own to wait for",
         {L"start \"page.url\"", L"verb page.url", L"shell page.url", L"close"}},
        {"nothing to start anywhere fails with the shell's reason, its last try", nothing, Program(L"missing.exe"),
         CommandResult::Failed, L"could not start: error 1155",
         {L"start \"missing.exe\"", L"verb missing.exe", L"shell missing.exe", L"close"}},
        {"an empty program starts nothing", plain, Program(L""), CommandResult::Failed, L"could not start: no program is named",
         {L"close"}},
        {"a time-out fails and leaves the program running", slow, timed, CommandResult::Failed,
         L"still running after 30 s: no longer waited for", {L"start \"setup.exe\"", L"wait 30000", L"close"}},
        {"a time-out beyond 49 days is held below it", plain, huge, CommandResult::Succeeded, L"exit code 0",
         {L"start \"setup.exe\"", L"wait 4000000000", L"close"}},
        {"a failed wait fails", broken, Program(L"setup.exe"), CommandResult::Failed, L"the wait failed: error 6",
         {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"an unknown exit code fails", noExit, Program(L"setup.exe"), CommandResult::Failed,
         L"exit code unknown: error 5", {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"a working folder that is not there starts nothing", noFolder, inFolder, CommandResult::Failed,
         L"could not start: the working folder \"D:\\gone\" is not there", {L"folder D:\\gone"}},
        {"a tree is waited for through a job", plain, tree, CommandResult::Succeeded, L"exit code 0",
         {L"job", L"start \"setup.exe\"", L"wait tree 0", L"close"}},
        {"a tree the job cannot follow is followed by parent id, and the outcome says so", outsideJob, tree,
         CommandResult::Succeeded, L"exit code 0 (the tree was followed by parent id: access denied)",
         {L"job", L"start \"setup.exe\"", L"wait tree by parent id 0", L"close"}},
        {"ontimeout kill ends the program alone when only the program is waited for", slow, killed,
         CommandResult::Failed, L"still running after 30 s: ended (1 process)",
         {L"start \"setup.exe\"", L"wait 30000", L"end", L"close"}},
        {"ontimeout kill with a tree wait ends the job's every process", slow, treeKilled, CommandResult::Failed,
         L"still running after 30 s: ended (3 processes)",
         {L"job", L"start \"setup.exe\"", L"wait tree 30000", L"end tree", L"close"}},
        {"a tree the job cannot follow is ended by parent id", slowOutsideJob, treeKilled, CommandResult::Failed,
         L"still running after 30 s: ended (3 processes) (the tree was followed by parent id: access denied)",
         {L"job", L"start \"setup.exe\"", L"wait tree by parent id 30000", L"end tree by parent id", L"close"}},
        {"a program that cannot be ended fails with the system's reason", slowAndStubborn, killed,
         CommandResult::Failed, L"still running after 30 s: could not be ended: error 5",
         {L"start \"setup.exe\"", L"wait 30000", L"end", L"close"}},
        {"ontimeout kill ends nothing that ended in time", plain, killed, CommandResult::Succeeded, L"exit code 0",
         {L"start \"setup.exe\"", L"wait 30000", L"close"}},
    };
    for (const Case& c : cases) {
        const ExecuteRun run = Execute(c.launcher, c.command);
        EXPECT_EQ(run.outcome.result, c.result) << c.what;
        EXPECT_EQ(run.outcome.summary, c.summary) << c.what;
        EXPECT_EQ(run.calls, c.calls) << c.what;
        // A program that ended carries its own code on to the run's exit code (RunResult.h).
        const bool ended = c.summary.rfind(L"exit code ", 0) == 0 && c.summary.find(L"unknown") == std::wstring::npos;
        EXPECT_EQ(run.outcome.exited, ended) << c.what;
        EXPECT_EQ(run.outcome.exitCode, ended ? c.launcher.exitCode : 0u) << c.what;
    }
}

// Without a launcher (a state nobody gave one) the command fails instead of doing nothing silently.
TEST(ExecuteCommand, WithoutALauncherTheCommandFails)
{
    InstallState state;
    state.settings.commands = {Program(L"setup.exe")};
    state.outcomes.assign(1, CommandOutcome());
    RunExecute(state, 0);
    EXPECT_EQ(state.outcomes[0].result, CommandResult::Failed);
    RunExecute(state, 7); // an index past the list changes nothing
    EXPECT_EQ(state.outcomes.size(), 1u);
}

// retry: a program that ends with a retry code runs again after the pause (through the
// launcher, so nothing here sleeps), up to its attempts; any other end is final at once.
TEST(ExecuteCommand, ARetryCodeRunsTheProgramAgainAfterAPauseUpToItsAttempts)
{
    struct Case
    {
        const char* what;
        std::vector<uint32_t> exitCodes;
        int attempts;
        int pauseSeconds;
        CommandResult result;
        std::wstring summary;
        int runs;
        std::wstring pause; // the pause call between two runs
    };
    const Case cases[] = {
        {"busy twice, then done", {1618, 1618, 0}, 3, 30, CommandResult::Succeeded, L"exit code 0, on attempt 3 of 3", 3,
         L"pause 30000"},
        {"busy every time: the last run's code fails the command", {1618}, 2, 5, CommandResult::Failed,
         L"exit code 1618 (another installation is already in progress), on attempt 2 of 2", 2, L"pause 5000"},
        {"another failure is not tried again", {1603}, 3, 30, CommandResult::Failed,
         L"exit code 1603 (a fatal error during installation)", 1, L""},
        {"a success at once runs once", {0}, 3, 30, CommandResult::Succeeded, L"exit code 0", 1, L""},
        {"a restart code after a retry keeps its restart", {1618, 3010}, 3, 0, CommandResult::Restart,
         L"exit code 3010 (a restart is required to complete the installation), on attempt 2 of 3", 2, L"pause 0"},
        {"attempts beyond the bound are held to it", {1618}, 50, 30, CommandResult::Failed,
         L"exit code 1618 (another installation is already in progress), on attempt 10 of 10", 10, L"pause 30000"},
        {"a pause beyond the bound is held to it", {1618, 0}, 3, 100000, CommandResult::Succeeded,
         L"exit code 0, on attempt 2 of 3", 2, L"pause 600000"},
    };
    for (const Case& c : cases) {
        ScriptedLauncher launcher;
        launcher.exitCodes = c.exitCodes;
        InstallCommand command = Program(L"setup.exe");
        command.Program().retryCodes = {1618, 1700};
        command.Program().attempts = c.attempts;
        command.Program().retryPauseSeconds = c.pauseSeconds;
        const ExecuteRun run = Execute(launcher, command);
        EXPECT_EQ(run.outcome.result, c.result) << c.what;
        EXPECT_EQ(run.outcome.summary, c.summary) << c.what;
        // The run's own exit code hears the last run's code.
        EXPECT_TRUE(run.outcome.exited) << c.what;
        EXPECT_EQ(run.outcome.exitCode, c.exitCodes[std::min<size_t>(c.runs, c.exitCodes.size()) - 1]) << c.what;
        std::vector<std::wstring> calls;
        for (int i = 0; i < c.runs; ++i) {
            if (i > 0)
                calls.push_back(c.pause);
            calls.insert(calls.end(), {L"start \"setup.exe\"", L"wait 0", L"close"});
        }
        EXPECT_EQ(run.calls, calls) << c.what;
    }
}

// Each run's end and the pause before the next are in the log, with the rules up front.
TEST(ExecuteCommand, EachAttemptIsLogged)
{
    ScriptedLauncher launcher;
    launcher.exitCodes = {1618, 1618, 0};
    LinesLog log;
    InstallState state;
    state.launcher = &launcher;
    state.log = &log;
    InstallCommand command = Program(L"setup.exe", L"/q");
    command.Program().retryCodes = {1618};
    command.Program().retryPauseSeconds = 7;
    command.Program().timeoutSeconds = 60;
    command.Program().endOnTimeout = true;
    state.settings.commands = {command};
    state.outcomes.assign(1, CommandOutcome());
    RunExecute(state, 0);
    const std::vector<std::wstring> lines = {
        L"  program \"setup.exe\", arguments \"/q\", folder \"C:\\here\", waits at most 60 s, then ends it, tries "
        L"again on exit code 1618 (3 attempts at most, 7 s apart)",
        L"  process 42 started",
        L"  attempt 1 of 3: exit code 1618 (another installation is already in progress): trying again in 7 s",
        L"  process 42 started",
        L"  attempt 2 of 3: exit code 1618 (another installation is already in progress): trying again in 7 s",
        L"  process 42 started",
    };
    EXPECT_EQ(log.lines, lines);
    EXPECT_EQ(state.outcomes[0].summary, L"exit code 0, on attempt 3 of 3");
}

// A time-out ends only the attempt it stops: the program is not tried again, whatever the codes.
TEST(ExecuteCommand, ATimeOutIsNotTriedAgain)
{
    ScriptedLauncher launcher;
    launcher.waited = ProcessLauncher::Waited::TimedOut;
    InstallCommand command = Program(L"setup.exe");
    command.Program().timeoutSeconds = 5;
    command.Program().endOnTimeout = true;
    command.Program().retryCodes = {1618};
    const ExecuteRun run = Execute(launcher, command);
    EXPECT_EQ(run.outcome.summary, L"still running after 5 s: ended (1 process)");
    EXPECT_EQ(run.calls, (std::vector<std::wstring>{L"start \"setup.exe\"", L"wait 5000", L"end", L"close"}));
}
