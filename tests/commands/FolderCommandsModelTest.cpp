// The folder commands against what they promise, on generated worlds and commands: trees with
// links (a volume mounted in a folder among them), a drive letter that is a second spelling of
// a folder, read-only and held files, files the platform will not copy or move, and paths
// spelled every way the rules know. Whatever the mix, a delete changes nothing outside
// the folder it resolves to, a copy nothing outside its target, a move nothing outside its
// source and target and loses no file it does not replace, no command reaches through a link
// or takes a root apart, and the run's own log stays where it is.
#include "commands/FakeFileSystem.h"
#include "commands/FolderCommands.h"
#include "commands/FolderPaths.h"
#include "commands/InstallState.h"
#include "xml/AsciiText.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Files = std::map<std::wstring, std::string>; // every file as the fake names it, with its content

// Every file of the drives, links not entered (a link is listed with its own mark). Y: is
// either a second spelling of C:\a or a drive of its own that a command may create.
Files Snapshot(FakeFileSystem& fs, bool withY = false)
{
    Files files;
    std::vector<std::wstring> drives = {L"C:\\", L"D:\\", L"E:\\"};
    if (withY)
        drives.push_back(L"Y:\\");
    for (const std::wstring& drive : drives)
        for (const std::wstring& relative : fs.Tree(drive)) {
            const std::wstring path = drive + relative;
            if (fs.Attributes(path) & FileAttribute::ReparsePoint)
                files[path] = "<link>";
            else if (relative.back() != L'\\')
                files[path] = fs.Content(path);
        }
    return files;
}

bool Under(const std::wstring& path, const std::wstring& folder)
{
    if (folder.empty())
        return false;
    const std::wstring base(WithoutTrailingSeparators(folder));
    return path.size() > base.size() && IsPathSeparator(path[base.size()]) &&
           EqualsIgnoreAsciiCase(std::wstring_view(path).substr(0, base.size()), base);
}

// Where the command's path leads on the disk as it was, links followed; empty when nowhere.
std::wstring Resolved(FakeFileSystem& fs, const std::wstring& path)
{
    return fs.FinalPath(std::wstring(WithoutTrailingSeparators(path)));
}

// Where the named entry itself lies: its folder resolved, its own name kept, so that a link is
// the link and not what it leads to. Unresolved where its folder does not exist.
std::wstring OwnPath(FakeFileSystem& fs, const std::wstring& path)
{
    const std::wstring normal(WithoutTrailingSeparators(NormalizePath(path)));
    if (IsRootOrRelative(normal))
        return normal;
    const std::wstring folder = Resolved(fs, std::wstring(ParentPath(normal)));
    return folder.empty() ? normal : JoinPath(folder, LastPathPart(normal));
}

struct World
{
    bool folderLink = false, fileLink = false, alias = false, readOnly = false, held = false, volumeLink = false;
};

void Build(FakeFileSystem& fs, const World& world)
{
    fs.AddFile(L"C:\\a\\f1.txt", "one");
    fs.AddFile(L"C:\\a\\s\\f2.txt", "two");
    fs.AddFile(L"C:\\a\\s\\t\\f3.txt", "three", world.readOnly ? FileAttribute::ReadOnly : FileAttribute::Archive);
    fs.AddFile(L"C:\\b\\f4.txt", "four");
    fs.AddFile(L"D:\\d\\f5.txt", "five");
    fs.AddFile(L"E:\\outside\\precious.txt", "precious", FileAttribute::ReadOnly);
    if (world.folderLink)
        fs.AddFolderLink(L"C:\\a\\s\\out", L"E:\\outside");
    if (world.fileLink)
        fs.AddFileLink(L"C:\\a\\flink.txt", L"E:\\outside\\precious.txt");
    if (world.alias)
        fs.AddDriveAlias(L"Y:", L"C:\\a");
    if (world.held)
        fs.Lock(L"C:\\a\\s\\f2.txt");
    if (world.volumeLink)
        fs.AddFolderLink(L"C:\\mnt", L"D:\\"); // a volume mounted in a folder
}

const wchar_t* const kPaths[] = {
    L"C:\\a", L"c:\\A\\", L"C:\\a\\s", L"C:\\a\\s\\..", L"C:\\a\\...\\..", L"C:\\a\\.", L"C:\\a\\s\\t",
    L"C:\\b", L"C:\\b\\", L"D:\\d", L"D:\\new", L"E:\\outside", L"C:\\a\\s\\out", L"C:\\a\\s\\out\\..",
    L"C:\\a\\flink.txt", L"Y:\\s", L"Y:\\", L"Y:\\s\\t\\..\\..", L"\\\\?\\C:\\a\\s", L"C:\\", L"E:\\",
    L"C:\\a\\s\\t\\..\\..\\..", L"C:\\a\\s\\out\\", L"Y:\\s\\out", L"C:\\a\\S\\OUT\\..\\out\\", L"E:\\outside\\",
    L"C:\\a\\flink.txt\\", L"c:/a/s/T/", L"\\\\?\\C:\\a\\s\\out", L"C:\\a\\s\\...\\..\\..\\..",
    L"C:\\mnt", L"C:\\mnt\\", L"C:\\mnt\\d",
};

enum class Kind { Delete, Copy, Move };

