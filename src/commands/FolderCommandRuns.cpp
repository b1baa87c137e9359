// The run callbacks of "dircopy", "dirmove" and "dirdelete": they read their command's
// arguments and run the folder commands on the install state's file system (the Win32 one in
// the program, an in-memory one in the tests), logging what each did.
#include "commands/RunCallbacks.h"

#include "commands/CommandKinds.h"
#include "commands/InstallState.h"
#include "commands/FolderCommands.h"

#include <cwchar>

namespace {

// The command's n-th argument; empty when the command or the argument is missing.
std::wstring Argument(const InstallState& state, int commandIndex, size_t n)
{
    const auto& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return std::wstring();
    return commands[static_cast<size_t>(commandIndex)].arguments[n];
}

// Files the command copies or moves at once; 1 when the command is missing.
int Threads(const InstallState& state, int commandIndex)
{
    const auto& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return 1;
    return commands[static_cast<size_t>(commandIndex)].threads;
}

// Bytes as a person reads them in the log: "512 bytes", "12.4 KB", "3.1 MB", "1.2 GB".
std::wstring ByteCount(uint64_t bytes)
{
    if (bytes < 1024)
        return std::to_wstring(bytes) + L" bytes";
    const wchar_t* units[] = {L"KB", L"MB", L"GB", L"TB"};
    double value = static_cast<double>(bytes) / 1024.0;
    size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1024.0;
        ++unit;
    }
    wchar_t text[32];
    swprintf(text, sizeof text / sizeof text[0], L"%.1f %ls", value, units[unit]);
    return text;
}

// Runs one folder command with an outcome that logs each failure as it happens, then records
// what the command did: "12 files (3.1 MB) copied, 1 failed".
template <typename Run>
void RunFolderCommand(InstallState& state, int commandIndex, const wchar_t* done, const CommandKind& kind, Run run)
{
    const std::wstring target = Argument(state, commandIndex, 1);
    state.Log(L"  folder \"" + Argument(state, commandIndex, 0) + L"\"" +
              (target.empty() ? std::wstring() : L" into \"" + target + L"\""));
    FolderOutcome outcome;
    outcome.failed = [&state](const std::wstring& path, const std::wstring& reason) {
        state.Log(path.empty() ? L"  " + reason : L"  failed: " + path + L": " + reason);
    };
    outcome.passed = [&state](const std::wstring& path, const std::wstring& reason) {
        state.Log(L"  passed over: " + path + L": " + reason);
    };
    const std::wstring refusal = commandIndex >= 0 && static_cast<size_t>(commandIndex) < state.settings.commands.size()
                                     ? RefusalOf(state.settings.commands[static_cast<size_t>(commandIndex)], kind.folderPaths,
                                                 kind.takesApart)
                                     : std::wstring();
    if (state.fileSystem == nullptr) {
        outcome.Refused(L"refused: no file system here");
    } else if (refusal.empty()) {
        state.fileSystem->BeginCommand();
        run(*state.fileSystem, outcome);
    } else {
        outcome.Refused(refusal);
    }
    const uint64_t failures = outcome.failures;
    const uint64_t passedOver = outcome.passedOver;
    const std::wstring summary =
        outcome.refused ? std::wstring(L"nothing done")
                        : std::to_wstring(outcome.files.load()) + L" file(s) (" + ByteCount(outcome.bytes) + L") " +
                              done + (failures > 0 ? L", " + std::to_wstring(failures) + L" failed" : L"") +
                              (passedOver > 0 ? L", " + std::to_wstring(passedOver) + L" link(s) passed over" : L"");
    if (commandIndex >= 0 && static_cast<size_t>(commandIndex) < state.outcomes.size())
        state.outcomes[static_cast<size_t>(commandIndex)] = {
            failures > 0 ? CommandResult::Failed : CommandResult::Succeeded, summary};
}

} // namespace

// The file system's calls may come from several threads (the copy threads of one command).
void RunDirCopy(InstallState& state, int commandIndex)
{
    RunFolderCommand(state, commandIndex, L"copied", KindRunBy(RunDirCopy), [&](FileSystem& fileSystem, FolderOutcome& outcome) {
        CopyFolderTreeWithThreads(fileSystem, state.progress, Argument(state, commandIndex, 0),
                                  Argument(state, commandIndex, 1), Threads(state, commandIndex), &outcome,
                                  state.log != nullptr ? state.log->Path() : std::wstring());
    });
}

void RunDirMove(InstallState& state, int commandIndex)
{
    RunFolderCommand(state, commandIndex, L"moved", KindRunBy(RunDirMove), [&](FileSystem& fileSystem, FolderOutcome& outcome) {
        MoveFolderTreeWithThreads(fileSystem, state.progress, Argument(state, commandIndex, 0),
                                  Argument(state, commandIndex, 1), Threads(state, commandIndex), &outcome,
                                  state.log != nullptr ? state.log->Path() : std::wstring());
    });
}

void RunDirDelete(InstallState& state, int commandIndex)
{
    RunFolderCommand(state, commandIndex, L"deleted", KindRunBy(RunDirDelete), [&](FileSystem& fileSystem, FolderOutcome& outcome) {
        DeleteFolderTree(fileSystem, state.progress, Argument(state, commandIndex, 0), &outcome,
                         state.log != nullptr ? state.log->Path() : std::wstring());
    });
}
