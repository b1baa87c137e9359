#include "commands/InstallState.h"

#include <algorithm>

#include <utility>

float PercentOf(uint64_t part, uint64_t whole)
{
    if (whole == 0)
        return 0.0f;
    const double percent = static_cast<double>(part) * 100.0 / static_cast<double>(whole);
    return static_cast<float>(percent > 100.0 ? 100.0 : percent);
}

ProgressSnapshot InstallProgress::Snapshot() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return current;
}

float InstallProgress::OverallPercent() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return current.overallPercent;
}

void InstallProgress::StartCommand(int32_t item, int32_t command, float itemPercent, float overallPercent)
{
    std::wstring old; // freed once the lock is let go
    const std::lock_guard<std::mutex> guard(lock);
    old.swap(current.fileName);
    std::vector<int32_t> failed = std::move(current.failedItems);
    current = ProgressSnapshot();
    current.failedItems = std::move(failed);
    current.currentItem = item;
    current.currentCommand = command;
    current.overallPercent = overallPercent;
    current.itemPercent = itemPercent;
}

bool ProgressSnapshot::ItemFailed(int32_t item) const
{
    return std::find(failedItems.begin(), failedItems.end(), item) != failedItems.end();
}

void InstallProgress::MarkItemFailed(int32_t item)
{
    const std::lock_guard<std::mutex> guard(lock);
    if (!current.ItemFailed(item))
        current.failedItems.push_back(item);
}

void InstallProgress::EndList(int32_t lastItem)
{
    std::wstring old;
    const std::lock_guard<std::mutex> guard(lock);
    old.swap(current.fileName);
    const int32_t command = current.currentCommand;
    std::vector<int32_t> failed = std::move(current.failedItems);
    current = ProgressSnapshot();
    current.failedItems = std::move(failed);
    current.currentItem = lastItem;
    current.currentCommand = command;
    current.overallPercent = 100.0f;
    current.itemPercent = 100.0f;
}

void InstallProgress::StartBytes(uint64_t commandTotal)
{
    std::wstring old;
    const std::lock_guard<std::mutex> guard(lock);
    old.swap(current.fileName);
    current.commandBytesDone = 0;
    current.commandBytesTotal = commandTotal;
    current.fileBytesDone = 0;
    current.fileBytesTotal = 0;
}

void InstallProgress::ShowFile(const std::wstring& name, uint64_t size)
{
    std::wstring replacement = name; // allocated outside the lock, so the painter never waits on it
    const std::lock_guard<std::mutex> guard(lock);
    current.fileName.swap(replacement);
    current.fileBytesDone = 0;
    current.fileBytesTotal = size;
}

void InstallProgress::SetCommandBytes(uint64_t commandDone)
{
    const std::lock_guard<std::mutex> guard(lock);
    current.commandBytesDone = commandDone;
}

void InstallProgress::SetBytes(uint64_t commandDone, uint64_t fileDone, uint64_t fileTotal)
{
    const std::lock_guard<std::mutex> guard(lock);
    current.commandBytesDone = commandDone;
    current.fileBytesDone = fileDone;
    current.fileBytesTotal = fileTotal;
}

void InstallProgress::Publish(const ProgressSnapshot& values)
{
    ProgressSnapshot replacement = values; // the old values go once the lock is let go
    const std::lock_guard<std::mutex> guard(lock);
    std::swap(current, replacement);
}
