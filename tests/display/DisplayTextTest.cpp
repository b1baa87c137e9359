#include "display/DisplayText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(FormatFixed, RoundsTheExactValueToNearestWithTiesToEven)
{
    struct Case { double value; int decimals; const char* expected; };
    const Case cases[] = {
        {0.0, 1, "0.0"},
        {42.5, 0, "42"},  // an exact tie goes to the even neighbour, as printf does
        {43.5, 0, "44"},
        {99.6, 0, "100"},
        {0.35, 1, "0.3"}, // 0.35 is stored a little below .35
        {0.05, 1, "0.1"}, // and 0.05 a little above
        {12.345, 2, "12.35"},
        {1.004, 2, "1.00"}, // the decimals keep their leading zeros
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
        {1024, L"1024.0B"},
        {1025, L"1.0KB"},
        {1536, L"1.5KB"},
        {1048576, L"1024.0KB"},
        {1048577, L"1.0MB"},
        {uint64_t{3} << 30, L"3.0GB"},
        {2 * 1024 * tb, L"2048.0TB"},
        {std::numeric_limits<uint64_t>::max(), L"16777216.0TB"}, // rounded to single precision
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.expected) << c.bytes;
}

TEST(StatusTemplate, ReplacesThePlaceholdersInOrderAtEveryOccurrence)
{
    struct Case { const wchar_t* templateText; const wchar_t* fileName; uint64_t done; uint64_t total; const wchar_t* expected; };
    const Case cases[] = {
        {L"Copying %1% (%2% of %3%, %4%)", L"setup.exe", 512, 2048, L"Copying setup.exe (512.0B of 2.0KB, 25%)"},
        {L"%1% and %1%", L"x", 0, 0, L"x and x"},
        // A file name holding a later placeholder is expanded by the later replacement.
        {L"File %1%", L"odd%2%name", 2048, 4096, L"File odd2.0KBname"},
        // One holding its own placeholder is not expanded again.
        {L"%1%", L"%1%", 0, 0, L"%1%"},
        // Before the first progress report, or for an empty file, the size is 0.
        {L"%4%", L"empty.dat", 0, 0, L"0%"},
        // The done count of one file over the size of the next, read while the worker moves on.
        {L"%4%", L"next", 5000, 10, L"100%"},
    };
    for (const Case& c : cases) {
        const FileProgressText file{c.fileName, c.done, c.total};
        EXPECT_EQ(ExpandStatusTemplate(c.templateText, file), c.expected)
            << testing::PrintToString(std::wstring(c.templateText));
    }
}

TEST(FooterText, PrintsThePercentageWithoutDecimals)
{
    EXPECT_EQ(FooterText(37.4f, L"complete"), L"37% complete");
    EXPECT_EQ(FooterText(99.5f, L""), L"100% ");
    EXPECT_EQ(FooterText(87.5f, L"%s %d"), L"88% %s %d"); // the text is not a format
    EXPECT_EQ(FooterMeasureText(L"complete"), L"100% complete");
}

} // namespace
