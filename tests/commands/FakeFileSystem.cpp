#include "commands/FakeFileSystem.h"

#include "app/InstallState.h"
#include "commands/FolderCommands.h"

#include <algorithm>
#include <stdexcept>

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDrive(const std::wstring& part)
{
    return part.size() == 2 && part[1] == L':' &&
           ((part[0] >= L'A' && part[0] <= L'Z') || (part[0] >= L'a' && part[0] <= L'z'));
}

wchar_t FoldChar(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Wildcard match under the platform's rules: "*" and "?", no case, "*.*" takes every name.
bool Matches(const std::wstring& pattern, const std::wstring& name)
{
    if (pattern == L"*" || pattern == L"*.*")
        return true;
    size_t p = 0, n = 0, star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == L'?' || FoldChar(pattern[p]) == FoldChar(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

std::wstring JoinKey(const std::wstring& parent, const std::wstring& part)
{
    return parent + L"\\" + part;
}

std::wstring Drive(const std::wstring& key)
{
    return key.substr(0, 2);
}

} // namespace

std::wstring FakeFileSystem::Fold(const std::wstring& text)
{
    std::wstring folded(text);
    for (wchar_t& c : folded)
        c = FoldChar(c);
    return folded;
}

bool FakeFileSystem::Split(const std::wstring& path, std::vector<std::wstring>& parts) const
{
    parts.clear();
    const bool relative = !path.empty() && !IsSeparator(path[0]) && !(path.size() >= 2 && path[1] == L':');
    if (relative && !currentFolder.empty())
        return Split(currentFolder + L"\\" + path, parts);
    std::wstring part;
    bool first = true;
    const auto flush = [&]() {
        if (first) {
            first = false;
            if (part.empty() && !path.empty() && IsSeparator(path[0]))
                part = L"C:"; // "\x" is x on the current drive
            if (!IsDrive(part))
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
        if (IsSeparator(c)) {
            if (!flush())
                return false;
        } else {
            part.push_back(c);
        }
    }
    return flush();
}

bool FakeFileSystem::Resolve(const std::wstring& path, bool followLast, std::wstring& key) const
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts))
        return false;
    key = Fold(parts[0]);
    if (nodes.count(key) == 0)
        return false;
    int hops = 0;
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::wstring next = JoinKey(key, Fold(parts[i]));
        const auto found = nodes.find(next);
        if (found == nodes.end())
            return false;
        if (found->second.IsLink() && (i + 1 < parts.size() || followLast)) {
            if (++hops > 40)
                return false; // a link cycle, as the platform gives up on one
            key = found->second.linkTarget;
            if (nodes.count(key) == 0)
                return false;
        } else {
            key = next;
        }
    }
    return true;
}

bool FakeFileSystem::Failing(Operation operation, const std::wstring& path) const
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts))
        return false;
    std::wstring key = Fold(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i)
        key = JoinKey(key, Fold(parts[i]));
    return failures.count({operation, key}) != 0;
}

std::wstring FakeFileSystem::EnsureFolders(const std::vector<std::wstring>& parts, size_t count, bool& createdLast)
{
    createdLast = false;
    std::wstring key = Fold(parts[0]);
    if (nodes.count(key) == 0) {
        Node drive;
        drive.name = parts[0];
        drive.attributes = FileAttribute::Directory;
        nodes[key] = drive;
    }
    for (size_t i = 1; i < count; ++i) {
        const std::wstring next = JoinKey(key, Fold(parts[i]));
        const auto found = nodes.find(next);
        if (found == nodes.end()) {
            Node folder;
            folder.name = parts[i];
            folder.attributes = FileAttribute::Directory;
            nodes[next] = folder;
            key = next;
            createdLast = (i + 1 == count);
        } else if (found->second.IsLink()) {
            key = found->second.linkTarget;
        } else if (!found->second.IsFolder()) {
            return std::wstring(); // a file is in the way
        } else {
            key = next;
        }
    }
    return key;
}

void FakeFileSystem::AddFolder(const std::wstring& path, uint32_t attributes)
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts))
        throw std::invalid_argument("not an absolute path");
    bool created = false;
    const std::wstring key = EnsureFolders(parts, parts.size(), created);
    nodes.at(key).attributes = attributes | FileAttribute::Directory;
}

