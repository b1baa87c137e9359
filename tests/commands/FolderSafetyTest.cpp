// What the folder commands must never reach, on the in-memory file system that can hold what
// the platform can: links on the destination side and file links (listed as links, or hidden
// as Wine hides them), a drive letter that is a second spelling of a folder, letters that fold
// beyond ASCII, paths in the "\\?\" form and device roots. Each outside file must come through
// untouched, and each refusal must reach the outcome.
#include "commands/FolderCommands.h"

#include "commands/FakeFileSystem.h"
#include "commands/FolderPaths.h"
#include "commands/InstallState.h"
#include "commands/RunCallbacks.h"

#include <gtest/gtest.h>

namespace {

using Paths = std::vector<std::wstring>;

// An outcome that keeps every line the run log would get.
struct Record
{
    FolderOutcome outcome;
    Paths failed;
    Paths passed;
    Record()
    {
        outcome.failed = [this](const std::wstring& path, const std::wstring& reason) {
            failed.push_back(path.empty() ? reason : path + L": " + reason);
        };
        outcome.passed = [this](const std::wstring& path, const std::wstring& reason) {
            passed.push_back(path + L": " + reason);
        };
    }
    bool AnyFailedWith(const std::wstring& fragment) const
    {
        for (const std::wstring& line : failed)
            if (line.find(fragment) != std::wstring::npos)
                return true;
        return false;
    }
};

class FolderSafetyTest : public testing::Test
{
protected:
    // C:\src: a.txt, sub\b.txt; E:\outside\precious.txt (read-only), which nothing may reach.
    void MakeTrees(FakeFileSystem& into)
    {
        into.AddFile(L"C:\\src\\a.txt", "alpha");
        into.AddFile(L"C:\\src\\sub\\b.txt", "beta");
        into.AddFile(L"E:\\outside\\precious.txt", "precious", FileAttribute::ReadOnly);
    }
    void ExpectOutsideUntouched(const FakeFileSystem& fs)
    {
        EXPECT_EQ(fs.Tree(L"E:\\outside"), Paths{L"precious.txt"});
        EXPECT_EQ(fs.Content(L"E:\\outside\\precious.txt"), "precious");
        EXPECT_EQ(fs.Attributes(L"E:\\outside\\precious.txt"), FileAttribute::ReadOnly);
    }

