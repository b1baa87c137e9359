// The folder commands on real trees through the Win32 file system (run under Wine in CI). The
// rules themselves are tested on the in-memory file system; these cases check what the
// platform's calls decide: attributes that copies and renames bring along, held files, folder
// creation with parents, 64-bit sizes, the progress routine, moves across volumes and links.
#include "Win32RemoveTree.h"
#include "Win32FileText.h"
#include "Win32UnderWine.h"
#include "commands/FileSystemWin32.h"

#include "commands/InstallState.h"
#include "commands/FileSet.h"
#include "commands/FolderCommands.h"
#include "commands/FolderPaths.h"
#include "commands/RunCallbacks.h"
#include "xml/WideBytes.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <winioctl.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr DWORD kUnwanted = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

void WriteText(const std::wstring& path, const std::string& text, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a test file";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    SetFileAttributesW(path.c_str(), attributes);
}

std::string ReadText(const std::wstring& path)
{
    return ReadFileText(path);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD Unwanted(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) & kUnwanted;
}

void RemoveTree(const std::wstring& folder)
{
    RemoveTestTree(folder);
}

class FolderCommandsWin32Test : public testing::Test
{
protected:
    void SetUp() override
    {
        state.fileSystem = &files;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"vk-folder-commands-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(root);
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(root); }

    std::wstring Path(const std::wstring& relative) const { return root + L"\\" + relative; }
    void Folders(std::initializer_list<const wchar_t*> relatives)
    {
        for (const wchar_t* relative : relatives)
            CreateDirectoryW(Path(relative).c_str(), nullptr);
    }

    // src: a.txt (read-only), h.txt (hidden), sub\b.txt
    void MakeSource()
    {
        Folders({L"src", L"src\\sub"});
        WriteText(Path(L"src\\a.txt"), "alpha", FILE_ATTRIBUTE_READONLY);
        WriteText(Path(L"src\\h.txt"), "hidden", FILE_ATTRIBUTE_HIDDEN);
        WriteText(Path(L"src\\sub\\b.txt"), "beta");
    }

    // The commands as the run loop calls them, through the install state.
    void Run(void (*run)(InstallState&, int), const std::wstring& first, const std::wstring& second = L"")
    {
        InstallCommand command;
        command.arguments = {first, second};
        state.settings.commands = {InstallCommand(), command};
        run(state, 1);
    }

    // As Run, with the `threads` a configuration gives the command.
    void RunWithThreads(void (*run)(InstallState&, int), const std::wstring& first, const std::wstring& second,
                        int threads)
    {
        InstallCommand command;
        command.arguments = {first, second};
        command.threads = threads;
        state.settings.commands = {command};
        run(state, 0);
    }

    std::wstring root;
    FileSystemWin32 files;
    InstallState state;
};

TEST_F(FolderCommandsWin32Test, CopyArrivesWithNormalAttributesOverAReadOnlyFileAndKeepsTheSource)
{
    MakeSource();
    Folders({L"dst", L"dst\\src"});
    WriteText(Path(L"dst\\src\\a.txt"), "previous", FILE_ATTRIBUTE_READONLY);
    Run(RunDirCopy, Path(L"src"), Path(L"dst"));

    EXPECT_EQ(ReadText(Path(L"dst\\src\\a.txt")), "alpha");
    EXPECT_EQ(ReadText(Path(L"dst\\src\\sub\\b.txt")), "beta");
    for (const wchar_t* copied : {L"dst\\src\\a.txt", L"dst\\src\\h.txt"})
        EXPECT_EQ(Unwanted(Path(copied)), 0u) << testing::PrintToString(std::wstring(copied));
    EXPECT_NE(Unwanted(Path(L"src\\a.txt")), 0u);
    EXPECT_EQ(state.progress.Snapshot().commandBytesTotal, 15u); // sizes from the find data
    EXPECT_EQ(state.progress.Snapshot().commandBytesDone, 15u);

    // With a trailing separator the content lands in the target itself, made with its parents.
    Run(RunDirCopy, Path(L"src\\"), Path(L"new\\deep"));
    EXPECT_EQ(ReadText(Path(L"new\\deep\\sub\\b.txt")), "beta");
    EXPECT_FALSE(Exists(Path(L"new\\deep\\src")));
}

