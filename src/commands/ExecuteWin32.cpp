// The "execute" command: starts a program (or opens a document) through the shell and waits
// until the started process has ended; with wait="tree", until every process it started in
// turn has ended too; with a timeout, no longer than that. The worker thread blocks here; the
// window stays live because painting happens on the window thread. The exit code is read and
// logged, and decides the command's outcome.
#include "commands/InstallState.h"
#include "commands/ProgramStart.h"
#include "commands/RunCallbacksWin32.h"
#include "commands/SystemMessageWin32.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

namespace {

// A job that collects the program and whatever it starts, so that the wait can see them all.
// Processes started with permission to leave it (CREATE_BREAKAWAY_FROM_JOB) are not waited for.
HANDLE CreateTreeJob()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    return job;
}

// Starts a command line suspended, puts it into the job and lets it run: nothing it starts can
// escape the job before it is in. False (nothing started, the error left) when it cannot start.
bool StartInJob(HANDLE job, const InstallCommand& command, std::wstring commandLine, PROCESS_INFORMATION& process)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(command.hide ? SW_HIDE : SW_SHOW);
    const wchar_t* folder = command.directory.empty() ? nullptr : command.directory.c_str();
    // Varnekite may itself run in a job (a deployment tool's); the program leaves it where allowed.
    for (DWORD breakaway : {static_cast<DWORD>(CREATE_BREAKAWAY_FROM_JOB), static_cast<DWORD>(0)}) {
        if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | breakaway, nullptr,
                           folder, &startup, &process)) {
            AssignProcessToJobObject(job, process.hProcess);
            ResumeThread(process.hThread);
            CloseHandle(process.hThread);
            return true;
        }
    }
    return false;
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
    // Verbs are often written with variables ("%SystemRoot%\\System32\\msiexec.exe /i \"%1\"").
    wchar_t expanded[4096];
    const DWORD size = ExpandEnvironmentStringsW(verb, expanded, sizeof expanded / sizeof expanded[0]);
    return VerbCommandLine(size > 0 && size <= sizeof expanded / sizeof expanded[0] ? expanded : verb, file, parameters);
}

// Waits until the process (and, with a job, every process in it) has ended or the deadline has
// passed. False when the time ran out.
bool WaitForEnd(HANDLE process, HANDLE job, ULONGLONG deadline)
{
    const auto remaining = [deadline]() -> DWORD {
        if (deadline == 0)
            return INFINITE;
        const ULONGLONG now = GetTickCount64();
        return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
    };
    if (WaitForSingleObject(process, remaining()) != WAIT_OBJECT_0)
        return false;
    if (job == nullptr)
        return true;
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                       nullptr) ||
            accounting.ActiveProcesses == 0)
            return true;
        const DWORD left = remaining();
        if (left == 0)
            return false;
        Sleep(std::min<DWORD>(left, 100));
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

    std::wstring folder = command.directory;
    if (folder.empty()) {
        wchar_t current[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, current);
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
            if (static_cast<size_t>(commandIndex) < state.outcomes.size())
                state.outcomes[static_cast<size_t>(commandIndex)] = outcome;
            return;
        }
    }

    HANDLE job = command.waitForTree ? CreateTreeJob() : nullptr;
    PROCESS_INFORMATION process = {};
    bool started = false;
    DWORD startError = 0;
    bool mayUseShell = true;
    if (job != nullptr) {
        std::wstring commandLine = L"\"" + program + L"\"";
        if (!parameters.empty())
            commandLine += L" " + parameters;
        started = StartInJob(job, command, commandLine, process);
        if (!started) {
            // Only what is no executable goes to the shell; any other failure is the command's.
            startError = GetLastError();
            mayUseShell = ShellMayOpenInstead(startError);
            // A document or package whose verb is a command line starts inside the job as well.
            const std::wstring verb = mayUseShell ? OpenVerbCommandLine(program, parameters) : std::wstring();
            if (!verb.empty())
                started = StartInJob(job, command, verb, process);
        }
    }
    if (!started && mayUseShell) {
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        // No error box from the shell: a missing program must not stop an unattended run
        // waiting for someone to click OK. The launch completes before the call returns (no
        // hand-off to a shell thread that the end of the process could cut off); the worker
        // has COM initialised for the shell extensions that handle documents, shortcuts and verbs.
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpFile = program.c_str();
        info.lpParameters = parameters.c_str();
        info.lpDirectory = command.directory.empty() ? nullptr : command.directory.c_str();
        info.nShow = command.hide ? SW_HIDE : SW_SHOW;
        started = ShellExecuteExW(&info) != FALSE;
        if (!started)
            startError = GetLastError();
        process.hProcess = info.hProcess;
        // What the shell started can only join the job now; what it started meanwhile is not in
        // it. Only verbs that are no command line come here (DDE, COM).
        if (job != nullptr && process.hProcess != nullptr)
            AssignProcessToJobObject(job, process.hProcess);
    }

    // Failure (missing file, no handler, empty program) leaves no process handle: the run goes
    // on with the next command. A document handed to a running application has none either.
    if (!started) {
        outcome = {CommandResult::Failed, L"could not start: " + SystemMessage(startError)};
    } else if (process.hProcess == nullptr) {
        outcome = {CommandResult::Succeeded, L"started, no process of its own to wait for"};
    } else {
        state.Log(L"  process " + std::to_wstring(GetProcessId(process.hProcess)) + L" started");
        const ULONGLONG deadline =
            command.timeoutSeconds > 0 ? GetTickCount64() + ULONGLONG{command.timeoutSeconds} * 1000u : 0;
        DWORD exitCode = 0;
        if (!WaitForEnd(process.hProcess, job, deadline)) {
            // The program keeps running; the list goes on without it.
            outcome = {CommandResult::Failed, L"still running after " + std::to_wstring(command.timeoutSeconds) +
                                                  L" s: no longer waited for"};
        } else if (!GetExitCodeProcess(process.hProcess, &exitCode)) {
            outcome = {CommandResult::Failed, L"exit code unknown: " + SystemMessage(GetLastError())};
        } else {
            outcome.result = ProgramResult(exitCode, command.successCodes);
            outcome.summary = L"exit code " + std::to_wstring(exitCode);
        }
        CloseHandle(process.hProcess);
    }
    if (job != nullptr)
        CloseHandle(job); // the job ends with its last handle; processes still in it run on
    if (static_cast<size_t>(commandIndex) < state.outcomes.size())
        state.outcomes[static_cast<size_t>(commandIndex)] = outcome;
}
