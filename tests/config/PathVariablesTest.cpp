// The table of path variables built from a given source, and the expansion of references.
#include "config/PathVariables.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <utility>
#include <vector>

namespace {

struct GivenSource : PathVariableSource
{
    std::wstring modulePath;
    std::map<std::wstring, std::wstring> environment;

    std::wstring ModuleFileName() const override { return modulePath; }
    std::wstring SourcePath() const override { return L"D:\\i386"; }
    std::wstring Environment(const wchar_t* name) const override
    {
        const auto found = environment.find(name);
        return found == environment.end() ? std::wstring() : found->second;
    }
};

PathVariables TableOf(const std::wstring& modulePath, std::map<std::wstring, std::wstring> environment = {})
{
    GivenSource source;
    source.modulePath = modulePath;
    source.environment = std::move(environment);
    PathVariables table;
    BuildPathVariables(table, source);
    return table;
}

// The configuration's folder comes last, so the fourteen before it keep their order; it is
// empty until the configuration's path is known.
TEST(BuildPathVariables, FifteenEntriesInSubstitutionOrder)
{
    const PathVariables table = TableOf(L"C:\\Setup\\setup.exe", {{L"APPDATA", L"C:\\AppData"}, {L"PATH", L"C:\\bin"}});
    const wchar_t* const names[] = {L"VARNEKITE", L"SOURCEPATH", L"USERPROFILE", L"SYSTEMDRIVE", L"WINDIR",
                                    L"PROGRAMFILES", L"SYSTEMROOT", L"ALLUSERSPROFILE", L"APPDATA",
                                    L"HOMEDRIVE", L"HOMEPATH", L"HOMESHARE", L"TEMP", L"TMP", L"VARNEKITECONFIG"};
    ASSERT_EQ(table.size(), 15u); // PATH is not one of them
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].name, names[i]);
    EXPECT_EQ(table[1].value, L"D:\\i386");
    EXPECT_EQ(table[8].value, L"C:\\AppData");
    EXPECT_EQ(table[12].value, L"");
    EXPECT_EQ(table[14].value, L"");
}

// The folder keeps its last backslash; "%VARNEKITE%\\x" then joins it with the written one. A
// program on a network share finds its configuration there.
TEST(BuildPathVariables, ProgramFolderKeepsItsLastBackslash)
{
    struct Case { const wchar_t* module; const wchar_t* folder; const wchar_t* expanded; };
    const Case cases[] = {
        {L"C:\\Setup\\setup.exe", L"C:\\Setup\\", L"C:\\Setup\\Varnekite.xml"},
        {L"\\\\server\\share\\setup.exe", L"\\\\server\\share\\", L"\\\\server\\share\\Varnekite.xml"},
        {L"C:/Setup/setup.exe", L"", L"\\Varnekite.xml"}, // only backslashes separate
    };
    for (const Case& c : cases) {
        const PathVariables table = TableOf(c.module);
        EXPECT_EQ(table[0].value, c.folder) << testing::PrintToString(std::wstring(c.module));
        std::wstring text = L"%VARNEKITE%\\Varnekite.xml";
        ExpandVariables(text, table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.module));
    }
}

// Only where a value ending in a backslash meets one written after it are the two one; every
// other backslash stays as written, network paths inside arguments included.
TEST(ExpandVariables, ReplacesReferencesAndJoinsOnlyAValuesBackslashWithTheNext)
{
    PathVariables table = TableOf(L"C:\\Setup\\setup.exe", {{L"TEMP", L"C:\\Tmp"}, {L"WINDIR", L"C:\\Windows"}});
    table.push_back({L"SETUPDIR", L"D:\\Setup\\", true});
    table.push_back({L"SHARE", L"\\\\srv\\dist\\", true});
    struct Case { const wchar_t* text; const wchar_t* expanded; };
    const Case cases[] = {
        {L"%TEMP%;%temp%;%TeMp%", L"C:\\Tmp;C:\\Tmp;C:\\Tmp"},
        {L"%TEMP%%TMP%", L"C:\\Tmp"},              // TMP unset: its reference is removed
        {L"%TEMP", L"%TEMP"},
        {L"%PATH%", L"%PATH%"},
        {L"100%", L"100%"},
        {L"%WINDIR%%TEMP%", L"C:\\WindowsC:\\Tmp"},
        {L"%VARNEKITE%\\setup.exe", L"C:\\Setup\\setup.exe"},
        {L"%VARNEKITE%setup.exe", L"C:\\Setup\\setup.exe"},
        {L"%VARNEKITE%\\\\x", L"C:\\Setup\\\\x"},  // one pair joins, the next backslash stays
        {L"%SetupDir%\\a", L"D:\\Setup\\a"},       // an environment value joins the same way
        {L"%SHARE%\\b", L"\\\\srv\\dist\\b"},
        {L"%VARNEKITE%%SETUPDIR%", L"C:\\Setup\\D:\\Setup\\"},
        {L"/source:\\\\srv\\dist", L"/source:\\\\srv\\dist"},
        {L"/s %VARNEKITE%\\a /t:\\\\srv\\x", L"/s C:\\Setup\\a /t:\\\\srv\\x"},
        {L"a\\\\\\b", L"a\\\\\\b"},
        {L"\\\\server\\share\\a", L"\\\\server\\share\\a"},
        {L"%TEMP%\\\\a", L"C:\\Tmp\\\\a"},        // the value ends in no backslash: both stay
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        ExpandVariables(text, table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.text));
    }
}

