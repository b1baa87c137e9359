#include "commands/InstallState.h"

void InstallProgress::ResetByteCounters()
{
    commandBytesDone = 0;
    finishedFilesBytes = 0;
    commandBytesTotal = 0;
    fileBytesDone = 0;
    fileBytesTotal = 0;
}

void InstallProgress::SetCurrentFileName(const std::wstring& name)
{
    std::wstring replacement = name; // allocate outside the lock so the painter never waits on it
    std::lock_guard<std::mutex> guard(fileNameLock);
    currentFileName.swap(replacement);
}

std::wstring InstallProgress::CurrentFileName() const
{
    std::lock_guard<std::mutex> guard(fileNameLock);
    return currentFileName;
}
