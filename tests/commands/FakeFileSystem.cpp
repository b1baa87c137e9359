#include "commands/FakeFileSystem.h"

#include "commands/FolderPaths.h"
#include "xml/AsciiText.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Letter case as the platform compares names: both upper-cased, here for the letters of Latin-1,
// Latin Extended-A, modern Greek and Cyrillic (ASCII letters folded to lower case, as the keys
// hold them). FileSystemContractWin32Test holds this to the platform's answers.
wchar_t FoldLetter(wchar_t c)
{
    struct Run { wchar_t first, last; int delta, step; }; // upper(c) = c + delta in [first, last] by step
    static const Run runs[] = {
        {0x00E0, 0x00F6, -32, 1}, {0x00F8, 0x00FE, -32, 1}, {0x00FF, 0x00FF, 121, 1},  {0x0101, 0x012F, -1, 2},
        {0x0133, 0x0137, -1, 2},  {0x013A, 0x0148, -1, 2},  {0x014B, 0x0177, -1, 2},   {0x017A, 0x017E, -1, 2},
        {0x03AC, 0x03AC, -38, 1}, {0x03AD, 0x03AF, -37, 1}, {0x03B1, 0x03C1, -32, 1},  {0x03C3, 0x03CB, -32, 1},
        {0x03CC, 0x03CC, -64, 1}, {0x03CD, 0x03CE, -63, 1}, {0x0430, 0x044F, -32, 1},  {0x0450, 0x045F, -80, 1},
    };
    for (const Run& run : runs)
        if (c >= run.first && c <= run.last && (c - run.first) % run.step == 0)
            return FoldAscii(static_cast<wchar_t>(c + run.delta));
    return FoldAscii(c);
}

std::wstring Fold(std::wstring text)
{
    for (wchar_t& c : text)
        c = FoldLetter(c);
    return text;
}

// Why a call left a link alone, for FailureReason; one per thread, as the platform's last error.
thread_local std::wstring refusal;
const wchar_t kLink[] = L"a link: its attributes are not changed";
const wchar_t kHiddenLink[] = L"a link that cannot be changed here without reaching what it leads to: left alone";

// The wildcards the walks use, without case: "*", "*.*" (every name), "*suffix" and "prefix*".
bool Matches(const std::wstring& pattern, const std::wstring& name)
{
    const std::wstring p = Fold(pattern), n = Fold(name);
    const size_t fixed = p.size() - 1;
    if (p == L"*" || p == L"*.*")
        return true;
    if (p.front() == L'*')
        return n.size() >= fixed && n.compare(n.size() - fixed, fixed, p, 1, fixed) == 0;
    if (p.back() == L'*')
        return n.compare(0, fixed, p, 0, fixed) == 0;
    return n == p;
}

std::wstring Join(const std::wstring& parent, const std::wstring& part)
{
    return parent + L"\\" + Fold(part);
}

// A copy's chunks as the platform tells them: two finished halves.
void ReportCopy(ChunkListener* listener, uint64_t size)
{
    if (listener == nullptr)
        return;
    listener->ChunkDone(size, size / 2);
    listener->ChunkDone(size, size);
}

} // namespace

bool FakeFileSystem::Split(const std::wstring& path, std::vector<std::wstring>& parts) const
{
    parts.clear();
    if (IsExtendedPath(path)) {
        // Exactly as written: only "\\" separates, and "." or ".." is no name at all.
        for (size_t start = 4; start <= path.size();) {
            size_t end = path.find(L'\\', start);
            if (end == std::wstring::npos)
                end = path.size();
            const std::wstring part = path.substr(start, end - start);
            if (part == L"." || part == L".." || (part.empty() && end < path.size()))
                return false;
            if (!part.empty())
                parts.push_back(part);
            start = end + 1;
        }
        return !parts.empty() && parts[0].size() == 2 && parts[0][1] == L':';
    }
    if (path.compare(0, 4, L"\\\\.\\") == 0)
        return Split(path.substr(4), parts);
    const bool relative = !path.empty() && !IsSeparator(path[0]) && !(path.size() >= 2 && path[1] == L':');
    if (relative && !currentFolder.empty())
        return Split(currentFolder + L"\\" + path, parts);
    std::wstring part;
    const auto flush = [&]() {
        if (parts.empty()) {
            if (part.empty() && !path.empty() && IsSeparator(path[0]))
                part = L"C:"; // "\x" is x on the current drive
            if (part.size() != 2 || part[1] != L':' || FoldAscii(part[0]) < L'a' || FoldAscii(part[0]) > L'z')
                return false;
            parts.push_back(part);
        } else if (part == L"..") {
            if (parts.size() > 1)
                parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        part.clear();
        return true;
    };
    for (wchar_t c : path) {
        if (!IsSeparator(c))
            part.push_back(c);
        else if (!flush())
            return false;
    }
    return flush();
}

std::wstring FakeFileSystem::DriveKey(const std::wstring& drive) const
{
    const std::wstring key = Fold(drive);
    const auto alias = driveAliases.find(key);
    return alias == driveAliases.end() ? key : alias->second;
}

std::wstring FakeFileSystem::PlainKey(const std::wstring& path) const
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts))
        return std::wstring();
    std::wstring key = DriveKey(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i)
        key = Join(key, parts[i]);
    return key;
}

