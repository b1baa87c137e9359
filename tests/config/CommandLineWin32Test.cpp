// The portable split against Windows' own: CommandLineToArgvW, on lines launchers write and on
// the corners of its quoting rules.
#include "config/CommandLine.h"
#include "config/ScopedWin32.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// A line that is not empty (an empty one stands for the program's own path).
std::vector<std::wstring> WindowsSplit(const std::wstring& line)
{
    int count = 0;
    const ScopedLocalMemory<LPWSTR*> argv(CommandLineToArgvW(line.c_str(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 0; argv.Valid() && i < count; ++i)
        arguments.push_back(argv.Get()[i]);
    return arguments;
}

std::vector<std::wstring> OurSplit(const std::wstring& line)
{
    std::vector<std::wstring> arguments;
    for (const CommandLineArgument& argument : SplitCommandLine(line))
        arguments.push_back(argument.text);
    return arguments;
}

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
    for (const wchar_t* line : lines)
        EXPECT_EQ(OurSplit(line), WindowsSplit(line)) << testing::PrintToString(std::wstring(line));
}

// Every line of up to 13 characters drawn from letters, blanks, quotes and backslashes, thousands
// of them: the corners meet in ways no table lists.
TEST(SplitCommandLine, SplitsGeneratedLinesAsCommandLineToArgvW)
{
    const wchar_t pieces[] = {L'a', L' ', L'\t', L'"', L'\\', L'b'};
    std::mt19937 random(7);
    const auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    int differences = 0;
    for (int i = 0; i < 50000; ++i) {
        std::wstring line;
        for (unsigned n = 0, length = 1 + pick(13); n < length; ++n)
            line += pieces[pick(6)];
        const std::vector<std::wstring> ours = OurSplit(line), windows = WindowsSplit(line);
        if (ours != windows && ++differences <= 10)
            ADD_FAILURE() << testing::PrintToString(line) << ": Windows splits it into " << testing::PrintToString(windows)
                          << ", the portable split into " << testing::PrintToString(ours);
    }
    EXPECT_EQ(differences, 0);
}

} // namespace
