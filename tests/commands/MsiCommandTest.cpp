// The msi command on a scripted launcher: the msiexec command line it starts, its log beside
// the run log (and the package installed even where that log cannot be written), the exit
// code's meaning in the outcome, and the busy installer tried again.
#include "ScriptedLauncher.h"
#include "commands/InstallState.h"
#include "commands/RunCallbacks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kMsiexec[] = L"C:\\Windows\\System32\\msiexec.exe";

InstallCommand Package(const wchar_t* package, const wchar_t* properties = L"")
{
    InstallCommand command;
    command.arguments = {kMsiexec, package, L"", L"", properties};
    command.hide = true;
    command.Program().retryCodes = {1618};
    return command;
}

struct MsiRun
{
    CommandOutcome outcome;
    std::vector<std::wstring> calls;
    std::vector<std::wstring> lines;
};

MsiRun Install(ScriptedLauncher launcher, InstallCommand command, const wchar_t* runLog = L"C:\\Logs\\Varnekite.log")
{
    LinesLog log;
    log.path = runLog != nullptr ? runLog : L"";
    InstallState state;
    state.launcher = &launcher;
    state.log = runLog != nullptr ? &log : nullptr;
    state.settings.commands = {command};
    state.outcomes.assign(1, CommandOutcome());
    RunMsi(state, 0);
    return {state.outcomes[0], launcher.calls, log.lines};
}

std::wstring Start(const std::wstring& arguments)
{
    return L"start \"" + std::wstring(kMsiexec) + L"\" " + arguments + L" hidden";
}

bool Holds(const std::vector<std::wstring>& lines, const std::wstring& line)
{
    for (const std::wstring& held : lines)
        if (held == line)
            return true;
    return false;
}

} // namespace

TEST(MsiCommand, InstallsThroughMsiexecWithItsLogBesideTheRunLog)
{
    struct Case
    {
        const char* what;
        ScriptedLauncher launcher;
        InstallCommand command;
        const wchar_t* runLog;
        CommandResult result;
        std::wstring summary;
        std::vector<std::wstring> calls;
    };
    ScriptedLauncher done;
    ScriptedLauncher restart = done;
    restart.exitCodes = {3010};
    ScriptedLauncher fatal = done;
    fatal.exitCodes = {1603};
    ScriptedLauncher busy = done;
    busy.exitCodes = {1618, 1618, 0};
    ScriptedLauncher noLogFolder = done;
    noLogFolder.missingFolders = {L"C:\\Logs\\"};
    ScriptedLauncher logRefused = done;
    logRefused.exitCodes = {1622, 0};
    InstallCommand listed = Package(L"D:\\My Setup\\agent.msi", L"INSTALLDIR=\"C:\\Program Files\\A\" /x ALLUSERS=1");
    listed.arguments.Set(kMsiTransforms, L"D:\\My Setup\\de.mst; D:\\site.mst");
    listed.arguments.Set(kMsiPatches, L"D:\\fix.msp");
    InstallCommand once = Package(L"D:\\a.msi");
    once.Program().retryCodes.clear();

    const std::wstring withLog = L"/i \"D:\\a.msi\" /qn /norestart /l*v \"C:\\Logs\\a.msi.log\"";
    const std::wstring withoutLog = L"/i \"D:\\a.msi\" /qn /norestart";
    const Case cases[] = {
        {"the package, its lists and its properties on one command line", done, listed, L"C:\\Logs\\Varnekite.log",
         CommandResult::Succeeded, L"exit code 0",
         {L"folder C:\\Logs\\",
          Start(L"/i \"D:\\My Setup\\agent.msi\" /qn /norestart /l*v \"C:\\Logs\\agent.msi.log\" TRANSFORMS=\"D:\\My "
                L"Setup\\de.mst;D:\\site.mst\" PATCH=\"D:\\fix.msp\" INSTALLDIR=\"C:\\Program Files\\A\" ALLUSERS=1"),
          L"wait 0", L"close"}},
        {"3010 succeeds and asks for a restart", restart, Package(L"D:\\a.msi"), L"C:\\Logs\\Varnekite.log",
         CommandResult::Restart, L"exit code 3010 (a restart is required to complete the installation)",
         {L"folder C:\\Logs\\", Start(withLog), L"wait 0", L"close"}},
        {"1603 fails with its meaning", fatal, Package(L"D:\\a.msi"), L"C:\\Logs\\Varnekite.log", CommandResult::Failed,
         L"exit code 1603 (a fatal error during installation)",
         {L"folder C:\\Logs\\", Start(withLog), L"wait 0", L"close"}},
        {"a busy installer is tried again by default", busy, Package(L"D:\\a.msi"), L"C:\\Logs\\Varnekite.log",
         CommandResult::Succeeded, L"exit code 0, on attempt 3 of 3",
         {L"folder C:\\Logs\\", Start(withLog), L"wait 0", L"close", L"pause 30000", Start(withLog), L"wait 0",
          L"close", L"pause 30000", Start(withLog), L"wait 0", L"close"}},
        {"without retry codes a busy installer fails at once", busy, once, L"C:\\Logs\\Varnekite.log",
         CommandResult::Failed, L"exit code 1618 (another installation is already in progress)",
         {L"folder C:\\Logs\\", Start(withLog), L"wait 0", L"close"}},
        {"no run log, no msiexec log", done, Package(L"D:\\a.msi"), nullptr, CommandResult::Succeeded,
         L"exit code 0", {Start(withoutLog), L"wait 0", L"close"}},
        {"a log folder that is not there asks for no log", noLogFolder, Package(L"D:\\a.msi"),
         L"C:\\Logs\\Varnekite.log", CommandResult::Succeeded, L"exit code 0",
         {L"folder C:\\Logs\\", Start(withoutLog), L"wait 0", L"close"}},
        {"a log msiexec cannot open costs the log, not the package", logRefused, Package(L"D:\\a.msi"),
         L"C:\\Logs\\Varnekite.log", CommandResult::Succeeded, L"exit code 0",
         {L"folder C:\\Logs\\", Start(withLog), L"wait 0", L"close", Start(withoutLog), L"wait 0", L"close"}},
        {"no package installs nothing", done, Package(L""), L"C:\\Logs\\Varnekite.log", CommandResult::Failed,
         L"could not start: no package is named", {}},
    };
    for (const Case& c : cases) {
        const MsiRun run = Install(c.launcher, c.command, c.runLog);
        EXPECT_EQ(run.outcome.result, c.result) << c.what;
        EXPECT_EQ(run.outcome.summary, c.summary) << c.what;
        EXPECT_EQ(run.calls, c.calls) << c.what;
    }
}

// The log says where msiexec's log is, what the properties left out, and each busy attempt.
TEST(MsiCommand, TheRunLogSaysWhatMsiexecWasGiven)
{
    ScriptedLauncher launcher;
    launcher.exitCodes = {1618, 0};
    InstallCommand command = Package(L"D:\\a.msi", L"A=1 /qb");
    command.Program().retryPauseSeconds = 5;
    const MsiRun run = Install(launcher, command);
    for (const std::wstring& line :
         {std::wstring(L"  package \"D:\\a.msi\""),
          std::wstring(L"  properties: \"/qb\" is no NAME=VALUE of a property: it is left out"),
          std::wstring(L"  msiexec's log: \"C:\\Logs\\a.msi.log\""),
          std::wstring(L"  attempt 1 of 3: exit code 1618 (another installation is already in progress): trying again in 5 s")})
        EXPECT_TRUE(Holds(run.lines, line)) << testing::PrintToString(line);
}