// A value's text keeps its own case and is searched only by later variables; a value holding
// its own reference is inserted once, never expanded again.
TEST(ExpandVariables, ReferencesInsideValues)
{
    struct Case { PathVariables table; const wchar_t* text; const wchar_t* expanded; };
    const Case cases[] = {
        {{{L"EARLY", L"early"}, {L"A", L"%B%|%b%|%EARLY%"}, {L"B", L"bee"}}, L"%A%", L"bee|%b%|%EARLY%"},
        {{{L"TEMP", L"%TEMP%"}}, L"%TEMP%", L"%TEMP%"},
        {{{L"TEMP", L"x%TEMP%y"}}, L"%temp%-%TEMP%", L"x%TEMP%y-x%TEMP%y"},
        {{{L"TEMP", L"%TEMP%%TEMP%"}}, L"[%TEMP%]", L"[%TEMP%%TEMP%]"},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        ExpandVariables(text, c.table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.text));
    }
}

} // namespace

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

// Expansion builds its result in one pass per variable: megabytes of references expand at
// once. (Replacing in place one reference at a time takes minutes here.)
TEST(ExpandVariables, LongTextsExpandInLinearTime)
{
    const PathVariables table{{L"HOMESHARE", L""}, {L"TEMP", L"C:\\Temp"}};
    std::wstring text;
    for (int i = 0; i < 200000; ++i)
        text += L"%HOMESHARE%%temp%";
    const auto start = std::chrono::steady_clock::now();
    ExpandVariables(text, table);
    EXPECT_LT(SecondsSince(start), 10.0); // a hang guard, not a speed target: linear takes milliseconds
    ASSERT_EQ(text.size(), 200000u * 7);
    EXPECT_EQ(text.substr(0, 14), L"C:\\TempC:\\Temp");
}

namespace {

struct EnvironmentSource : GivenSource
{
    std::vector<std::pair<std::wstring, std::wstring>> block;
    std::vector<std::pair<std::wstring, std::wstring>> EnvironmentBlock() const override { return block; }
};

} // namespace

// Any other set environment variable expands after the fifteen, its name in any case; a value
// is not searched again, and names that are not set stay as written.
TEST(ExpandVariables, AnyOtherEnvironmentVariableExpandsAfterThePathVariables)
{
    EnvironmentSource source;
    source.environment = {{L"TEMP", L"C:\\Temp"}};
    source.block = {{L"ProgramData", L"C:\\ProgramData"}, {L"TEMP", L"not this one"}, {L"Loop", L"%LOOP%"},
                    {L"ProgramFiles(x86)", L"C:\\Program Files (x86)"}, {L"COMPUTERNAME", L"PC-7"}};
    PathVariables table;
    BuildPathVariables(table, source);
    ASSERT_EQ(table.size(), 15u + 4u); // TEMP stays the path variable it is
    struct Case { const wchar_t* text; const wchar_t* expanded; };
    const Case cases[] = {
        {L"%programdata%\\x", L"C:\\ProgramData\\x"},
        {L"%ProgramFiles(x86)%\\Vendor", L"C:\\Program Files (x86)\\Vendor"},
        {L"%TEMP%\\%ComputerName%", L"C:\\Temp\\PC-7"},
        {L"%NOTSET%ProgramData%", L"%NOTSETC:\\ProgramData"}, // the closing % may open the next reference
        {L"%loop%-%LOOP%", L"%LOOP%-%LOOP%"},
        {L"100%", L"100%"},
        {L"%%", L"%%"},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        ExpandVariables(text, table);
        EXPECT_EQ(text, c.expanded) << testing::PrintToString(std::wstring(c.text));
    }
}