bool FakeFileSystem::Resolve(const std::wstring& path, bool followLast, std::wstring& key) const
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts) || nodes.count(key = DriveKey(parts[0])) == 0)
        return false;
    for (size_t i = 1; i < parts.size(); ++i) {
        const auto found = nodes.find(Join(key, parts[i]));
        if (found == nodes.end())
            return false;
        const bool follow = found->second.IsLink() && (i + 1 < parts.size() || followLast);
        key = follow ? found->second.linkTarget : found->first;
        if (nodes.count(key) == 0)
            return false;
    }
    return true;
}

std::wstring FakeFileSystem::NewKey(const std::wstring& to, std::wstring& name) const
{
    std::vector<std::wstring> parts;
    std::wstring parent;
    if (!Split(to, parts) || parts.size() < 2 || !Resolve(to.substr(0, to.find_last_of(L"\\/") + 1), true, parent) ||
        !nodes.at(parent).IsFolder())
        return std::wstring();
    name = parts.back();
    return Join(parent, name);
}

bool FakeFileSystem::Failing(Operation operation, const std::wstring& path) const
{
    return failures.count({operation, PlainKey(path)}) != 0;
}

std::wstring FakeFileSystem::EnsureFolders(const std::vector<std::wstring>& parts, size_t count, bool* createdLast)
{
    std::wstring key = DriveKey(parts[0]);
    if (nodes.count(key) == 0) {
        nodes.emplace(key, Node{parts[0], FileAttribute::Directory});
        nodes.at(key).id = ++lastId;
    }
    for (size_t i = 1; i < count; ++i) {
        const std::wstring next = Join(key, parts[i]);
        const auto found = nodes.find(next);
        if (found == nodes.end()) {
            nodes[next] = Node{parts[i], FileAttribute::Directory};
            nodes[next].id = ++lastId;
            if (createdLast != nullptr)
                *createdLast = (i + 1 == count);
        } else if (!found->second.IsFolder()) {
            return std::wstring(); // a file is in the way
        }
        key = (found != nodes.end() && found->second.IsLink()) ? found->second.linkTarget : next;
    }
    return key;
}

void FakeFileSystem::AddNode(const std::wstring& path, Node node)
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts) || parts.size() < 2)
        throw std::invalid_argument("not an absolute path below a drive");
    const std::wstring parent = EnsureFolders(parts, parts.size() - 1);
    if (parent.empty())
        throw std::invalid_argument("a file is in the way");
    node.name = parts.back();
    node.id = ++lastId;
    nodes[Join(parent, parts.back())] = node;
}

void FakeFileSystem::AddFolder(const std::wstring& path, uint32_t attributes)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::vector<std::wstring> parts;
    if (!Split(path, parts))
        throw std::invalid_argument("not an absolute path");
    nodes.at(EnsureFolders(parts, parts.size())).attributes = attributes | FileAttribute::Directory;
}

void FakeFileSystem::AddFile(const std::wstring& path, const std::string& content, uint32_t attributes)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    AddNode(path, Node{L"", attributes & ~FileAttribute::Directory, content});
}

void FakeFileSystem::AddFolderLink(const std::wstring& path, const std::wstring& target)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Node link{L"", FileAttribute::Directory | FileAttribute::ReparsePoint};
    if (!Resolve(target, true, link.linkTarget))
        throw std::invalid_argument("link target missing");
    AddNode(path, link);
}