    InstallProgress progress;
};

using TransferFn = void (*)(FileSystem&, InstallProgress&, const std::wstring&, const std::wstring&, int,
                            FolderOutcome*, const std::wstring&);

// Copy and move write only into folders they hold as plain folders, from the target down: a
// destination folder that is a link is refused with everything below it, and a file link is
// replaced itself (or, where the platform hides it, left alone), never written through.
TEST_F(FolderSafetyTest, CopyAndMoveNeverWriteThroughALinkOnTheDestinationSide)
{
    struct Case
    {
        const char* name;
        TransferFn command;
        const wchar_t* link;   // made on the destination side, leading to E:\outside...
        bool fileLink;
        bool hidden;           // listed as a plain file, as Wine lists file links
        Paths arrived;         // what D:\dst holds afterwards, links not entered
        Paths sourceLeft;      // what C:\src still holds
        size_t failures;
    };
    const Paths whole{L"a.txt", L"sub\\", L"sub\\b.txt"};
    const Paths arrivedWhole{L"src\\", L"src\\a.txt", L"src\\sub\\", L"src\\sub\\b.txt"};
    const Paths arrivedButSub{L"src\\", L"src\\a.txt", L"src\\sub\\"};
    const Case cases[] = {
        {"copy, the source's folder at the destination", &CopyFolderTreeWithThreads, L"D:\\dst\\src", false, false,
         {L"src\\"}, whole, 2},
        {"copy, a subfolder at the destination", &CopyFolderTreeWithThreads, L"D:\\dst\\src\\sub", false, false,
         arrivedButSub, whole, 1},
        {"copy, a file link", &CopyFolderTreeWithThreads, L"D:\\dst\\src\\a.txt", true, false, arrivedWhole, whole, 0},
        {"copy, a file link listed as a file", &CopyFolderTreeWithThreads, L"D:\\dst\\src\\a.txt", true, true,
         arrivedWhole, whole, 1},
        {"move, a subfolder at the destination", &MoveFolderTreeWithThreads, L"D:\\dst\\src\\sub", false, false,
         arrivedButSub, {L"sub\\", L"sub\\b.txt"}, 1},
        {"move, a file link", &MoveFolderTreeWithThreads, L"D:\\dst\\src\\a.txt", true, false, arrivedWhole, {}, 0},
        {"move, a file link listed as a file", &MoveFolderTreeWithThreads, L"D:\\dst\\src\\a.txt", true, true,
         arrivedWhole, {L"a.txt"}, 1},
    };
    for (const Case& c : cases) {
        for (int threads : {1, 4}) {
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            FakeFileSystem fs;
            MakeTrees(fs);
            fs.HideFileLinks(c.hidden);
            fs.AddFolder(L"D:\\dst");
            if (c.fileLink)
                fs.AddFileLink(c.link, L"E:\\outside\\precious.txt");
            else
                fs.AddFolderLink(c.link, L"E:\\outside");
            Record record;
            c.command(fs, progress, L"C:\\src", L"D:\\dst", threads, &record.outcome, std::wstring());
            ExpectOutsideUntouched(fs);
            EXPECT_EQ(fs.Tree(L"D:\\dst"), c.arrived);
            EXPECT_EQ(fs.Tree(L"C:\\src"), c.sourceLeft);
            EXPECT_EQ(record.failed.size(), c.failures) << testing::PrintToString(record.failed);
            if (c.fileLink && !c.hidden) { // the link gave way to the file itself
                EXPECT_EQ(fs.Content(L"D:\\dst\\src\\a.txt"), "alpha");
                EXPECT_EQ(fs.Attributes(L"D:\\dst\\src\\a.txt") & FileAttribute::ReparsePoint, 0u);
            }
            if (!c.fileLink) {
                EXPECT_TRUE(record.AnyFailedWith(L"refused: the destination folder \"" + std::wstring(c.link) +
                                                 L"\" is a link or not a folder"));
            }
            EXPECT_EQ(fs.HeldFolders(), 0);
        }
    }

    // A target that is itself a link is refused whole; one the command makes is held as it goes.
    FakeFileSystem linked;
    MakeTrees(linked);
    linked.AddFolderLink(L"D:\\dst", L"E:\\outside");
    Record record;
    CopyFolderTreeWithThreads(linked, progress, L"C:\\src", L"D:\\dst", 1, &record.outcome);
    ExpectOutsideUntouched(linked);
    EXPECT_TRUE(record.outcome.refused);
    EXPECT_EQ(record.failed, Paths{L"refused: the target \"D:\\dst\" is a link or not a folder"});

    // A destination folder another program tries to swap for a link while files go into it
    // stays where it is: it is held.
    FakeFileSystem swapped;
    MakeTrees(swapped);
    bool moved = true;
    swapped.BeforeCall(L"Copy C:\\src\\sub\\b.txt -> D:\\dst\\src\\sub\\b.txt", [&]() {
        moved = swapped.MoveOneFile(L"D:\\dst\\src\\sub", L"D:\\elsewhere", 0, nullptr);
    });
    CopyFolderTree(swapped, progress, L"C:\\src", L"D:\\dst");
    EXPECT_FALSE(moved);
    EXPECT_EQ(swapped.Tree(L"D:\\dst\\src"), whole);
}

// A variable that expanded to nothing, or a path written on whatever drive is current, never
// names a folder for any of the three commands: "\tmp\victim" would be that folder on the
// current drive. Plain relative paths still resolve against the current folder.
TEST_F(FolderSafetyTest, PathsOnTheCurrentDriveAndEmptyVariablesAreRefused)
{
    InstallCommand command;
    EXPECT_EQ(RefusalOf(command), L"");
    command.SetEmptyVariable(L"HOMESHARE");
    EXPECT_EQ(RefusalOf(command),
              L"refused: %HOMESHARE% expanded to nothing, which would leave a path on whatever drive is current");

    for (const wchar_t* written : {L"\\tmp\\victim", L"/tmp/victim", L"C:tmp\\victim", L"C:", L"c:tmp"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(written)));
        FakeFileSystem fs;
        fs.AddFile(L"C:\\tmp\\victim\\v.txt", "v");
        fs.AddFile(L"C:\\src\\a.txt", "a");
        fs.SetCurrentFolder(L"C:\\");
        const Paths before = fs.Tree(L"C:\\");
        Record deleted, movedFrom, copiedInto, movedInto;
        DeleteFolderTree(fs, progress, written, &deleted.outcome);
        MoveFolderTreeWithThreads(fs, progress, written, L"D:\\dst", 1, &movedFrom.outcome);
        CopyFolderTreeWithThreads(fs, progress, L"C:\\src", written, 1, &copiedInto.outcome);
        MoveFolderTreeWithThreads(fs, progress, L"C:\\src", written, 1, &movedInto.outcome);
        EXPECT_EQ(fs.Tree(L"C:\\"), before);
        EXPECT_FALSE(fs.Exists(L"D:\\dst"));
        EXPECT_EQ(fs.ChangingCalls(), Paths{});
        for (const Record* record : {&deleted, &movedFrom, &copiedInto, &movedInto}) {
            EXPECT_TRUE(record->outcome.refused);
            EXPECT_TRUE(record->AnyFailedWith(L"names a folder on whatever drive is current"));
        }
    }

