#include "app/RunLogText.h"

#include "commands/FolderPaths.h"
#include "config/TextEncoding.h"

#include <cstdio>
#include <cstdlib>

std::string LogTimeText(const LogClock& clock)
{
    const int offset = std::abs(clock.offsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d %c%02d:%02d", clock.year, clock.month,
                  clock.day, clock.hour, clock.minute, clock.second, clock.millisecond,
                  clock.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

namespace {

// Calls `each` with every line of `text`, a CR before its LF left out.
template <typename Each>
void ForEachLine(const std::wstring& text, Each each)
{
    size_t start = 0;
    while (true) {
        size_t end = text.find(L'\n', start);
        const bool last = end == std::wstring::npos;
        if (last)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        each(line);
        if (last)
            return;
        start = end + 1;
    }
}

} // namespace

std::string LogLines(const LogClock& clock, uint32_t processId, const std::wstring& text)
{
    const std::string stamp = LogTimeText(clock) + " [" + std::to_string(processId) + "] ";
    std::string lines;
    ForEachLine(text, [&](const std::wstring& line) { lines += stamp + EncodeUtf8(line) + "\r\n"; });
    return lines;
}

std::string ViewerLogLines(const LogClock& clock, uint32_t threadId, LogLevel level, const std::wstring& text)
{
    const int bias = -clock.offsetMinutes;
    char stamp[160];
    std::snprintf(stamp, sizeof stamp,
                  "]LOG]!><time=\"%02d:%02d:%02d.%03d%c%03d\" date=\"%02d-%02d-%04d\" component=\"Varnekite\" "
                  "context=\"\" type=\"%d\" thread=\"%u\" file=\"\">\r\n",
                  clock.hour, clock.minute, clock.second, clock.millisecond, bias < 0 ? '-' : '+', std::abs(bias),
                  clock.month, clock.day, clock.year,
                  level == LogLevel::Error ? 3 : level == LogLevel::Warning ? 2 : 1, static_cast<unsigned>(threadId));
    std::string records;
    ForEachLine(text, [&](const std::wstring& line) {
        // The record's own end marker inside a text would cut it short.
        std::string bytes = EncodeUtf8(line);
        for (size_t at = bytes.find("]LOG]!>"); at != std::string::npos; at = bytes.find("]LOG]!>", at))
            bytes.replace(at, 7, "]LOG] !>");
        records += "<![LOG[" + bytes + stamp;
    });
    return records;
}

std::string FormatLogLines(LogFormat format, const LogClock& clock, uint32_t processId, uint32_t threadId,
                           LogLevel level, const std::wstring& text)
{
    return format == LogFormat::Viewer ? ViewerLogLines(clock, threadId, level, text)
                                       : LogLines(clock, processId, text);
}

std::wstring PreviousLogPath(const std::wstring& path)
{
    return path + L".1";
}

std::wstring RefusedLogPath(const std::wstring& path, uint32_t processId)
{
    const size_t name = FolderPart(path).size();
    const size_t dot = path.rfind(L'.');
    const size_t cut = dot != std::wstring::npos && dot > name ? dot : path.size();
    return path.substr(0, cut) + L"-" + std::to_wstring(processId) + path.substr(cut);
}
