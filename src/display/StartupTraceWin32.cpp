#include "display/StartupTraceWin32.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kFirstPaintMark[] = "first paint";

enum class TraceState { Unread, Off, On };

struct StartupTrace
{
    TraceState state = TraceState::Unread;
    std::wstring path;
    std::string lines;
    LARGE_INTEGER frequency{};
    LARGE_INTEGER firstCounter{};
    double firstMilliseconds = 0; // the first mark, since the process was created
};

StartupTrace trace;

uint64_t Ticks(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The process's creation time is known only to the system clock's resolution; the marks after
// the first are timed by the performance counter, so their differences are exact.
bool StartTrace()
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"VARNEKITE_STARTUP_TRACE", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    trace.path.assign(buffer, length);
    QueryPerformanceFrequency(&trace.frequency);
    QueryPerformanceCounter(&trace.firstCounter);
    FILETIME creation{}, exitTime{}, kernel{}, user{}, now{};
    GetSystemTimeAsFileTime(&now);
    if (GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user) && Ticks(now) > Ticks(creation))
        trace.firstMilliseconds = static_cast<double>(Ticks(now) - Ticks(creation)) / 10000.0;
    return true;
}

void WriteTrace()
{
    HANDLE file = CreateFileW(trace.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, trace.lines.data(), static_cast<DWORD>(trace.lines.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

void MarkStartup(const char* phase)
{
    if (trace.state == TraceState::Off)
        return;
    if (trace.state == TraceState::Unread) {
        trace.state = StartTrace() ? TraceState::On : TraceState::Off;
        if (trace.state == TraceState::Off)
            return;
    }
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    const double milliseconds =
        trace.firstMilliseconds + static_cast<double>(counter.QuadPart - trace.firstCounter.QuadPart) * 1000.0 /
                                      static_cast<double>(trace.frequency.QuadPart > 0 ? trace.frequency.QuadPart : 1);
    char line[160];
    std::snprintf(line, sizeof line, "%s\t%.1f\n", phase, milliseconds);
    trace.lines += line;
    if (std::strcmp(phase, kFirstPaintMark) == 0) {
        WriteTrace();
        trace.state = TraceState::Off; // what follows the first paint is not start-up
    }
}

void MarkPaint(HWND panel)
{
    if (trace.state != TraceState::Off && IsWindowVisible(panel))
        MarkStartup(kFirstPaintMark);
}