TEST(FolderCommandsModel, GeneratedCommandsKeepEveryPromiseOnGeneratedWorlds)
{
    std::mt19937 random(3);
    const auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    InstallProgress progress;
    for (int trial = 0; trial < 1500; ++trial) {
        World world;
        world.folderLink = pick(2) == 0;
        world.fileLink = pick(2) == 0;
        world.alias = pick(2) == 0;
        world.readOnly = pick(3) == 0;
        world.held = pick(4) == 0;
        world.volumeLink = pick(3) == 0;
        FakeFileSystem fs;
        Build(fs, world);
        // A file the platform will not copy or move (a scanner holding it, a full disk).
        const wchar_t* failing[] = {L"", L"C:\\a\\f1.txt", L"C:\\a\\s\\t\\f3.txt", L"C:\\b\\f4.txt"};
        const std::wstring failingFile = failing[pick(std::size(failing))];
        if (!failingFile.empty())
            fs.Fail(pick(2) == 0 ? FakeFileSystem::Operation::Copy : FakeFileSystem::Operation::Move, failingFile);
        const Kind kind = static_cast<Kind>(pick(3));
        const std::wstring source = kPaths[pick(std::size(kPaths))], target = kPaths[pick(std::size(kPaths))];
        const int threads = pick(2) == 0 ? 1 : 3;
        // The run's own log, open for writing: left where it is, never replaced.
        const wchar_t* keeps[] = {L"", L"C:\\a\\s\\f2.txt", L"C:\\b\\f4.txt", L"c:\\A\\F1.TXT"};
        const std::wstring keep = keeps[pick(std::size(keeps))];
        const std::string keptContent = keep.empty() ? "" : fs.Content(keep);
        // A target that is a link is the link: nothing may arrive through it.
        const bool targetIsLink = (fs.Attributes(std::wstring(WithoutTrailingSeparators(target))) &
                                   FileAttribute::ReparsePoint) != 0;
        const std::wstring sourceFolder = Resolved(fs, source);
        const std::wstring targetFolder = targetIsLink || Resolved(fs, target).empty() ? OwnPath(fs, target)
                                                                                      : Resolved(fs, target);
        const bool sourceIsLink = (fs.Attributes(std::wstring(WithoutTrailingSeparators(source))) &
                                   FileAttribute::ReparsePoint) != 0;
        const std::wstring sourceLink = sourceIsLink ? OwnPath(fs, source) : L"";
        const Files before = Snapshot(fs);

        if (kind == Kind::Delete)
            DeleteFolderTree(fs, progress, source, nullptr, keep);
        else if (kind == Kind::Copy)
            CopyFolderTreeWithThreads(fs, progress, source, target, threads, nullptr, keep);
        else
            MoveFolderTreeWithThreads(fs, progress, source, target, threads, nullptr, keep);
        const Files after = Snapshot(fs);
        const Files afterWithY = Snapshot(fs, true);

        const wchar_t* names[] = {L"delete", L"copy", L"move"};
        SCOPED_TRACE(testing::PrintToString(std::wstring(names[static_cast<int>(kind)]) + L" " + source +
                                            (kind == Kind::Delete ? L"" : L" -> " + target)) +
                     " threads " + std::to_string(threads) + " links " + std::to_string(world.folderLink) +
                     std::to_string(world.fileLink) + " alias " + std::to_string(world.alias) + " keep " +
                     testing::PrintToString(keep) + " failing " + testing::PrintToString(failingFile));
        // What the command may change: beneath what it takes apart (not through a link it names)
        // and beneath where it writes.
        const std::wstring takenApart = kind == Kind::Copy || sourceIsLink ? L"" : sourceFolder;
        const std::wstring written = kind == Kind::Delete ? L"" : targetFolder;
        const bool rootTakenApart = !takenApart.empty() && IsRootOrRelative(NormalizePath(takenApart));
        for (const auto& [path, content] : before) {
            const bool mayChange = !rootTakenApart && (Under(path, takenApart) || Under(path, written) ||
                                                      (sourceIsLink && kind != Kind::Copy &&
                                                       EqualsIgnoreAsciiCase(WithoutTrailingSeparators(path),
                                                                             sourceLink)));
            const auto now = after.find(path);
            if (!mayChange) {
                EXPECT_TRUE(now != after.end() && now->second == content)
                    << "changed: " << testing::PrintToString(path);
                continue;
            }
            // A move loses nothing but what it replaces: each moved file's content is somewhere.
            if (kind == Kind::Move && content != "<link>" && !Under(path, written)) {
                bool found = false;
                for (const auto& [_, kept] : afterWithY)
                    found = found || kept == content;
                EXPECT_TRUE(found) << "lost: " << testing::PrintToString(path);
            }
        }
        if (!keep.empty()) {
            EXPECT_EQ(fs.Content(keep), keptContent) << "the log moved or was replaced";
        }
        // Nothing new appears but beneath where the command writes.
        for (const auto& [path, content] : after) {
            if (before.count(path) == 0) {
                EXPECT_TRUE(Under(path, written)) << "arrived outside the target: " << testing::PrintToString(path);
            }
        }
        if (HasFailure())
            break; // one world is enough to read
    }
}

} // namespace
