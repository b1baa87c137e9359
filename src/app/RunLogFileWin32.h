// The run log's file. Lines written before the file is known (while the configuration that may
// name it loads) wait in memory and follow once it is opened. Every line is appended at once
// (FILE_APPEND_DATA, shared with other runs), so a run that is killed leaves what it wrote.
// Nothing here may stop or slow a run: a file that cannot be opened or written is passed over.
#pragma once

#include "app/RunLogText.h"
#include "commands/RunLog.h"

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

class RunLogFile : public RunLog
{
public:
    RunLogFile() = default;
    ~RunLogFile() override;
    RunLogFile(const RunLogFile&) = delete;
    RunLogFile& operator=(const RunLogFile&) = delete;

    // From now on the log goes to `path` (its folder is made if missing); what waited in memory
    // goes first. An empty path: no log, and what waited is dropped.
    void Open(const std::wstring& path);
    void Write(const std::wstring& line) override;

    // Varnekite.log in the temporary folder (the Windows one for a service or SYSTEM).
    static std::wstring DefaultPath();

private:
    void Append(const std::string& bytes); // with the lock held
    bool OpenFile();
    void StartAnew();

    std::mutex lock;
    std::wstring path;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool waiting = true; // the path is not known yet
    std::string pending;
    uint64_t size = 0;
};

// The clock as the log writes it: local time and its offset from UTC, now.
LogClock LogClockNow();
