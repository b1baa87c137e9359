// The install state shared by the worker thread (the only writer of the progress values) and
// the window thread (which paints them). The progress is read as one snapshot. Settings and
// lists are complete before the worker starts and read-only afterwards.
#pragma once

#include "commands/CommandOutcome.h"
#include "commands/RunLog.h"
#include "config/Settings.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class FileSystem;
class MachineFacts;
class ProcessLauncher;

// part × 100 / whole as a percentage between 0 and 100; 0 when `whole` is 0.
float PercentOf(uint64_t part, uint64_t whole);

// One reading of the progress, as the window paints it: every value from the same moment.
struct ProgressSnapshot
{
    int32_t currentItem = 0;
    int32_t currentCommand = 0;
    float overallPercent = 0.0f; // the whole list, before the current command
    float itemPercent = 0.0f;    // the current item's commands before the current one
    // The current folder command's bytes (copy and move count them; delete leaves them at 0):
    // finished files plus the transferred part of the files in flight, of its whole file set.
    uint64_t commandBytesDone = 0;
    uint64_t commandBytesTotal = 0;
    // The file shown (the one started last): its transferred bytes, its size, its name.
    uint64_t fileBytesDone = 0;
    uint64_t fileBytesTotal = 0;
    std::wstring fileName;
    // The items a command of which failed, in the order they failed; kept to the list's end.
    std::vector<int32_t> failedItems;

    bool ItemFailed(int32_t item) const;
    // The percentages are derived here and nowhere else.
    float CommandPercent() const { return PercentOf(commandBytesDone, commandBytesTotal); }
    float FilePercent() const { return PercentOf(fileBytesDone, fileBytesTotal); }
};

// The progress the worker publishes and the window reads: one snapshot behind one short lock,
// so a reading never mixes two moments. Each call sets what changed together.
class InstallProgress
{
public:
    ProgressSnapshot Snapshot() const;
    float OverallPercent() const; // the footer's one value, without copying the rest

    // The run loop, before a command: where the list stands; the command's bytes and file are
    // reset, so nothing a command before it left shows.
    void StartCommand(int32_t item, int32_t command, float itemPercent, float overallPercent);
    // The run loop, once the list has run: `lastItem` and the whole list done.
    void EndList(int32_t lastItem);
    // A folder command, as it starts: its whole file set's bytes, none done, no file shown.
    void StartBytes(uint64_t commandTotal);
    // The file (or folder) now worked on, none of its `size` bytes done yet.
    void ShowFile(const std::wstring& name, uint64_t size);
    // The command's bytes done; with the file's bytes when the shown file moved.
    void SetCommandBytes(uint64_t commandDone);
    void SetBytes(uint64_t commandDone, uint64_t fileDone, uint64_t fileTotal);
    // A command of `item` failed: the window may draw it in a colour of its own.
    void MarkItemFailed(int32_t item);
    // Everything at once: the preview's made-up moment, and the tests'.
    void Publish(const ProgressSnapshot& values);

private:
    mutable std::mutex lock;
    ProgressSnapshot current;
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
    void Log(LogLevel level, const std::wstring& line) const
    {
        if (log != nullptr)
            log->Write(level, line);
    }

    InstallSettings settings;
    InstallProgress progress;
    RunLog* log = nullptr;
    // Where the commands act: the Win32 ones in the program, in-memory and scripted ones in
    // the tests. Without them a command fails with a reason instead of acting.
    FileSystem* fileSystem = nullptr;
    ProcessLauncher* launcher = nullptr;
    // What conditions ask; without it a condition decided at run time cannot be decided, and
    // its item or command is passed over.
    MachineFacts* facts = nullptr;
    std::vector<CommandOutcome> outcomes; // one per command, made when the run starts
};
