// The file set and its folder walk.
//
// Inserting n entries one by one into an ordered list costs n² moves, which a tree of a
// million files cannot afford. The walk therefore collects entries in the order the inserts
// would have come and puts them in place once. For path order it does not even compare whole
// paths: every path below a folder is that folder's text + a name + (for a subfolder's
// content) "\" + the rest, so sorting each folder's names - a subfolder's content keyed as
// name + "\" - and emitting folder by folder gives exactly the order of a full sort. Where that
// reasoning could fail (two equal names, a name holding "\"), the batch falls back to a
// stable sort of whole paths, and to one-by-one inserts if the set was not in order to begin with.
#include "commands/FileSet.h"

#include "commands/FolderPaths.h"

#include <algorithm>
#include <iterator>
#include <utility>

bool IsFolderLinkAttributes(uint32_t attributes)
{
    const uint32_t link = FileAttribute::Directory | FileAttribute::ReparsePoint;
    return attributes != FileAttribute::Unknown && (attributes & link) == link;
}

bool FileEntry::IsFolderLink() const
{
    return IsFolderLinkAttributes(attributes);
}

bool FileEntry::IsLink() const
{
    return attributes != FileAttribute::Unknown && (attributes & FileAttribute::ReparsePoint) != 0;
}

namespace {

bool IsWholeNameMatch(const std::wstring& pattern)
{
    // Under the platform's rules "*.*" matches every name, with or without a dot.
    return pattern == L"*" || pattern == L"*.*";
}

} // namespace

std::wstring FileEntry::GetFolder() const
{
    return std::wstring(FolderPart(path));
}

std::wstring FileEntry::GetFileName() const
{
    return std::wstring(LastPathPart(path));
}

bool PathLess(const std::wstring& a, const std::wstring& b)
{
    return a.compare(b) < 0;
}

namespace {

// Whether `a` sorts strictly before `b` in one of the four ordered insert modes; Insert puts a
// new entry before the first existing one that does not sort before it.
bool KeyLess(const FileEntry& a, const FileEntry& b, InsertOrder order)
{
    switch (order) {
    case InsertOrder::SizeAscending: return a.size < b.size;
    case InsertOrder::SizeDescending: return a.size > b.size;
    case InsertOrder::PathAscending: return PathLess(a.path, b.path);
    case InsertOrder::PathDescending: return PathLess(b.path, a.path);
    default: return false;
    }
}

bool IsOrdered(InsertOrder order)
{
    return order == InsertOrder::SizeAscending || order == InsertOrder::SizeDescending ||
           order == InsertOrder::PathAscending || order == InsertOrder::PathDescending;
}

} // namespace

size_t FileSet::Insert(const FileEntry& entry, InsertOrder order)
{
    size_t position = entries.size();
    if (IsOrdered(order)) {
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!KeyLess(entries[i], entry, order)) {
                position = i;
                break;
            }
        }
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(position), entry);
    return position;
}

size_t FileSet::AddPath(FileSystem& fileSystem, const std::wstring& path, InsertOrder order)
{
    FileEntry entry;
    fileSystem.Enumerate(path, [&](const FoundFile& found) {
        // "/" separates too: cutting only at "\" would turn C:/src into a relative "src".
        entry.path = FolderPart(path);
        entry.path.append(found.name);
        entry.attributes = found.attributes;
        entry.size = found.size;
        return false; // the first hit is the entry
    });
    return Insert(entry, order);
}

void FileSet::InsertAll(std::vector<FileEntry>&& batch, InsertOrder order, bool batchInOrder)
{
    if (!IsOrdered(order)) {
        entries.insert(entries.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
        return;
    }
    const auto less = [order](const FileEntry& a, const FileEntry& b) { return KeyLess(a, b, order); };
    if (!std::is_sorted(entries.begin(), entries.end(), less)) {
        // Inserts into an unordered list land wherever the linear search stops: replay them.
        for (const FileEntry& entry : batch)
            Insert(entry, order);
        return;
    }
    // A later insert goes before the earlier equal ones: reversed arrival + stable sort keeps
    // that, and a stable merge puts the batch before the set's older equal entries.
    if (!batchInOrder) {
        std::reverse(batch.begin(), batch.end());
        std::stable_sort(batch.begin(), batch.end(), less);
    }
    if (entries.empty()) {
        entries.swap(batch);
        return;
    }
    std::vector<FileEntry> merged;
    merged.reserve(entries.size() + batch.size());
    std::merge(std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()),
               std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()),
               std::back_inserter(merged), less);
    entries.swap(merged);
}

