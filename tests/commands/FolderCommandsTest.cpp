#include "commands/FolderCommands.h"
#include "commands/CopyPool.h"
#include "commands/FolderPaths.h"

#include "commands/InstallState.h"
#include "commands/FakeFileSystem.h"
#include "xml/WideBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

namespace {

using Paths = std::vector<std::wstring>;
using Op = FakeFileSystem::Operation;

constexpr uint32_t kReadOnly = FileAttribute::ReadOnly;
constexpr uint32_t kHidden = FileAttribute::Hidden;
constexpr uint32_t kNormal = FileAttribute::Normal;
constexpr uint32_t kFolder = FileAttribute::Directory;

class FolderCommandsTest : public testing::Test
{
protected:
    // C:\src: a.txt, sub\b.txt
    void MakeSource(FakeFileSystem& into)
    {
        into.AddFile(L"C:\\src\\a.txt", "alpha");
        into.AddFile(L"C:\\src\\sub\\b.txt", "beta");
    }
    void MakeSource() { MakeSource(fs); }
    const Paths kCopiedSource{L"src\\", L"src\\a.txt", L"src\\sub\\", L"src\\sub\\b.txt"};

    FakeFileSystem fs;
    InstallProgress progress;
};

// ---- copy ----

// Copies arrive with normal attributes, over read-only files too, and leave the source as it was.
TEST_F(FolderCommandsTest, CopyPutsTheTreeUnderTheSourceNameWhateverTheListingOrderButNoEmptyFolders)
{
    for (bool reverse : {false, true}) {
        FakeFileSystem one;
        InstallProgress counted;
        one.ListInReverse(reverse);
        one.AddFile(L"C:\\src\\a.txt", "alpha", kReadOnly);
        one.AddFile(L"C:\\src\\sub\\b.txt", "beta", kHidden | FileAttribute::System);
        one.AddFolder(L"C:\\src\\empty");
        one.AddFolder(L"C:\\src\\sub\\outer\\inner");
        one.AddFile(L"D:\\dst\\src\\a.txt", "old", kReadOnly);
        one.AddFolder(L"D:\\dst\\src\\sub", kFolder | kHidden);
        CopyFolderTree(one, counted, L"C:\\src", L"D:\\dst");
        Paths copied = kCopiedSource; // a folder comes into being only as the parent of what it holds
        copied.push_back(L"src\\sub\\outer\\");
        EXPECT_EQ(one.Tree(L"D:\\dst"), copied) << reverse;
        EXPECT_EQ(one.Content(L"D:\\dst\\src\\a.txt"), "alpha");
        for (const wchar_t* copy : {L"D:\\dst\\src\\a.txt", L"D:\\dst\\src\\sub\\b.txt"})
            EXPECT_EQ(one.Attributes(copy), kNormal) << testing::PrintToString(std::wstring(copy));
        EXPECT_EQ(one.Attributes(L"D:\\dst\\src\\sub"), kFolder);
        EXPECT_EQ(one.Attributes(L"C:\\src\\a.txt"), kReadOnly);
        EXPECT_EQ(one.Tree(L"C:\\src"), (Paths{L"a.txt", L"empty\\", L"sub\\", L"sub\\b.txt", L"sub\\outer\\",
                                             L"sub\\outer\\inner\\"}));
        const ProgressSnapshot now = counted.Snapshot();
        EXPECT_EQ(now.commandBytesTotal, 9u);
        EXPECT_EQ(now.commandBytesDone, 9u);
        EXPECT_EQ(now.CommandPercent(), 100.0f);
    }
}

TEST_F(FolderCommandsTest, CopyOfATrailingSeparatorOrMissingSourceLandsInTheTarget)
{
    MakeSource();
    CopyFolderTree(fs, progress, L"C:\\src\\", L"D:\\dst");
    EXPECT_EQ(fs.Tree(L"D:\\dst"), (Paths{L"a.txt", L"sub\\", L"sub\\b.txt"}));

    CopyFolderTree(fs, progress, L"C:\\missing", L"D:\\new");
    EXPECT_EQ(fs.Attributes(L"D:\\new"), kFolder);
    EXPECT_EQ(fs.Tree(L"D:\\new"), Paths{});
    EXPECT_EQ(progress.Snapshot().commandBytesTotal, 0u);
}

// Nothing is deleted to make room: a file whose copy fails leaves the previous one in place.
TEST_F(FolderCommandsTest, CopyGoesPastFilesItCannotCopyKeepsTheirPreviousCopiesAndCountsEveryByte)
{
    fs.AddFile(L"C:\\src\\a.txt", std::string(10, 'a'));
    fs.AddFile(L"C:\\src\\b.txt", std::string(20, 'b'));
    fs.AddFile(L"C:\\src\\c.txt", std::string(30, 'c'));
    fs.AddFile(L"D:\\dst\\src\\c.txt", "previous", kReadOnly);
    fs.Fail(Op::Copy, L"C:\\src\\c.txt");
    fs.Lock(L"C:\\src\\a.txt"); // open elsewhere, still readable
    CopyFolderTree(fs, progress, L"C:\\src", L"D:\\dst");
    EXPECT_EQ(fs.Tree(L"D:\\dst"), (Paths{L"src\\", L"src\\a.txt", L"src\\b.txt", L"src\\c.txt"}));
    EXPECT_EQ(fs.Content(L"D:\\dst\\src\\a.txt"), std::string(10, 'a'));
    EXPECT_EQ(fs.Content(L"D:\\dst\\src\\c.txt"), "previous");
    const ProgressSnapshot now = progress.Snapshot();
    EXPECT_EQ(now.commandBytesTotal, 60u);
    EXPECT_EQ(now.commandBytesDone, 60u); // every file handled counts, copied or not
    EXPECT_EQ(now.CommandPercent(), 100.0f);
    EXPECT_EQ(now.fileName, L"c.txt"); // the failed copy told no chunk
    EXPECT_EQ(now.fileBytesDone, 0u);
    EXPECT_EQ(now.fileBytesTotal, 30u);
}

// The chunks a copy tells move the command's and the file's bytes; the percentages come from
// the bytes of one snapshot, never beyond 100 and 0 without a size.
TEST_F(FolderCommandsTest, ChunksMoveTheBytesAndThePercentagesComeFromThem)
{
    progress.StartBytes(1000);
    CopyPool pool(progress, 1);
    pool.Count(600);
    struct Case { uint64_t total, done; uint64_t commandDone; float file, command; };
    const Case cases[] = {
        {400, 100, 700, 25.0f, 70.0f},
        {400, 400, 1000, 100.0f, 100.0f},
        {0, 0, 600, 0.0f, 60.0f}, // a zero divisor reads 0, not the previous or an undefined value
        {5000000000ull, 2500000000ull, 2500000600ull, 50.0f, 100.0f}, // a grown file stays at 100
    };
    for (const Case& c : cases) {
        pool.CallerListener().ChunkDone(c.total, c.done);
        const ProgressSnapshot now = progress.Snapshot();
        EXPECT_EQ(now.commandBytesDone, c.commandDone);
        EXPECT_EQ(now.FilePercent(), c.file);
        EXPECT_EQ(now.CommandPercent(), c.command);
    }
    progress.StartBytes(0);
    pool.CallerListener().ChunkDone(10, 5);
    EXPECT_EQ(progress.Snapshot().CommandPercent(), 0.0f);
}

// ---- what the commands must never do ----

TEST_F(FolderCommandsTest, EmptyArgumentsAndRootsAreRefusedButADriveMayBeCopied)
{
    fs.AddFile(L"C:\\boot.ini", "keep");
    fs.AddFile(L"C:\\windows\\system.dat", "keep");
    MakeSource();
    CopyFolderTree(fs, progress, L"", L"D:\\dst");
    CopyFolderTree(fs, progress, L"C:\\src", L"");
    MoveFolderTree(fs, progress, L"C:\\src", L"");
    for (const wchar_t* root : {L"", L"\\", L"/", L"C:\\", L"C:", L"C:\\\\", L"\\\\server\\share\\"}) {
        DeleteFolderTree(fs, progress, root);
        MoveFolderTree(fs, progress, root, L"D:\\dst");
    }
    EXPECT_EQ(fs.calls, Paths{});

    CopyFolderTree(fs, progress, L"C:\\", L"D:\\dst"); // reading a whole drive is allowed
    EXPECT_EQ(fs.Content(L"D:\\dst\\windows\\system.dat"), "keep");
    DeleteFolderTree(fs, progress, L"D:\\dst\\windows");
    EXPECT_FALSE(fs.Exists(L"D:\\dst\\windows"));
}

// Every rule applies to the path as the platform resolves it, not to the text as written.
TEST_F(FolderCommandsTest, RootsWrittenWithDotsOrRelativelyAreNeverDeletedOrMoved)
{
    fs.AddFile(L"C:\\boot.ini", "keep");
    fs.AddFile(L"C:\\windows\\system.dat", "keep");
    fs.AddFile(L"C:\\x\\sub\\deeper\\a.txt", "keep");
    fs.AddFile(L"C:\\Users\\me\\AppData\\Local\\Temp\\t.txt", "keep");
    const Paths before = fs.Tree(L"C:\\");
    struct Case { const wchar_t* current; const wchar_t* path; };
    const Case cases[] = {
        {L"", L"C:\\x\\.."}, {L"", L"C:\\x\\..\\"}, {L"", L"C:\\."}, {L"", L"C:\\nothere\\.."},
        {L"", L"C:/x/../."}, {L"", L"C:\\x\\sub\\..\\.."}, {L"", L"C:\\..."}, {L"", L"C:\\x\\. .\\..\\.."},
        {L"", L"C:\\Users\\me\\AppData\\Local\\Temp\\..\\..\\..\\..\\.."}, // %TEMP%\..\..\..\..\..
        {L"", L"\\\\server\\share\\x\\.."}, {L"", L"\\\\?\\C:\\"}, {L"", L"\\\\?\\C:\\x\\.."},
        {L"", L"\\\\?\\UNC\\server\\share\\x\\.."}, {L"", L"\\\\.\\C:\\x\\.."},
        {L"", L"x"}, {L"", L"."}, {L"", L"C:\\*"}, {L"", L"C:\\x\\*"}, // relative without a current folder; wildcards
        {L"C:\\", L"."}, {L"C:\\", L".\\"}, {L"C:\\", L"sub\\.."}, {L"C:\\", L"sub/deeper/../.."},
        {L"C:\\x", L".."}, {L"C:\\x", L"\\"}, {L"C:\\x", L"C:"}, {L"C:\\x", L"C:.."},
    };
    for (const Case& c : cases) {
        fs.SetCurrentFolder(c.current);
        fs.calls.clear();
        DeleteFolderTree(fs, progress, c.path);
        MoveFolderTree(fs, progress, c.path, L"D:\\dst");
        EXPECT_EQ(fs.ChangingCalls(), Paths{}) << testing::PrintToString(std::wstring(c.path));
    }
    EXPECT_EQ(fs.Tree(L"C:\\"), before);
    EXPECT_FALSE(fs.Exists(L"D:\\dst"));
}

TEST_F(FolderCommandsTest, DotsTrailingDotsAndRelativePathsNameTheFolderTheyResolveTo)
{
    struct Case { const wchar_t* current; const wchar_t* path; Paths left; };
    const Paths keepOld{L"keep\\", L"keep\\old\\", L"keep\\old\\a.txt", L"keep\\old\\victim\\",
                        L"keep\\old\\victim\\v.txt"};
    Paths victimGone = keepOld;
    Paths victimEmptied = keepOld;
    victimEmptied.push_back(L"keep\\victim\\");
    Paths untouched = keepOld;
    untouched.insert(untouched.end(), {L"keep\\victim\\", L"keep\\victim\\sub\\", L"keep\\victim\\sub\\b.txt"});
    const Case cases[] = {
        {L"", L"C:\\keep\\old\\..\\victim", victimGone},
        {L"", L"C:\\keep\\victim\\.", victimGone},
        {L"", L"C:\\keep\\victim. .", victimGone},
        {L"", L"C:\\keep\\victim.\\sub", victimEmptied},
        {L"", L"C:/keep//victim/", victimEmptied}, // only the content: the folder stays
        {L"C:\\keep", L"victim", victimGone},
        {L"C:\\keep\\old", L"..\\victim\\sub", victimEmptied},
        // On whatever drive is current: what an empty variable leaves, refused.
        {L"C:\\keep\\old", L"\\keep\\victim", untouched},
        {L"C:\\keep\\old", L"C:victim", untouched},
    };
    for (const Case& c : cases) {
        FakeFileSystem one;
        one.AddFile(L"C:\\keep\\old\\a.txt", "a");
        one.AddFile(L"C:\\keep\\old\\victim\\v.txt", "v");
        one.AddFile(L"C:\\keep\\victim\\sub\\b.txt", "b");
        one.SetCurrentFolder(c.current);
        DeleteFolderTree(one, progress, c.path);
        EXPECT_EQ(one.Tree(L"C:\\"), c.left) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(one.HeldFolders(), 0);
    }
}

// The folder and everything beneath it are named alike, whatever spelling the command used;
// the copy takes the name the folder has on disk.
TEST_F(FolderCommandsTest, ASourceTypedInAnotherCaseKeepsItsTreeTogether)
{
    const auto make = [](FakeFileSystem& into) {
        into.AddFile(L"C:\\x\\drivers\\Audio\\x.inf", "audio");
        into.AddFile(L"C:\\x\\drivers\\Video\\x.inf", "video");
        into.AddFile(L"C:\\x\\drivers\\readme.txt", "readme");
    };
    const Paths arrived{L"drivers\\", L"drivers\\Audio\\", L"drivers\\Audio\\x.inf", L"drivers\\Video\\",
                        L"drivers\\Video\\x.inf", L"drivers\\readme.txt"};
    for (const wchar_t* target : {L"C:\\t", L"D:\\t"}) {
        for (auto* command : {&CopyFolderTree, &MoveFolderTree}) {
            FakeFileSystem one;
            make(one);
            command(one, progress, L"C:\\x\\DRIVERS", target);
            SCOPED_TRACE(testing::PrintToString(std::wstring(target)));
            EXPECT_EQ(one.Tree(target), arrived);
            EXPECT_EQ(one.Content(std::wstring(target) + L"\\drivers\\Audio\\x.inf"), "audio");
            EXPECT_EQ(one.Content(std::wstring(target) + L"\\drivers\\Video\\x.inf"), "video");
            EXPECT_EQ(one.Exists(L"C:\\x\\drivers"), command == &CopyFolderTree);
        }
    }
    FakeFileSystem deleted;
    make(deleted);
    DeleteFolderTree(deleted, progress, L"C:\\X\\Drivers");
    EXPECT_FALSE(deleted.Exists(L"C:\\x\\drivers"));
    EXPECT_TRUE(deleted.Exists(L"C:\\x"));
}

// A destination inside the source is left out of what is copied or moved: a run over an
// earlier run's result does what the first run did, never one level deeper.
TEST_F(FolderCommandsTest, ADestinationInsideTheSourceIsLeftOutOfTheCopyAndTheMove)
{
    struct Case { const wchar_t* source; const wchar_t* target; Paths backup; };
    const Case cases[] = {
        {L"C:\\data", L"C:\\data\\backup", {L"data\\", L"data\\a.txt", L"data\\sub\\", L"data\\sub\\b.txt"}},
        {L"C:\\Data\\", L"c:\\data\\BACKUP", {L"a.txt", L"sub\\", L"sub\\b.txt"}},
        {L"C:\\data", L"C:\\data\\sub\\..\\backup\\.", {L"data\\", L"data\\a.txt", L"data\\sub\\", L"data\\sub\\b.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.source) + L" -> " + c.target));
        FakeFileSystem one;
        one.AddFile(L"C:\\data\\a.txt", "alpha");
        one.AddFile(L"C:\\data\\sub\\b.txt", "beta");
        for (int run = 0; run < 2; ++run)
            CopyFolderTree(one, progress, c.source, c.target);
        EXPECT_EQ(one.Tree(L"C:\\data\\backup"), c.backup);
    }

    // A move over an earlier backup replaces that backup's files and leaves it in its place.
    FakeFileSystem moved;
    moved.AddFile(L"C:\\data\\a.txt", "new");
    moved.AddFile(L"C:\\data\\backup\\data\\a.txt", "old");
    moved.AddFile(L"C:\\data\\backup\\data\\only-old.txt", "kept");
    MoveFolderTree(moved, progress, L"C:\\data", L"C:\\data\\backup");
    EXPECT_EQ(moved.Tree(L"C:\\data"), (Paths{L"backup\\", L"backup\\data\\", L"backup\\data\\a.txt",
                                              L"backup\\data\\only-old.txt"}));
    EXPECT_EQ(moved.Content(L"C:\\data\\backup\\data\\a.txt"), "new");
    EXPECT_EQ(progress.Snapshot().commandBytesTotal, 3u);
}

// What another program does between the walk and the delete cannot turn the delete elsewhere.
TEST_F(FolderCommandsTest, AFolderReplacedByALinkDuringADeleteOrAMoveIsLeftAlone)
{
    fs.AddFile(L"D:\\keep\\s.txt", "precious", kReadOnly);
    fs.AddFile(L"C:\\old\\a.txt");
    fs.AddFile(L"C:\\old\\sub\\s.txt");
    fs.AddFile(L"C:\\old\\sub\\inner\\t.txt");
    fs.AddFile(L"C:\\old\\z.txt");
    // Before the first removal, which takes the list from the back.
    fs.BeforeCall(L"SetAttributes C:\\old\\z.txt", [this]() {
        fs.Erase(L"C:\\old\\sub");
        fs.AddFolderLink(L"C:\\old\\sub", L"D:\\keep");
    });
    DeleteFolderTree(fs, progress, L"C:\\old");
    EXPECT_EQ(fs.Tree(L"D:\\keep"), Paths{L"s.txt"});
    EXPECT_EQ(fs.Attributes(L"D:\\keep\\s.txt"), kReadOnly);
    EXPECT_EQ(fs.Tree(L"C:\\old"), Paths{L"sub\\"});
    EXPECT_EQ(fs.HeldFolders(), 0);

    // A held folder cannot be swapped while its content goes.
    FakeFileSystem held;
    held.AddFile(L"C:\\old\\sub\\s.txt");
    held.AddFile(L"C:\\old\\sub\\t.txt");
    held.AddFolder(L"C:\\other");
    bool swapped = true;
    held.BeforeCall(L"SetAttributes C:\\old\\sub\\t.txt",
                    [&]() { swapped = held.MoveOneFile(L"C:\\old\\sub", L"C:\\other\\sub", 0, nullptr); });
    DeleteFolderTree(held, progress, L"C:\\old");
    EXPECT_FALSE(swapped);
    EXPECT_FALSE(held.Exists(L"C:\\old"));

    // A move across volumes goes entry by entry, from held folders too.
    FakeFileSystem moved;
    moved.AddFile(L"D:\\keep\\s.txt", "precious");
    moved.AddFile(L"C:\\src\\a.txt", "a");
    moved.AddFile(L"C:\\src\\sub\\s.txt", "s");
    moved.BeforeCall(L"Move C:\\src\\a.txt -> E:\\dst\\src\\a.txt", [&]() {
        moved.Erase(L"C:\\src\\sub");
        moved.AddFolderLink(L"C:\\src\\sub", L"D:\\keep");
    });
    MoveFolderTree(moved, progress, L"C:\\src", L"E:\\dst");
    EXPECT_EQ(moved.Tree(L"D:\\keep"), Paths{L"s.txt"});
    EXPECT_EQ(moved.Tree(L"E:\\dst"), (Paths{L"src\\", L"src\\a.txt"}));
    EXPECT_EQ(moved.HeldFolders(), 0);
}

TEST_F(FolderCommandsTest, ForwardSlashesNameTheSameFolders)
{
    MakeSource();
    fs.AddFile(L"C:\\elsewhere\\src\\other.txt", "other"); // what a relative "src" names
    fs.SetCurrentFolder(L"C:\\elsewhere");
    MoveFolderTree(fs, progress, L"C:/src", L"D:/dst");
    EXPECT_EQ(fs.Tree(L"D:\\dst"), kCopiedSource);
    EXPECT_FALSE(fs.Exists(L"C:\\src"));
    EXPECT_EQ(fs.Tree(L"C:\\elsewhere"), (Paths{L"src\\", L"src\\other.txt"}));
}

TEST_F(FolderCommandsTest, ATargetThatIsTheSourcesParentIsLeftAlone)
{
    fs.AddFile(L"C:\\work\\src\\a.txt", "alpha", kReadOnly);
    fs.AddFile(L"C:\\work\\src\\sub\\b.txt", "beta");
    fs.AddFolderLink(L"C:\\alias", L"C:\\work");
    const Paths before = fs.Tree(L"C:\\work\\src");
    const wchar_t* targets[] = {L"C:\\work", L"c:\\WORK\\", L"C:/work/.", L"C:\\work\\sub\\..", L"C:\\alias"};
    for (const wchar_t* target : targets) {
        fs.calls.clear();
        CopyFolderTree(fs, progress, L"C:\\work\\src", target);
        MoveFolderTree(fs, progress, L"C:\\work\\src", target);
        CopyFolderTree(fs, progress, L"C:\\work\\src\\", L"C:\\work\\src");
        MoveFolderTree(fs, progress, L"C:\\work\\src\\", L"C:\\work\\src");
        EXPECT_EQ(fs.ChangingCalls(), Paths{}) << testing::PrintToString(std::wstring(target));
        EXPECT_EQ(fs.Tree(L"C:\\work\\src"), before);
        EXPECT_EQ(fs.Content(L"C:\\work\\src\\a.txt"), "alpha");
    }
}

// ---- move ----

// On one volume a folder moves with one rename (empty folders included); across volumes the
// files follow one by one. Either way every file arrives and the source is gone.
TEST_F(FolderCommandsTest, MoveCarriesEveryFileAndRemovesTheSource)
{
    for (const wchar_t* target : {L"C:\\dst", L"D:\\dst"}) {
        for (const wchar_t* source : {L"C:\\src", L"C:\\src\\"}) {
            FakeFileSystem one;
            InstallProgress counted;
            MakeSource(one);
            one.AddFile(L"C:\\src\\sub\\deep\\c.txt", "gamma", kHidden);
            one.AddFolder(L"C:\\src\\empty");
            MoveFolderTree(one, counted, source, target);
            const std::wstring into = std::wstring(target) + (std::wstring(source).back() == L'\\' ? L"" : L"\\src");
            SCOPED_TRACE(testing::PrintToString(std::wstring(source) + L" -> " + target));
            Paths arrived{L"a.txt", L"sub\\", L"sub\\b.txt", L"sub\\deep\\", L"sub\\deep\\c.txt"};
            if (target[0] == L'C')
                arrived.insert(arrived.begin() + 1, L"empty\\");
            EXPECT_EQ(one.Tree(into), arrived);
            EXPECT_EQ(one.Content(into + L"\\sub\\deep\\c.txt"), "gamma");
            EXPECT_EQ(one.Attributes(into + L"\\sub\\deep\\c.txt"), kNormal);
            EXPECT_FALSE(one.Exists(L"C:\\src"));
            EXPECT_EQ(counted.Snapshot().commandBytesDone, 14u);
        }
    }
}

// A locked file cannot move (across volumes not even as a copy), nor can the folders above it be
// renamed; a read-only one moves on one volume, and across volumes leaves its source beside the
// copy (never a lost file).
TEST_F(FolderCommandsTest, ALockedFileKeepsItsFoldersInTheSourceAndAReadOnlyOneItsSourceAcrossVolumes)
{
    for (const wchar_t* target : {L"D:\\dst", L"C:\\dst"}) {
        FakeFileSystem one;
        MakeSource(one);
        one.AddFile(L"C:\\src\\sub\\c.txt", "gamma");
        one.AddFile(L"C:\\src\\sub\\ro.txt", "r", kReadOnly);
        one.AddFile(L"C:\\src\\other\\d.txt", "delta");
        one.Lock(L"C:\\src\\sub\\b.txt");
        MoveFolderTree(one, progress, L"C:\\src", target);
        const std::wstring dst = target;
        SCOPED_TRACE(testing::PrintToString(dst));
        const bool across = dst[0] == L'D';
        Paths kept{L"sub\\", L"sub\\b.txt"};
        Paths arrived{L"src\\", L"src\\a.txt", L"src\\other\\", L"src\\other\\d.txt", L"src\\sub\\",
                      L"src\\sub\\c.txt", L"src\\sub\\ro.txt"};
        if (across) // the read-only file's copy arrives, but its source cannot be deleted
            kept.push_back(L"sub\\ro.txt");
        EXPECT_EQ(one.Tree(L"C:\\src"), kept);
        EXPECT_EQ(one.Tree(dst), arrived);
        EXPECT_EQ(one.Content(L"C:\\src\\sub\\b.txt"), "beta");
        EXPECT_EQ(one.Attributes(dst + L"\\src\\sub\\ro.txt"), kNormal);
    }
}

// Nothing is deleted to make room: a file whose move fails leaves the previous one in place.
TEST_F(FolderCommandsTest, MoveReplacesReadOnlyFilesInAnExistingDestinationAndAFailedMoveLeavesBoth)
{
    for (const wchar_t* target : {L"D:\\dst", L"C:\\dst"}) {
        FakeFileSystem one;
        one.AddFile(L"C:\\src\\a.txt", "new", kHidden);
        one.AddFile(L"C:\\src\\sub\\b.txt", "beta");
        one.AddFile(L"C:\\src\\f.txt", "new f");
        const std::wstring dst = target;
        one.AddFile(dst + L"\\src\\a.txt", "old", kReadOnly);
        one.AddFile(dst + L"\\src\\f.txt", "previous");
        one.AddFile(dst + L"\\src\\keep.txt", "kept");
        one.Fail(Op::Move, L"C:\\src\\f.txt");
        MoveFolderTree(one, progress, L"C:\\src", dst);
        SCOPED_TRACE(testing::PrintToString(dst));
        EXPECT_EQ(one.Content(dst + L"\\src\\a.txt"), "new");
        EXPECT_EQ(one.Attributes(dst + L"\\src\\a.txt"), kNormal);
        EXPECT_EQ(one.Content(dst + L"\\src\\keep.txt"), "kept");
        EXPECT_EQ(one.Content(dst + L"\\src\\sub\\b.txt"), "beta");
        EXPECT_EQ(one.Content(dst + L"\\src\\f.txt"), "previous");
        EXPECT_EQ(one.Tree(L"C:\\src"), Paths{L"f.txt"});
        EXPECT_EQ(one.Content(L"C:\\src\\f.txt"), "new f");
    }
}

TEST_F(FolderCommandsTest, CopyAndMoveDoNotFollowFolderLinks)
{
    for (auto* command : {&CopyFolderTree, &MoveFolderTree}) { // across volumes: links cannot go
        FakeFileSystem one;
        one.AddFile(L"D:\\elsewhere\\secret.txt", "s");
        MakeSource(one);
        one.AddFolderLink(L"C:\\src\\away", L"D:\\elsewhere");
        one.AddFolderLink(L"C:\\src\\sub\\loop", L"C:\\src");
        command(one, progress, L"C:\\src", L"E:\\dst");
        EXPECT_EQ(one.Tree(L"D:\\elsewhere"), Paths{L"secret.txt"});
        EXPECT_EQ(one.Tree(L"E:\\dst"), kCopiedSource);
        EXPECT_TRUE(one.Exists(L"C:\\src\\away"));
        EXPECT_TRUE(one.Exists(L"C:\\src\\sub\\loop"));
    }

    FakeFileSystem same; // on one volume the links travel with their folder
    same.AddFile(L"D:\\elsewhere\\secret.txt", "s");
    same.AddFile(L"C:\\src\\a.txt");
    same.AddFolderLink(L"C:\\src\\away", L"D:\\elsewhere");
    MoveFolderTree(same, progress, L"C:\\src", L"C:\\dst");
    EXPECT_EQ(same.Tree(L"C:\\dst"), (Paths{L"src\\", L"src\\a.txt", L"src\\away\\"}));
    EXPECT_EQ(same.Tree(L"D:\\elsewhere"), Paths{L"secret.txt"});

    FakeFileSystem linkRoot; // a source that is a link is not emptied through it
    linkRoot.AddFile(L"D:\\elsewhere\\secret.txt", "s");
    linkRoot.AddFolderLink(L"C:\\link", L"D:\\elsewhere");
    MoveFolderTree(linkRoot, progress, L"C:\\link", L"E:\\dst");
    EXPECT_EQ(linkRoot.Tree(L"D:\\elsewhere"), Paths{L"secret.txt"});
    EXPECT_TRUE(linkRoot.Exists(L"C:\\link"));
}

// ---- delete ----

TEST_F(FolderCommandsTest, DeleteRemovesReadOnlyAndHiddenContentButKeepsALockedFileAndItsFolders)
{
    fs.AddFile(L"C:\\old\\a.txt", "a", kReadOnly);
    fs.AddFile(L"C:\\old\\sub\\b.txt", "b", kHidden);
    fs.AddFolder(L"C:\\old\\e", kFolder | kHidden);
    fs.AddFile(L"C:\\old\\held\\c.txt", "c");
    fs.Lock(L"C:\\old\\held\\c.txt");
    fs.AddFile(L"C:\\older.txt", "neighbour");
    progress.StartBytes(5);
    progress.SetCommandBytes(5);
    DeleteFolderTree(fs, progress, L"C:\\old");
    EXPECT_EQ(fs.Tree(L"C:\\old"), (Paths{L"held\\", L"held\\c.txt"}));
    EXPECT_TRUE(fs.Exists(L"C:\\older.txt"));
    const ProgressSnapshot now = progress.Snapshot();
    EXPECT_EQ(now.commandBytesDone + now.commandBytesTotal + now.fileBytesDone + now.fileBytesTotal, 0u);
    EXPECT_EQ(now.fileName, L"old");
}

TEST_F(FolderCommandsTest, DeleteWithATrailingSeparatorKeepsTheFolderAndOfAMissingOneChangesNothing)
{
    fs.AddFile(L"C:\\old\\a.txt");
    fs.AddFile(L"C:\\old\\sub\\b.txt");
    DeleteFolderTree(fs, progress, L"C:\\old\\");
    EXPECT_EQ(fs.Attributes(L"C:\\old"), kFolder);
    EXPECT_EQ(fs.Tree(L"C:\\old"), Paths{});

    fs.calls.clear();
    DeleteFolderTree(fs, progress, L"C:\\missing");
    EXPECT_EQ(fs.ChangingCalls(), Paths{});
}

TEST_F(FolderCommandsTest, DeleteRemovesFolderLinksButNotWhatTheyLeadTo)
{
    fs.AddFolder(L"D:\\keep", kFolder | kHidden);
    fs.AddFile(L"D:\\keep\\precious.txt", "p", kReadOnly);
    fs.AddFile(L"C:\\old\\a.txt");
    fs.AddFolderLink(L"C:\\old\\away", L"D:\\keep");
    fs.AddFolderLink(L"C:\\old\\sub\\loop", L"C:\\old");
    DeleteFolderTree(fs, progress, L"C:\\old");
    EXPECT_FALSE(fs.Exists(L"C:\\old"));
    EXPECT_EQ(fs.Tree(L"D:\\keep"), Paths{L"precious.txt"});
    EXPECT_EQ(fs.Attributes(L"D:\\keep"), kFolder | kHidden);
    EXPECT_EQ(fs.Attributes(L"D:\\keep\\precious.txt"), kReadOnly);

    fs.AddFolderLink(L"C:\\link", L"D:\\keep"); // the named folder itself is a link
    DeleteFolderTree(fs, progress, L"C:\\link");
    EXPECT_FALSE(fs.Exists(L"C:\\link"));
    EXPECT_EQ(fs.Tree(L"D:\\keep"), Paths{L"precious.txt"});
}

// ---- calls per file ----

// A small file costs what its calls cost: where nothing needs a reset a copy makes one call per
// file, and it resets only what the source and destination listings show.
TEST_F(FolderCommandsTest, CopyResetsOnlyWhatTheListingsShow)
{
    constexpr uint32_t kPlain = FileAttribute::Archive, kNone = 0;
    const std::wstring copy = L"Copy C:\\src\\a.txt -> D:\\dst\\src\\a.txt";
    const std::wstring reset = L"SetAttributes D:\\dst\\src\\a.txt";
    struct Case { uint32_t source; uint32_t old; Paths after; }; // old: kNone when nothing is there
    const Case cases[] = {
        {kPlain, kNone, {copy}},
        {kReadOnly, kNone, {copy, reset}},
        {kHidden | FileAttribute::System, kNone, {copy, reset}},
        {FileAttribute::Temporary, kNone, {copy, reset}},
        {kPlain, kPlain, {copy}},
        {kPlain, kReadOnly, {reset, copy}},
        {kPlain, kHidden, {reset, copy}},
        {kReadOnly, kReadOnly | kHidden, {reset, copy, reset}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.source << " over " << c.old);
        FakeFileSystem one;
        one.AddFile(L"C:\\src\\a.txt", "new", c.source);
        if (c.old != kNone)
            one.AddFile(L"D:\\dst\\src\\a.txt", "old", c.old);
        CopyFolderTree(one, progress, L"C:\\src", L"D:\\dst");
        Paths expected{L"CreateFolderTree D:\\dst", L"CreateFolderTree D:\\dst\\src"};
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(one.ChangingCalls(), expected);
        EXPECT_EQ(one.Content(L"D:\\dst\\src\\a.txt"), "new");
        EXPECT_EQ(one.Attributes(L"D:\\dst\\src\\a.txt") & (kReadOnly | kHidden | FileAttribute::System), 0u);
    }
}

// A folder that was there already is listed once, however many files go into it.
TEST_F(FolderCommandsTest, ADestinationFolderIsListedOnceAndAFolderMadeByTheCopyNever)
{
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
        fs.AddFile(std::wstring(L"C:\\src\\") + name, "new");
        fs.AddFile(std::wstring(L"C:\\src\\sub\\") + name, "new");
        fs.AddFile(std::wstring(L"D:\\dst\\src\\") + name, "old", kReadOnly);
    }
    fs.AddFolder(L"D:\\dst\\src\\sub", kFolder | kHidden);
    fs.AddFolder(L"D:\\dst\\src\\plain");
    fs.AddFile(L"C:\\src\\fresh\\d.txt", "new"); // its folder is made by the copy
    CopyFolderTree(fs, progress, L"C:\\src", L"D:\\dst");
    Paths listings;
    for (const std::wstring& call : fs.calls)
        if (call.compare(0, 12, L"Enumerate D:") == 0)
            listings.push_back(call);
    EXPECT_EQ(listings,
              (Paths{L"Enumerate D:\\dst\\*", L"Enumerate D:\\dst\\src\\*", L"Enumerate D:\\dst\\src\\sub\\*"}));
    EXPECT_EQ(fs.Attributes(L"D:\\dst\\src\\sub"), kFolder);
    for (const wchar_t* copied : {L"D:\\dst\\src\\b.txt", L"D:\\dst\\src\\sub\\c.txt"}) {
        EXPECT_EQ(fs.Content(copied), "new");
        EXPECT_EQ(fs.Attributes(copied), FileAttribute::Archive);
    }
}

// The listing can miss a file that refuses to be replaced (made read-only since, or named in a
// case only the platform folds): a failed copy into a folder that was there resets the file
// and tries once more; into a folder the copy made, or with nothing to reset, it does not.
TEST_F(FolderCommandsTest, AFailedReplacementInAnExistingFolderIsTriedOnceMoreAfterAReset)
{
    const std::wstring copy = L"Copy C:\\src\\a.txt -> D:\\dst\\src\\a.txt";
    const std::wstring reset = L"SetAttributes D:\\dst\\src\\a.txt";
    struct Case { bool folderThere; bool fileThere; bool markedLater; bool failing; Paths calls; std::string left; };
    const Case cases[] = {
        {true, true, true, false, {copy, reset, copy}, "new"},
        {true, true, false, true, {copy, reset, copy}, "old"}, // still failing: the old file stays
        {true, false, false, true, {copy, reset}, "<missing>"}, // nothing there to reset: no second copy
        {false, false, false, true, {copy}, "<missing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.folderThere << c.fileThere << c.markedLater << c.failing);
        FakeFileSystem one;
        one.AddFile(L"C:\\src\\a.txt", "new");
        if (c.folderThere)
            one.AddFolder(L"D:\\dst\\src");
        if (c.fileThere)
            one.AddFile(L"D:\\dst\\src\\a.txt", "old");
        if (c.markedLater)
            one.BeforeCall(copy, [&one]() { one.AddFile(L"D:\\dst\\src\\a.txt", "old", kReadOnly); });
        if (c.failing)
            one.Fail(Op::Copy, L"C:\\src\\a.txt");
        CopyFolderTree(one, progress, L"C:\\src", L"D:\\dst");
        Paths expected{L"CreateFolderTree D:\\dst", L"CreateFolderTree D:\\dst\\src"};
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(one.ChangingCalls(), expected);
        EXPECT_EQ(one.Content(L"D:\\dst\\src\\a.txt"), c.left);
    }
}

// What a rename carries along keeps its attributes: only the entries listed with resettable
// bits are reset afterwards. (Across volumes each file is replaced as a copy replaces it.)
TEST_F(FolderCommandsTest, AMoveResetsOnlyWhatArrivedWithResettableBits)
{
    fs.AddFile(L"C:\\src\\a.txt", "a");
    fs.AddFile(L"C:\\src\\h.txt", "h", kHidden);
    fs.AddFile(L"C:\\src\\sub\\b.txt", "b");
    fs.AddFolder(L"C:\\src\\sys", kFolder | FileAttribute::System);
    MoveFolderTree(fs, progress, L"C:\\src", L"C:\\dst");
    EXPECT_EQ(fs.ChangingCalls(), (Paths{L"CreateFolderTree C:\\dst", L"Move C:\\src -> C:\\dst\\src",
                                         L"SetAttributes C:\\dst\\src\\h.txt", L"SetAttributes C:\\dst\\src\\sys"}));
    EXPECT_EQ(fs.Attributes(L"C:\\dst\\src\\h.txt"), kNormal);
    EXPECT_EQ(fs.Attributes(L"C:\\dst\\src\\sys"), kFolder);
    EXPECT_EQ(fs.Content(L"C:\\dst\\src\\sub\\b.txt"), "b");
}

// ---- threads ----

// Everything on the fake's drives: each path with its attributes and content.
Paths Snapshot(const FakeFileSystem& fs)
{
    Paths all;
    for (const std::wstring drive : {L"C:\\", L"D:\\", L"E:\\"}) {
        for (const std::wstring& path : fs.Tree(drive)) {
            const std::string content = fs.Content(drive + path);
            all.push_back(drive + path + L" " + std::to_wstring(fs.Attributes(drive + path)) + L" " +
                          WidenBytes(content));
        }
    }
    return all;
}

// 4 folders of 3 subfolders, 5 files in each of the 16: some read-only, some hidden.
void MakeBusyTree(FakeFileSystem& fs, const std::wstring& root)
{
    int n = 0;
    for (const wchar_t* top : {L"a", L"b", L"c", L"d"}) {
        for (const wchar_t* sub : {L"", L"\\x", L"\\y", L"\\z"}) {
            for (int file = 0; file < 5; ++file, ++n) {
                const uint32_t attributes = n % 7 == 3 ? kReadOnly : n % 5 == 1 ? kHidden : FileAttribute::Archive;
                fs.AddFile(root + L"\\" + top + sub + L"\\f" + std::to_wstring(file) + L".txt",
                           std::string(static_cast<size_t>(n + 1), 'a' + static_cast<char>(n % 26)), attributes);
            }
        }
    }
}

// With several threads every file keeps its rules on its own, so a copy or move leaves exactly
// what the one-by-one command leaves, with the same calls made (in another order), failures
// and locked files included.
TEST_F(FolderCommandsTest, ThreadsLeaveWhatOneThreadLeavesWithTheSameCalls)
{
    struct Scenario
    {
        const char* what;
        bool move;
        const wchar_t* source;
        const wchar_t* target;
        std::function<void(FakeFileSystem&)> make;
    };
    const Scenario scenarios[] = {
        {"copy into a new folder", false, L"C:\\src", L"D:\\dst",
         [](FakeFileSystem& one) { MakeBusyTree(one, L"C:\\src"); }},
        {"copy over an earlier copy", false, L"C:\\src", L"D:\\dst",
         [](FakeFileSystem& one) {
             MakeBusyTree(one, L"C:\\src");
             MakeBusyTree(one, L"D:\\dst\\src");
             one.AddFile(L"D:\\dst\\src\\a\\f0.txt", "old, read-only", kReadOnly);
             one.AddFile(L"D:\\dst\\src\\b\\x\\f1.txt", "old, hidden", kHidden);
             one.AddFile(L"D:\\dst\\src\\c\\f2.txt", "old, locked");
             one.Lock(L"D:\\dst\\src\\c\\f2.txt");
             one.Fail(Op::Copy, L"C:\\src\\d\\y\\f3.txt");
             one.Lock(L"C:\\src\\a\\x\\f4.txt"); // open elsewhere, still readable
             one.AddFolder(L"D:\\dst\\src\\b", kFolder | kHidden);
         }},
        {"copy into itself", false, L"C:\\src", L"C:\\src\\a\\backup",
         [](FakeFileSystem& one) { MakeBusyTree(one, L"C:\\src"); }},
        {"move on one volume", true, L"C:\\src", L"C:\\dst",
         [](FakeFileSystem& one) {
             MakeBusyTree(one, L"C:\\src");
             one.Lock(L"C:\\src\\b\\y\\f2.txt"); // its folders cannot be renamed
             one.AddFile(L"C:\\dst\\src\\a\\f0.txt", "old", kReadOnly); // neither can src nor a
         }},
        {"move across volumes", true, L"C:\\src\\", L"D:\\dst",
         [](FakeFileSystem& one) {
             MakeBusyTree(one, L"C:\\src");
             one.AddFile(L"D:\\keep\\s.txt", "precious", kReadOnly);
             one.AddFolderLink(L"C:\\src\\c\\away", L"D:\\keep");
             one.Lock(L"C:\\src\\a\\x\\f1.txt");
             one.Fail(Op::Move, L"C:\\src\\d\\f4.txt");
             one.AddFile(L"D:\\dst\\b\\f0.txt", "old", kReadOnly | kHidden);
         }},
    };
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.what);
        Paths oneByOne, oneByOneCalls, oneByOneOutcome;
        std::vector<std::wstring> oneByOneFailed;
        for (int threads : {1, 2, 4, 16}) {
            SCOPED_TRACE(threads);
            FakeFileSystem one;
            InstallProgress counted;
            scenario.make(one);
            std::atomic<bool> running{true};
            std::thread window([&]() { // reads what it paints while the copies run (for the tsan preset)
                while (running) {
                    const ProgressSnapshot now = counted.Snapshot();
                    EXPECT_LE(now.commandBytesDone, now.commandBytesTotal);
                    EXPECT_LE(now.fileBytesDone, now.fileBytesTotal);
                }
            });
            FolderOutcome outcome;
            std::vector<std::wstring> failed;
            outcome.failed = [&failed](const std::wstring& path, const std::wstring&) { failed.push_back(path); };
            (scenario.move ? MoveFolderTreeWithThreads : CopyFolderTreeWithThreads)(one, counted, scenario.source,
                                                                                   scenario.target, threads, &outcome,
                                                                                   std::wstring());
            std::sort(failed.begin(), failed.end());
            const Paths outcomeSeen = {std::to_wstring(outcome.files) + L" files, " + std::to_wstring(outcome.bytes) +
                                       L" bytes, " + std::to_wstring(outcome.failures) + L" failed"};
            running = false;
            window.join();
            Paths calls = one.ChangingCalls();
            std::sort(calls.begin(), calls.end());
            EXPECT_EQ(failed.size(), outcome.failures.load());
            if (threads == 1) {
                oneByOne = Snapshot(one);
                oneByOneCalls = calls;
                oneByOneOutcome = outcomeSeen;
                oneByOneFailed = failed;
            } else {
                EXPECT_EQ(Snapshot(one), oneByOne);
                EXPECT_EQ(calls, oneByOneCalls);
                EXPECT_EQ(outcomeSeen, oneByOneOutcome);
                EXPECT_EQ(failed, oneByOneFailed);
            }
            EXPECT_EQ(one.HeldFolders(), 0);
            const ProgressSnapshot done = counted.Snapshot();
            EXPECT_GT(done.commandBytesTotal, 0u);
            EXPECT_EQ(done.commandBytesDone, done.commandBytesTotal);
        }
    }
}

TEST(SamePathText, FoldsSeparatorsDotsAndAsciiCase)
{
    struct Case { const wchar_t* a; const wchar_t* b; bool same; };
    const Case cases[] = {
        {L"C:\\work\\src", L"c:/WORK//src/", true},
        {L"C:\\work\\x\\..\\src", L"C:\\work\\.\\src", true},
        {L"C:\\work\\src", L"C:\\work\\src2", false},
        {L"\\work", L"work", false},
        {L"C:\\\u00c9", L"C:\\\u00e9", false}, // only ASCII letters fold
    };
    for (const Case& c : cases)
        EXPECT_EQ(SamePathText(c.a, c.b), c.same) << testing::PrintToString(std::wstring(c.a));
}

} // namespace