// Only the listings say which files need their attributes reset, so a plain source must still
// replace read-only, hidden and system files (which Windows refuses to overwrite, and Wine run
// as root overwrites keeping the old bits) and arrive without those bits.
TEST_F(FolderCommandsWin32Test, PlainFilesReplaceReadOnlyHiddenAndSystemOnesAndArriveWithoutTheirBits)
{
    const DWORD olds[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_NORMAL};
    Folders({L"src", L"dst", L"dst\\src", L"moved", L"moved\\src"});
    for (DWORD old : olds) {
        const std::wstring name = L"f" + std::to_wstring(old) + L".txt";
        WriteText(Path(L"src\\" + name), "new " + std::to_string(old));
        WriteText(Path(L"dst\\src\\" + name), "old", old);
        WriteText(Path(L"moved\\src\\" + name), "old", old);
    }
    WriteText(Path(L"src\\fresh.txt"), "fresh");
    Run(RunDirCopy, Path(L"src"), Path(L"dst"));
    Run(RunDirMove, Path(L"src"), Path(L"moved"));
    for (const wchar_t* into : {L"dst\\src\\", L"moved\\src\\"}) {
        for (DWORD old : olds) {
            const std::wstring file = Path(into + (L"f" + std::to_wstring(old) + L".txt"));
            EXPECT_EQ(ReadText(file), "new " + std::to_string(old)) << testing::PrintToString(file);
            EXPECT_EQ(Unwanted(file), 0u) << testing::PrintToString(file);
        }
        EXPECT_EQ(ReadText(Path(std::wstring(into) + L"fresh.txt")), "fresh");
        EXPECT_EQ(Unwanted(Path(std::wstring(into) + L"fresh.txt")), 0u);
    }
    EXPECT_FALSE(Exists(Path(L"src")));
}

TEST_F(FolderCommandsWin32Test, AFileHeldOpenSurvivesDeleteAndMoveAndSoDoesTheFileItWouldReplace)
{
    MakeSource();
    const std::wstring held = Path(L"src\\sub\\b.txt");
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);

    Run(RunDirDelete, Path(L"src"));
    EXPECT_EQ(ReadText(held), "beta");
    EXPECT_FALSE(Exists(Path(L"src\\a.txt")));

    WriteText(Path(L"src\\h.txt"), "hidden", FILE_ATTRIBUTE_HIDDEN);
    Folders({L"dst", L"dst\\src", L"dst\\src\\sub"});
    WriteText(Path(L"dst\\src\\sub\\b.txt"), "previous");
    Run(RunDirMove, Path(L"src"), Path(L"dst"));
    CloseHandle(file);
    EXPECT_EQ(ReadText(held), "beta");
    EXPECT_EQ(ReadText(Path(L"dst\\src\\sub\\b.txt")), "previous");
    EXPECT_EQ(ReadText(Path(L"dst\\src\\h.txt")), "hidden");
    EXPECT_EQ(Unwanted(Path(L"dst\\src\\h.txt")), 0u); // a renamed file keeps its attributes until reset
    EXPECT_FALSE(Exists(Path(L"src\\h.txt")));
}

TEST_F(FolderCommandsWin32Test, SizesOver4GiBComeWholeFromTheFindData)
{
    const std::wstring big = Path(L"big.bin");
    HANDLE file = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr); // no disk space used
    LARGE_INTEGER end;
    end.QuadPart = 5000000000LL;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);

    FileSystemWin32 fileSystem;
    FileSet set;
    set.Scan(fileSystem, root + L"\\", L"*.*", true, InsertOrder::PathAscending, true);
    ASSERT_EQ(set.Size(), 1u);
    EXPECT_EQ(set[0].size, 5000000000ull);
}