void FakeFileSystem::AddFileLink(const std::wstring& path, const std::wstring& target)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Node link{L"", FileAttribute::Archive | FileAttribute::ReparsePoint};
    if (!Resolve(target, true, link.linkTarget) || nodes.at(link.linkTarget).IsFolder())
        throw std::invalid_argument("link target missing or not a file");
    AddNode(path, link);
}

void FakeFileSystem::AddDriveAlias(const std::wstring& drive, const std::wstring& folder)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::wstring key;
    if (!Resolve(folder, true, key) || !nodes.at(key).IsFolder())
        throw std::invalid_argument("alias target missing");
    driveAliases[Fold(drive)] = key;
}

void FakeFileSystem::Lock(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::wstring key;
    if (!Resolve(path, false, key))
        throw std::invalid_argument("nothing to lock");
    nodes.at(key).locked = true;
}

bool FakeFileSystem::Exists(const std::wstring& path) const
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::wstring key;
    return Resolve(path, false, key);
}

std::string FakeFileSystem::Content(const std::wstring& path) const
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::wstring key;
    return Resolve(path, true, key) ? nodes.at(key).content : std::string("<missing>");
}

uint32_t FakeFileSystem::Attributes(const std::wstring& path) const
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::wstring key;
    return Resolve(path, false, key) ? nodes.at(key).attributes : FileAttribute::Unknown;
}

// Keys below "k\" sort between "k\" and "k]" (']' follows '\').
std::pair<FakeFileSystem::Nodes::const_iterator, FakeFileSystem::Nodes::const_iterator>
FakeFileSystem::Under(const std::wstring& key) const
{
    return {nodes.lower_bound(key + L"\\"), nodes.lower_bound(key + L"]")};
}

std::wstring FakeFileSystem::DisplayPath(const std::wstring& key) const
{
    std::wstring display;
    for (size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
        display += (display.empty() ? L"" : L"\\") + nodes.at(key.substr(0, end)).name;
        if (end == std::wstring::npos)
            return display;
    }
}

std::vector<std::wstring> FakeFileSystem::Tree(const std::wstring& root) const
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::vector<std::wstring> listed;
    std::wstring rootKey;
    if (!Resolve(root, true, rootKey))
        return listed;
    const size_t rootLength = DisplayPath(rootKey).size() + 1;
    for (auto [it, end] = Under(rootKey); it != end; ++it)
        listed.push_back(DisplayPath(it->first).substr(rootLength) + (it->second.IsFolder() ? L"\\" : L""));
    std::sort(listed.begin(), listed.end());
    return listed;
}

std::vector<std::wstring> FakeFileSystem::ChangingCalls() const
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::vector<std::wstring> changing;
    for (const std::wstring& call : calls)
        if (call.compare(0, 10, L"Enumerate ") != 0 && call.compare(0, 11, L"HoldFolder ") != 0 &&
            call.compare(0, 9, L"Identify ") != 0 && call.compare(0, 10, L"FinalPath ") != 0)
            changing.push_back(call);
    return changing;
}

void FakeFileSystem::Log(std::wstring call)
{
    const auto trigger = triggers.find(call);
    calls.push_back(std::move(call));
    if (trigger != triggers.end()) {
        const std::function<void()> action = std::move(trigger->second);
        triggers.erase(trigger);
        action();
    }
}

void FakeFileSystem::Erase(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    std::wstring key;
    if (!Resolve(path, false, key))
        throw std::invalid_argument("nothing to erase");
    const auto [first, end] = Under(key);
    nodes.erase(first, end);
    nodes.erase(key);
}