    FakeFileSystem relative; // "sub\x" is what it always was: the current folder's sub\x
    relative.AddFile(L"C:\\work\\sub\\x\\a.txt");
    relative.AddFile(L"C:\\sub\\x\\keep.txt");
    relative.SetCurrentFolder(L"C:\\work");
    DeleteFolderTree(relative, progress, L"sub\\x");
    EXPECT_FALSE(relative.Exists(L"C:\\work\\sub\\x"));
    EXPECT_TRUE(relative.Exists(L"C:\\sub\\x\\keep.txt"));
}

// "Inside the source" is decided by identity and the file system's own case rules: a drive
// letter for the same folder, the "\\?\" form and letters in another case beyond ASCII all name
// the source, and a second run does what the first did, never one level deeper.
TEST_F(FolderSafetyTest, ADestinationInsideTheSourceByAnotherNameIsLeftOut)
{
    // `movable`: a move of the content of a drive's root (Y:\ here) is refused as a root.
    struct Case { const wchar_t* source; const wchar_t* target; const wchar_t* backup; Paths inBackup; bool movable = true; };
    const Paths data{L"Données\\", L"Données\\a.txt", L"Données\\sub\\", L"Données\\sub\\b.txt"};
    const Case cases[] = {
        {L"C:\\Données", L"Y:\\backup", L"C:\\Données\\backup", data},              // Y: is C:\Données
        {L"C:\\Données", L"\\\\?\\C:\\Données\\backup", L"C:\\Données\\backup", data},
        {L"C:\\Données", L"C:\\DONNÉES\\backup", L"C:\\Données\\backup", data},
        {L"Y:\\", L"C:\\DONNÉES\\Backup", L"C:\\Données\\backup", {L"a.txt", L"sub\\", L"sub\\b.txt"}, false},
        {L"C:\\DONNÉES\\", L"Y:\\SUB\\inner", L"C:\\Données\\sub\\inner",
         {L"a.txt", L"sub\\", L"sub\\b.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.source) + L" -> " + c.target));
        for (auto* command : {&CopyFolderTree, &MoveFolderTree}) {
            FakeFileSystem fs;
            fs.AddFile(L"C:\\Données\\a.txt", "alpha");
            fs.AddFile(L"C:\\Données\\sub\\b.txt", "beta");
            fs.AddDriveAlias(L"Y:", L"C:\\Données");
            for (int run = 0; run < 2; ++run) {
                if (command == &MoveFolderTree && run == 1) { // the move took the files: bring new ones
                    fs.AddFile(L"C:\\Données\\a.txt", "alpha");
                    fs.AddFile(L"C:\\Données\\sub\\b.txt", "beta");
                }
                command(fs, progress, c.source, c.target);
            }
            EXPECT_EQ(fs.Tree(c.backup), command == &CopyFolderTree || c.movable ? c.inBackup : Paths{});
        }
    }

    // The source itself by another name is refused whole.
    for (const wchar_t* target : {L"Z:\\", L"\\\\?\\C:\\"}) {
        FakeFileSystem fs;
        fs.AddFile(L"C:\\data\\a.txt", "alpha", FileAttribute::ReadOnly);
        fs.AddDriveAlias(L"Z:", L"C:\\");
        Record record;
        CopyFolderTreeWithThreads(fs, progress, L"C:\\data", target, 1, &record.outcome);
        MoveFolderTreeWithThreads(fs, progress, L"C:\\data", target, 1, &record.outcome);
        EXPECT_EQ(record.failed, Paths(2, L"refused: the destination is the source itself"));
        EXPECT_EQ(fs.Content(L"C:\\data\\a.txt"), "alpha");
    }
}

// A file link inside a deleted tree loses only itself: its target keeps its content and its
// read-only bit. Where the platform hides the link (Wine) it is left alone and said so.
TEST_F(FolderSafetyTest, AFileLinkInADeletedTreeNeverReachesItsTarget)
{
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "listed as a file" : "listed as a link");
        FakeFileSystem fs;
        fs.HideFileLinks(hidden);
        fs.AddFile(L"E:\\outside\\precious.txt", "precious", FileAttribute::ReadOnly);
        fs.AddFile(L"C:\\old\\a.txt", "a", FileAttribute::ReadOnly);
        fs.AddFileLink(L"C:\\old\\lnk.txt", L"E:\\outside\\precious.txt");
        fs.AddFileLink(L"C:\\named.txt", L"E:\\outside\\precious.txt");
        Record record, named;
        DeleteFolderTree(fs, progress, L"C:\\old", &record.outcome);
        DeleteFolderTree(fs, progress, L"C:\\named.txt", &named.outcome);
        ExpectOutsideUntouched(fs);
        EXPECT_FALSE(fs.Exists(L"C:\\old\\a.txt"));
        EXPECT_EQ(fs.Exists(L"C:\\old\\lnk.txt"), hidden);
        EXPECT_EQ(fs.Exists(L"C:\\named.txt"), hidden);
        if (hidden) {
            EXPECT_TRUE(record.AnyFailedWith(L"C:\\old\\lnk.txt: a link that cannot be changed here without reaching "
                                             L"what it leads to: left alone"));
            EXPECT_EQ(named.failed.size(), 1u);
        } else {
            EXPECT_EQ(record.failed, Paths{});
            EXPECT_FALSE(fs.Exists(L"C:\\old"));
        }
    }
}