TEST_F(FolderCommandsWin32Test, TheProgressRoutineHandsOverOnlyFinishedChunks)
{
    struct Heard : ChunkListener
    {
        void ChunkDone(uint64_t fileSize, uint64_t transferred) override { chunks.emplace_back(fileSize, transferred); }
        std::vector<std::pair<uint64_t, uint64_t>> chunks;
    } heard;
    LARGE_INTEGER total, done, zero;
    total.QuadPart = 50;
    done.QuadPart = 25;
    zero.QuadPart = 0;
    for (DWORD reason : {DWORD{CALLBACK_STREAM_SWITCH}, DWORD{CALLBACK_CHUNK_FINISHED}})
        EXPECT_EQ(ChunkRoutine(total, done, zero, zero, 1, reason, nullptr, nullptr, &heard),
                  static_cast<DWORD>(PROGRESS_CONTINUE));
    EXPECT_EQ(ChunkRoutine(total, done, zero, zero, 1, CALLBACK_CHUNK_FINISHED, nullptr, nullptr, nullptr),
              static_cast<DWORD>(PROGRESS_CONTINUE));
    EXPECT_EQ(heard.chunks, (std::vector<std::pair<uint64_t, uint64_t>>{{50, 25}}));
}

// The real file system for looking, with every change written down instead of made: what the
// commands would do to a path that must never be touched.
class LookOnlyFileSystem : public FileSystemWin32
{
public:
    bool SetAttributes(const std::wstring& path, uint32_t) override { return Note(L"SetAttributes " + path); }
    bool RemoveFile(const std::wstring& path) override { return Note(L"RemoveFile " + path); }
    bool RemoveFolder(const std::wstring& path) override { return Note(L"RemoveFolder " + path); }
    bool CreateFolderTree(const std::wstring& path) override { return Note(L"CreateFolderTree " + path); }
    bool CopyOneFile(const std::wstring& from, const std::wstring&, ChunkListener*) override
    {
        return Note(L"Copy " + from);
    }
    bool MoveOneFile(const std::wstring& from, const std::wstring&, uint32_t, ChunkListener*) override
    {
        return Note(L"Move " + from);
    }
    std::vector<std::wstring> changes;

private:
    bool Note(const std::wstring& change)
    {
        changes.push_back(change);
        return false;
    }
};

// Dots resolved by the platform itself: every way of writing the drive root is refused.
TEST_F(FolderCommandsWin32Test, TheDriveRootWrittenWithDotsIsNeverDeletedOrMoved)
{
    Folders({L"x"});
    const std::wstring drive = root.substr(0, 2); // the temporary folder's drive, e.g. C:
    std::wstring upToTheRoot = root;
    for (size_t i = 3; i < root.size(); ++i)
        if (root[i] == L'\\')
            upToTheRoot += L"\\..";
    upToTheRoot += L"\\..";
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    struct Case { const wchar_t* current; std::wstring path; };
    const Case cases[] = {
        {nullptr, drive + L"\\x\\.."}, {nullptr, drive + L"\\."}, {nullptr, drive + L"/nothere/../."},
        {nullptr, Path(L"x\\..\\..\\..\\..\\..\\..\\..\\..")}, {nullptr, upToTheRoot}, {nullptr, upToTheRoot + L"\\"},
        {L"\\", L"."}, {L"\\", L".\\"}, {L"\\", L"sub\\.."}, {L"\\", L"sub/deeper/../.."},
        {nullptr, drive + L"\\x\\...\\..\\.."}, {nullptr, drive + L"\\x\\...\\..\\..\\"},
    };
    for (const Case& c : cases) {
        if (c.current != nullptr) {
            ASSERT_TRUE(SetCurrentDirectoryW((drive + c.current).c_str()));
        }
        LookOnlyFileSystem fileSystem;
        DeleteFolderTree(fileSystem, state.progress, c.path);
        MoveFolderTree(fileSystem, state.progress, c.path, Path(L"dst"));
        SetCurrentDirectoryW(previous);
        EXPECT_EQ(fileSystem.changes, std::vector<std::wstring>{}) << testing::PrintToString(c.path);
    }

    // The platform and the portable rules agree on the forms.
    FileSystemWin32 real;
    for (const std::wstring& path : {drive + L"\\a\\.\\b\\..\\c. .", drive + L"/a//b/", drive + L"\\a.\\b..\\...",
                                     std::wstring(L"\\\\server\\share\\x\\..\\..\\y"), Path(L"x\\..\\y\\.")})
        EXPECT_EQ(real.FullPath(path), NormalizePath(path)) << testing::PrintToString(path);

    // And a path through ".." deletes the folder it resolves to, and nothing else.
    Folders({L"victim", L"victim\\sub"});
    WriteText(Path(L"victim\\sub\\v.txt"), "v", FILE_ATTRIBUTE_READONLY);
    Run(RunDirDelete, Path(L"x\\..\\victim\\."));
    EXPECT_FALSE(Exists(Path(L"victim")));
    EXPECT_TRUE(Exists(Path(L"x")));
}