bool FakeFileSystem::Enumerate(const std::wstring& pattern, const Visitor& visit)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"Enumerate " + pattern);
    const size_t cut = pattern.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut + 1 == pattern.size())
        return false; // a trailing separator or a bare drive names no entry
    const std::wstring last = pattern.substr(cut + 1);
    const std::wstring folderPath = pattern.substr(0, cut + 1);
    std::wstring key;
    if (last.find_first_of(L"*?") == std::wstring::npos) {
        if (!Resolve(pattern, false, key) || key.size() <= 2)
            return false;
        const Node& node = nodes.at(key);
        const Node& shown = Shown(node);
        visit({node.name, shown.attributes, shown.IsFolder() ? 0 : shown.content.size()});
        return true;
    }
    if (!Resolve(folderPath, true, key) || !nodes.at(key).IsFolder())
        return false;
    std::vector<const Node*> listed;
    for (auto [it, end] = Under(key); it != end; ++it)
        if (it->first.find(L'\\', key.size() + 1) == std::wstring::npos && Matches(last, it->second.name))
            listed.push_back(&it->second);
    if (reverseListing)
        std::reverse(listed.begin(), listed.end());
    if (key.size() > 2 && Matches(last, L".") &&
        (!visit({L".", FileAttribute::Directory, 0}) || !visit({L"..", FileAttribute::Directory, 0})))
        return true;
    for (const Node* node : listed) {
        const Node& shown = Shown(*node);
        if (!visit({node->name, shown.attributes, shown.IsFolder() ? 0 : shown.content.size()}))
            break;
    }
    return true;
}

bool FakeFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"SetAttributes " + path);
    std::wstring key;
    if (!Resolve(path, false, key) || key.size() <= 2 || !MayChange(key))
        return false;
    if (nodes.at(key).IsLink()) {
        refusal = kLink;
        return false;
    }
    Node& node = nodes.at(key);
    uint32_t value = attributes & ~(FileAttribute::Directory | FileAttribute::ReparsePoint);
    if (node.IsFolder())
        value = (value & ~FileAttribute::Normal) | FileAttribute::Directory;
    node.attributes = value == 0 ? FileAttribute::Normal : value;
    return true;
}

bool FakeFileSystem::RemoveFile(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"RemoveFile " + path);
    std::wstring key;
    if (!Resolve(path, false, key) || nodes.at(key).IsFolder() || !MayChange(key) ||
        (!nodes.at(key).IsLink() && nodes.at(key).Pinned()))
        return false;
    nodes.erase(key);
    return true;
}

bool FakeFileSystem::RemoveFolder(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"RemoveFolder " + path);
    std::wstring key;
    if (!Resolve(path, false, key) || key.size() <= 2)
        return false;
    const Node& node = nodes.at(key);
    const auto [first, end] = Under(key);
    if (!node.IsFolder() || (node.attributes & FileAttribute::ReadOnly) || node.holds > 0 ||
        (!node.IsLink() && first != end))
        return false;
    nodes.erase(key); // a link goes alone; its target is another node
    return true;
}

bool FakeFileSystem::CreateFolderTree(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"CreateFolderTree " + path);
    std::vector<std::wstring> parts;
    bool created = false;
    if (!Split(path, parts) || parts.size() < 2)
        return false;
    EnsureFolders(parts, parts.size(), &created);
    return created;
}

bool FakeFileSystem::Arrive(const Node& source, const std::wstring& key, const std::wstring& name,
                            ChunkListener* listener)
{
    Node copy = source;
    copy.name = name;
    copy.id = ++lastId;
    copy.locked = false;
    copy.attributes = (source.attributes | FileAttribute::Archive) & ~FileAttribute::Normal;
    ReportCopy(listener, source.content.size());
    nodes[key] = copy;
    return true;
}

bool FakeFileSystem::CopyOneFile(const std::wstring& from, const std::wstring& to, ChunkListener* listener)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"Copy " + from + L" -> " + to);
    std::wstring sourceKey, name, key;
    if (Failing(Operation::Copy, from) || Failing(Operation::Copy, to) || !Resolve(from, true, sourceKey) ||
        (key = NewKey(to, name)).empty() || nodes.at(sourceKey).IsFolder())
        return false;
    const auto existing = nodes.find(key);
    if (existing != nodes.end()) {
        // A link there is replaced itself; a folder or a pinned file is not replaced.
        if (existing->second.IsFolder() || !MayChange(key) ||
            (!existing->second.IsLink() && existing->second.Pinned()))
            return false;
        name = existing->second.name;
    }
    return Arrive(nodes.at(sourceKey), key, name, listener);
}

