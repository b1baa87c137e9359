// What the folder commands must never reach, on the platform (under Wine in CI), through the run
// callbacks as the run loop calls them: links on the destination side and a file link in a
// deleted tree (made on the Linux side by the build, as Windows code cannot make links under
// Wine), a path on whatever drive is current, the same folder by another name, and a "\\?\"
// path. The rules themselves are tested on the in-memory file system.
#include "Win32FileText.h"
#include "Win32RemoveTree.h"

#include "commands/FileSystemWin32.h"
#include "commands/InstallState.h"
#include "commands/RunCallbacks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void WriteText(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a test file";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every line the run log gets.
class LinesLog : public RunLog
{
public:
    void Write(const std::wstring& line) override { lines.push_back(line); }
    bool Has(const std::wstring& fragment) const
    {
        for (const std::wstring& line : lines)
            if (line.find(fragment) != std::wstring::npos)
                return true;
        return false;
    }
    std::vector<std::wstring> lines;
};

class FolderSafetyWin32Test : public testing::Test
{
protected:
    void SetUp() override
    {
        state.fileSystem = &files;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"vk-folder-safety-" + std::to_wstring(GetCurrentProcessId());
        RemoveTestTree(root);
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
        state.log = &log;
    }
    void TearDown() override { RemoveTestTree(root); }

    std::wstring Path(const std::wstring& relative) const { return root + L"\\" + relative; }
    // root\<name>: a.txt, sub\b.txt
    std::wstring MakeSource(const std::wstring& name)
    {
        CreateDirectoryW(Path(name).c_str(), nullptr);
        CreateDirectoryW(Path(name + L"\\sub").c_str(), nullptr);
        WriteText(Path(name + L"\\a.txt"), "alpha");
        WriteText(Path(name + L"\\sub\\b.txt"), "beta");
        return Path(name);
    }

    // Runs one command as the run loop does and returns how it ended.
    CommandResult Run(void (*run)(InstallState&, int), const std::wstring& first, const std::wstring& second = L"",
                      const std::wstring& emptyVariable = L"")
    {
        InstallCommand command;
        command.arguments = {first, second};
        command.SetEmptyVariable(emptyVariable);
        state.settings.commands = {command};
        state.outcomes.assign(1, CommandOutcome());
        run(state, 0);
        return state.outcomes[0].result;
    }

    static std::wstring Links()
    {
#ifdef VARNEKITE_SAFETY_LINKS
        return VARNEKITE_SAFETY_LINKS;
#else
        return std::wstring();
#endif
    }

    std::wstring root;
    LinesLog log;
    FileSystemWin32 files;
    InstallState state;
};

// The destination holds links the build made: dst1\src and dst2\src\sub lead to folders
// outside, dst3\src\a.txt to a file outside, dst5\src\sub to a folder outside.
TEST_F(FolderSafetyWin32Test, CopyAndMoveNeverWriteThroughALinkOnTheDestinationSide)
{
    const std::wstring links = Links();
    if (links.empty() || !Exists(links + L"\\dst1\\src\\precious.txt"))
        GTEST_SKIP() << "no prepared links (covered by the in-memory file system tests)";
    const std::wstring source = MakeSource(L"src");

    EXPECT_EQ(Run(RunDirCopy, source, links + L"\\dst1"), CommandResult::Failed);
    EXPECT_FALSE(Exists(links + L"\\outside1\\a.txt"));
    EXPECT_TRUE(log.Has(L"is a link or not a folder"));

    EXPECT_EQ(Run(RunDirCopy, source, links + L"\\dst2"), CommandResult::Failed);
    EXPECT_EQ(ReadFileText(links + L"\\dst2\\src\\a.txt"), "alpha");
    EXPECT_FALSE(Exists(links + L"\\outside2\\b.txt"));

    // Windows replaces the link itself; Wine cannot reach the link alone and leaves it.
    Run(RunDirCopy, source, links + L"\\dst3");
    EXPECT_EQ(ReadFileText(links + L"\\outside3\\precious.txt"), "precious\n");
    EXPECT_EQ(ReadFileText(links + L"\\dst3\\src\\sub\\b.txt"), "beta");

    CreateDirectoryW(Path(L"m").c_str(), nullptr);
    const std::wstring moved = MakeSource(L"m\\src");
    EXPECT_EQ(Run(RunDirMove, moved, links + L"\\dst5"), CommandResult::Failed);
    EXPECT_FALSE(Exists(links + L"\\outside5\\b.txt"));
    EXPECT_EQ(ReadFileText(moved + L"\\sub\\b.txt"), "beta"); // stays where it was
    EXPECT_FALSE(Exists(moved + L"\\a.txt"));
    EXPECT_EQ(ReadFileText(links + L"\\outside5\\precious.txt"), "precious\n");
}