// Found on disk as "drivers", typed as "DRIVERS": the folder and its content stay together.
TEST_F(FolderCommandsWin32Test, AFolderTypedInAnotherCaseThanOnDiskMovesAndCopiesWhole)
{
    const auto make = [this]() {
        Folders({L"x", L"x\\drivers", L"x\\drivers\\Audio", L"x\\drivers\\Video"});
        WriteText(Path(L"x\\drivers\\Audio\\x.inf"), "audio");
        WriteText(Path(L"x\\drivers\\Video\\x.inf"), "video");
    };
    make();
    Run(RunDirCopy, Path(L"x\\DRIVERS"), Path(L"copy"));
    Run(RunDirMove, Path(L"x\\DRIVERS"), Path(L"moved"));
    for (const wchar_t* into : {L"copy", L"moved"}) {
        EXPECT_EQ(ReadText(Path(std::wstring(into) + L"\\drivers\\Audio\\x.inf")), "audio") << into;
        EXPECT_EQ(ReadText(Path(std::wstring(into) + L"\\drivers\\Video\\x.inf")), "video") << into;
    }
    EXPECT_FALSE(Exists(Path(L"x\\drivers")));

    make();
    Run(RunDirDelete, Path(L"X\\Drivers"));
    EXPECT_FALSE(Exists(Path(L"x\\drivers")));
    EXPECT_TRUE(Exists(Path(L"x")));
}

// Trees deeper than MAX_PATH, and names that end in a dot or a space (which only the "\\?\" form
// can make): copied, moved and deleted as the names they are, never mixed with their plain twins.
TEST_F(FolderCommandsWin32Test, LongPathsAndNamesEndingInADotOrASpace)
{
    const auto extended = [](const std::wstring& path) { return L"\\\\?\\" + path; };
    std::wstring deep = L"src";
    CreateDirectoryW(extended(Path(deep)).c_str(), nullptr);
    while (Path(deep).size() < 400) {
        deep += L"\\level-" + std::to_wstring(deep.size());
        ASSERT_TRUE(CreateDirectoryW(extended(Path(deep)).c_str(), nullptr));
    }
    WriteText(extended(Path(deep + L"\\leaf.txt")), "leaf");
    for (const wchar_t* folder : {L"src\\name.", L"src\\name"})
        ASSERT_TRUE(CreateDirectoryW(extended(Path(folder)).c_str(), nullptr));
    WriteText(extended(Path(L"src\\name.\\dot.txt")), "dot");
    WriteText(extended(Path(L"src\\name\\plain.txt")), "plain");
    WriteText(extended(Path(L"src\\space ")), "trailing space");
    WriteText(extended(Path(L"src\\space")), "no space");

    Run(RunDirCopy, Path(L"src"), Path(L"copy"));
    Run(RunDirMove, Path(L"copy\\src"), Path(L"moved"));
    const std::wstring moved = Path(L"moved\\src");
    EXPECT_EQ(ReadText(extended(moved + deep.substr(3) + L"\\leaf.txt")), "leaf");
    EXPECT_EQ(ReadText(extended(moved + L"\\name.\\dot.txt")), "dot");
    EXPECT_EQ(ReadText(extended(moved + L"\\name\\plain.txt")), "plain");
    EXPECT_FALSE(Exists(extended(moved + L"\\name\\dot.txt")));
    EXPECT_EQ(ReadText(extended(moved + L"\\space ")), "trailing space");
    EXPECT_EQ(ReadText(extended(moved + L"\\space")), "no space");
    EXPECT_FALSE(Exists(extended(Path(L"copy\\src"))));

    Run(RunDirDelete, Path(L"moved"));
    EXPECT_FALSE(Exists(extended(Path(L"moved"))));
    // The source is as it was.
    EXPECT_EQ(ReadText(extended(Path(deep + L"\\leaf.txt"))), "leaf");
    EXPECT_EQ(ReadText(extended(Path(L"src\\name.\\dot.txt"))), "dot");
    EXPECT_EQ(ReadText(extended(Path(L"src\\space "))), "trailing space");
}

