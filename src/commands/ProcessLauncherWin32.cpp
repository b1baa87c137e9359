#include "commands/ProcessLauncherWin32.h"

#include "commands/MessageWaitWin32.h"
#include "commands/ProcessTreeWin32.h"
#include "commands/ProgramStart.h"
#include "config/SystemFunctionWin32.h"
#include "config/SystemMessageWin32.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace {

// Whether the program must leave the job Varnekite itself runs in (a deployment agent's, a
// scheduler's) to join its own: only where jobs cannot nest, before Windows 8. Elsewhere it
// nests, and the agent can still stop the whole tree. `note` says which, for the log.
bool MustBreakAway(std::wstring& note)
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
        note = L"its job nests in the job Varnekite runs in";
        return false;
    }
    note = L"it leaves the job Varnekite runs in, where that is allowed (this Windows cannot nest jobs)";
    return true;
}

// The exit code of a program ended because its time ran out: "This operation returned because
// the timeout period expired", for whoever reads it.
constexpr UINT kEndedExitCode = ERROR_TIMEOUT;
// PROC_THREAD_ATTRIBUTE_JOB_LIST, which older SDK headers lack.
const DWORD_PTR kJobListAttribute = ProcThreadAttributeValue(13, FALSE, TRUE, FALSE);
// How long ending waits for the ended processes to be gone, so that the next command does not
// meet what they held (the Windows Installer's lock, say).
constexpr uint32_t kEndWaitMilliseconds = 10000;

ULONGLONG Deadline(uint32_t milliseconds)
{
    return milliseconds == 0 ? 0 : GetTickCount64() + milliseconds;
}

DWORD Remaining(ULONGLONG deadline)
{
    if (deadline == 0)
        return INFINITE;
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
}

} // namespace

bool ProcessLauncherWin32::FolderExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring ProcessLauncherWin32::CurrentFolder()
{
    std::wstring current(MAX_PATH, L'\0');
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), &current[0]);
    if (length >= current.size()) { // a long current folder: the length needed
        current.resize(length);
        length = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), &current[0]);
    }
    current.resize(length < current.size() ? length : 0);
    return current;
}

bool ProcessLauncherWin32::OpenJob(std::wstring& why, std::wstring& note)
{
    // Processes started with permission to leave it (CREATE_BREAKAWAY_FROM_JOB) are not waited for.
    job.Reset(CreateJobObjectW(nullptr, nullptr));
    if (!job.Valid()) {
        why = L"no job: " + SystemMessage(GetLastError());
        return false;
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    breakaway = MustBreakAway(note);
    return true;
}

// Starts the program directly inside `job` (Windows 10 and later): it never runs outside it,
// not even suspended, so no end of Varnekite can leave it waiting. False, with nothing
// started, where this Windows cannot or the start fails; the caller then starts it as before.
bool StartInJob(HANDLE job, std::wstring& line, const wchar_t* directory, STARTUPINFOW startup,
                PROCESS_INFORMATION& started)
{
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> buffer(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer.data());
    if (size == 0 || !InitializeProcThreadAttributeList(attributes, 1, 0, &size))
        return false;
    bool ok = false;
    if (UpdateProcThreadAttribute(attributes, 0, kJobListAttribute, &job, sizeof job, nullptr, nullptr)) {
        STARTUPINFOEXW extended = {};
        extended.StartupInfo = startup;
        extended.StartupInfo.cb = sizeof extended;
        extended.lpAttributeList = attributes;
        ok = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, EXTENDED_STARTUPINFO_PRESENT, nullptr,
                            directory, &extended.StartupInfo, &started) != FALSE;
    }
    DeleteProcThreadAttributeList(attributes);
    return ok;
}

bool ProcessLauncherWin32::StartCommandLine(const std::wstring& commandLine, const std::wstring& folder, bool hidden,
                                            uint32_t& error, std::wstring& lost)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(hidden ? SW_HIDE : SW_SHOW);
    const wchar_t* directory = folder.empty() ? nullptr : folder.c_str();
    PROCESS_INFORMATION started = {};
    if (job.Valid() && !breakaway && StartInJob(job.Get(), line, directory, startup, started)) {
        const ScopedHandle thread(started.hThread);
        process.Reset(started.hProcess);
        return true;
    }
    // Elsewhere suspended while it joins the job: nothing it starts escapes the job before it is in.
    const DWORD suspended = job.Valid() ? CREATE_SUSPENDED : 0;
    bool ok = breakaway && CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE,
                                          suspended | CREATE_BREAKAWAY_FROM_JOB, nullptr, directory, &startup, &started);
    if (!ok)
        ok = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, suspended, nullptr, directory, &startup,
                            &started) != FALSE;
    if (!ok) {
        error = GetLastError();
        return false;
    }
    const ScopedHandle thread(started.hThread);
    process.Reset(started.hProcess);
    if (job.Valid()) {
        if (!AssignProcessToJobObject(job.Get(), process.Get()))
            lost = L"it could not join the job: " + SystemMessage(GetLastError());
        ResumeThread(thread.Get());
    }
    return true;
}

