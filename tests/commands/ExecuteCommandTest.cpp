// The execute command's rules on a scripted launcher: which failure goes on to the verb and the
// shell, what a wait's end makes of the outcome, and what the launcher was asked to do.
#include "commands/CommandKinds.h"
#include "commands/InstallState.h"
#include "commands/ProcessLauncher.h"
#include "commands/RunCallbacks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Answers as the script says and writes down each call, so a case can check what was tried.
class ScriptedLauncher : public ProcessLauncher
{
public:
    bool folderExists = true;
    bool jobOpens = true;
    std::wstring jobLost;           // why what starts cannot join the job
    uint32_t directError = 0;       // 0: the direct start works
    std::wstring verb;              // what OpenVerb gives
    uint32_t verbError = 0;         // 0: the verb's command line starts
    bool shellStarts = true;
    bool shellProcess = true;
    Waited waited = Waited::Ended;
    bool exitKnown = true;
    uint32_t exitCode = 0;

    std::vector<std::wstring> calls;

    bool FolderExists(const std::wstring& path) override
    {
        calls.push_back(L"folder " + path);
        return folderExists;
    }
    std::wstring CurrentFolder() override { return L"C:\\here"; }
    bool OpenJob(std::wstring& why, std::wstring&) override
    {
        calls.push_back(L"job");
        if (!jobOpens)
            why = L"no job";
        return jobOpens;
    }
    bool StartCommandLine(const std::wstring& commandLine, const std::wstring&, bool hidden, uint32_t& error,
                          std::wstring& lost) override
    {
        calls.push_back(L"start " + commandLine + (hidden ? L" hidden" : L""));
        const bool isVerb = !verb.empty() && commandLine == verb;
        error = isVerb ? verbError : directError;
        if (error == 0 && lost.empty())
            lost = jobLost;
        return error == 0;
    }
    std::wstring OpenVerb(const std::wstring& file, const std::wstring&) override
    {
        calls.push_back(L"verb " + file);
        return verb;
    }
    bool StartThroughShell(const std::wstring& file, const std::wstring&, const std::wstring&, bool, uint32_t& error,
                           bool& process, std::wstring&) override
    {
        calls.push_back(L"shell " + file);
        error = shellStarts ? 0 : 1155;
        process = shellProcess;
        return shellStarts;
    }
    uint32_t ProcessId() override { return 42; }
    Waited Wait(bool tree, bool byParentId, uint32_t milliseconds, uint32_t& error) override
    {
        calls.push_back(L"wait" + std::wstring(tree ? L" tree" : L"") + (byParentId ? L" by parent id" : L"") + L" " +
                        std::to_wstring(milliseconds));
        error = 6;
        return waited;
    }
    bool ExitCode(uint32_t& code, uint32_t& error) override
    {
        code = exitCode;
        error = 5;
        return exitKnown;
    }
    void Close() override { calls.push_back(L"close"); }
    std::wstring ErrorText(uint32_t error) override { return L"error " + std::to_wstring(error); }
};

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

    InstallCommand hidden = Program(L"setup.exe", L"/q");
    hidden.hide = true;
    InstallCommand timed = Program(L"setup.exe");
    timed.timeoutSeconds = 30;
    InstallCommand huge = Program(L"setup.exe");
    huge.timeoutSeconds = 5000000; // beyond what a wait counts in milliseconds
    InstallCommand inFolder = Program(L"setup.exe");
    inFolder.directory = L"D:\\gone";
    InstallCommand tree = Program(L"setup.exe");
    tree.waitForTree = true;
    InstallCommand ownCodes = Program(L"setup.exe");
    ownCodes.successCodes = {1603};

    const Case cases[] = {
        {"an executable starts directly and its exit code decides", plain, hidden, CommandResult::Succeeded,
         L"exit code 0", {L"start \"setup.exe\" /q hidden", L"wait 0", L"close"}},
        {"a restart code is a success that asks for a restart", reboot, Program(L"setup.exe"),
         CommandResult::Restart, L"exit code 3010", {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"an exit code outside the list fails", fails, Program(L"setup.exe"), CommandResult::Failed,
         L"exit code 1603", {L"start \"setup.exe\"", L"wait 0", L"close"}},
        {"the configuration's own codes replace the list", fails, ownCodes, CommandResult::Succeeded,
         L"exit code 1603", {L"start \"setup.exe\"", L"wait 0", L"close"}},
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