void FakeFileSystem::AddFile(const std::wstring& path, const std::string& content, uint32_t attributes)
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts) || parts.size() < 2)
        throw std::invalid_argument("not a file path");
    bool created = false;
    const std::wstring parent = EnsureFolders(parts, parts.size() - 1, created);
    Node file;
    file.name = parts.back();
    file.attributes = attributes & ~FileAttribute::Directory;
    file.content = content;
    file.size = content.size();
    nodes[JoinKey(parent, Fold(parts.back()))] = file;
}

void FakeFileSystem::AddSizedFile(const std::wstring& path, uint64_t size, uint32_t attributes)
{
    AddFile(path, std::string(), attributes);
    std::wstring key;
    Resolve(path, false, key);
    nodes.at(key).size = size;
}

void FakeFileSystem::AddFolderLink(const std::wstring& path, const std::wstring& target)
{
    std::wstring targetKey;
    if (!Resolve(target, true, targetKey))
        throw std::invalid_argument("link target missing");
    std::vector<std::wstring> parts;
    if (!Split(path, parts) || parts.size() < 2)
        throw std::invalid_argument("not a link path");
    bool created = false;
    const std::wstring parent = EnsureFolders(parts, parts.size() - 1, created);
    Node link;
    link.name = parts.back();
    link.attributes = FileAttribute::Directory | FileAttribute::ReparsePoint;
    link.linkTarget = targetKey;
    nodes[JoinKey(parent, Fold(parts.back()))] = link;
}

void FakeFileSystem::Lock(const std::wstring& path)
{
    std::wstring key;
    if (!Resolve(path, false, key))
        throw std::invalid_argument("nothing to lock");
    nodes.at(key).locked = true;
}

void FakeFileSystem::Fail(Operation operation, const std::wstring& path)
{
    std::vector<std::wstring> parts;
    if (!Split(path, parts))
        throw std::invalid_argument("not an absolute path");
    std::wstring key = Fold(parts[0]);
    for (size_t i = 1; i < parts.size(); ++i)
        key = JoinKey(key, Fold(parts[i]));
    failures.insert({operation, key});
}

bool FakeFileSystem::Exists(const std::wstring& path) const
{
    std::wstring key;
    return Resolve(path, false, key);
}

bool FakeFileSystem::IsFolder(const std::wstring& path) const
{
    std::wstring key;
    return Resolve(path, false, key) && nodes.at(key).IsFolder();
}

std::string FakeFileSystem::Content(const std::wstring& path) const
{
    std::wstring key;
    return Resolve(path, true, key) ? nodes.at(key).content : std::string("<missing>");
}

uint32_t FakeFileSystem::Attributes(const std::wstring& path) const
{
    std::wstring key;
    return Resolve(path, false, key) ? nodes.at(key).attributes : FileAttribute::Unknown;
}

bool FakeFileSystem::HasChildren(const std::wstring& key) const
{
    const auto first = nodes.lower_bound(key + L"\\");
    return first != nodes.end() && first->first.compare(0, key.size() + 1, key + L"\\") == 0;
}

bool FakeFileSystem::AnyLockedWithin(const std::wstring& key) const
{
    const std::wstring prefix = key + L"\\";
    for (auto it = nodes.lower_bound(prefix); it != nodes.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        if (it->second.locked)
            return true;
    return nodes.at(key).locked;
}

std::wstring FakeFileSystem::DisplayPath(const std::wstring& key) const
{
    std::wstring display;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find(L'\\', start);
        if (end == std::wstring::npos)
            end = key.size();
        if (!display.empty())
            display += L"\\";
        display += nodes.at(key.substr(0, end)).name;
        start = end + 1;
    }
    return display;
}

std::vector<std::wstring> FakeFileSystem::Tree(const std::wstring& root) const
{
    std::vector<std::wstring> listed;
    std::wstring rootKey;
    if (!Resolve(root, true, rootKey))
        return listed;
    const std::wstring prefix = rootKey + L"\\";
    for (auto it = nodes.lower_bound(prefix); it != nodes.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        const std::wstring display = DisplayPath(it->first);
        std::wstring relative = display.substr(DisplayPath(rootKey).size() + 1);
        if (it->second.IsFolder())
            relative += L"\\";
        listed.push_back(relative);
    }
    std::sort(listed.begin(), listed.end());
    return listed;
}

