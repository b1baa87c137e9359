// End to end: Varnekite.exe copies, moves and deletes real folder trees as its configuration
// says and keeps every file a move carries along. The commands' rules are tested below the
// program, on the in-memory and on the Win32 file system.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace e2e;

namespace {

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(FolderCommandsE2e, CopyMoveAndDeleteRealTrees)
{
    TempFolder folder;
    const std::string base = Narrow(folder.Path());
    const auto at = [&](const wchar_t* relative) { return folder.File(relative); };
    for (const wchar_t* sub : {L"src", L"src\\sub", L"src\\sub\\deep"})
        CreateDirectoryW(at(sub).c_str(), nullptr);
    WriteTextFile(at(L"src\\a.txt"), "alpha");
    WriteTextFile(at(L"src\\sub\\b.txt"), "beta");
    WriteTextFile(at(L"src\\sub\\deep\\c.txt"), "gamma");
    SetFileAttributesW(at(L"src\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);

    const std::string items =
        "<item name='Copy'><file command='dircopy' directory='" + base + "\\src' target='" + base + "\\copied'/></item>"
        "<item name='Move'><file command='dirmove' directory='" + base + "\\src' target='" + base + "\\moved'/></item>"
        "<item name='Delete'><file command='dirdelete' directory='" + base + "\\copied\\src\\sub'/></item>";
    const std::wstring config = folder.File(L"config.xml");
    WriteTextFile(config, "<?xml version='1.0'?>\n<Varnekite>\n<items>" + items + "</items>\n</Varnekite>\n");

    ChildProcess child;
    ASSERT_TRUE(child.Start(WindowsPath(VARNEKITE_EXE_PATH), L"<" + config, folder.Path()));
    DWORD code = 0;
    ASSERT_TRUE(child.WaitForExit(60000, code)) << "the program did not end in time";
    EXPECT_EQ(code, 1u);

    EXPECT_EQ(ReadTextFile(at(L"copied\\src\\a.txt")), "alpha");
    EXPECT_EQ(GetFileAttributesW(at(L"copied\\src\\a.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_FALSE(Exists(at(L"copied\\src\\sub")));

    // One rename carried the whole tree; nothing of it may have been deleted afterwards.
    EXPECT_EQ(ReadTextFile(at(L"moved\\src\\a.txt")), "alpha");
    EXPECT_EQ(ReadTextFile(at(L"moved\\src\\sub\\deep\\c.txt")), "gamma");
    EXPECT_FALSE(Exists(at(L"src")));
}

// An unset %HOMESHARE% leaves "\...\victim", which names the victim folder on the current
// drive: the command is refused, the log says why, and the result reports the failure.
TEST(FolderCommandsE2e, AVariableThatExpandsToNothingIsRefused)
{
    TempFolder folder;
    CreateDirectoryW(folder.File(L"victim").c_str(), nullptr);
    WriteTextFile(folder.File(L"victim\\v.txt"), "keep");
    SetEnvironmentVariableW(L"HOMESHARE", nullptr); // the program inherits it unset
    const std::string onCurrentDrive = Narrow(folder.File(L"victim")).substr(2);
    const std::wstring log = folder.File(L"run.log");
    const std::wstring config = folder.File(L"config.xml");
    WriteTextFile(config, "<?xml version='1.0'?>\n<Varnekite><config><log path='" + Narrow(log) +
                              "'/><exit result='true'/></config>\n<items><item name='Clean'><file command='dirdelete' "
                              "directory='%HOMESHARE%" + onCurrentDrive + "'/></item></items>\n</Varnekite>\n");

    ChildProcess child;
    ASSERT_TRUE(child.Start(WindowsPath(VARNEKITE_EXE_PATH), L"<" + config, folder.Path()));
    DWORD code = 0;
    ASSERT_TRUE(child.WaitForExit(60000, code)) << "the program did not end in time";
    EXPECT_EQ(code, 1603u);
    EXPECT_EQ(ReadTextFile(folder.File(L"victim\\v.txt")), "keep");
    const std::string text = ReadTextFile(log);
    EXPECT_NE(text.find("refused: %HOMESHARE% expanded to nothing"), std::string::npos) << text;
}

} // namespace
