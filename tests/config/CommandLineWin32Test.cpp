// The portable split against Windows' own: CommandLineToArgvW, on lines launchers write and on
// the corners of its quoting rules.
#include "config/CommandLine.h"
#include "config/ScopedWin32.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SplitCommandLine, SplitsAsCommandLineToArgvW)
{
    const wchar_t* const lines[] = {
        L"V.exe",
        L"\"C:\\My Setup\\V.exe\" a  \t b",
        L"\"V.exe\"next arg",
        L"C:\\a\"b\\V.exe x",
        L"V.exe a\"b c\"d",
        L"V.exe C:\\dir\\ x",
        L"V.exe \"C:\\dir\\\\\" x",
        L"V.exe a\\\"b a\\\\\\\"b a\\\\\\\\\"b c\"",
        L"V.exe \"a\"\"b\" \"\"\"\" \"\"\"\"\"\" x\"\"\"y",
        L"V.exe \"\" x \"\"",
        L"V.exe \"open to the end",
        L"V.exe /config:\"C:\\My Setup\\x.xml\" \"/log:C:\\a b\\l.log\" /var \"A=b c\"",
        L"V.exe \"<C:\\My Setup\\x.xml\"",
    };
    for (const wchar_t* line : lines) {
        int count = 0;
        const ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(line, &count));
        ASSERT_TRUE(argv.Valid());
        std::vector<std::wstring> windows;
        for (int i = 0; i < count; ++i)
            windows.push_back(argv.Get()[i]);
        std::vector<std::wstring> ours;
        for (const CommandLineArgument& argument : SplitCommandLine(line))
            ours.push_back(argument.text);
        EXPECT_EQ(ours, windows) << testing::PrintToString(std::wstring(line));
    }
}

} // namespace