// Everything under `folder`, relative to it: folders end with "\", files show their content
// and the read-only, hidden and system bits they carry.
std::vector<std::wstring> TreeOf(const std::wstring& folder, const std::wstring& prefix = L"")
{
    std::vector<std::wstring> tree;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return tree;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree.push_back(prefix + name + L"\\");
            for (const std::wstring& below : TreeOf(path, prefix + name + L"\\"))
                tree.push_back(below);
        } else {
            const std::string text = ReadText(path);
            tree.push_back(prefix + name + L" " + std::to_wstring(Unwanted(path)) + L" " +
                           WidenBytes(text));
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(tree.begin(), tree.end());
    return tree;
}

// The copy and the move with several threads leave on disk what they leave one file at a time:
// read-only and hidden files, replaced files, files held open on either side.
TEST_F(FolderCommandsWin32Test, ThreadsLeaveTheTreesOneThreadLeavesHeldFilesIncluded)
{
    std::map<int, std::vector<std::vector<std::wstring>>> trees;
    for (int threads : {1, 4}) {
        const std::wstring n = std::to_wstring(threads);
        const std::wstring source = L"t" + n + L"\\src", copied = L"c" + n + L"\\src", moved = L"m" + n + L"\\src";
        Folders({(L"t" + n).c_str(), source.c_str(), (L"c" + n).c_str(), copied.c_str(), (L"m" + n).c_str(),
                 moved.c_str()});
        int count = 0;
        for (const wchar_t* top : {L"\\a", L"\\b", L"\\c"}) {
            for (const wchar_t* sub : {L"", L"\\x", L"\\y"}) {
                const std::wstring folder = source + top + sub;
                Folders({folder.c_str()});
                for (int file = 0; file < 8; ++file, ++count) {
                    const DWORD attributes = count % 7 == 3 ? FILE_ATTRIBUTE_READONLY
                                             : count % 5 == 1 ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_NORMAL;
                    WriteText(Path(folder + L"\\f" + std::to_wstring(file) + L".txt"),
                              "file " + std::to_string(count), attributes);
                }
            }
        }
        for (const std::wstring& into : {copied, moved}) {
            Folders({(into + L"\\a").c_str(), (into + L"\\b").c_str()});
            WriteText(Path(into + L"\\a\\f0.txt"), "old, read-only", FILE_ATTRIBUTE_READONLY);
            WriteText(Path(into + L"\\a\\f1.txt"), "old, hidden", FILE_ATTRIBUTE_HIDDEN);
            WriteText(Path(into + L"\\b\\f2.txt"), "old, held open");
        }
        std::vector<HANDLE> held;
        for (const std::wstring& path : {copied + L"\\b\\f2.txt", moved + L"\\b\\f2.txt", source + L"\\b\\f6.txt"})
            held.push_back(CreateFileW(Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                       nullptr));
        for (HANDLE handle : held)
            ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        RunWithThreads(RunDirCopy, Path(source), Path(L"c" + n), threads);
        RunWithThreads(RunDirMove, Path(source), Path(L"m" + n), threads);
        for (HANDLE handle : held)
            CloseHandle(handle);
        trees[threads] = {TreeOf(Path(copied)), TreeOf(Path(moved)), TreeOf(Path(L"t" + n))};
        EXPECT_EQ(state.progress.Snapshot().commandBytesDone, state.progress.Snapshot().commandBytesTotal);
    }
    EXPECT_EQ(trees[4], trees[1]);
    EXPECT_EQ(trees[1][0].size(), 9u + 72u);
    // Left in the source: the file whose destination was held open, and the one held open itself
    // (both in a folder the destination had already, so the move went file by file).
    EXPECT_EQ(trees[1][2], (std::vector<std::wstring>{L"src\\", L"src\\b\\", L"src\\b\\f2.txt 2 file 26",
                                                      L"src\\b\\f6.txt 0 file 30"}));
}

// A second volume: the Linux /dev/shm (tmpfs) seen through Wine's Z: drive, or the folder
// named by VARNEKITE_SECOND_VOLUME. Without one the test is skipped.
std::wstring SecondVolumeFolder()
{
    wchar_t configured[MAX_PATH];
    if (GetEnvironmentVariableW(L"VARNEKITE_SECOND_VOLUME", configured, MAX_PATH) > 0)
        return configured;
    const bool underWine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const DWORD shm = GetFileAttributesW(L"Z:\\dev\\shm");
    if (underWine && shm != INVALID_FILE_ATTRIBUTES && (shm & FILE_ATTRIBUTE_DIRECTORY))
        return L"Z:\\dev\\shm";
    return std::wstring();
}