// A "\\?\" path goes to the file system exactly as written: "keep." is not its plain twin
// "keep", and ".." inside it is no step up. The rules read its normal form: its root is refused.
TEST_F(FolderSafetyTest, AnExtendedPathIsUsedExactlyAsWritten)
{
    FakeFileSystem fs;
    fs.AddFile(L"\\\\?\\C:\\w\\keep.\\dot.txt", "dot");
    fs.AddFile(L"C:\\w\\keep\\plain.txt", "plain");
    fs.AddFile(L"C:\\w\\x\\a.txt", "a");
    DeleteFolderTree(fs, progress, L"\\\\?\\C:\\w\\keep.");
    EXPECT_FALSE(fs.Exists(L"\\\\?\\C:\\w\\keep."));
    EXPECT_EQ(fs.Content(L"C:\\w\\keep\\plain.txt"), "plain");

    CopyFolderTree(fs, progress, L"\\\\?\\C:\\w\\keep", L"\\\\?\\D:\\dst.");
    EXPECT_EQ(fs.Content(L"\\\\?\\D:\\dst.\\keep\\plain.txt"), "plain");
    EXPECT_FALSE(fs.Exists(L"D:\\dst"));

    const Paths before = fs.Tree(L"C:\\w");
    for (const wchar_t* path : {L"\\\\?\\C:\\w\\x\\..", L"\\\\?\\C:\\w\\x\\."}) {
        DeleteFolderTree(fs, progress, path); // no such name: nothing happens
        MoveFolderTree(fs, progress, path, L"D:\\moved");
    }
    Record root;
    DeleteFolderTree(fs, progress, L"\\\\?\\C:\\w\\..", &root.outcome); // its normal form is C:'s root
    EXPECT_TRUE(root.outcome.refused);
    EXPECT_EQ(fs.Tree(L"C:\\w"), before);
    EXPECT_EQ(fs.Tree(L"D:\\moved"), Paths{});
}

