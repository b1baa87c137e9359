// The run log's lines as they go into the file: local time with the UTC offset and
// milliseconds, the process id (runs that share the file interleave), then the text, UTF-8,
// CRLF-ended. A text of several lines becomes several lines with the same stamp.
#pragma once

#include "commands/RunLog.h"

#include <cstdint>
#include <string>

// When a line is written, in local time.
struct LogClock
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int offsetMinutes = 0; // local time minus UTC
};

// "2026-12-07 17:33:00.123 +01:00"
std::string LogTimeText(const LogClock& clock);

// Every line of `text` with the stamp "<time> [<process id>] " in front.
std::string LogLines(const LogClock& clock, uint32_t processId, const std::wstring& text);

// How the log's lines are written: plain (the default, above), or as records the
// configuration-manager log viewer reads (one per line, with its component, time, date, thread
// and level): <log format="cmtrace">.
enum class LogFormat
{
    Plain,
    Viewer,
};

// Every line of `text` as one viewer record:
// <![LOG[text]LOG]!><time="17:33:00.123-060" date="12-07-2026" component="Varnekite" context=""
// type="1" thread="1234" file="">, the time's suffix the minutes UTC is ahead of local time
// (Windows' time zone bias), type 1 information, 2 warning, 3 error.
std::string ViewerLogLines(const LogClock& clock, uint32_t threadId, LogLevel level, const std::wstring& text);

// The lines in the chosen format.
std::string FormatLogLines(LogFormat format, const LogClock& clock, uint32_t processId, uint32_t threadId,
                           LogLevel level, const std::wstring& text);

// Past this size the log starts anew at the next line, keeping the last file as PreviousLogPath.
constexpr uint64_t kLogSizeLimit = 10u * 1024u * 1024u;
// "C:\Windows\Temp\Varnekite.log" keeps its previous file as "C:\Windows\Temp\Varnekite.log.1".
std::wstring PreviousLogPath(const std::wstring& path);
// Where a run logs when the file at `path` may not be used (a link, someone else's): a file
// of its own beside it, "C:\x\Varnekite.log" -> "C:\x\Varnekite-1234.log".
std::wstring RefusedLogPath(const std::wstring& path, uint32_t processId);
