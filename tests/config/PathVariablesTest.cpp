#include "FakePathVariableSource.h"

#include <gtest/gtest.h>

namespace {

PathVariables MachineTable()
{
    FakePathVariableSource source;
    source.modulePath = L"C:\\Setup\\setup.exe";
    source.environment[L"TEMP"] = L"C:\\Tmp";
    source.environment[L"WINDIR"] = L"C:\\Windows";
    PathVariables table;
    BuildPathVariables(table, source);
    return table;
}

TEST(BuildPathVariables, FourteenEntriesInSubstitutionOrder)
{
    FakePathVariableSource source;
    source.modulePath = L"C:\\Setup\\setup.exe";
    source.sourcePath = L"D:\\i386";
    source.environment[L"APPDATA"] = L"C:\\Users\\u\\AppData";
    source.environment[L"PATH"] = L"C:\\bin"; // not one of the fourteen
    PathVariables table;
    BuildPathVariables(table, source);

    const wchar_t* const names[] = {L"VARNEKITE", L"SOURCEPATH", L"USERPROFILE", L"SYSTEMDRIVE", L"WINDIR",
                                    L"PROGRAMFILES", L"SYSTEMROOT", L"ALLUSERSPROFILE", L"APPDATA",
                                    L"HOMEDRIVE", L"HOMEPATH", L"HOMESHARE", L"TEMP", L"TMP"};
    ASSERT_EQ(table.size(), 14u);
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].name, names[i]);
    EXPECT_EQ(table[0].value, L"C:\\Setup\\");
    EXPECT_EQ(table[1].value, L"D:\\i386");
    EXPECT_EQ(table[8].value, L"C:\\Users\\u\\AppData");
    EXPECT_EQ(table[12].value, L"");
}

// The folder keeps its last backslash; "%VARNEKITE%\\x" then collapses the doubled one. A
// program on a network share finds its configuration there.
TEST(BuildPathVariables, ProgramFolderKeepsItsLastBackslash)
{
    struct Case { const wchar_t* module; const wchar_t* folder; const wchar_t* expanded; };
    const Case cases[] = {
        {L"C:\\Setup\\setup.exe", L"C:\\Setup\\", L"C:\\Setup\\Varnekite.xml"},
        {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\", L"\\\\server\\share\\Varnekite.xml"},
        {L"setup.exe", L"", L"\\Varnekite.xml"},
        {L"", L"", L"\\Varnekite.xml"},
        {L"C:/Setup/setup.exe", L"", L"\\Varnekite.xml"}, // only backslashes separate
    };
    for (const Case& c : cases) {
        FakePathVariableSource source;
        source.modulePath = c.module;
        PathVariables table;
        BuildPathVariables(table, source);
        EXPECT_EQ(table[0].value, c.folder) << testing::PrintToString(std::wstring(c.module));
        std::wstring text = L"%VARNEKITE%\\Varnekite.xml";
        ExpandVariables(text, table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.module));
    }
}

TEST(ExpandVariables, ReplacesReferencesAndCollapsesBackslashes)
{
    const PathVariables table = MachineTable();
    struct Case { const wchar_t* text; const wchar_t* expanded; };
    const Case cases[] = {
        {L"%VARNEKITE%\\Varnekite.xml", L"C:\\Setup\\Varnekite.xml"},
        {L"%varnekite%data", L"C:\\Setup\\data"},
        {L"%Temp%\\a", L"C:\\Tmp\\a"},
        {L"%TEMP%%TMP%", L"C:\\Tmp"},              // TMP unset: its reference is removed
        {L"%TMP%\\a", L"\\a"},
        {L"%SOURCEPATH%\\i386", L"\\i386"},
        {L"%TEMP", L"%TEMP"},
        {L"%FOO%\\x", L"%FOO%\\x"},
        {L"%PATH%", L"%PATH%"},
        {L"100%", L"100%"},
        {L"%TEMP%;%temp%;%TeMp%", L"C:\\Tmp;C:\\Tmp;C:\\Tmp"},
        {L"a\\\\\\b", L"a\\\\b"},                  // three backslashes become two
        {L"a\\\\\\\\b", L"a\\\\b"},                // four become two
        {L"\\\\server\\share", L"\\\\server\\share"},     // a network path keeps its prefix
        {L"\\\\server\\\\share\\\\a", L"\\\\server\\share\\a"}, // ...and collapses after it
        {L"\\\\\\x", L"\\\\\\x"},                      // a third one stays: nothing to pair with
        {L"x\\\\server", L"x\\server"},                  // only at the start
        {L"%TEMP%\\\\a", L"C:\\Tmp\\a"},
        {L"", L""},
        {L"%WINDIR%%TEMP%", L"C:\\WindowsC:\\Tmp"},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        ExpandVariables(text, table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(ExpandVariables, ReferencesInsideValuesFollowTableOrder)
{
    // A value's text keeps its own case: an upper-case reference to a later variable expands,
    // a lower-case one and a reference to an earlier variable do not.
    const PathVariables table = {{L"EARLY", L"early"}, {L"A", L"%B%|%b%|%EARLY%"}, {L"B", L"bee"}};
    std::wstring text = L"%A%";
    ExpandVariables(text, table);
    EXPECT_EQ(text, L"bee|%b%|%EARLY%");
}

TEST(ExpandVariables, ValueHoldingItsOwnReferenceEnds)
{
    struct Case { const wchar_t* value; const wchar_t* text; const wchar_t* expanded; };
    const Case cases[] = {
        {L"%TEMP%", L"%TEMP%", L"%TEMP%"},
        {L"x%TEMP%y", L"%temp%-%TEMP%", L"x%TEMP%y-x%TEMP%y"},
        {L"%TEMP%%TEMP%", L"[%TEMP%]", L"[%TEMP%%TEMP%]"},
    };
    for (const Case& c : cases) {
        const PathVariables table = {{L"TEMP", c.value}};
        std::wstring text = c.text;
        ExpandVariables(text, table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.text));
    }
}

} // namespace
