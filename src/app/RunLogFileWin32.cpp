#include "app/RunLogFileWin32.h"

#include "app/RunLogText.h"
#include "commands/FileSystemWin32.h"
#include "commands/FolderPaths.h"

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
        [](uint64_t dropped) {
            return LogLines(LogClockNow(), GetCurrentProcessId(),
                            std::to_wstring(dropped) + L" line(s) of this log were dropped: writing it could not keep up");
        });
}

RunLogFile::~RunLogFile()
{
    queue.reset();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

void RunLogFile::Finish()
{
    queue->Flush(std::chrono::seconds(2));
}

std::wstring RunLogFile::DefaultPath()
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return std::wstring();
    return std::wstring(folder, length) + L"Varnekite.log";
}

void RunLogFile::Open(const std::wstring& logPath)
{
    {
        const std::lock_guard<std::mutex> guard(openedLock);
        opened = logPath;
    }
    queue->Run([this, logPath]() { OpenNow(logPath); });
}

std::wstring RunLogFile::Path() const
{
    const std::lock_guard<std::mutex> guard(openedLock);
    return opened;
}

void RunLogFile::OpenNow(const std::wstring& logPath)
{
    waiting = false;
    path = logPath;
    std::string lines;
    lines.swap(pending);
    if (path.empty() || !OpenFile())
        return;
    Append(lines);
}

void RunLogFile::Write(const std::wstring& line)
{
    queue->Push(LogLines(LogClockNow(), GetCurrentProcessId(), line));
}

void RunLogFile::WriteNow(const std::string& lines)
{
    if (waiting)
        pending += lines;
    else if (file != INVALID_HANDLE_VALUE)
        Append(lines);
}

bool RunLogFile::OpenFile()
{
    const std::wstring extended = ExtendedLengthPath(path);
    const std::wstring normal = NormalizePath(path);
    const size_t cut = normal.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > PathRootLength(normal))
        FileSystemWin32().CreateFolderTree(normal.substr(0, cut));
    file = CreateFileW(extended.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length = {};
    size = GetFileSizeEx(file, &length) ? static_cast<uint64_t>(length.QuadPart) : 0;
    if (size >= kLogSizeLimit)
        StartAnew();
    return file != INVALID_HANDLE_VALUE;
}

void RunLogFile::StartAnew()
{
    // The full file becomes the previous one (replacing the one before), and a new one starts.
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    MoveFileExW(ExtendedLengthPath(path).c_str(), ExtendedLengthPath(PreviousLogPath(path)).c_str(),
                MOVEFILE_REPLACE_EXISTING);
    file = CreateFileW(ExtendedLengthPath(path).c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER length = {};
    size = file != INVALID_HANDLE_VALUE && GetFileSizeEx(file, &length) ? static_cast<uint64_t>(length.QuadPart) : 0;
}

void RunLogFile::Append(const std::string& bytes)
{
    if (bytes.empty() || file == INVALID_HANDLE_VALUE)
        return;
    if (size + bytes.size() > kLogSizeLimit && size > 0)
        StartAnew();
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        size += written;
}