// Volume roots named by device, and folders whose final path is a volume root, are roots.
TEST_F(FolderSafetyTest, DeviceRootsAndFoldersThatResolveToARootAreNeverTakenApart)
{
    FakeFileSystem fs;
    fs.AddFile(L"D:\\data\\a.txt", "a");
    fs.AddFolderLink(L"C:\\mnt\\volume", L"D:\\");
    for (const wchar_t* root :
         {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3\\", L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3",
          L"\\\\?\\Global\\D:\\", L"\\\\.\\Global\\D:\\", L"\\\\?\\GLOBALROOT\\??\\D:\\", L"\\\\?\\Global\\GLOBALROOT\\Device\\X\\",
          L"\\\\.\\GLOBALROOT\\Device\\HarddiskVolume3\\x\\..", L"C:\\mnt\\volume", L"C:\\mnt\\volume\\",
          L"D:\\data\\...\\..\\.."}) { // "..." is a name, so the first ".." undoes it
        SCOPED_TRACE(testing::PrintToString(std::wstring(root)));
        Record deleted, moved;
        DeleteFolderTree(fs, progress, root, &deleted.outcome);
        MoveFolderTreeWithThreads(fs, progress, root, L"E:\\dst", 1, &moved.outcome);
        EXPECT_TRUE(deleted.outcome.refused);
        EXPECT_TRUE(moved.outcome.refused);
        EXPECT_TRUE(deleted.AnyFailedWith(L"is a drive, share or device root"));
    }
    EXPECT_EQ(fs.Content(L"D:\\data\\a.txt"), "a");
    EXPECT_TRUE(fs.Exists(L"C:\\mnt\\volume"));
    EXPECT_FALSE(fs.Exists(L"E:\\dst"));
    // A device path below the root is a folder like any other.
    EXPECT_EQ(PathRootLength(L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume3\\x"), 38u);
    EXPECT_EQ(PathRootLength(L"\\\\?\\Global\\C:\\x"), 14u);
}

// Links inside a copied tree are passed over, and the log says so; the named source may be a
// link. A move renames links with their folder on one volume and leaves them across volumes.
TEST_F(FolderSafetyTest, LinksInsideACopiedTreeArePassedOverAndSaidSo)
{
    FakeFileSystem fs;
    MakeTrees(fs);
    fs.AddFolderLink(L"C:\\src\\away", L"E:\\outside");
    fs.AddFileLink(L"C:\\src\\sub\\lnk.txt", L"E:\\outside\\precious.txt");
    fs.AddFolderLink(L"C:\\named", L"C:\\src\\sub");
    Record copied;
    CopyFolderTreeWithThreads(fs, progress, L"C:\\src", L"D:\\dst", 1, &copied.outcome);
    EXPECT_EQ(fs.Tree(L"D:\\dst\\src"), (Paths{L"a.txt", L"sub\\", L"sub\\b.txt"}));
    EXPECT_EQ(copied.passed, (Paths{L"C:\\src\\away: a link: not copied", L"C:\\src\\sub\\lnk.txt: a link: not copied"}));
    EXPECT_EQ(copied.failed, Paths{});
    EXPECT_EQ(copied.outcome.passedOver.load(), 2u);

    CopyFolderTree(fs, progress, L"C:\\named", L"D:\\through");
    EXPECT_EQ(fs.Tree(L"D:\\through"), (Paths{L"named\\", L"named\\b.txt"}));

    Record across;
    MoveFolderTreeWithThreads(fs, progress, L"C:\\src", L"D:\\moved", 1, &across.outcome);
    EXPECT_EQ(fs.Tree(L"D:\\moved\\src"), (Paths{L"a.txt", L"sub\\", L"sub\\b.txt"}));
    EXPECT_EQ(fs.Tree(L"C:\\src"), (Paths{L"away\\", L"sub\\", L"sub\\lnk.txt"}));
    EXPECT_EQ(across.outcome.passedOver.load(), 2u);
    ExpectOutsideUntouched(fs);

    FakeFileSystem same; // one volume: the links travel with the folder that holds them
    MakeTrees(same);
    same.AddFileLink(L"C:\\src\\sub\\lnk.txt", L"E:\\outside\\precious.txt");
    MoveFolderTree(same, progress, L"C:\\src", L"C:\\moved");
    EXPECT_EQ(same.Tree(L"C:\\moved\\src"), (Paths{L"a.txt", L"sub\\", L"sub\\b.txt", L"sub\\lnk.txt"}));
    ExpectOutsideUntouched(same);
}

// The run's own log, open for writing, is left where it is by every folder command, however
// its path is spelled: never deleted, moved away or copied over, and no command fails for it.
TEST_F(FolderSafetyTest, TheRunsOwnLogIsLeftWhereItIs)
{
    for (const wchar_t* keep : {L"C:\\work\\logs\\run.log", L"c:\\WORK\\Logs\\RUN.LOG", L"Y:\\logs\\run.log"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(keep)));
        FakeFileSystem fs;
        fs.AddFile(L"C:\\work\\a.txt", "a");
        fs.AddFile(L"C:\\work\\logs\\old.log", "old");
        fs.AddFile(L"C:\\work\\logs\\run.log", "log");
        fs.AddDriveAlias(L"Y:", L"C:\\work");
        Record deleted;
        DeleteFolderTree(fs, progress, L"C:\\work", &deleted.outcome, keep);
        EXPECT_EQ(fs.Tree(L"C:\\work"), (Paths{L"logs\\", L"logs\\run.log"}));
        EXPECT_EQ(deleted.failed, Paths{});
        EXPECT_EQ(deleted.passed, Paths{L"C:\\work\\logs\\run.log: the run's own log: left where it is"});

        fs.AddFile(L"C:\\work\\b.txt", "b");
        Record moved;
        MoveFolderTreeWithThreads(fs, progress, L"C:\\work", L"C:\\moved", 1, &moved.outcome, keep);
        EXPECT_EQ(fs.Tree(L"C:\\work"), (Paths{L"logs\\", L"logs\\run.log"}));
        EXPECT_EQ(fs.Tree(L"C:\\moved\\work"), (Paths{L"b.txt", L"logs\\"}));
        EXPECT_EQ(moved.failed, Paths{});

        fs.AddFile(L"D:\\src\\logs\\run.log", "replacement");
        Record copied;
        CopyFolderTreeWithThreads(fs, progress, L"D:\\src\\", L"C:\\work", 1, &copied.outcome, keep);
        EXPECT_EQ(fs.Content(L"C:\\work\\logs\\run.log"), "log");
        EXPECT_EQ(copied.failed, Paths{});
        EXPECT_EQ(copied.passed.size(), 1u);
    }
}

} // namespace