std::vector<std::wstring> FakeFileSystem::ChangingCalls() const
{
    std::vector<std::wstring> changing;
    for (const std::wstring& call : calls)
        if (call.compare(0, 10, L"Enumerate ") != 0)
            changing.push_back(call);
    return changing;
}

void FakeFileSystem::Report(InstallProgress* progress, uint64_t size) const
{
    if (progress == nullptr)
        return;
    CopyProgress(*progress, size, 0, 1); // stream switch: changes nothing
    CopyProgress(*progress, size, size / 2, 0);
    CopyProgress(*progress, size, size, 0);
}

bool FakeFileSystem::Enumerate(const std::wstring& pattern, const Visitor& visit)
{
    Log(L"Enumerate " + pattern);
    const size_t cut = pattern.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut + 1 == pattern.size())
        return false; // a trailing separator or a bare drive names no entry
    const std::wstring last = pattern.substr(cut + 1);
    const std::wstring folderPath = pattern.substr(0, cut + 1);
    if (Failing(Operation::Enumerate, folderPath))
        return false;
    if (last.find_first_of(L"*?") == std::wstring::npos) {
        std::wstring key;
        if (!Resolve(pattern, false, key) || key.size() <= 2)
            return false;
        const Node& node = nodes.at(key);
        visit({node.name, node.attributes, node.IsFolder() ? 0 : node.size});
        return true;
    }
    std::wstring folderKey;
    if (!Resolve(folderPath, true, folderKey) || !nodes.at(folderKey).IsFolder())
        return false;
    std::vector<const Node*> listed;
    const std::wstring prefix = folderKey + L"\\";
    for (auto it = nodes.lower_bound(prefix); it != nodes.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
        if (it->first.find(L'\\', prefix.size()) == std::wstring::npos && Matches(last, it->second.name))
            listed.push_back(&it->second);
    if (reverseListing)
        std::reverse(listed.begin(), listed.end());
    if (folderKey.size() > 2 && Matches(last, L".")) {
        if (!visit({L".", FileAttribute::Directory, 0}) || !visit({L"..", FileAttribute::Directory, 0}))
            return true;
    }
    for (const Node* node : listed)
        if (!visit({node->name, node->attributes, node->IsFolder() ? 0 : node->size}))
            break;
    return true;
}

bool FakeFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes)
{
    Log(L"SetAttributes " + path);
    std::wstring key;
    if (Failing(Operation::SetAttributes, path) || !Resolve(path, true, key) || key.size() <= 2)
        return false;
    Node& node = nodes.at(key);
    uint32_t value = attributes & ~(FileAttribute::Directory | FileAttribute::ReparsePoint);
    if (node.IsFolder()) {
        value = (value & ~FileAttribute::Normal) | FileAttribute::Directory;
    } else if (value == 0) {
        value = FileAttribute::Normal;
    }
    node.attributes = value;
    return true;
}

bool FakeFileSystem::RemoveFile(const std::wstring& path)
{
    Log(L"RemoveFile " + path);
    std::wstring key;
    if (Failing(Operation::RemoveFile, path) || !Resolve(path, false, key))
        return false;
    const Node& node = nodes.at(key);
    if (node.IsFolder() || node.locked || (node.attributes & FileAttribute::ReadOnly))
        return false;
    nodes.erase(key);
    return true;
}

bool FakeFileSystem::RemoveFolder(const std::wstring& path)
{
    Log(L"RemoveFolder " + path);
    std::wstring key;
    if (Failing(Operation::RemoveFolder, path) || !Resolve(path, false, key) || key.size() <= 2)
        return false;
    const Node& node = nodes.at(key);
    if (!node.IsFolder() || (node.attributes & FileAttribute::ReadOnly))
        return false;
    if (!node.IsLink() && HasChildren(key))
        return false;
    nodes.erase(key); // a link goes alone; its target is another node
    return true;
}

bool FakeFileSystem::CreateFolderTree(const std::wstring& path)
{
    Log(L"CreateFolderTree " + path);
    std::vector<std::wstring> parts;
    if (Failing(Operation::CreateFolderTree, path) || !Split(path, parts) || parts.size() < 2)
        return false;
    bool created = false;
    EnsureFolders(parts, parts.size(), created);
    return created;
}

