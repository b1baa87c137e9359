// The run log's file. Lines written before the file is known (while the configuration that may
// name it loads) wait in memory and follow once it is opened. Every line is appended at once
// (FILE_APPEND_DATA, shared with other runs), so a run that is killed leaves what it wrote.
// Nothing here may stop or slow a run: the file is opened and written by a thread of its own
// (LogQueue), so a stalled share or a pipe nobody reads holds up only that thread, and a file
// that cannot be opened or written is passed over.
#pragma once

#include "app/LogQueue.h"
#include "app/RunLogText.h"
#include "commands/RunLog.h"
#include "config/ScopedWin32.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class RunLogFile : public RunLog
{
public:
    RunLogFile();
    ~RunLogFile() override;
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // From now on the log goes to `path` (its folder is made if missing); what waited in memory
    // goes first. An empty path: no log, and what waited is dropped.
    void Open(const std::wstring& path);
    void Write(const std::wstring& line) override;
    // Waits at most two seconds for the queued lines to be written.
    void Finish() override;
    std::wstring Path() const override;

    // Varnekite.log in the temporary folder (the Windows one for a service or SYSTEM).
    static std::wstring DefaultPath();

private:
    // On the queue's thread, the only one that touches what follows.
    void OpenNow(const std::wstring& path);
    void WriteNow(const std::string& lines);
    void Append(const std::string& bytes);
    bool OpenFile();
    static ScopedHandle OpenChecked(const std::wstring& path, DWORD disposition, std::wstring& refusal);
    void StartAnew();

    std::wstring path;
    ScopedHandle file;
    bool waiting = true; // the path is not known yet
    std::string pending;
    uint64_t size = 0;
    std::unique_ptr<LogQueue> queue; // ended before the file is closed
    mutable std::mutex openedLock;
    std::wstring opened; // the path Open was given, for the callers' threads
};

// The clock as the log writes it: local time and its offset from UTC, now.
LogClock LogClockNow();
