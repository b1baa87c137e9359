// The few file-system operations the folder commands are built from. The commands are plain
// algorithms over this interface: the program runs them on the Win32 implementation
// (FileSystemWin32), the tests on an in-memory one that can make any single call fail.
// Paths are wide text as the platform takes them (UTF-16 code units on Windows).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class InstallProgress;

// The platform's file attribute bits the commands look at.
namespace FileAttribute {
constexpr uint32_t ReadOnly = 0x1;
constexpr uint32_t Hidden = 0x2;
constexpr uint32_t System = 0x4;
constexpr uint32_t Directory = 0x10;
constexpr uint32_t Archive = 0x20;
constexpr uint32_t Normal = 0x80;
constexpr uint32_t Temporary = 0x100;
constexpr uint32_t ReparsePoint = 0x400; // with Directory: a junction or a folder symbolic link
constexpr uint32_t Offline = 0x1000;
constexpr uint32_t NotContentIndexed = 0x2000;
constexpr uint32_t Unknown = 0xFFFFFFFF;  // nothing is known about the entry
} // namespace FileAttribute

// Flags of MoveOneFile; the values are the platform's MOVEFILE_* bits.
namespace MoveFlag {
constexpr uint32_t ReplaceExisting = 0x1;
constexpr uint32_t CopyAllowed = 0x2;
} // namespace MoveFlag

// One name as an enumeration reports it; `name` is valid only during the visit.
struct FoundFile
{
    std::wstring_view name;
    uint32_t attributes = 0;
    uint64_t size = 0; // 0 for folders
};

// A folder held open as the plain folder it was when it was held: while the hold lives the
// folder itself cannot be renamed, replaced or removed, so a path through it keeps naming what
// was checked as long as every folder on the way is held. Released when destroyed.
class FolderHold
{
public:
    virtual ~FolderHold() = default;
};

class FileSystem
{
public:
    // Returns false to end the enumeration early.
    using Visitor = std::function<bool(const FoundFile&)>;

    virtual ~FileSystem() = default;

    // Lists the names matching `pattern` (a folder, a separator and a wildcard such as "*",
    // or one exact path whose entry is then the first hit), "." and ".." included where the
    // platform reports them. Returns false when the first lookup fails.
    virtual bool Enumerate(const std::wstring& pattern, const Visitor& visit) = 0;
    virtual bool SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
    // Deletes one file; fails on a folder.
    virtual bool RemoveFile(const std::wstring& path) = 0;
    // Removes one empty folder, or a folder link itself.
    virtual bool RemoveFolder(const std::wstring& path) = 0;
    // Creates the folder and every missing folder above it. True only when the folder did not
    // exist before and exists now.
    virtual bool CreateFolderTree(const std::wstring& path) = 0;
    // Copies one file over whatever file is at `to`, reporting chunks to CopyProgress.
    virtual bool CopyOneFile(const std::wstring& from, const std::wstring& to, InstallProgress* progress) = 0;
    // Moves one file or folder (a rename on one volume); flags from MoveFlag.
    virtual bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                             InstallProgress* progress) = 0;
    // Whether both paths exist and name the same file or folder, however they are spelled.
    virtual bool SameObject(const std::wstring& a, const std::wstring& b) = 0;
    // The absolute, normal form of `path` as the platform resolves it (relative paths against
    // the current folder); empty when it cannot be formed.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
    // Holds `path` when it is a plain folder (not a file, not a folder link); null otherwise.
    virtual std::unique_ptr<FolderHold> HoldFolder(const std::wstring& path) = 0;
    // Why the last call that failed on this thread failed, as the system says it; asked right
    // after the failure. Empty when the file system cannot say.
    virtual std::wstring FailureReason() { return std::wstring(); }
};