// The folder walk behind FileSet::Scan. Entries are stored once, in `collected`, as they are
// listed; `arrival` records the order in which one-by-one inserts would have come (a folder,
// then its subtree, then the next folder, and a folder's files after all its subfolders), and
// each folder's sorted share of the final order is a run of `tokens`.
class FileSetScanner
{
public:
    FileSetScanner(FileSystem& fileSystem, const std::wstring& pattern, bool recurse, bool includeFolders,
                   const std::atomic<int>* stopFlag, std::atomic<uint32_t>* foundCounter)
        : fileSystem(fileSystem), pattern(pattern), recurse(recurse), includeFolders(includeFolders),
          stopFlag(stopFlag), foundCounter(foundCounter), singlePass(IsWholeNameMatch(pattern))
    {
    }

    // Walks the tree under `folder`; returns the entries added and sets `node` to the folder's
    // sort node. The folders being walked are kept on a stack of their own, not the call
    // stack, so a tree of any depth walks in constant stack space.
    size_t ScanTree(const std::wstring& folder, uint32_t& node);

    // The entries in ascending path order, when the folder-by-folder order can be trusted.
    bool TakeAscending(uint32_t rootNode, std::vector<FileEntry>& sorted)
    {
        if (!structured)
            return false;
        sorted.reserve(collected.size());
        Emit(rootNode, sorted);
        return true;
    }

    // The entries in the order one-by-one inserts would have come.
    std::vector<FileEntry> TakeInArrivalOrder()
    {
        std::vector<FileEntry> batch;
        batch.reserve(arrival.size());
        for (uint32_t index : arrival)
            batch.push_back(std::move(collected[index]));
        return batch;
    }

private:
    struct Token
    {
        uint32_t index; // into `collected`, or a node for a subfolder's content
        bool subtree;
    };
    struct SortItem
    {
        std::wstring_view name;
        Token token;
    };
    struct NodeRange
    {
        size_t first = 0;
        size_t count = 0;
    };
    struct Subfolder
    {
        size_t entry;       // index in `collected`
        uint32_t node = 0;  // its content's sort node, when entered
        bool entered = false;
    };
    // One folder being walked: listed, with its subfolders walked up to `nextSubfolder`.
    struct Frame
    {
        std::wstring folder;
        uint32_t node = 0;
        std::vector<Subfolder> subfolders;
        size_t firstListed = 0;
        size_t lastListed = 0;
        size_t nextSubfolder = 0;
        size_t subfoldersDone = 0;
        size_t added = 0;
        bool stopped = false;
    };

    bool Stopped() const { return stopFlag != nullptr && stopFlag->load(std::memory_order_relaxed) != 0; }
    void Count()
    {
        if (foundCounter != nullptr)
            foundCounter->fetch_add(1, std::memory_order_relaxed);
    }
    void Collect(const std::wstring& folder, const FoundFile& found)
    {
        collected.emplace_back();
        FileEntry& entry = collected.back();
        entry.path.reserve(folder.size() + found.name.size());
        entry.path.append(folder).append(found.name);
        entry.attributes = found.attributes;
        entry.size = found.size;
    }
    void SortNode(uint32_t node, std::vector<SortItem>& items);
    // Lists the folder's names (the folder pass) into a new frame.
    Frame Open(std::wstring folder);
    // The file pass and the folder's share of the final order, once its subfolders are walked.
    void Close(Frame& frame);
    void Emit(uint32_t rootNode, std::vector<FileEntry>& out)
    {
        std::vector<std::pair<size_t, size_t>> open; // token positions still to emit, per node
        const NodeRange root = nodes[rootNode];
        open.emplace_back(root.first, root.first + root.count);
        while (!open.empty()) {
            auto& [next, end] = open.back();
            if (next == end) {
                open.pop_back();
                continue;
            }
            const Token token = tokens[next++];
            if (token.subtree) {
                const NodeRange range = nodes[token.index];
                open.emplace_back(range.first, range.first + range.count);
            } else {
                out.push_back(std::move(collected[token.index]));
            }
        }
    }

