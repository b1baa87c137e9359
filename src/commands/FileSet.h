// FileSet: the ordered list of files and folders under a source folder that the folder
// commands work through. `Scan` walks a folder tree over the FileSystem interface; `Insert`
// keeps the list in one of five orders. The walk collects what it finds and puts it in order
// once at the end, with the same result as inserting every entry one by one.
#pragma once

#include "commands/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FileEntry
{
    std::wstring path;                              // folder text it was found under + reported name
    uint32_t attributes = FileAttribute::Unknown;   // a fresh entry counts as a folder
    uint64_t size = 0;                              // 0 for folders

    bool IsFolder() const { return (attributes & FileAttribute::Directory) != 0; }
    // A junction or folder symbolic link: the walks never go through one.
    bool IsFolderLink() const;
    // A link of either kind (the reparse-point bit as the listing gives it for links).
    bool IsLink() const;
    // Everything up to and including the last `\` or `/`; empty without a separator.
    std::wstring GetFolder() const;
    // The part after the last separator.
    std::wstring GetFileName() const;
};

enum class InsertOrder : int
{
    Append = 0, // also every value not listed
    SizeAscending = 2,
    SizeDescending = 3,
    PathAscending = 4,  // 16-bit code units, case-sensitive: "B.txt" before "a.txt"
    PathDescending = 5,
};

// Whether the folder walk found a folder link: it lists the link, never what lies behind it.
bool IsFolderLinkAttributes(uint32_t attributes);

class FileSet
{
public:
    // Places a copy of `entry` as `order` says (equal keys: before the existing equal ones) and
    // returns its position. One insert costs a linear search and a shift.
    size_t Insert(const FileEntry& entry, InsertOrder order);

    // Looks `path` up (a wildcard matches its first hit) and inserts what was found, or a fresh
    // entry when nothing was. A path ending in a separator or a drive root finds nothing.
    size_t AddPath(FileSystem& fileSystem, const std::wstring& path, InsertOrder order);

    // Lists everything under `folder` (which ends with a separator): folders are found with "*"
    // whatever `pattern` says, files must match `pattern`. Folder links are listed but not
    // entered. Returns the number of entries added.
    size_t Scan(FileSystem& fileSystem, const std::wstring& folder, const std::wstring& pattern,
                bool recurse, InsertOrder order, bool includeFolders,
                const std::atomic<int>* stopFlag = nullptr, std::atomic<uint32_t>* foundCounter = nullptr);

    // Drops every entry `unwanted` is true for; the others keep their order.
    template <typename Predicate>
    void EraseIf(Predicate unwanted)
    {
        entries.erase(std::remove_if(entries.begin(), entries.end(), unwanted), entries.end());
    }

    const std::vector<FileEntry>& Entries() const { return entries; }
    size_t Size() const { return entries.size(); }
    const FileEntry& operator[](size_t index) const { return entries[index]; }

private:
    // Puts `batch` into the set as one-by-one inserts in its order would have; `batchInOrder`:
    // the batch is already strictly in `order` (no equal keys).
    void InsertAll(std::vector<FileEntry>&& batch, InsertOrder order, bool batchInOrder);

    std::vector<FileEntry> entries;

    friend class FileSetScanner;
};

// Path order of the sets: 16-bit code units, case-sensitive.
bool PathLess(const std::wstring& a, const std::wstring& b);
