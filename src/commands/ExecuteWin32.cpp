// The "execute" command: starts a program (or opens a document) and waits until the started
// process has ended; with wait="tree", until every process it started in turn has ended too;
// with a timeout, no longer than that. The worker thread blocks here, dispatching its messages
// as it waits (MessageWaitWin32.h); the window stays live because painting happens on the
// window thread. The exit code is read and logged, and decides the command's outcome.
//
// An executable is started directly (CreateProcessW), inside the tree's job when there is one;
// only what is no executable (a document, a package, a name the shell resolves) goes to the
// shell, a verb that is a command line still directly and inside the job. A program that asks
// to be raised fails with that reason: no prompt waits unseen in an unattended run.
#include "commands/InstallState.h"
#include "commands/MessageWaitWin32.h"
#include "commands/ProcessTreeWin32.h"
#include "commands/ProgramStart.h"
#include "commands/RunCallbacksWin32.h"
#include "commands/SystemMessageWin32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace {

// A job that collects the program and whatever it starts, so that the wait can see them all.
// Processes started with permission to leave it (CREATE_BREAKAWAY_FROM_JOB) are not waited for.
// Null with `why` set when the system gives none.
HANDLE CreateTreeJob(std::wstring& why)
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr) {
        why = L"no job: " + SystemMessage(GetLastError());
        return nullptr;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    return job;
}

// Whether the program must leave the job Varnekite itself runs in (a deployment agent's, a
// scheduler's) to join its own: only where jobs cannot nest, before Windows 8. Elsewhere it
// nests, and the agent can still stop the whole tree. `choice` says which, for the log.
bool MustBreakAway(std::wstring& choice)
{
    BOOL inJob = FALSE;
    if (!IsProcessInJob(GetCurrentProcess(), nullptr, &inJob) || !inJob)
        return false;
    OSVERSIONINFOEXW eight = {};
    eight.dwOSVersionInfoSize = sizeof eight;
    eight.dwMajorVersion = 6;
    eight.dwMinorVersion = 2;
    const DWORDLONG atLeast = VerSetConditionMask(VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                                                  VER_MINORVERSION, VER_GREATER_EQUAL);
    if (VerifyVersionInfoW(&eight, VER_MAJORVERSION | VER_MINORVERSION, atLeast)) {
        choice = L"its job nests in the job Varnekite runs in";
        return false;
    }
    choice = L"it leaves the job Varnekite runs in, where that is allowed (this Windows cannot nest jobs)";
    return true;
}

// Starts a command line, suspended while it joins the job (when there is one), so that nothing
// it starts escapes the job before it is in. False (nothing started, the error left) when it
// cannot start. `lost` says why it could not join the job.
bool Start(HANDLE job, bool breakaway, const InstallCommand& command, std::wstring commandLine,
           PROCESS_INFORMATION& process, std::wstring& lost)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(command.hide ? SW_HIDE : SW_SHOW);
    const wchar_t* folder = command.directory.empty() ? nullptr : command.directory.c_str();
    const DWORD suspended = job != nullptr ? CREATE_SUSPENDED : 0;
    bool started = breakaway && CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                                               suspended | CREATE_BREAKAWAY_FROM_JOB, nullptr, folder, &startup, &process);
    if (!started)
        started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, suspended, nullptr, folder,
                                 &startup, &process) != FALSE;
    if (!started)
        return false;
    if (job != nullptr) {
        if (!AssignProcessToJobObject(job, process.hProcess))
            lost = L"it could not join the job: " + SystemMessage(GetLastError());
        ResumeThread(process.hThread);
    }
    CloseHandle(process.hThread);
    process.hThread = nullptr;
    return true;
}

