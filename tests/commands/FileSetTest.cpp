#include "commands/FileSet.h"

#include "commands/FakeFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#if __has_include(<pthread.h>)
#include <pthread.h>
#endif

namespace {

FileEntry Entry(const std::wstring& path, uint64_t size = 0, uint32_t attributes = FileAttribute::Archive)
{
    FileEntry entry;
    entry.path = path;
    entry.size = size;
    entry.attributes = attributes;
    return entry;
}

std::vector<std::wstring> Paths(const FileSet& set)
{
    std::vector<std::wstring> paths;
    for (const FileEntry& entry : set.Entries())
        paths.push_back(entry.path);
    return paths;
}

// The walk as one-by-one inserts in discovery order: what the fast walk must reproduce.
size_t ReferenceScan(FileSet& set, FileSystem& fileSystem, const std::wstring& folder, const std::wstring& pattern,
                     InsertOrder order, bool includeFolders)
{
    struct Found { std::wstring name; uint32_t attributes; uint64_t size; };
    const auto list = [&](const std::wstring& what) {
        std::vector<Found> found;
        fileSystem.Enumerate(what, [&](const FoundFile& f) {
            found.push_back({std::wstring(f.name), f.attributes, f.size});
            return true;
        });
        return found;
    };
    size_t added = 0;
    for (const Found& f : list(folder + L"*")) {
        if (f.name == L"." || f.name == L".." || !(f.attributes & FileAttribute::Directory))
            continue;
        if (includeFolders) {
            set.Insert(Entry(folder + f.name, f.size, f.attributes), order);
            ++added;
        }
        if (!IsFolderLinkAttributes(f.attributes))
            added += ReferenceScan(set, fileSystem, folder + f.name + L"\\", pattern, order, includeFolders);
    }
    for (const Found& f : list(folder + pattern)) {
        if (f.attributes & FileAttribute::Directory)
            continue;
        set.Insert(Entry(folder + f.name, f.size, f.attributes), order);
        ++added;
    }
    return added;
}

TEST(FileEntry, SplitsAtTheLastSeparator)
{
    struct Case { const wchar_t* path; const wchar_t* folder; const wchar_t* name; };
    const Case cases[] = {
        {L"C:\\src\\sub\\a.txt", L"C:\\src\\sub\\", L"a.txt"},
        {L"C:/src/b.tar.gz", L"C:/src/", L"b.tar.gz"},
        {L"C:\\src\\", L"C:\\src\\", L""},
        {L"C:a.txt", L"", L"C:a.txt"},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        FileEntry entry = Entry(c.path);
        EXPECT_EQ(entry.GetFolder(), c.folder) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(entry.GetFileName(), c.name) << testing::PrintToString(std::wstring(c.path));
    }
    FileEntry fresh;
    EXPECT_TRUE(fresh.IsFolder());
    EXPECT_FALSE(fresh.IsFolderLink());
}

TEST(FileSet, InsertPlacesEachOrderAndPutsNewBeforeEqual)
{
    struct Case { InsertOrder order; std::vector<std::wstring> expected; };
    // Inserted in this order: (b,20) (a,10) (c,20) (a,30) — two equal paths, two equal sizes.
    const Case cases[] = {
        {InsertOrder::Append, {L"b#1", L"a#2", L"c#3", L"a#4"}},
        {InsertOrder::SizeAscending, {L"a#2", L"c#3", L"b#1", L"a#4"}},
        {InsertOrder::SizeDescending, {L"a#4", L"c#3", L"b#1", L"a#2"}},
        {InsertOrder::PathAscending, {L"a#4", L"a#2", L"b#1", L"c#3"}},
        {InsertOrder::PathDescending, {L"c#3", L"b#1", L"a#4", L"a#2"}},
        {static_cast<InsertOrder>(9), {L"b#1", L"a#2", L"c#3", L"a#4"}},
    };
    for (const Case& c : cases) {
        FileSet set;
        const std::pair<const wchar_t*, uint64_t> inserts[] = {{L"b", 20}, {L"a", 10}, {L"c", 20}, {L"a", 30}};
        uint32_t serial = 0; // carried in the attributes, which no order looks at
        for (const auto& insert : inserts)
            set.Insert(Entry(insert.first, insert.second, ++serial), c.order);
        std::vector<std::wstring> got;
        for (const FileEntry& entry : set.Entries())
            got.push_back(entry.path + L"#" + std::to_wstring(entry.attributes));
        EXPECT_EQ(got, c.expected) << "order " << static_cast<int>(c.order);
    }
}

TEST(FileSet, PathOrderComparesCodeUnitsWithCase)
{
    FakeFileSystem fs;
    for (const wchar_t* name : {L"c.txt", L"a.txt", L"B.txt", L"_x", L"\u00e9.txt", L"Z"})
        fs.AddFile(std::wstring(L"C:\\src\\") + name);
    FileSet set;
    set.Scan(fs, L"C:\\src\\", L"*.*", true, InsertOrder::PathAscending, true);
    EXPECT_EQ(Paths(set), (std::vector<std::wstring>{L"C:\\src\\B.txt", L"C:\\src\\Z", L"C:\\src\\_x",
                                                     L"C:\\src\\a.txt", L"C:\\src\\c.txt", L"C:\\src\\\u00e9.txt"}));
}

TEST(FileSet, AddPathFillsFromTheLookupOrLeavesTheEntryFresh)
{
    FakeFileSystem fs;
    fs.AddFolder(L"C:\\Src", FileAttribute::Directory | FileAttribute::Hidden);
    fs.AddFile(L"C:\\Src\\big.bin", "12345");
    struct Case { const wchar_t* path; const wchar_t* entryPath; uint32_t attributes; uint64_t size; };
    const Case cases[] = {
        {L"C:\\SRC", L"C:\\Src", FileAttribute::Directory | FileAttribute::Hidden, 0},  // the reported name
        {L"C:/src/big.bin", L"C:/src/big.bin", FileAttribute::Archive, 5},  // the path as written
        {L"C:\\src\\b*", L"C:\\src\\big.bin", FileAttribute::Archive, 5},  // the first hit
        {L"C:\\src\\", L"", FileAttribute::Unknown, 0},                     // a trailing separator
        {L"C:\\missing", L"", FileAttribute::Unknown, 0},
    };
    for (const Case& c : cases) {
        FileSet set;
        EXPECT_EQ(set.AddPath(fs, c.path, InsertOrder::PathAscending), 0u);
        ASSERT_EQ(set.Size(), 1u);
        EXPECT_EQ(set[0].path, c.entryPath) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(set[0].attributes, c.attributes) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(set[0].size, c.size) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(FileSet, ScanFindsFoldersWhateverThePatternAndCountsAndSizes)
{
    FakeFileSystem fs;
    fs.AddFile(L"C:\\s\\a.txt", "x");
    fs.AddFile(L"C:\\s\\b.log", "yy");
    fs.AddFile(L"C:\\s\\docs.d\\huge.txt", "zzz");
    fs.AddFile(L"C:\\s\\docs.d\\skip.bin");
    std::atomic<uint32_t> counter{0};
    FileSet set;
    EXPECT_EQ(set.Scan(fs, L"C:\\s\\", L"*.txt", true, InsertOrder::PathAscending, true, nullptr, &counter), 3u);
    EXPECT_EQ(counter.load(), 3u);
    EXPECT_EQ(Paths(set), (std::vector<std::wstring>{L"C:\\s\\a.txt", L"C:\\s\\docs.d", L"C:\\s\\docs.d\\huge.txt"}));
    EXPECT_EQ(set[2].size, 3u);

    FileSet withoutFolders;
    EXPECT_EQ(withoutFolders.Scan(fs, L"C:\\s\\", L"*", true, InsertOrder::PathAscending, false), 4u);
    EXPECT_EQ(withoutFolders[0].path, L"C:\\s\\a.txt");

    FileSet flat;
    EXPECT_EQ(flat.Scan(fs, L"C:\\s\\", L"*.*", false, InsertOrder::PathAscending, true), 3u);
}

TEST(FileSet, ARaisedStopFlagEndsTheWalk)
{
    FakeFileSystem fs;
    fs.AddFile(L"C:\\s\\a.txt");
    fs.AddFile(L"C:\\s\\sub\\b.txt");
    std::atomic<int> stop{1};
    FileSet set;
    EXPECT_EQ(set.Scan(fs, L"C:\\s\\", L"*.*", true, InsertOrder::PathAscending, true, &stop), 0u);
    EXPECT_EQ(set.Size(), 0u);
}

// Random trees with names chosen to sit on both sides of "\" in code-unit order, walked by
// the fast scan and by one-by-one inserts into sets that already hold the root entry, entries
// out of order, or entries equal to walked ones: the sets must be identical for every order.
TEST(FileSet, ScanEqualsOneByOneInsertsOnRandomTrees)
{
    const std::wstring names[] = {L"a", L"a b", L"a.txt", L"a]", L"A", L"ab", L"b", L"a!", L"a~", L"\u00e9",
                                  L"a\u00e9", L"z", L"_", L"a0", L"a[", L"aB"};
    std::mt19937 random(20261207);
    for (int round = 0; round < 12; ++round) {
        FakeFileSystem fs;
        fs.ListInReverse(round % 2 == 1);
        std::vector<std::wstring> folders = {L"C:\\r"};
        std::vector<std::wstring> created;
        fs.AddFolder(L"C:\\r");
        for (int i = 0; i < 60; ++i) {
            const std::wstring parent = folders[random() % folders.size()];
            const std::wstring path = parent + L"\\" + names[random() % std::size(names)];
            if (fs.Exists(path))
                continue;
            created.push_back(path);
            if (random() % 3 == 0) {
                fs.AddFolder(path);
                folders.push_back(path);
            } else {
                fs.AddFile(path, std::string(random() % 4, 'x'));
            }
        }
        const InsertOrder orders[] = {InsertOrder::Append, InsertOrder::SizeAscending, InsertOrder::SizeDescending,
                                      InsertOrder::PathAscending, InsertOrder::PathDescending};
        for (InsertOrder order : orders) {
            for (bool includeFolders : {true, false}) {
                FileSet fast;
                FileSet reference;
                const std::wstring equal = created[random() % created.size()];
                for (FileSet* set : {&fast, &reference}) {
                    if (round % 3 == 0) {
                        set->AddPath(fs, L"C:\\r", order); // as the commands start
                    } else if (round % 3 == 1) {
                        for (const wchar_t* path : {L"C:\\r\\zz", equal.c_str(), L"C:\\r\\a"})
                            set->Insert(Entry(path), InsertOrder::Append);
                    } else {
                        set->Insert(Entry(equal, 7), order); // 7: no walked entry has that size
                        set->Insert(Entry(created[0], 7), order);
                    }
                }
                const size_t added = fast.Scan(fs, L"C:\\r\\", L"*.*", true, order, includeFolders);
                EXPECT_EQ(added, ReferenceScan(reference, fs, L"C:\\r\\", L"*.*", order, includeFolders));
                ASSERT_EQ(fast.Size(), reference.Size());
                for (size_t i = 0; i < fast.Size(); ++i) {
                    ASSERT_EQ(fast[i].path, reference[i].path) << "round " << round << " order "
                                                               << static_cast<int>(order) << " at " << i;
                    ASSERT_EQ(fast[i].size, reference[i].size) << "round " << round << " at " << i;
                }
            }
        }
    }
}

} // namespace

namespace {

// A chain of folders "d\d\d..." `depth` deep with one file at the bottom, listed on demand:
// no tree is stored, so only the walk's own memory counts.
class FolderChain : public FakeFileSystem
{
public:
    explicit FolderChain(size_t depth) : depth(depth) {}
    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override
    {
        const size_t level = static_cast<size_t>(std::count(pattern.begin(), pattern.end(), L'\\')) - 2; // "C:\r\*" is level 0
        if (level < depth)
            return visit({L"d", FileAttribute::Directory, 0}), true;
        return visit({L"f", FileAttribute::Archive, 1}), true;
    }

private:
    const size_t depth;
};

// Runs `work` on a thread with a 1 MiB stack, a Windows program's default.
template <typename Work>
void OnSmallStack(Work work)
{
#if __has_include(<pthread.h>)
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1 << 20);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, [](void* job) -> void* {
        (*static_cast<Work*>(job))();
        return nullptr;
    }, &work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
#else
    work();
#endif
}

} // namespace

TEST(FileSet, AVeryDeepTreeWalksInASmallStack)
{
    constexpr size_t kDepth = 6000; // a walk that recursed would need several MiB of stack here
    FolderChain chain(kDepth);
    FileSet set;
    size_t added = 0;
    OnSmallStack([&]() { added = set.Scan(chain, L"C:\\r\\", L"*.*", true, InsertOrder::PathAscending, true); });
    ASSERT_EQ(added, kDepth + 1);
    EXPECT_EQ(set[0].path, L"C:\\r\\d");
    EXPECT_EQ(set[kDepth].path.size(), 5 + 2 * kDepth + 1); // C:\r\ + d\ per level + f
    EXPECT_FALSE(set[kDepth].IsFolder());
}