    FileSystem& fileSystem;
    const std::wstring& pattern;
    const bool recurse;
    const bool includeFolders;
    const std::atomic<int>* stopFlag;
    std::atomic<uint32_t>* foundCounter;
    const bool singlePass; // the pattern takes every name: one enumeration serves both passes

    std::vector<FileEntry> collected; // as listed; folders that are not included are dropped later
    std::vector<uint32_t> arrival;
    std::vector<NodeRange> nodes;
    std::vector<Token> tokens;
    std::vector<SortItem> scratch;
    bool structured = true;
};

namespace {

bool IsDotName(std::wstring_view name)
{
    return name == L"." || name == L"..";
}

// Compares name (+ "\" when withSeparator) as 16-bit code units.
int CompareKeys(std::wstring_view a, bool aSeparator, std::wstring_view b, bool bSeparator)
{
    const size_t common = std::min(a.size(), b.size());
    const int head = a.substr(0, common).compare(b.substr(0, common));
    if (head != 0)
        return head;
    const auto next = [common](std::wstring_view s, bool separator) -> long {
        if (common < s.size())
            return static_cast<long>(s[common]);
        return separator ? static_cast<long>(L'\\') : -1; // -1: the key ends here
    };
    if (a.size() == b.size())
        return (aSeparator ? 1 : 0) - (bSeparator ? 1 : 0);
    const long x = next(a, aSeparator);
    const long y = next(b, bSeparator);
    if (x != y)
        return x < y ? -1 : 1;
    return 0; // only when a name holds "\": the caller stops trusting the structure
}

} // namespace

void FileSetScanner::SortNode(uint32_t node, std::vector<SortItem>& items)
{
    for (const SortItem& item : items)
        if (item.name.find(L'\\') != std::wstring_view::npos)
            structured = false;
    std::sort(items.begin(), items.end(), [](const SortItem& a, const SortItem& b) {
        return CompareKeys(a.name, a.token.subtree, b.name, b.token.subtree) < 0;
    });
    for (size_t i = 1; i < items.size(); ++i)
        if (CompareKeys(items[i - 1].name, items[i - 1].token.subtree, items[i].name, items[i].token.subtree) == 0)
            structured = false;
    nodes[node].first = tokens.size();
    nodes[node].count = items.size();
    for (const SortItem& item : items)
        tokens.push_back(item.token);
}

FileSetScanner::Frame FileSetScanner::Open(std::wstring folder)
{
    Frame frame;
    frame.folder = std::move(folder);
    frame.node = static_cast<uint32_t>(nodes.size());
    nodes.emplace_back();

    // Folder pass: every subfolder, whatever the pattern; with a pattern that takes every name
    // the same enumeration also yields the files of the file pass.
    frame.firstListed = collected.size();
    struct Listing // one captured pointer keeps std::function from allocating per folder
    {
        FileSetScanner* scanner;
        Frame* frame;
    } listing{this, &frame};
    fileSystem.Enumerate(frame.folder + L"*", [&listing](const FoundFile& found) {
        FileSetScanner& scanner = *listing.scanner;
        Frame& open = *listing.frame;
        if (!IsDotName(found.name)) {
            if (found.attributes & FileAttribute::Directory) {
                open.subfolders.push_back({scanner.collected.size()});
                scanner.Collect(open.folder, found);
            } else if (scanner.singlePass) {
                scanner.Collect(open.folder, found);
            }
        }
        open.stopped = scanner.Stopped();
        return !open.stopped;
    });
    frame.lastListed = collected.size();
    return frame;
}