// The command line the file's registered "open" verb makes, where it has one (a program the
// shell would start for a document, a package or a script); empty for a verb the shell serves
// otherwise (DDE, COM), which only the shell itself can open.
std::wstring OpenVerbCommandLine(const std::wstring& file, const std::wstring& parameters)
{
    wchar_t verb[2048];
    DWORD length = sizeof verb / sizeof verb[0];
    if (AssocQueryStringW(ASSOCF_NOTRUNCATE | ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_COMMAND, file.c_str(), L"open",
                          verb, &length) != S_OK)
        return std::wstring();
    // Verbs are often written with variables ("%SystemRoot%\System32\msiexec.exe /i \"%1\"").
    wchar_t expanded[4096];
    const DWORD size = ExpandEnvironmentStringsW(verb, expanded, sizeof expanded / sizeof expanded[0]);
    return VerbCommandLine(size > 0 && size <= sizeof expanded / sizeof expanded[0] ? expanded : verb, file, parameters);
}

// The time left until `deadline` (0: none) for a wait.
DWORD Remaining(ULONGLONG deadline)
{
    if (deadline == 0)
        return INFINITE;
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
}

enum class Waited { Ended, TimedOut, Failed };

// Waits until the process (and, with a job, every process in it; with `byParent`, every
// process it started) has ended or the deadline has passed, answering the thread's messages
// meanwhile. `error` says why a wait failed.
Waited WaitForEnd(HANDLE process, HANDLE job, bool byParent, ULONGLONG deadline, DWORD& error)
{
    switch (WaitPumpingMessages(process, Remaining(deadline))) {
    case WaitEnd::Signalled: break;
    case WaitEnd::TimedOut: return Waited::TimedOut;
    case WaitEnd::Failed: error = GetLastError(); return Waited::Failed;
    }
    if (byParent)
        return WaitForDescendants(GetProcessId(process), CreationTime(process), deadline) ? Waited::Ended
                                                                                          : Waited::TimedOut;
    if (job == nullptr)
        return Waited::Ended;
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                       nullptr) ||
            accounting.ActiveProcesses == 0)
            return Waited::Ended;
        const DWORD left = Remaining(deadline);
        if (left == 0)
            return Waited::TimedOut;
        WaitPumpingMessages(nullptr, std::min<DWORD>(left, 100));
    }
}

} // namespace

