#include "app/RunLogFileWin32.h"

#include "app/RunLogText.h"
#include "commands/FileSystemWin32.h"
#include "commands/FolderPaths.h"
#include "config/SystemFunctionWin32.h"

#include <aclapi.h>

LogClock LogClockNow()
{
    SYSTEMTIME utc = {};
    GetSystemTime(&utc);
    SYSTEMTIME local = utc;
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    FILETIME utcTime = {};
    FILETIME localTime = {};
    SystemTimeToFileTime(&utc, &utcTime);
    SystemTimeToFileTime(&local, &localTime);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    LogClock clock;
    clock.year = local.wYear;
    clock.month = local.wMonth;
    clock.day = local.wDay;
    clock.hour = local.wHour;
    clock.minute = local.wMinute;
    clock.second = local.wSecond;
    clock.millisecond = local.wMilliseconds;
    clock.offsetMinutes = static_cast<int>((ticks(localTime) - ticks(utcTime)) / 600000000);
    return clock;
}

RunLogFile::RunLogFile()
{
    queue = std::make_unique<LogQueue>(
        [this](const std::string& lines) { WriteNow(lines); },
        [this](uint64_t dropped) {
            return Format(LogClockNow(), GetCurrentThreadId(), LogLevel::Warning,
                          std::to_wstring(dropped) + L" line(s) of this log were dropped: writing it could not keep up");
        });
}

RunLogFile::~RunLogFile()
{
    queue.reset(); // its thread may still write: it ends before the file member closes
}

void RunLogFile::Finish()
{
    queue->Flush(std::chrono::seconds(2));
}

namespace {

// The user the process runs as, from its token; no SID when the token cannot be read.
class RunningUser
{
public:
    RunningUser()
    {
        HANDLE opened = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened))
            return;
        const ScopedHandle token(opened);
        DWORD size = 0;
        known = GetTokenInformation(token.Get(), TokenUser, buffer, sizeof buffer, &size) != FALSE;
    }
    PSID Sid() const { return known ? reinterpret_cast<const TOKEN_USER*>(buffer)->User.Sid : nullptr; }

private:
    alignas(TOKEN_USER) BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    bool known = false;
};

// Whether the process runs as the system (LocalSystem: a service, a deployment agent).
bool RunsAsSystem()
{
    const RunningUser user;
    return user.Sid() != nullptr && IsWellKnownSid(user.Sid(), WinLocalSystemSid);
}

// Whether the file's owner is someone the run may trust with its log: the running user, the
// system or the administrators. A file someone else made first could be read by them, or be
// a way to make the run write elsewhere.
bool OwnedByUsOrTheSystem(HANDLE file)
{
    PSID owner = nullptr; // points into the descriptor
    PSECURITY_DESCRIPTOR allocated = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &allocated) != ERROR_SUCCESS)
        return true; // a file system without owners (FAT, a share that does not say): nothing to check
    const ScopedLocalMemory<PSECURITY_DESCRIPTOR> descriptor(allocated);
    if (IsWellKnownSid(owner, WinLocalSystemSid) || IsWellKnownSid(owner, WinBuiltinAdministratorsSid))
        return true;
    const RunningUser user;
    return user.Sid() != nullptr && EqualSid(owner, user.Sid());
}

} // namespace

std::wstring RunLogFile::DefaultPath()
{
    // GetTempPath2W (Windows 11, and 10 with its 2022 updates) gives the system a temporary
    // folder of its own that users cannot write; GetTempPathW gives it C:\Windows\Temp, where any
    // user could make the log first. Without the first, the system logs in the Windows logs
    // folder, which only administrators can write.
    using GetTempPath2Fn = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const auto getTempPath2 = SystemFunction<GetTempPath2Fn>(L"kernel32.dll", "GetTempPath2W");
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD length = 0;
    if (getTempPath2 != nullptr) {
        length = getTempPath2(MAX_PATH + 1, folder);
    } else if (RunsAsSystem()) {
        const UINT windows = GetWindowsDirectoryW(folder, MAX_PATH + 1);
        if (windows == 0 || windows > MAX_PATH - 7)
            return std::wstring();
        return std::wstring(folder, windows) + L"\\Logs\\Varnekite.log";
    } else {
        length = GetTempPathW(MAX_PATH + 1, folder);
    }
    if (length == 0 || length > MAX_PATH)
        return std::wstring();
    return std::wstring(folder, length) + L"Varnekite.log";
}

std::string RunLogFile::Format(const LogClock& clock, uint32_t threadId, LogLevel level, const std::wstring& text) const
{
    return FormatLogLines(format.load(), clock, GetCurrentProcessId(), threadId, level, text);
}