TEST_F(FolderCommandsWin32Test, MoveAcrossVolumesGoesFileByFile)
{
    const std::wstring volume = SecondVolumeFolder();
    if (volume.empty())
        GTEST_SKIP() << "no second volume";
    const std::wstring target = volume + L"\\vk-move-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(target);
    MakeSource();
    Folders({L"src\\empty"});
    SetFileAttributesW(Path(L"src\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    Run(RunDirMove, Path(L"src"), target);
    EXPECT_EQ(ReadText(target + L"\\src\\a.txt"), "alpha");
    EXPECT_EQ(ReadText(target + L"\\src\\h.txt"), "hidden");
    EXPECT_EQ(ReadText(target + L"\\src\\sub\\b.txt"), "beta");
    EXPECT_FALSE(Exists(target + L"\\src\\empty"));
    EXPECT_FALSE(Exists(Path(L"src")));
    RemoveTree(target);
}

// A folder link made on the Linux side by the build (Windows code cannot make one under Wine):
// old\away leads to keep, which holds precious.txt.
TEST_F(FolderCommandsWin32Test, DeleteLeavesWhatAFolderLinkLeadsTo)
{
#ifdef VARNEKITE_LINK_TREE
    const std::wstring base = VARNEKITE_LINK_TREE;
#else
    const std::wstring base;
#endif
    if (base.empty() || (GetFileAttributesW((base + L"\\old\\away").c_str()) & 0x410u) != 0x410u)
        GTEST_SKIP() << "no prepared folder link (covered by the in-memory file system tests)";
    WriteText(base + L"\\old\\a.txt", "alpha", FILE_ATTRIBUTE_READONLY);
    Run(RunDirDelete, base + L"\\old");
    EXPECT_EQ(ReadText(base + L"\\keep\\precious.txt"), "precious\n");
    EXPECT_FALSE(Exists(base + L"\\old\\a.txt"));
}

} // namespace

// The rules read paths in their normal form; here the platform and the portable rules work out
// the same form for thousands of texts put together from awkward names, relative ones included.
// Where Wine answers otherwise than Windows, the texts keep out of its way: a leading "/" (a
// Unix path to Wine), runs of separators after a share (Windows makes them one) and names of
// three or more dots (a name to Windows; Wine takes one dot off and leaves "..").
TEST_F(FolderCommandsWin32Test, ThePlatformAndThePortableRulesAgreeOnGeneratedPaths)
{
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));
    const bool wine = UnderWine();
    const std::wstring roots[] = {L"", root.substr(0, 3), L"\\", L"\\\\server\\share\\"};
    const wchar_t* names[] = {L"a",    L"b.", L"c ", L"..",   L".",   L" ",   L"d. .",
                              L"e..f", L". a", L" .", L"x.y ", L".. ", L"...", L"...."}; // dots alone last
    const wchar_t* separators[] = {L"\\", L"/", L"\\\\"};
    std::mt19937 random(1);
    const auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    FileSystemWin32 real;
    int differences = 0;
    for (int i = 0; i < 20000; ++i) {
        const size_t rootIndex = pick(std::size(roots));
        const bool share = rootIndex == 3;
        std::wstring path = roots[rootIndex];
        for (size_t part = 0, parts = 1 + pick(4); part < parts; ++part) {
            if (part > 0)
                path += share ? L"\\" : separators[pick(std::size(separators))];
            path += names[pick(std::size(names) - (wine ? 2 : 0))];
        }
        if (path.find_first_not_of(L' ') == std::wstring::npos)
            continue; // no path at all, which the commands refuse before any rule
        const std::wstring platform = real.FullPath(path);
        const std::wstring portable = NormalizePath(path, root);
        if (platform != portable && ++differences <= 10)
            ADD_FAILURE() << testing::PrintToString(path) << ": the platform gives " << testing::PrintToString(platform)
                          << ", the rules " << testing::PrintToString(portable);
    }
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(differences, 0);
}