void FileSetScanner::Close(Frame& frame)
{
    const std::wstring& folder = frame.folder;
    std::vector<Subfolder>& subfolders = frame.subfolders;
    bool& stopped = frame.stopped;

    // File pass.
    const size_t firstFile = collected.size();
    if (!stopped && !singlePass) {
        struct Listing
        {
            FileSetScanner* scanner;
            const std::wstring* folder;
        } listing{this, &folder};
        fileSystem.Enumerate(folder + pattern, [&listing](const FoundFile& found) {
            FileSetScanner& scanner = *listing.scanner;
            if (!(found.attributes & FileAttribute::Directory))
                scanner.Collect(*listing.folder, found);
            return !scanner.Stopped();
        });
    }
    std::vector<SortItem>& items = scratch; // free again: the subfolders are done
    items.clear();
    const size_t nameStart = folder.size();
    size_t nextSubfolder = 0;
    const auto fileRange = [&](size_t from, size_t to) {
        for (size_t index = from; index < to && !stopped; ++index) {
            if (nextSubfolder < subfolders.size() && subfolders[nextSubfolder].entry == index) {
                ++nextSubfolder;
                continue;
            }
            arrival.push_back(static_cast<uint32_t>(index));
            items.push_back({std::wstring_view(collected[index].path).substr(nameStart),
                             {static_cast<uint32_t>(index), false}});
            Count();
            ++frame.added;
            stopped = Stopped();
        }
    };
    if (singlePass) {
        fileRange(frame.firstListed, frame.lastListed);
    } else {
        nextSubfolder = subfolders.size();
        fileRange(firstFile, collected.size());
    }

    // This folder's share of the final order; `collected` does not grow any more for it.
    for (size_t i = 0; i < frame.subfoldersDone; ++i) {
        const std::wstring_view name = std::wstring_view(collected[subfolders[i].entry].path).substr(nameStart);
        if (includeFolders)
            items.push_back({name, {static_cast<uint32_t>(subfolders[i].entry), false}});
        if (subfolders[i].entered)
            items.push_back({name, {subfolders[i].node, true}});
    }
    SortNode(frame.node, items);
}

size_t FileSetScanner::ScanTree(const std::wstring& folder, uint32_t& node)
{
    // Each frame walks its subfolders in listing order; a subfolder to enter opens a frame of
    // its own on top, and its result goes back to the frame below when it closes.
    std::vector<Frame> stack;
    stack.push_back(Open(folder));
    for (;;) {
        Frame& frame = stack.back();
        if (!frame.stopped && frame.nextSubfolder < frame.subfolders.size()) {
            Subfolder& subfolder = frame.subfolders[frame.nextSubfolder++];
            if (includeFolders) {
                arrival.push_back(static_cast<uint32_t>(subfolder.entry));
                Count();
                ++frame.added;
            }
            if (recurse && !collected[subfolder.entry].IsFolderLink()) {
                subfolder.entered = true;
                std::wstring inner = collected[subfolder.entry].path + L"\\";
                stack.push_back(Open(std::move(inner))); // `frame` is not used past this point
                continue;
            }
            ++frame.subfoldersDone;
            frame.stopped = Stopped();
            continue;
        }
        Close(frame);
        if (stack.size() == 1) {
            node = frame.node;
            return frame.added;
        }
        const uint32_t closedNode = frame.node;
        const size_t closedAdded = frame.added;
        stack.pop_back();
        Frame& parent = stack.back();
        parent.subfolders[parent.nextSubfolder - 1].node = closedNode;
        parent.added += closedAdded;
        ++parent.subfoldersDone;
        parent.stopped = Stopped();
    }
}

size_t FileSet::Scan(FileSystem& fileSystem, const std::wstring& folder, const std::wstring& pattern, bool recurse,
                     InsertOrder order, bool includeFolders, const std::atomic<int>* stopFlag,
                     std::atomic<uint32_t>* foundCounter)
{
    FileSetScanner scanner(fileSystem, pattern, recurse, includeFolders, stopFlag, foundCounter);
    uint32_t root = 0;
    const size_t added = scanner.ScanTree(folder, root);
    if (order == InsertOrder::PathAscending || order == InsertOrder::PathDescending) {
        std::vector<FileEntry> sorted;
        if (scanner.TakeAscending(root, sorted)) {
            // No two keys are equal, so descending order is the ascending one reversed.
            if (order == InsertOrder::PathDescending)
                std::reverse(sorted.begin(), sorted.end());
            InsertAll(std::move(sorted), order, true);
            return added;
        }
    }
    InsertAll(scanner.TakeInArrivalOrder(), order, false);
    return added;
}