void RunLogFile::Open(const std::wstring& logPath, LogFormat logFormat)
{
    {
        const std::lock_guard<std::mutex> guard(openedLock);
        opened = logPath;
    }
    // The waiting lines go in the format now known, ahead of every later line: the open is
    // queued before any Write sees openCalled.
    const std::lock_guard<std::mutex> guard(waitingLock);
    format = logFormat;
    std::string waited;
    for (const WaitingLine& line : waiting)
        waited += Format(line.clock, line.threadId, line.level, line.text);
    waiting.clear();
    waiting.shrink_to_fit();
    openCalled = true;
    queue->Run([this, logPath, waited]() { OpenNow(logPath, waited); });
}

std::wstring RunLogFile::Path() const
{
    const std::lock_guard<std::mutex> guard(openedLock);
    return opened;
}

void RunLogFile::OpenNow(const std::wstring& logPath, const std::string& waited)
{
    path = logPath;
    if (path.empty() || !OpenFile())
        return;
    Append(waited);
}

void RunLogFile::Write(LogLevel level, const std::wstring& line)
{
    {
        const std::lock_guard<std::mutex> guard(waitingLock);
        if (!openCalled) {
            waiting.push_back({LogClockNow(), GetCurrentThreadId(), level, line});
            return;
        }
    }
    queue->Push(Format(LogClockNow(), GetCurrentThreadId(), level, line));
}

void RunLogFile::WriteNow(const std::string& lines)
{
    if (file.Valid())
        Append(lines);
}

// Opens the log at `logPath` for appending, or refuses it (null): a link (one the run would
// write through), a file with a second name elsewhere (a hard link), or one owned by someone
// else than the running user, the system or the administrators. Opened without following a
// link, so what is checked is what is written.
ScopedHandle RunLogFile::OpenChecked(const std::wstring& logPath, DWORD disposition, std::wstring& refusal)
{
    ScopedHandle opened(CreateFileW(ExtendedLengthPath(logPath).c_str(),
                                    FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!opened.Valid())
        return opened;
    BY_HANDLE_FILE_INFORMATION info = {};
    FileSystemWin32 fileSystem;
    if (!fileSystem.OpenedItself(opened.Get(), logPath))
        refusal = L"it is a link";
    else if (GetFileInformationByHandle(opened.Get(), &info) && info.nNumberOfLinks > 1)
        refusal = L"it has another name elsewhere (a hard link)";
    else if (!OwnedByUsOrTheSystem(opened.Get()))
        refusal = L"it belongs to someone else";
    if (!refusal.empty())
        opened.Reset();
    return opened;
}

bool RunLogFile::OpenFile()
{
    const std::wstring normal = NormalizePath(path);
    const std::wstring_view folder = ParentPath(normal);
    if (folder.size() > PathRootLength(normal))
        FileSystemWin32().CreateFolderTree(std::wstring(folder));
    std::wstring refusal;
    file = OpenChecked(path, OPEN_ALWAYS, refusal);
    std::string note;
    if (!refusal.empty()) {
        // A new file of this run's own beside the refused one, never one someone else made.
        const std::wstring refused = path;
        path = RefusedLogPath(refused, GetCurrentProcessId());
        {
            const std::lock_guard<std::mutex> guard(openedLock); // what the folder commands leave alone
            opened = path;
        }
        std::wstring again;
        file = OpenChecked(path, CREATE_NEW, again);
        note = Format(LogClockNow(), GetCurrentThreadId(), LogLevel::Warning,
                      L"the log \"" + refused + L"\" is not used: " + refusal + L"; this run logs here");
    }
    if (!file.Valid())
        return false;
    LARGE_INTEGER length = {};
    size = GetFileSizeEx(file.Get(), &length) ? static_cast<uint64_t>(length.QuadPart) : 0;
    if (size >= kLogSizeLimit)
        StartAnew();
    Append(note);
    return file.Valid();
}

void RunLogFile::StartAnew()
{
    // The full file becomes the previous one (replacing the one before), and a new one starts.
    file.Reset();
    MoveFileExW(ExtendedLengthPath(path).c_str(), ExtendedLengthPath(PreviousLogPath(path)).c_str(),
                MOVEFILE_REPLACE_EXISTING);
    // Someone may have put a link in its place meanwhile: the new file is checked as the first.
    std::wstring refusal;
    file = OpenChecked(path, OPEN_ALWAYS, refusal);
    LARGE_INTEGER length = {};
    size = file.Valid() && GetFileSizeEx(file.Get(), &length) ? static_cast<uint64_t>(length.QuadPart) : 0;
}

void RunLogFile::Append(const std::string& bytes)
{
    if (bytes.empty() || !file.Valid())
        return;
    if (size + bytes.size() > kLogSizeLimit && size > 0)
        StartAnew();
    if (!file.Valid())
        return;
    DWORD written = 0;
    if (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        size += written;
}
