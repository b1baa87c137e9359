// The "msi" command: a Windows Installer package installed by msiexec, quietly and without a
// restart, under the execute command's rules (time-out, runs again while the installer is
// busy), with msiexec's verbose log beside the run log and its exit code's meaning in the log.
#include "commands/RunCallbacks.h"

#include "commands/FolderPaths.h"
#include "commands/InstallState.h"
#include "commands/Msiexec.h"
#include "commands/ProcessLauncher.h"
#include "commands/ProgramRun.h"

namespace {

constexpr uint32_t kLogFailureCode = 1622; // msiexec could not open its log file

} // namespace

void RunMsi(InstallState& state, int commandIndex)
{
    const InstallCommand* found = ProgramCommandAt(state, commandIndex);
    if (found == nullptr)
        return;
    const InstallCommand& command = *found;
    MsiInstall install;
    install.package = command.arguments[kMsiPackage];
    if (install.package.empty())
        return PublishOutcome(state, commandIndex, {CommandResult::Failed, L"could not start: no package is named"});
    const std::wstring transforms = command.arguments[kMsiTransforms];
    const std::wstring patches = command.arguments[kMsiPatches];
    install.transforms = SplitFileList(transforms);
    install.patches = SplitFileList(patches);
    const MsiProperties properties = ParseMsiProperties(command.arguments[kMsiProperties]);
    install.properties = properties.properties;

    std::wstring line = L"  package \"" + install.package + L"\"";
    if (!install.transforms.empty())
        line += L", transforms \"" + transforms + L"\"";
    if (!install.patches.empty())
        line += L", patches \"" + patches + L"\"";
    state.Log(line);
    for (const std::wstring& problem : properties.problems)
        state.Log(LogLevel::Warning, L"  properties: " + problem);

    // msiexec fails a whole install (1622) when it cannot open its log: a log that cannot be
    // written must not cost the package, so where its folder is missing none is asked for, and
    // where msiexec cannot open it all the same it runs once more without one.
    if (state.log != nullptr)
        install.log = MsiLogPath(state.log->Path(), install.package);
    if (!install.log.empty() && !state.launcher->FolderExists(std::wstring(FolderPart(install.log)))) {
        state.Log(LogLevel::Warning, L"  msiexec's log is not written: the folder \"" +
                                         std::wstring(FolderPart(install.log)) + L"\" is not there");
        install.log.clear();
    }
    if (!install.log.empty())
        state.Log(L"  msiexec's log: \"" + install.log + L"\"");
    const std::wstring msiexec = command.arguments[kMsiexec];
    CommandOutcome run = RunProgram(state, command, msiexec, MsiexecArguments(install));
    if (run.exited && run.exitCode == kLogFailureCode && !install.log.empty()) {
        state.Log(LogLevel::Warning, L"  msiexec could not open its log: running it again without one");
        install.log.clear();
        run = RunProgram(state, command, msiexec, MsiexecArguments(install));
    }
    PublishOutcome(state, commandIndex, run);
}
