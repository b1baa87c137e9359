#include "display/DisplayText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FormatFixed, RoundsTheExactValueToNearestWithTiesToEven)
{
    struct Case { double value; int decimals; const char* expected; };
    const Case cases[] = {
        {0.0, 0, "0"},
        {0.0, 1, "0.0"},
        {42.5, 0, "42"},  // an exact tie goes to the even neighbour, as printf does
        {43.5, 0, "44"},
        {37.4, 0, "37"},
        {99.6, 0, "100"},
        {0.25, 1, "0.2"}, // exact tie
        {0.35, 1, "0.3"}, // 0.35 is stored a little below .35
        {0.05, 1, "0.1"}, // and 0.05 a little above
        {1023.9990234375, 1, "1024.0"},
        {1.0009765625, 1, "1.0"},
        {1.5, 1, "1.5"},
        {16777215.0, 1, "16777215.0"},
        {12.345, 2, "12.35"}, // 12.345 is stored slightly above
        {-0.3, 0, "-0"},
        {-2.5, 0, "-2"},
        {1e-300, 1, "0.0"},
        {1e20, 0, "100000000000000000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals), c.expected) << c.value << " with " << c.decimals;
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 0), "nan");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 1), "-inf");
}

TEST(FormatSize, PicksTheUnitAboveStrictly1024)
{
    struct Case { uint64_t bytes; const wchar_t* expected; };
    const uint64_t tb = uint64_t{1} << 40;
    const Case cases[] = {
        {0, L"0.0B"},
        {1, L"1.0B"},
        {1024, L"1024.0B"},
        {1025, L"1.0KB"},
        {1536, L"1.5KB"},
        {1048575, L"1024.0KB"},
        {1048576, L"1024.0KB"},
        {1048577, L"1.0MB"},
        {uint64_t{3} << 30, L"3.0GB"},
        {5 * tb, L"5.0TB"},
        {1024 * tb, L"1024.0TB"},
        {2 * 1024 * tb, L"2048.0TB"},
        {std::numeric_limits<uint64_t>::max(), L"16777216.0TB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.expected) << c.bytes;
}

TEST(StatusTemplate, ReplacesThePlaceholdersInOrderAtEveryOccurrence)
{
    struct Case { const wchar_t* templateText; const wchar_t* fileName; uint64_t done; uint64_t total; const wchar_t* expected; };
    const Case cases[] = {
        {L"Copying %1% (%2% of %3%, %4%)", L"setup.exe", 512, 2048, L"Copying setup.exe (512.0B of 2.0KB, 25%)"},
        {L"No placeholders here", L"a.txt", 1, 2, L"No placeholders here"},
        {L"%1% and %1%", L"x", 0, 0, L"x and x"},
        {L"%4%%4%", L"", 1, 3, L"33%33%"},
        // A file name holding a later placeholder is expanded by the later replacement.
        {L"File %1%", L"odd%2%name", 2048, 4096, L"File odd2.0KBname"},
        // One holding its own placeholder is not expanded again.
        {L"%1%", L"%1%", 0, 0, L"%1%"},
        // Before the first progress report, or for an empty file, the size is 0.
        {L"%4%", L"empty.dat", 0, 0, L"0%"},
        {L"%2%/%3% %4%", L"f", 0, 0, L"0.0B/0.0B 0%"},
        {L"%4%", L"half", 1, 2, L"50%"},
        {L"%4%", L"done", 4096, 4096, L"100%"},
        // The done count of one file over the size of the next, read while the worker moves on.
        {L"%4%", L"next", 5000, 10, L"100%"},
        {L"%5% %% %1", L"f", 0, 0, L"%5% %% %1"},
    };
    for (const Case& c : cases) {
        const FileProgressText file{c.fileName, c.done, c.total};
        EXPECT_EQ(ExpandStatusTemplate(c.templateText, file), c.expected)
            << testing::PrintToString(std::wstring(c.templateText));
    }
}

TEST(ItemLine, CountsItemsNotCommands)
{
    EXPECT_EQ(ItemLine(L"Drivers", 2, 5), L"Drivers (3/5)");
    EXPECT_EQ(ItemLine(L"", 0, 1), L" (1/1)");
    EXPECT_EQ(ItemLine(L"100% %s", 0, 2), L"100% %s (1/2)"); // the name is not a format
}

TEST(FooterText, PrintsThePercentageWithoutDecimals)
{
    struct Case { float percent; const wchar_t* text; const wchar_t* expected; };
    const Case cases[] = {
        {37.4f, L"complete", L"37% complete"},
        {0.0f, L"complete", L"0% complete"},
        {42.5f, L"done", L"42% done"},
        {99.5f, L"", L"100% "},
        {100.0f, L"x", L"100% x"},
        {87.5f, L"%s %d", L"88% %s %d"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FooterText(c.percent, c.text), c.expected) << c.percent;
    EXPECT_EQ(FooterMeasureText(L"complete"), L"100% complete");
}

TEST(ItemCommands, CountIgnoringAsciiCaseOnly)
{
    std::vector<InstallCommand> commands(5);
    commands[0].itemName = L"Tools";
    commands[1].itemName = L"TOOLS";
    commands[2].itemName = L"tools ";
    commands[3].itemName = L"Drivers";
    commands[4].itemName = L"tools";
    EXPECT_EQ(CountItemCommands(commands, L"tools"), 3);
    EXPECT_EQ(CountItemCommands(commands, L"Tools"), 3); // names differing in case share their count
    EXPECT_EQ(CountItemCommands(commands, L"drivers"), 1);
    EXPECT_EQ(CountItemCommands(commands, L"Fonts"), 0);
    EXPECT_EQ(CountItemCommands({}, L"Tools"), 0);
}

TEST(ItemBarPercent, AddsTheRunningCommandsShare)
{
    struct Case { float itemPercent; float commandPercent; int commands; float expected; };
    const Case cases[] = {
        {0.0f, 0.0f, 4, 0.0f},
        {25.0f, 50.0f, 4, 37.5f},
        {75.0f, 100.0f, 4, 100.0f},
        {0.0f, 60.0f, 1, 60.0f},
        {50.0f, 80.0f, 0, 50.0f}, // an item without commands: its own percentage alone
        {10.0f, 80.0f, -1, 10.0f},
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(ItemBarPercent(c.itemPercent, c.commandPercent, c.commands), c.expected);
}

TEST(DetailKind, FollowsTheCommandNameIgnoringCase)
{
    struct Case { const wchar_t* name; DetailKind kind; };
    const Case cases[] = {
        {L"execute", DetailKind::Execute}, {L"EXECUTE", DetailKind::Execute}, {L"dircopy", DetailKind::Copy},
        {L"DirCopy", DetailKind::Copy},    {L"dirmove", DetailKind::Move},    {L"DIRMOVE", DetailKind::Move},
        {L"dirdelete", DetailKind::Delete}, {L"DirDelete", DetailKind::Delete}, {L"copy", DetailKind::None},
        {L"dircopy ", DetailKind::None},   {L"", DetailKind::None},          {L"regedit", DetailKind::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetailKindOf(c.name), c.kind) << testing::PrintToString(std::wstring(c.name));
}

} // namespace