bool FakeFileSystem::CopyOneFile(const std::wstring& from, const std::wstring& to, InstallProgress* progress)
{
    Log(L"Copy " + from + L" -> " + to);
    std::wstring sourceKey;
    std::wstring parentKey;
    std::vector<std::wstring> parts;
    if (Failing(Operation::Copy, from) || Failing(Operation::Copy, to) || !Resolve(from, true, sourceKey) ||
        !Split(to, parts) || parts.size() < 2)
        return false;
    const Node source = nodes.at(sourceKey);
    const size_t cut = to.find_last_of(L"\\/");
    if (source.IsFolder() || !Resolve(to.substr(0, cut + 1), true, parentKey) || !nodes.at(parentKey).IsFolder())
        return false;
    const std::wstring destinationKey = JoinKey(parentKey, Fold(parts.back()));
    Node copy = source;
    copy.name = parts.back();
    copy.locked = false;
    copy.attributes = source.attributes | FileAttribute::Archive;
    copy.attributes &= ~FileAttribute::Normal;
    const auto existing = nodes.find(destinationKey);
    if (existing != nodes.end()) {
        const Node& old = existing->second;
        if (old.IsFolder() || old.locked || (old.attributes & FileAttribute::ReadOnly))
            return false;
        copy.name = old.name;
    }
    Report(progress, source.size);
    nodes[destinationKey] = copy;
    return true;
}

bool FakeFileSystem::MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                                 InstallProgress* progress)
{
    Log(L"Move " + from + L" -> " + to);
    std::wstring sourceKey;
    std::wstring parentKey;
    std::vector<std::wstring> parts;
    if (Failing(Operation::Move, from) || Failing(Operation::Move, to) || !Resolve(from, false, sourceKey) ||
        sourceKey.size() <= 2 || !Split(to, parts) || parts.size() < 2)
        return false;
    const size_t cut = to.find_last_of(L"\\/");
    if (!Resolve(to.substr(0, cut + 1), true, parentKey) || !nodes.at(parentKey).IsFolder())
        return false;
    const std::wstring destinationKey = JoinKey(parentKey, Fold(parts.back()));
    if (destinationKey == sourceKey)
        return false;
    const Node source = nodes.at(sourceKey);
    if (source.IsFolder() && !source.IsLink() &&
        destinationKey.compare(0, sourceKey.size() + 1, sourceKey + L"\\") == 0)
        return false; // into itself
    const auto existing = nodes.find(destinationKey);
    if (existing != nodes.end()) {
        const Node& old = existing->second;
        if (!(flags & MoveFlag::ReplaceExisting) || old.IsFolder() || source.IsFolder() || old.locked ||
            (old.attributes & FileAttribute::ReadOnly))
            return false;
    }
    if (Drive(sourceKey) == Drive(destinationKey)) {
        if (AnyLockedWithin(sourceKey))
            return false; // an open file keeps itself and the folders above it from being renamed
        std::vector<std::pair<std::wstring, Node>> moved;
        const std::wstring prefix = sourceKey + L"\\";
        for (auto it = nodes.lower_bound(prefix); it != nodes.end() && it->first.compare(0, prefix.size(), prefix) == 0;)
        {
            moved.emplace_back(destinationKey + it->first.substr(sourceKey.size()), it->second);
            it = nodes.erase(it);
        }
        Node renamed = source;
        renamed.name = parts.back();
        nodes.erase(sourceKey);
        nodes[destinationKey] = renamed;
        for (auto& entry : moved)
            nodes[entry.first] = entry.second;
        return true;
    }
    // Another volume: only a file moves, as a copy followed by deleting the source.
    if (source.IsFolder() || !(flags & MoveFlag::CopyAllowed))
        return false;
    Node copy = source;
    copy.name = parts.back();
    copy.locked = false;
    copy.attributes = (source.attributes | FileAttribute::Archive) & ~FileAttribute::Normal;
    Report(progress, source.size);
    nodes[destinationKey] = copy;
    if (source.locked || (source.attributes & FileAttribute::ReadOnly))
        return false; // the copy arrived, the source stays beside it
    nodes.erase(sourceKey);
    return true;
}

bool FakeFileSystem::SameObject(const std::wstring& a, const std::wstring& b)
{
    std::wstring first;
    std::wstring second;
    return Resolve(a, false, first) && Resolve(b, false, second) && first == second;
}
