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

// Hears how far a copy or move has come: after each finished chunk, `transferred` of the
// file's `fileSize` bytes. The file system tells it and knows nothing of who listens.
class ChunkListener
{
public:
    virtual void ChunkDone(uint64_t fileSize, uint64_t transferred) = 0;

protected:
    ~ChunkListener() = default;
};

// The platform's file attribute bits the commands look at.
namespace FileAttribute {
constexpr uint32_t ReadOnly = 0x1;
constexpr uint32_t Hidden = 0x2;
constexpr uint32_t System = 0x4;
constexpr uint32_t Directory = 0x10;
constexpr uint32_t Archive = 0x20;
constexpr uint32_t Normal = 0x80;
constexpr uint32_t Temporary = 0x100;
// A link: a junction or symbolic link (with Directory, to a folder). Listings give it only
// for links; reparse points that hold data (deduplicated, compressed or cloud files) read as
// the plain files and folders they are.
constexpr uint32_t ReparsePoint = 0x400;
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

// Who a file or folder is, however a path names it: the platform's volume and file numbers.
struct FileIdentity
{
    uint64_t volume = 0;
    uint64_t high = 0;
    uint64_t low = 0;
    bool operator==(const FileIdentity& other) const
    {
        return volume == other.volume && high == other.high && low == other.low;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// Links: no call below writes, removes or changes attributes through a link at the end of the
// path it is given. Where the platform cannot act on the link itself without reaching what it
// leads to, the call leaves it alone and fails, and FailureReason says so.
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
    // Sets the attributes of the file or folder itself; false for a link.
    virtual bool SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
    // Deletes one file; fails on a folder. A file link loses only the link.
    virtual bool RemoveFile(const std::wstring& path) = 0;
    // Removes one empty folder, or a folder link itself.
    virtual bool RemoveFolder(const std::wstring& path) = 0;
    // Creates the folder and every missing folder above it. True only when the folder did not
    // exist before and exists now.
    virtual bool CreateFolderTree(const std::wstring& path) = 0;
    // Copies one file over whatever file is at `to`, telling `listener` (when given) of each
    // chunk. A link at `to` is replaced itself: its target is never written.
    virtual bool CopyOneFile(const std::wstring& from, const std::wstring& to, ChunkListener* listener) = 0;
    // Moves one file or folder (a rename on one volume); flags from MoveFlag. A link at `to`
    // is replaced itself, and a link at `from` moves as the link or not at all. What moves
    // takes the permissions of its new folder, as a copy does, not those of its old one.
    // A move that has to copy tells `listener` of each chunk.
    virtual bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                             ChunkListener* listener) = 0;
    // The identity of what `path` names, links followed; false when nothing is there.
    virtual bool Identify(const std::wstring& path, FileIdentity& identity) = 0;
    // The path of what `path` names as the platform finally resolves it (links, drive aliases
    // and short names followed, names as stored on disk); empty when nothing is there.
    virtual std::wstring FinalPath(const std::wstring& path) = 0;
    // Whether two names are one name to the file system: letter case folded by its own rules,
    // beyond ASCII ("Données" and "DONNÉES").
    virtual bool SameName(std::wstring_view a, std::wstring_view b) = 0;
    // The absolute, normal form of `path` as the platform resolves it (relative paths against
    // the current folder); empty when it cannot be formed.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
    // Holds `path` when it is a plain folder (not a file, not a folder link); null otherwise.
    virtual std::unique_ptr<FolderHold> HoldFolder(const std::wstring& path) = 0;
    // The same, making the folder first where it is missing (its parent must be there);
    // `created` says whether this call made it. A folder made and held in one step needs no
    // check: nothing can have replaced it in between.
    virtual std::unique_ptr<FolderHold> MakeAndHoldFolder(const std::wstring& path, bool& created)
    {
        created = CreateFolderTree(path);
        return HoldFolder(path);
    }
    // Why the last call that failed on this thread failed, as the system says it; asked right
    // after the failure. Empty when the file system cannot say.
    virtual std::wstring FailureReason() { return std::wstring(); }
    // Called before each folder command: what the file system remembers of folders it has
    // seen (their final paths) is forgotten, since between commands they may have changed.
    virtual void BeginCommand() {}

    // Whether both paths exist and name the same file or folder, however they are spelled.
    bool SameObject(const std::wstring& a, const std::wstring& b)
    {
        FileIdentity first, second;
        return Identify(a, first) && Identify(b, second) && first == second;
    }
};
