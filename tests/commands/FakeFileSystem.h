// An in-memory file system for the folder commands' tests: drives as volumes, folders, files with
// contents and attributes, folder and file links (reparse-point bit, leading elsewhere), drive
// letters that are aliases of a folder (as subst and mapped drives are), files held open by
// someone else, and single operations made to fail. It keeps the platform's rules the commands
// depend on: names compare without letter case, beyond ASCII as the platform folds them ("é" and
// "É", "ł" and "Ł", Greek, Cyrillic), a read-only or held file cannot be deleted or replaced, a
// rename on one volume takes a folder's content along, across volumes only files move (copy, then
// delete the source), paths in the "\\?\" form are taken exactly as written, and a link is removed
// or replaced itself, never its target. With HideFileLinks it lists file links as the files they
// lead to, as Wine does, and then refuses to act on one at all, as the Win32 file system does
// where it cannot reach the link alone. Its calls may come from several threads (the folder
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
    void AddFileLink(const std::wstring& path, const std::wstring& target);
    // `drive` ("Y:") names the folder `folder` from now on: a second spelling of its content.
    void AddDriveAlias(const std::wstring& drive, const std::wstring& folder);
    // File links listed as the files they lead to, and left alone by every change (see above).
    void HideFileLinks(bool hide) { hideFileLinks = hide; }
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
    std::vector<std::wstring> ChangingCalls() const; // all but Enumerate, HoldFolder, Identify, FinalPath
    int HeldFolders() const { return heldFolders; }

    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    bool RemoveFile(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    bool CreateFolderTree(const std::wstring& path) override;
    bool CopyOneFile(const std::wstring& from, const std::wstring& to, ChunkListener* listener) override;
    bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                     ChunkListener* listener) override;
    bool Identify(const std::wstring& path, FileIdentity& identity) override;
    std::wstring FinalPath(const std::wstring& path) override;
    bool SameName(std::wstring_view a, std::wstring_view b) override;
    std::wstring FullPath(const std::wstring& path) override;
    std::unique_ptr<FolderHold> HoldFolder(const std::wstring& path) override;
    std::wstring FailureReason() override;

private:
    class Hold;
    struct Node
    {
        Node(std::wstring name = {}, uint32_t attributes = 0, std::string content = {})
            : name(std::move(name)), attributes(attributes), content(std::move(content)) {}
        std::wstring name; // as created
        uint32_t attributes;
        std::string content;
        std::wstring linkTarget; // key of the target, for links
        uint64_t id = 0;         // its identity; a rename keeps it, a copy gets a new one
        bool locked = false;
        int holds = 0; // a held folder is neither renamed nor removed
        bool IsFolder() const { return (attributes & FileAttribute::Directory) != 0; }
        bool IsLink() const { return !linkTarget.empty(); }
        bool Pinned() const { return locked || (attributes & FileAttribute::ReadOnly); }
        bool InUse() const { return locked || holds > 0; }
    };
    using Nodes = std::map<std::wstring, Node>;

    // Components ("." dropped, ".." applied; relative paths from the current folder; in the
    // "\\?\" form every name as written). The first is the drive.
    bool Split(const std::wstring& path, std::vector<std::wstring>& parts) const;
    std::wstring DriveKey(const std::wstring& drive) const; // an alias leads to its folder
    // Whether a change may act on the node at `key` itself; sets the reason when not.
    bool MayChange(const std::wstring& key);
    const Node& Shown(const Node& node) const; // as a listing shows it
    std::wstring PlainKey(const std::wstring& path) const; // no links followed
    bool Resolve(const std::wstring& path, bool followLast, std::wstring& key) const;
    // The key a new entry `to` would get, its parent folder resolved; empty when there is none.
    std::wstring NewKey(const std::wstring& to, std::wstring& name) const;
    bool Failing(Operation operation, const std::wstring& path) const;
    std::wstring EnsureFolders(const std::vector<std::wstring>& parts, size_t count, bool* createdLast = nullptr);
    void AddNode(const std::wstring& path, Node node);
    std::pair<Nodes::const_iterator, Nodes::const_iterator> Under(const std::wstring& key) const; // strictly below
    bool Arrive(const Node& source, const std::wstring& key, const std::wstring& name, ChunkListener* listener);
    std::wstring DisplayPath(const std::wstring& key) const;
    void Log(std::wstring call);

    Nodes nodes; // key: case-folded path, components joined by "\"
    std::map<std::wstring, std::wstring> driveAliases; // folded "y:" -> key of its folder
    bool hideFileLinks = false;
    uint64_t lastId = 0;
    std::set<std::pair<Operation, std::wstring>> failures;
    bool reverseListing = false;
    std::wstring currentFolder;
    std::map<std::wstring, std::function<void()>> triggers;
    int heldFolders = 0;
    // Taken by every public call; recursive, as an action run before a call makes calls itself.
    mutable std::recursive_mutex mutex;
};
