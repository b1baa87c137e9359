// The install state shared by the worker thread (the only writer of the progress values) and
// the window thread (which paints them). Every value is read whole: numbers are atomics, the
// current file name sits behind a short lock. Settings and lists are complete before the
// worker starts and read-only afterwards.
#pragma once

#include "commands/CommandOutcome.h"
#include "commands/RunLog.h"
#include "config/Settings.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CopySlot;
class FileSystem;
class ProcessLauncher;

class InstallProgress
{
public:
    // Bytes of the current folder command (copy and move keep them current; delete zeroes them).
    std::atomic<uint64_t> commandBytesDone{0};   // finished files plus the current file's transferred part
    std::atomic<uint64_t> finishedFilesBytes{0}; // the current command's handled entries
    std::atomic<uint64_t> commandBytesTotal{0};  // the whole file set
    std::atomic<uint64_t> fileBytesDone{0};      // the current file's transferred bytes
    std::atomic<uint64_t> fileBytesTotal{0};     // the current file's size

    // Published by the run loop before each command.
    std::atomic<int32_t> currentItem{0};
    std::atomic<int32_t> currentCommand{0};
    std::atomic<float> overallPercent{0.0f}; // the whole list, before the current command
    std::atomic<float> itemPercent{0.0f};    // the current item's commands before the current one
    std::atomic<float> commandPercent{0.0f}; // the current command's bytes
    std::atomic<float> filePercent{0.0f};    // the current file's bytes

    // Sets the five byte counters to 0.
    void ResetByteCounters();

    void SetCurrentFileName(const std::wstring& name);
    std::wstring CurrentFileName() const;

    // Set on the progress that one of several copies running at once reports to: its chunks
    // then go to the pool that sums them into the command's progress (CopyPool.h). Null on
    // the command's own progress.
    CopySlot* slot = nullptr;

private:
    mutable std::mutex fileNameLock;
    std::wstring currentFileName;
};

// What run callbacks receive: the main window's settings, lists and progress, and where they
// say how each command went.
class InstallState
{
public:
    virtual ~InstallState() = default;

    // A line for the run log, when there is one.
    void Log(const std::wstring& line) const
    {
        if (log != nullptr)
            log->Write(line);
    }

    InstallSettings settings;
    InstallProgress progress;
    RunLog* log = nullptr;
    // Where the commands act: the Win32 ones in the program, in-memory and scripted ones in
    // the tests. Without them a command fails with a reason instead of acting.
    FileSystem* fileSystem = nullptr;
    ProcessLauncher* launcher = nullptr;
    std::vector<CommandOutcome> outcomes; // one per command, made when the run starts
};