// What the run log is told: files handled and bytes, every failure with its path, and commands
// refused whole.
TEST_F(FolderCommandsTest, OutcomesCountWhatWasDoneAndNameWhatFailed)
{
    struct Record
    {
        FolderOutcome outcome;
        std::vector<std::wstring> failed;
        Record()
        {
            outcome.failed = [this](const std::wstring& path, const std::wstring& reason) {
                failed.push_back(path.empty() ? reason : path);
            };
        }
        std::wstring Counts() const
        {
            return std::to_wstring(outcome.files) + L" " + std::to_wstring(outcome.bytes) + L" " +
                   std::to_wstring(outcome.failures) + (outcome.refused ? L" refused" : L"");
        }
    };
    fs.AddFile(L"C:\\src\\a.txt", "alpha");
    fs.AddFile(L"C:\\src\\sub\\b.txt", "beta");
    fs.AddFile(L"C:\\src\\sub\\c.txt", "gamma");
    fs.Fail(Op::Copy, L"C:\\src\\sub\\b.txt");
    Record copy;
    CopyFolderTreeWithThreads(fs, progress, L"C:\\src", L"D:\\dst", 1, &copy.outcome);
    EXPECT_EQ(copy.Counts(), L"2 10 1");
    EXPECT_EQ(copy.failed, std::vector<std::wstring>{L"C:\\src\\sub\\b.txt"});

    fs.Lock(L"D:\\dst\\src\\a.txt"); // cannot be deleted
    Record remove;
    DeleteFolderTree(fs, progress, L"D:\\dst", &remove.outcome);
    EXPECT_EQ(remove.Counts(), L"1 5 3"); // c.txt went; a.txt and the two folders above it stayed
    EXPECT_EQ(remove.failed, (std::vector<std::wstring>{L"D:\\dst\\src\\a.txt", L"D:\\dst\\src", L"D:\\dst"}));

    Record root;
    DeleteFolderTree(fs, progress, L"C:\\src\\..", &root.outcome);
    EXPECT_EQ(root.Counts(), L"0 0 1 refused");
    Record missing;
    CopyFolderTreeWithThreads(fs, progress, L"C:\\missing", L"D:\\new", 1, &missing.outcome);
    EXPECT_EQ(missing.failed, std::vector<std::wstring>{L"the source folder is not there"});
    EXPECT_EQ(fs.Attributes(L"D:\\new"), kFolder); // made as it always was
    Record moved;
    MoveFolderTreeWithThreads(fs, progress, L"C:\\src", L"E:\\away", 1, &moved.outcome);
    EXPECT_EQ(moved.Counts(), L"3 14 0");
}