// The run callbacks as the run loop calls them: a callback refuses what its own kind must not
// do whatever kind the command holds (a delete of a drive root, an emptied variable), says what
// was done in one summary, and fails instead of acting where no file system was given.
TEST(FolderCommandRuns, EachCallbackRefusesForItsOwnKindAndSummarisesWhatItDid)
{
    struct Case
    {
        const char* what;
        void (*run)(InstallState&, int);
        std::vector<std::wstring> arguments;
        const wchar_t* emptyVariable;
        bool withFileSystem;
        CommandResult result;
        const wchar_t* summary;
    };
    const Case cases[] = {
        {"a copy counts its files and bytes", RunDirCopy, {L"C:\\src", L"D:\\dst"}, L"", true,
         CommandResult::Succeeded, L"2 file(s) (9 bytes) copied"},
        {"a move counts them too", RunDirMove, {L"C:\\src", L"D:\\moved"}, L"", true, CommandResult::Succeeded,
         L"2 file(s) (9 bytes) moved"},
        {"a delete of a drive root is refused before anything", RunDirDelete, {L"C:\\"}, L"", true,
         CommandResult::Failed, L"nothing done"},
        {"a move out of a drive root too", RunDirMove, {L"C:\\", L"D:\\moved"}, L"", true, CommandResult::Failed,
         L"nothing done"},
        {"a variable that expanded to nothing refuses the command", RunDirCopy, {L"\\src", L"D:\\dst"},
         L"SOURCE", true, CommandResult::Failed, L"nothing done"},
        {"no file system, nothing done", RunDirDelete, {L"C:\\src"}, L"", false, CommandResult::Failed,
         L"nothing done"},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        fs.AddFile(L"C:\\src\\a.txt", "alpha");
        fs.AddFile(L"C:\\src\\sub\\b.txt", "beta");
        const Paths before = fs.Tree(L"C:\\");
        InstallState state;
        state.fileSystem = c.withFileSystem ? &fs : nullptr;
        InstallCommand command; // no kind: the callback knows its own
        command.arguments = c.arguments;
        command.SetEmptyVariable(c.emptyVariable);
        state.settings.commands = {command};
        state.outcomes.assign(1, CommandOutcome());
        c.run(state, 0);
        EXPECT_EQ(state.outcomes[0].result, c.result) << c.what;
        EXPECT_EQ(state.outcomes[0].summary, c.summary) << c.what;
        if (c.result == CommandResult::Failed) {
            EXPECT_EQ(fs.Tree(L"C:\\"), before) << c.what;
        }
    }
}
