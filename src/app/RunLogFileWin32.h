// The run log's file. Lines written before the file is known (while the configuration that may
// name it and its format loads) wait in memory and follow once it is opened, in its format. Every line is appended at once
// (FILE_APPEND_DATA, shared with other runs), so a run that is killed leaves what it wrote.
// Nothing here may stop or slow a run: the file is opened and written by a thread of its own
// (LogQueue), so a stalled share or a pipe nobody reads holds up only that thread, and a file
// that cannot be opened or written is passed over.
#pragma once

#include "app/LogQueue.h"
#include "app/RunLogText.h"
#include "commands/RunLog.h"
#include "config/ScopedWin32.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RunLogFile : public RunLog
{
public:
    RunLogFile();
    ~RunLogFile() override;
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // From now on the log goes to `path` (its folder is made if missing); what waited in memory
    // goes first. An empty path: no log, and what waited is dropped.
    void Open(const std::wstring& path, LogFormat format = LogFormat::Plain);
    void Write(const std::wstring& line) override { Write(LogLevel::Information, line); }
    void Write(LogLevel level, const std::wstring& line) override;
    // Waits at most two seconds for the queued lines to be written.
    void Finish() override;
    std::wstring Path() const override;

    // Varnekite.log in the temporary folder (the Windows one for a service or SYSTEM).
    static std::wstring DefaultPath();

private:
    // On the queue's thread, the only one that touches what follows.
    void OpenNow(const std::wstring& path, const std::string& waited);
    void WriteNow(const std::string& lines);
    std::string Format(const LogClock& clock, uint32_t threadId, LogLevel level, const std::wstring& text) const;
    void Append(const std::string& bytes);
    bool OpenFile();
    static ScopedHandle OpenChecked(const std::wstring& path, DWORD disposition, std::wstring& refusal);
    void StartAnew();

    std::wstring path;
    ScopedHandle file;
    uint64_t size = 0;
    std::atomic<LogFormat> format{LogFormat::Plain};
    // Lines written before Open, as they were written: their format is known only then.
    struct WaitingLine
    {
        LogClock clock;
        uint32_t threadId;
        LogLevel level;
        std::wstring text;
    };
    std::mutex waitingLock;
    bool openCalled = false;
    std::vector<WaitingLine> waiting;
    std::unique_ptr<LogQueue> queue; // ended before the file is closed
    mutable std::mutex openedLock;
    std::wstring opened; // the path Open was given, for the callers' threads
};

// The clock as the log writes it: local time and its offset from UTC, now.
LogClock LogClockNow();
