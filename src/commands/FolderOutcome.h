// What a folder command did, counted as it goes (copy threads count at once): the files and
// bytes it copied, moved or deleted, every file or folder it could not handle, with the
// system's reason, handed to `failed` as it happens, and every one it passed over by rule.
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
    // An entry left as it is by rule, not by failure (a link inside a copied tree).
    void PassedOver(const std::wstring& path, const std::wstring& reason)
    {
        ++passedOver;
        const std::lock_guard<std::mutex> lock(reporting);
        if (passed)
            passed(path, reason);
    }

    std::function<void(const std::wstring& path, const std::wstring& reason)> failed;
    std::function<void(const std::wstring& path, const std::wstring& reason)> passed;
    std::atomic<uint64_t> files{0};
    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> failures{0};
    std::atomic<uint64_t> passedOver{0};
    std::atomic<bool> refused{false};

private:
    std::mutex reporting;
};