void RunExecute(InstallState& state, int commandIndex)
{
    const std::vector<InstallCommand>& commands = state.settings.commands;
    if (commandIndex < 0 || static_cast<size_t>(commandIndex) >= commands.size())
        return;
    const InstallCommand& command = commands[static_cast<size_t>(commandIndex)];
    const std::wstring program = command.arguments.size() > 0 ? command.arguments[0] : std::wstring();
    const std::wstring parameters = command.arguments.size() > 1 ? command.arguments[1] : std::wstring();
    CommandOutcome outcome;
    const auto finish = [&]() {
        if (static_cast<size_t>(commandIndex) < state.outcomes.size())
            state.outcomes[static_cast<size_t>(commandIndex)] = outcome;
    };

    std::wstring folder = command.directory;
    if (folder.empty()) {
        std::wstring current(MAX_PATH, L'\0');
        DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), &current[0]);
        if (length >= current.size()) { // a long current folder: the length needed
            current.resize(length);
            length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), &current[0]);
        }
        current.resize(length < current.size() ? length : 0);
        folder = current;
    }
    state.Log(L"  program \"" + program + L"\", arguments \"" + parameters + L"\", folder \"" + folder + L"\"" +
              (command.waitForTree ? L", waits for every process it starts" : L"") +
              (command.timeoutSeconds > 0 ? L", waits at most " + std::to_wstring(command.timeoutSeconds) + L" s"
                                          : L""));

    // A working folder that is not there runs nothing: the program would run in Varnekite's own
    // folder and look there for what it was meant to find.
    if (!command.directory.empty()) {
        const DWORD attributes = GetFileAttributesW(command.directory.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            outcome = {CommandResult::Failed, L"could not start: the working folder \"" + command.directory +
                                                  L"\" is not there"};
            return finish();
        }
    }

    // The tree: a job where the system gives one, else the processes by parent id.
    std::wstring lost;
    HANDLE job = command.waitForTree ? CreateTreeJob(lost) : nullptr;
    std::wstring choice;
    const bool breakaway = job != nullptr && MustBreakAway(choice);
    if (!choice.empty())
        state.Log(L"  " + choice);

    PROCESS_INFORMATION process = {};
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!parameters.empty())
        commandLine += L" " + parameters;
    bool started = !program.empty() && Start(job, breakaway, command, commandLine, process, lost);
    DWORD startError = started ? 0 : GetLastError();
    if (!started && !program.empty() && ShellMayOpenInstead(startError)) {
        // A document or package whose verb is a command line starts directly, in the job too.
        const std::wstring verb = OpenVerbCommandLine(program, parameters);
        started = !verb.empty() && Start(job, breakaway, command, verb, process, lost);
        if (!started) {
            SHELLEXECUTEINFOW info = {};
            info.cbSize = sizeof(info);
            // No error box from the shell and no zone prompt for a downloaded file: nobody is
            // there to answer (the configuration's author chose the program). The launch
            // completes before the call returns (no hand-off to a shell thread that the end of
            // the process could cut off); the worker has COM initialised for the shell
            // extensions that handle documents, shortcuts and verbs.
            info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOZONECHECKS;
            info.lpFile = program.c_str();
            info.lpParameters = parameters.c_str();
            info.lpDirectory = command.directory.empty() ? nullptr : command.directory.c_str();
            info.nShow = command.hide ? SW_HIDE : SW_SHOW;
            started = ShellExecuteExW(&info) != FALSE;
            startError = started ? 0 : GetLastError();
            process.hProcess = info.hProcess;
            // What the shell started can only join the job now: what it started meanwhile is not
            // in it. Only verbs that are no command line come here (DDE, COM).
            if (job != nullptr && process.hProcess != nullptr && !AssignProcessToJobObject(job, process.hProcess))
                lost = L"it could not join the job: " + SystemMessage(GetLastError());
        }
    }

    // Failure (missing file, no handler, empty program) leaves no process handle: the run goes
    // on with the next command. A document handed to a running application has none either.
    if (!started) {
        outcome = {CommandResult::Failed, L"could not start: " + SystemMessage(startError)};
    } else if (process.hProcess == nullptr) {
        outcome = {CommandResult::Succeeded, L"started, no process of its own to wait for"};
    } else {
        state.Log(L"  process " + std::to_wstring(GetProcessId(process.hProcess)) + L" started");
        // A tree the job could not follow is followed by parent ids, and the outcome says so.
        const bool byParent = command.waitForTree && !lost.empty();
        if (byParent)
            state.Log(L"  the job cannot follow the tree (" + lost + L"): its processes are followed by parent id");
        const ULONGLONG deadline =
            command.timeoutSeconds > 0 ? GetTickCount64() + ULONGLONG{command.timeoutSeconds} * 1000u : 0;
        DWORD exitCode = 0;
        DWORD waitError = 0;
        switch (WaitForEnd(process.hProcess, byParent ? nullptr : job, byParent, deadline, waitError)) {
        case Waited::TimedOut:
            // The program keeps running; the list goes on without it.
            outcome = {CommandResult::Failed, L"still running after " + std::to_wstring(command.timeoutSeconds) +
                                                  L" s: no longer waited for"};
            break;
        case Waited::Failed:
            outcome = {CommandResult::Failed, L"the wait failed: " + SystemMessage(waitError)};
            break;
        case Waited::Ended:
            if (!GetExitCodeProcess(process.hProcess, &exitCode)) {
                outcome = {CommandResult::Failed, L"exit code unknown: " + SystemMessage(GetLastError())};
            } else {
                outcome.result = ProgramResult(exitCode, command.successCodes);
                outcome.summary = L"exit code " + std::to_wstring(exitCode);
            }
            break;
        }
        if (byParent)
            outcome.summary += L" (the tree was followed by parent id: " + lost + L")";
        CloseHandle(process.hProcess);
    }
    if (job != nullptr)
        CloseHandle(job); // the job ends with its last handle; processes still in it run on
    finish();
}
