#include "commands/ProcessTreeWin32.h"

#include "commands/MessageWaitWin32.h"
#include "config/ScopedWin32.h"

#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

DWORD Remaining(ULONGLONG deadline)
{
    if (deadline == 0)
        return INFINITE;
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
}

std::vector<PROCESSENTRY32W> Processes()
{
    std::vector<PROCESSENTRY32W> processes;
    const ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid())
        return processes;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        processes.push_back(entry);
    return processes;
}

// Opens, with `access`, the processes of `processes` whose parent is in `family` and that started
// after it, and adds them to the family, until no more join. A child is opened before it counts:
// an id whose process has gone, or was reused by someone else's, is not the family's.
std::vector<ScopedHandle> Join(std::map<DWORD, ULONGLONG>& family, const std::vector<PROCESSENTRY32W>& processes,
                               DWORD access)
{
    std::vector<ScopedHandle> joined;
    for (bool grown = true; grown;) {
        grown = false;
        for (const PROCESSENTRY32W& process : processes) {
            const auto parent = family.find(process.th32ParentProcessID);
            if (parent == family.end() || family.count(process.th32ProcessID) != 0)
                continue;
            ScopedHandle handle(OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.th32ProcessID));
            if (!handle.Valid())
                continue;
            const ULONGLONG created = CreationTime(handle.Get());
            if (created < parent->second)
                continue;
            family[process.th32ProcessID] = created;
            joined.push_back(std::move(handle));
            grown = true;
        }
    }
    return joined;
}

} // namespace

ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

bool WaitForDescendants(DWORD root, ULONGLONG rootCreated, ULONGLONG deadline)
{
    std::map<DWORD, ULONGLONG> family = {{root, rootCreated}}; // id -> creation time
    for (;;) {
        std::vector<ScopedHandle> running = Join(family, Processes(), SYNCHRONIZE);
        if (running.empty())
            return true;
        bool inTime = true;
        for (ScopedHandle& handle : running) {
            if (inTime && WaitPumpingMessages(handle.Get(), Remaining(deadline)) == WaitEnd::TimedOut)
                inTime = false;
            handle.Reset();
        }
        if (!inTime)
            return false;
        // What they started meanwhile is looked for once more.
    }
}

DWORD EndDescendants(DWORD root, ULONGLONG rootCreated, UINT exitCode, ULONGLONG deadline)
{
    std::map<DWORD, ULONGLONG> family = {{root, rootCreated}};
    std::vector<ScopedHandle> ending;
    DWORD ended = 0;
    // Each round ends what it found; a process that started another meanwhile shows in the next.
    for (;;) {
        std::vector<ScopedHandle> found = Join(family, Processes(), SYNCHRONIZE | PROCESS_TERMINATE);
        if (found.empty())
            break;
        for (ScopedHandle& handle : found) {
            if (WaitForSingleObject(handle.Get(), 0) == WAIT_TIMEOUT && TerminateProcess(handle.Get(), exitCode))
                ++ended;
            ending.push_back(std::move(handle));
        }
        if (Remaining(deadline) == 0)
            break;
    }
    for (ScopedHandle& handle : ending)
        WaitPumpingMessages(handle.Get(), Remaining(deadline));
    return ended;
}
