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

std::string LogLines(const LogClock& clock, uint32_t processId, const std::wstring& text)
{
    const std::string stamp = LogTimeText(clock) + " [" + std::to_string(processId) + "] ";
    std::string lines;
    size_t start = 0;
    while (true) {
        size_t end = text.find(L'\n', start);
        const bool last = end == std::wstring::npos;
        if (last)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        lines += stamp + EncodeUtf8(line) + "\r\n";
        if (last)
            return lines;
        start = end + 1;
    }
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
