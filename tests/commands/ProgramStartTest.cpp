// The rules of starting a program: which failures hand it to the shell, and the command line a
// registered verb makes.
#include "commands/ProgramStart.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramStart, OnlyWhatIsNoExecutableGoesToTheShell)
{
    struct Case { uint32_t error; bool shell; };
    const Case cases[] = {
        {2, true},    // not found: the shell may know the name
        {3, true},
        {193, true},  // a document or a package
        {216, true},
        {267, false}, // the working folder is not there
        {5, false},   // access denied
        {740, false}, // asks to be raised: never a prompt nobody sees
        {8, false},   // no memory
        {0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShellMayOpenInstead(c.error), c.shell) << c.error;
}

TEST(ProgramStart, AVerbsPlaceholdersTakeTheFileAndTheParameters)
{
    struct Case { const wchar_t* verb; const wchar_t* line; };
    const Case cases[] = {
        {L"\"C:\\Windows\\System32\\msiexec.exe\" /i \"%1\" %*", L"\"C:\\Windows\\System32\\msiexec.exe\" /i \"D:\\a b.msi\" /qn"},
        {L"notepad.exe %L", L"notepad.exe D:\\a b.msi"},
        {L"x.exe \"%1\" %2 %3 100%%", L"x.exe \"D:\\a b.msi\"   100%"},
        {L"x.exe %~ %", L"x.exe %~ %"},
        {L"x.exe", L"x.exe"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VerbCommandLine(c.verb, L"D:\\a b.msi", L"/qn"), c.line) << testing::PrintToString(std::wstring(c.verb));
}

} // namespace
