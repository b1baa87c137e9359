// What a folder command did, counted as it goes (copy threads count at once): the files and
// bytes it copied, moved or deleted, and every file or folder it could not handle, with the
// system's reason, handed to `failed` as it happens.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

class FolderOutcome
{
public:
    void Done(uint64_t bytes)
    {
        ++files;
        this->bytes += bytes;
    }
    void Failed(const std::wstring& path, const std::wstring& reason)
    {
        ++failures;
        const std::lock_guard<std::mutex> lock(reporting);
        if (failed)
            failed(path, reason);
    }
    // The whole command did nothing, for this reason (a root, a path that is not absolute...).
    void Refused(const std::wstring& reason)
    {
        refused = true;
        Failed(std::wstring(), reason);
    }

    std::function<void(const std::wstring& path, const std::wstring& reason)> failed;
    std::atomic<uint64_t> files{0};
    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> failures{0};
    std::atomic<bool> refused{false};

private:
    std::mutex reporting;
};
