// The lexical path forms the folder commands' rules are applied to. The expected forms are
// those GetFullPathNameW gives on Windows for the same text and current folder.
#include "commands/FolderPaths.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

namespace {

TEST(NormalizePath, ResolvesTheWayWindowsDoes)
{
    struct Case { const wchar_t* current; const wchar_t* path; const wchar_t* normal; };
    const Case cases[] = {
        {L"", L"C:\\a\\b", L"C:\\a\\b"},
        {L"", L"C:/a//b\\\\c/", L"C:\\a\\b\\c\\"},          // separators, a trailing one kept
        {L"", L"C:\\a\\.\\b\\.", L"C:\\a\\b"},
        {L"", L"C:\\a\\.\\", L"C:\\a\\"},
        {L"", L"C:\\a\\b\\..", L"C:\\a"},
        {L"", L"C:\\a\\b\\..\\", L"C:\\a\\"},
        {L"", L"C:\\a\\..\\..\\..", L"C:\\"},                // never above the root
        {L"", L"C:\\a.\\b..\\c. .", L"C:\\a\\b.\\c"},       // one dot off inner names, all dots and spaces off the last
        {L"", L"C:\\a\\...", L"C:\\a\\"},
        {L"", L"C:\\a\\...\\b", L"C:\\a\\...\\b"},                   // dots alone are a name inside a path
        {L"", L"C:\\a\\....\\..\\..\\b", L"C:\\b"},
        {L"", L"c:\\", L"c:\\"},
        {L"", L"\\\\server\\share\\x\\..\\..", L"\\\\server\\share\\"},
        {L"", L"//server/share/x", L"\\\\server\\share\\x"},
        {L"", L"\\\\?\\C:\\x\\..", L"\\\\?\\C:\\"},
        {L"", L"\\\\?\\UNC\\server\\share\\x\\..", L"\\\\?\\UNC\\server\\share\\"},
        {L"", L"\\\\.\\C:\\x\\.\\y", L"\\\\.\\C:\\x\\y"},
        {L"", L"C:", L"C:\\"},                                // no current folder on C:
        {L"", L"C:x\\y", L"C:\\x\\y"},
        {L"", L"x\\..\\..\\y", L"..\\y"},                     // no current folder: stays relative
        {L"", L"\\x", L"\\x"},
        {L"D:\\work", L"x\\..\\y", L"D:\\work\\y"},
        {L"D:\\work", L".", L"D:\\work"},
        {L"D:\\work\\", L".\\", L"D:\\work\\"},
        {L"D:\\work", L"..\\..", L"D:\\"},
        {L"D:\\work", L"\\x", L"D:\\x"},
        {L"D:\\work", L"D:x", L"D:\\work\\x"},
        {L"D:\\work", L"E:x", L"E:\\x"},
        {L"\\\\server\\share\\work", L"\\x", L"\\\\server\\share\\x"},
        {L"\\\\server\\share\\work", L"..\\..", L"\\\\server\\share\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalizePath(c.path, c.current), c.normal)
            << testing::PrintToString(std::wstring(c.path)) << " in " << testing::PrintToString(std::wstring(c.current));
}

// Paths put together from awkward pieces: whatever the mix, an absolute normal form holds no "."
// or ".." name after its root, so that the rules never read a parent folder into a name or
// miss one that the platform applies.
TEST(NormalizePath, AbsoluteFormsHoldNoRelativeNames)
{
    const wchar_t* roots[] = {L"", L"C:", L"C:\\", L"\\", L"//server/share", L"\\\\server\\share\\", L"\\\\?\\C:\\",
                              L"\\\\.\\C:\\", L"\\\\?\\UNC\\s\\sh\\"};
    const wchar_t* names[] = {L"a",  L"b.",   L"c ",   L"..", L".",  L"...", L"....",
                              L" ", L"d. .", L"e..f", L" .", L".. ", L""};
    const wchar_t* separators[] = {L"\\", L"/", L"\\\\"};
    const wchar_t* currents[] = {L"", L"D:\\work", L"\\\\server\\share\\w", L"C:\\a\\...\\b"};
    std::mt19937 random(1);
    const auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    for (int i = 0; i < 20000; ++i) {
        std::wstring path = roots[pick(std::size(roots))];
        for (unsigned part = 0, parts = pick(6); part < parts; ++part)
            path += std::wstring(part > 0 || !path.empty() ? separators[pick(3)] : L"") + names[pick(std::size(names))];
        const std::wstring normal = NormalizePath(path, currents[pick(std::size(currents))]);
        const size_t root = PathRootLength(normal);
        if (root == 0)
            continue;
        const std::wstring after = L"\\" + normal.substr(root) + L"\\";
        const std::string shown = testing::PrintToString(path) + " gave " + testing::PrintToString(normal);
        EXPECT_EQ(after.find(L"\\.\\"), std::wstring::npos) << shown;
        EXPECT_EQ(after.find(L"\\..\\"), std::wstring::npos) << shown;
    }
}

TEST(NormalizePath, RootsAndWhatLiesInsideThem)
{
    struct Case { const wchar_t* path; size_t rootLength; bool rootOrRelative; };
    const Case cases[] = {
        {L"C:\\", 3, true}, {L"C:", 2, true}, {L"C:\\x", 3, false},
        {L"\\\\server\\share", 14, true}, {L"\\\\server\\share\\", 15, true}, {L"\\\\server", 8, true},
        {L"\\\\server\\share\\x", 15, false},
        {L"\\\\?\\C:\\", 7, true}, {L"\\\\?\\C:\\x", 7, false}, {L"\\\\?\\Volume{1}\\", 14, true},
        {L"\\\\?\\UNC\\s\\sh\\", 13, true}, {L"\\\\?\\unc\\s\\sh\\x", 13, false},
        {L"x", 0, true}, {L"\\x", 0, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathRootLength(c.path), c.rootLength) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(IsRootOrRelative(c.path), c.rootOrRelative) << testing::PrintToString(std::wstring(c.path));
    }
    EXPECT_EQ(ExtendedLengthPath(L"C:\\x\\name. "), L"\\\\?\\C:\\x\\name. ");
    EXPECT_EQ(ExtendedLengthPath(L"c:\\"), L"\\\\?\\c:\\");
    EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\x"), L"\\\\?\\UNC\\server\\share\\x");
    EXPECT_EQ(ExtendedLengthPath(L"C:/x/y\\"), L"\\\\?\\C:\\x\\y\\");
    for (const wchar_t* unchanged : {L"\\\\?\\C:\\x", L"\\\\.\\C:\\x", L"x\\y", L"\\x", L"C:x", L"C:\\x\\..\\y",
                                     L"C:\\x\\.", L"C:\\x\\\\y", L"\\\\server\\share\\..\\x"})
        EXPECT_EQ(ExtendedLengthPath(unchanged), unchanged);
    EXPECT_TRUE(IsStrictlyInside(L"C:\\Data\\backup\\", L"c:\\data"));
    EXPECT_TRUE(IsStrictlyInside(L"C:\\x", L"C:\\"));
    EXPECT_FALSE(IsStrictlyInside(L"C:\\data", L"C:\\data\\"));
    EXPECT_FALSE(IsStrictlyInside(L"C:\\database", L"C:\\data"));
}

} // namespace