std::wstring ProcessLauncherWin32::OpenVerb(const std::wstring& file, const std::wstring& parameters)
{
    static const auto assocQueryString =
        SystemFunction<decltype(&AssocQueryStringW)>(L"shlwapi.dll", "AssocQueryStringW");
    wchar_t verb[2048];
    DWORD length = sizeof verb / sizeof verb[0];
    if (assocQueryString == nullptr ||
        assocQueryString(ASSOCF_NOTRUNCATE | ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_COMMAND, file.c_str(), L"open", verb,
                         &length) != S_OK)
        return std::wstring();
    // Verbs are often written with variables ("%SystemRoot%\System32\msiexec.exe /i \"%1\"").
    wchar_t expanded[4096];
    const DWORD size = ExpandEnvironmentStringsW(verb, expanded, sizeof expanded / sizeof expanded[0]);
    return VerbCommandLine(size > 0 && size <= sizeof expanded / sizeof expanded[0] ? expanded : verb, file, parameters);
}

bool ProcessLauncherWin32::StartThroughShell(const std::wstring& file, const std::wstring& parameters,
                                             const std::wstring& folder, bool hidden, uint32_t& error, bool& started,
                                             std::wstring& lost)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // No error box from the shell and no zone prompt for a downloaded file: nobody is there to
    // answer (the configuration's author chose the program). The launch completes before the
    // call returns (no hand-off to a shell thread that the end of the process could cut off);
    // the worker has COM initialised for the shell extensions that handle documents and verbs.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | SEE_MASK_NOZONECHECKS;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = hidden ? SW_HIDE : SW_SHOW;
    static const auto shellExecute = SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    if (shellExecute == nullptr) {
        error = ERROR_PROC_NOT_FOUND;
        return false;
    }
    if (!shellExecute(&info)) {
        error = GetLastError();
        return false;
    }
    process.Reset(info.hProcess);
    started = process.Valid();
    // What the shell started can only join the job now: what it started meanwhile is not in it.
    if (job.Valid() && process.Valid() && !AssignProcessToJobObject(job.Get(), process.Get()))
        lost = L"it could not join the job: " + SystemMessage(GetLastError());
    return true;
}

uint32_t ProcessLauncherWin32::ProcessId()
{
    return process.Valid() ? GetProcessId(process.Get()) : 0;
}

ProcessLauncher::Waited ProcessLauncherWin32::Wait(bool tree, bool byParentId, uint32_t milliseconds, uint32_t& error)
{
    const ULONGLONG deadline = Deadline(milliseconds);
    switch (WaitPumpingMessages(process.Get(), Remaining(deadline))) {
    case WaitEnd::Signalled: break;
    case WaitEnd::TimedOut: return Waited::TimedOut;
    case WaitEnd::Failed: error = GetLastError(); return Waited::Failed;
    }
    if (!tree)
        return Waited::Ended;
    if (byParentId || !job.Valid())
        return WaitForDescendants(GetProcessId(process.Get()), CreationTime(process.Get()), deadline) ? Waited::Ended
                                                                                          : Waited::TimedOut;
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                       nullptr) ||
            accounting.ActiveProcesses == 0)
            return Waited::Ended;
        const DWORD left = Remaining(deadline);
        if (left == 0)
            return Waited::TimedOut;
        WaitPumpingMessages(nullptr, std::min<DWORD>(left, 100));
    }
}

bool ProcessLauncherWin32::ExitCode(uint32_t& code, uint32_t& error)
{
    DWORD exitCode = 0;
    if (!process.Valid() || !GetExitCodeProcess(process.Get(), &exitCode)) {
        error = GetLastError();
        return false;
    }
    code = exitCode;
    return true;
}

bool ProcessLauncherWin32::End(bool tree, bool byParentId, uint32_t& ended, uint32_t& error)
{
    ended = 0;
    if (!process.Valid()) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    const ULONGLONG deadline = Deadline(kEndWaitMilliseconds);
    if (tree && !byParentId && job.Valid()) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting, sizeof(accounting),
                                  nullptr);
        if (!TerminateJobObject(job.Get(), kEndedExitCode)) {
            error = GetLastError();
            return false;
        }
        ended = accounting.ActiveProcesses;
        while (QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                         sizeof(accounting), nullptr) &&
               accounting.ActiveProcesses > 0 && Remaining(deadline) > 0)
            WaitPumpingMessages(nullptr, std::min<DWORD>(Remaining(deadline), 50));
        return true;
    }
    // The program first, so that it starts nothing more; then what it started, by parent id.
    if (WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
        if (!TerminateProcess(process.Get(), kEndedExitCode)) {
            error = GetLastError();
            return false;
        }
        ended = 1;
    }
    if (tree)
        ended += EndDescendants(GetProcessId(process.Get()), CreationTime(process.Get()), kEndedExitCode, deadline);
    WaitPumpingMessages(process.Get(), Remaining(deadline));
    return true;
}

void ProcessLauncherWin32::Pause(uint32_t milliseconds)
{
    WaitPumpingMessages(nullptr, milliseconds);
}

void ProcessLauncherWin32::Close()
{
    process.Reset();
    job.Reset(); // the job ends with its last handle; processes still in it run on
    breakaway = false;
}

std::wstring ProcessLauncherWin32::ErrorText(uint32_t error)
{
    return SystemMessage(error);
}
