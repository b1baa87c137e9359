// An in-memory file system for the folder commands' tests: drives as volumes, folders, files
// with contents and attributes, folder links (folder + reparse-point bits, leading
// elsewhere), files held open by someone else, and single operations made to fail. It keeps the
// platform's rules the commands depend on: names compare without ASCII case, a read-only or
// held file cannot be deleted or replaced, a rename on one volume takes a folder's content
// along, across volumes only files move (copy, then delete the source), and removing a folder
// link removes the link, not its target. Its calls may come from several threads (the folder
// commands' copy threads): one lock serialises them; set it up before a command runs.
#pragma once

#include "commands/FileSystem.h"

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

class FakeFileSystem : public FileSystem
{
public:
    enum class Operation { Copy, Move };

    // Building a tree from absolute paths ("C:\x"); missing folders above are created.
    void AddFolder(const std::wstring& path, uint32_t attributes = FileAttribute::Directory);
    void AddFile(const std::wstring& path, const std::string& content = std::string(),
                 uint32_t attributes = FileAttribute::Archive);
    void AddFolderLink(const std::wstring& path, const std::wstring& target);
    // Held open without delete sharing: readable, but not deleted, moved, replaced, nor its
    // folders renamed.
    void Lock(const std::wstring& path);
    // `operation` fails whenever it names `path` (as written, before links are followed).
    void Fail(Operation operation, const std::wstring& path) { failures.insert({operation, PlainKey(path)}); }
    // Runs `action` once, just before the call logged as `call` (e.g. "RemoveFile C:\x") takes
    // place: what another program does to the tree while a command runs.
    void BeforeCall(const std::wstring& call, std::function<void()> action) { triggers[call] = std::move(action); }
    // Takes `path` and everything beneath it away, as another program would.
    void Erase(const std::wstring& path);
    void SetCurrentFolder(const std::wstring& path) { currentFolder = path; } // for relative paths
    void ListInReverse(bool reverse) { reverseListing = reverse; }          // results must not care

    // Inspection; the last component is not followed when it is a link.
    bool Exists(const std::wstring& path) const;
    std::string Content(const std::wstring& path) const;
    uint32_t Attributes(const std::wstring& path) const; // Unknown when missing
    // Everything under `root` relative to it, sorted; folders end with "\"; links not entered.
    std::vector<std::wstring> Tree(const std::wstring& root) const;

    std::vector<std::wstring> calls;              // every call, e.g. "Copy C:\a -> D:\a"
    std::vector<std::wstring> ChangingCalls() const; // all but Enumerate and HoldFolder
    int HeldFolders() const { return heldFolders; }

    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    bool RemoveFile(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    bool CreateFolderTree(const std::wstring& path) override;
    bool CopyOneFile(const std::wstring& from, const std::wstring& to, InstallProgress* progress) override;
    bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                     InstallProgress* progress) override;
    bool SameObject(const std::wstring& a, const std::wstring& b) override;
    std::wstring FullPath(const std::wstring& path) override;
    std::unique_ptr<FolderHold> HoldFolder(const std::wstring& path) override;

private:
    class Hold;
    struct Node
    {
        Node(std::wstring name = {}, uint32_t attributes = 0, std::string content = {})
            : name(std::move(name)), attributes(attributes), content(std::move(content)) {}
        std::wstring name; // as created
        uint32_t attributes;
        std::string content;
        std::wstring linkTarget; // key of the target folder, for folder links
        bool locked = false;
        int holds = 0; // a held folder is neither renamed nor removed
        bool IsFolder() const { return (attributes & FileAttribute::Directory) != 0; }
        bool IsLink() const { return !linkTarget.empty(); }
        bool Pinned() const { return locked || (attributes & FileAttribute::ReadOnly); }
        bool InUse() const { return locked || holds > 0; }
    };
    using Nodes = std::map<std::wstring, Node>;

    // Components ("." dropped, ".." applied; relative paths from the current folder).
    bool Split(const std::wstring& path, std::vector<std::wstring>& parts) const;
    std::wstring PlainKey(const std::wstring& path) const; // no links followed
    bool Resolve(const std::wstring& path, bool followLast, std::wstring& key) const;
    // The key a new entry `to` would get, its parent folder resolved; empty when there is none.
    std::wstring NewKey(const std::wstring& to, std::wstring& name) const;
    bool Failing(Operation operation, const std::wstring& path) const;
    std::wstring EnsureFolders(const std::vector<std::wstring>& parts, size_t count, bool* createdLast = nullptr);
    void AddNode(const std::wstring& path, Node node);
    std::pair<Nodes::const_iterator, Nodes::const_iterator> Under(const std::wstring& key) const; // strictly below
    bool Arrive(const Node& source, const std::wstring& key, const std::wstring& name, InstallProgress* progress);
    std::wstring DisplayPath(const std::wstring& key) const;
    void Log(std::wstring call);

    Nodes nodes; // key: lower-case path, components joined by "\"
    std::set<std::pair<Operation, std::wstring>> failures;
    bool reverseListing = false;
    std::wstring currentFolder;
    std::map<std::wstring, std::function<void()>> triggers;
    int heldFolders = 0;
    // Taken by every public call; recursive, as an action run before a call makes calls itself.
    mutable std::recursive_mutex mutex;
};