bool FakeFileSystem::MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                                 ChunkListener* listener)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"Move " + from + L" -> " + to);
    std::wstring sourceKey, name, key;
    if (Failing(Operation::Move, from) || Failing(Operation::Move, to) || !Resolve(from, false, sourceKey) ||
        sourceKey.size() <= 2 || (key = NewKey(to, name)).empty() || key == sourceKey)
        return false;
    const Node source = nodes.at(sourceKey);
    if (!MayChange(sourceKey))
        return false;
    if (source.IsFolder() && !source.IsLink() && key.compare(0, sourceKey.size() + 1, sourceKey + L"\\") == 0)
        return false; // into itself
    const auto existing = nodes.find(key);
    if (existing != nodes.end() &&
        (!(flags & MoveFlag::ReplaceExisting) || existing->second.IsFolder() || source.IsFolder() ||
         !MayChange(key) || (!existing->second.IsLink() && existing->second.Pinned())))
        return false;
    auto [first, end] = Under(sourceKey);
    if (sourceKey.substr(0, 2) == key.substr(0, 2)) {
        // A rename; an open file keeps itself and the folders above it from being renamed.
        if (source.InUse() || std::any_of(first, end, [](const auto& entry) { return entry.second.InUse(); }))
            return false;
        std::vector<std::pair<std::wstring, Node>> moved;
        for (auto it = first; it != end; ++it)
            moved.emplace_back(key + it->first.substr(sourceKey.size()), it->second);
        nodes.erase(first, end);
        nodes.erase(sourceKey);
        nodes[key] = source;
        nodes[key].name = name;
        nodes.insert(moved.begin(), moved.end());
        return true;
    }
    // Another volume: only a file moves, as a copy followed by deleting the source. The source
    // is opened for deletion first, so a file held open is not even copied; a link cannot go.
    if (source.IsFolder() || source.IsLink() || source.locked || !(flags & MoveFlag::CopyAllowed))
        return false;
    Arrive(source, key, name, listener);
    if (source.Pinned())
        return false; // the copy arrived, the source stays beside it
    nodes.erase(sourceKey);
    return true;
}

bool FakeFileSystem::Identify(const std::wstring& path, FileIdentity& identity)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"Identify " + path);
    std::wstring key;
    if (!Resolve(path, true, key))
        return false;
    identity = FileIdentity{0, 0, nodes.at(key).id};
    return true;
}

std::wstring FakeFileSystem::FinalPath(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"FinalPath " + path);
    std::wstring key;
    if (!Resolve(path, true, key))
        return std::wstring();
    return key.size() <= 2 ? DisplayPath(key) + L"\\" : DisplayPath(key);
}

bool FakeFileSystem::SameName(std::wstring_view a, std::wstring_view b)
{
    return Fold(std::wstring(a)) == Fold(std::wstring(b));
}

std::wstring FakeFileSystem::FailureReason()
{
    return refusal;
}

bool FakeFileSystem::MayChange(const std::wstring& key)
{
    refusal.clear();
    const Node& node = nodes.at(key);
    if (hideFileLinks && node.IsLink() && !node.IsFolder()) {
        refusal = kHiddenLink;
        return false;
    }
    return true;
}

const FakeFileSystem::Node& FakeFileSystem::Shown(const Node& node) const
{
    if (hideFileLinks && node.IsLink() && !node.IsFolder())
        return nodes.at(node.linkTarget);
    return node;
}

std::wstring FakeFileSystem::FullPath(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    return NormalizePath(path, currentFolder);
}

class FakeFileSystem::Hold : public FolderHold
{
public:
    Hold(FakeFileSystem& fileSystem, std::wstring key) : fileSystem(fileSystem), key(std::move(key))
    {
        ++fileSystem.nodes.at(this->key).holds;
        ++fileSystem.heldFolders;
    }
    ~Hold() override
    {
        const std::lock_guard<std::recursive_mutex> guard(fileSystem.mutex);
        --fileSystem.nodes.at(key).holds;
        --fileSystem.heldFolders;
    }

private:
    FakeFileSystem& fileSystem;
    const std::wstring key;
};

std::unique_ptr<FolderHold> FakeFileSystem::HoldFolder(const std::wstring& path)
{
    const std::lock_guard<std::recursive_mutex> guard(mutex);
    Log(L"HoldFolder " + path);
    std::wstring key;
    if (!Resolve(path, false, key) || !nodes.at(key).IsFolder() || nodes.at(key).IsLink())
        return nullptr;
    return std::make_unique<Hold>(*this, key);
}
