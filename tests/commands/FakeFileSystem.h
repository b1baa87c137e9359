// An in-memory file system for the folder commands' tests. It models drives as volumes,
// folders, files with contents, attributes and 64-bit sizes, folder links (an entry with the
// folder and reparse-point bits that leads elsewhere), files held open by someone else, and
// single operations made to fail. It follows the platform's rules where the commands depend on
// them: names compare without ASCII case, a read-only file cannot be deleted or replaced, a
// folder rename on one volume takes its content along, across volumes only files move (copied,
// then the source deleted), and removing a folder link removes the link, not its target.
#pragma once

#include "commands/FileSystem.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class FakeFileSystem : public FileSystem
{
public:
    enum class Operation { Enumerate, SetAttributes, RemoveFile, RemoveFolder, CreateFolderTree, Copy, Move };

    // Building a tree. Missing folders above are created; paths are absolute ("C:\x").
    void AddFolder(const std::wstring& path, uint32_t attributes = FileAttribute::Directory);
    void AddFile(const std::wstring& path, const std::string& content = std::string(),
                 uint32_t attributes = FileAttribute::Archive);
    // A file whose size is given without its content (large files).
    void AddSizedFile(const std::wstring& path, uint64_t size, uint32_t attributes = FileAttribute::Archive);
    // A junction or folder symbolic link at `path` leading to the folder `target`.
    void AddFolderLink(const std::wstring& path, const std::wstring& target);

    // Held open by another program without delete sharing: it cannot be deleted, moved or
    // replaced, and neither can a folder holding it be renamed. It can still be read.
    void Lock(const std::wstring& path);
    // `operation` fails whenever it names `path` (as written, before links are followed).
    void Fail(Operation operation, const std::wstring& path);
    // Where relative paths lead (none by default: they name nothing).
    void SetCurrentFolder(const std::wstring& path) { currentFolder = path; }
    // Lists folders in the reverse of their name order, to show results do not depend on it.
    void ListInReverse(bool reverse) { reverseListing = reverse; }

    // Inspection; links are not followed for the last component.
    bool Exists(const std::wstring& path) const;
    bool IsFolder(const std::wstring& path) const;
    std::string Content(const std::wstring& path) const;
    uint32_t Attributes(const std::wstring& path) const; // Unknown when missing
    // Everything under `root` relative to it, as reported names, sorted; folders end with "\".
    // Folder links are listed but not entered.
    std::vector<std::wstring> Tree(const std::wstring& root) const;

    // Every call made through the FileSystem interface, e.g. "Copy C:\a -> D:\a".
    std::vector<std::wstring> calls;
    // Calls that change something (everything but Enumerate).
    std::vector<std::wstring> ChangingCalls() const;

    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    bool RemoveFile(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    bool CreateFolderTree(const std::wstring& path) override;
    bool CopyOneFile(const std::wstring& from, const std::wstring& to, InstallProgress* progress) override;
    bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                     InstallProgress* progress) override;
    bool SameObject(const std::wstring& a, const std::wstring& b) override;

private:
    struct Node
    {
        std::wstring name; // as created
        uint32_t attributes = 0;
        std::string content;
        uint64_t size = 0;
        std::wstring linkTarget; // key of the target folder, for folder links
        bool locked = false;
        bool IsFolder() const { return (attributes & FileAttribute::Directory) != 0; }
        bool IsLink() const { return !linkTarget.empty(); }
    };

    // Components of a path ("." dropped, ".." applied); a relative path is taken from the
    // current folder; false when there is none.
    bool Split(const std::wstring& path, std::vector<std::wstring>& parts) const;
    static std::wstring Fold(const std::wstring& text);
    // The key of the node `path` names, following links (the last one only when asked).
    bool Resolve(const std::wstring& path, bool followLast, std::wstring& key) const;
    bool Failing(Operation operation, const std::wstring& path) const;
    std::wstring EnsureFolders(const std::vector<std::wstring>& parts, size_t count, bool& createdLast);
    bool HasChildren(const std::wstring& key) const;
    bool AnyLockedWithin(const std::wstring& key) const;
    void Report(InstallProgress* progress, uint64_t size) const;
    void Log(const std::wstring& text) { calls.push_back(text); }
    std::wstring DisplayPath(const std::wstring& key) const;

    std::map<std::wstring, Node> nodes; // key: lower-case path, components joined by "\"
    std::set<std::pair<Operation, std::wstring>> failures;
    bool reverseListing = false;
    std::wstring currentFolder;
};