// old\lnk.txt leads to keep\precious.txt, made read-only here: the delete resets no attribute
// through the link and never deletes what it leads to.
TEST_F(FolderSafetyWin32Test, AFileLinkInADeletedTreeNeverReachesItsTarget)
{
    const std::wstring links = Links();
    if (links.empty() || !Exists(links + L"\\old\\lnk.txt"))
        GTEST_SKIP() << "no prepared links (covered by the in-memory file system tests)";
    const std::wstring precious = links + L"\\keep\\precious.txt";
    ASSERT_TRUE(SetFileAttributesW(precious.c_str(), FILE_ATTRIBUTE_READONLY));
    WriteText(links + L"\\old\\a.txt", "a");
    Run(RunDirDelete, links + L"\\old");
    EXPECT_EQ(ReadFileText(precious), "precious\n");
    EXPECT_NE(GetFileAttributesW(precious.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_FALSE(Exists(links + L"\\old\\a.txt"));
    SetFileAttributesW(precious.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// "\victim" is the victim folder on whatever drive is current; "%HOMESHARE%\victim" with the
// variable unset left exactly that. Neither is touched, and the log says why.
TEST_F(FolderSafetyWin32Test, PathsOnTheCurrentDriveAndEmptyVariablesAreRefused)
{
    const std::wstring victim = MakeSource(L"victim");
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));
    const std::wstring onCurrentDrive = victim.substr(2); // "\users\...\victim"
    EXPECT_EQ(Run(RunDirDelete, onCurrentDrive), CommandResult::Failed);
    EXPECT_EQ(Run(RunDirDelete, victim.substr(0, 2) + L"victim"), CommandResult::Failed); // "C:victim"
    EXPECT_EQ(Run(RunDirMove, onCurrentDrive, Path(L"moved")), CommandResult::Failed);
    EXPECT_EQ(Run(RunDirDelete, victim, L"", L"HOMESHARE"), CommandResult::Failed);
    SetCurrentDirectoryW(current);
    EXPECT_EQ(ReadFileText(victim + L"\\sub\\b.txt"), "beta");
    EXPECT_FALSE(Exists(Path(L"moved")));
    EXPECT_TRUE(log.Has(L"names a folder on whatever drive is current"));
    EXPECT_TRUE(log.Has(L"refused: %HOMESHARE% expanded to nothing"));
}

// Under Wine C: and Z: reach the same folders: the destination inside the source by the other
// drive letter, by the "\\?\" form or with its non-ASCII letters in another case is left out,
// and a second run does what the first did.
TEST_F(FolderSafetyWin32Test, ADestinationInsideTheSourceByAnotherNameIsLeftOut)
{
    const std::wstring source = MakeSource(L"Donn\u00e9es");
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    std::vector<std::wstring> targets = {L"\\\\?\\" + source + L"\\backup1",
                                         root + L"\\DONN\u00c9ES\\backup2"};
    if (unixName != nullptr) {
        char* name = unixName(source.c_str());
        ASSERT_NE(name, nullptr);
        std::wstring wide;
        for (const char* c = name; *c != '\0'; ++c) // the test's folders: ASCII but for "é"
            wide.push_back(static_cast<unsigned char>(*c) < 0x80 ? static_cast<wchar_t>(*c == '/' ? '\\' : *c) : L'?');
        HeapFree(GetProcessHeap(), 0, name);
        const size_t accent = wide.find(L"??"); // é is two bytes in UTF-8
        ASSERT_NE(accent, std::wstring::npos);
        targets.push_back(L"Z:" + wide.replace(accent, 2, L"\u00e9") + L"\\backup3");
    }
    for (const std::wstring& target : targets) {
        SCOPED_TRACE(testing::PrintToString(target));
        for (int run = 0; run < 2; ++run)
            EXPECT_EQ(Run(RunDirCopy, source, target), CommandResult::Succeeded);
        const std::wstring backup = source + target.substr(target.find_last_of(L'\\')) + L"\\Donn\u00e9es";
        EXPECT_EQ(ReadFileText(backup + L"\\sub\\b.txt"), "beta");
        EXPECT_FALSE(Exists(backup + target.substr(target.find_last_of(L'\\'))));
    }
}

// A "\\?\" path names exactly what it says: "keep." is deleted, its plain twin "keep" stays.
TEST_F(FolderSafetyWin32Test, AnExtendedPathIsUsedExactlyAsWritten)
{
    const std::wstring extended = L"\\\\?\\" + root;
    ASSERT_TRUE(CreateDirectoryW((extended + L"\\keep.").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((extended + L"\\keep").c_str(), nullptr));
    WriteText(extended + L"\\keep.\\dot.txt", "dot");
    WriteText(extended + L"\\keep\\plain.txt", "plain");
    EXPECT_EQ(Run(RunDirDelete, extended + L"\\keep."), CommandResult::Succeeded);
    EXPECT_FALSE(Exists(extended + L"\\keep."));
    EXPECT_EQ(ReadFileText(extended + L"\\keep\\plain.txt"), "plain");
}

} // namespace
