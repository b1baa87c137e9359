// The Windows source of the path variables, against the real module path, registry and
// environment of the test process.
#include "config/PathVariableSourceWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kSetupKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\";

TEST(Win32PathVariableSource, ProgramFolderEndsWithABackslash)
{
    PathVariables table;
    BuildPathVariables(table, Win32PathVariableSource());
    ASSERT_EQ(table.size(), 14u);
    const std::wstring& folder = table[0].value;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(GetFileAttributesW((folder + L"PathVariableSourceWin32Test.exe").c_str()) != INVALID_FILE_ATTRIBUTES, true)
        << testing::PrintToString(folder);
}

TEST(Win32PathVariableSource, EnvironmentIsReadAsItStands)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"HOMESHARE", L"\\\\server\\home\\\u00E9l\u00E8ve"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", nullptr));
    PathVariables table;
    BuildPathVariables(table, Win32PathVariableSource());
    EXPECT_EQ(table[11].name, L"HOMESHARE");
    EXPECT_EQ(table[11].value, L"\\\\server\\home\\\u00E9l\u00E8ve");
    EXPECT_EQ(table[13].name, L"TMP");
    EXPECT_EQ(table[13].value, L"");

    const std::wstring longValue(5000, L'x');
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", longValue.c_str()));
    EXPECT_EQ(Win32PathVariableSource().Environment(L"TMP"), longValue);
}

// Sets (or removes, for a null data) the machine's SourcePath for one test and restores it after.
class SourcePathValue : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSetupKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                  &key, nullptr), ERROR_SUCCESS);
        savedSize = sizeof(saved);
        hadValue = RegQueryValueExW(key, L"SourcePath", nullptr, &savedType, saved, &savedSize) == ERROR_SUCCESS;
    }
    void TearDown() override
    {
        if (hadValue)
            RegSetValueExW(key, L"SourcePath", 0, savedType, saved, savedSize);
        else
            RegDeleteValueW(key, L"SourcePath");
        RegCloseKey(key);
    }
    void Set(DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExW(key, L"SourcePath", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }

    HKEY key = nullptr;
    BYTE saved[4096] = {};
    DWORD savedSize = 0;
    DWORD savedType = 0;
    bool hadValue = false;
};

TEST_F(SourcePathValue, OnlyTerminatedStringsAreAccepted)
{
    const wchar_t text[] = L"D:\\i386\0tail";
    struct Case { DWORD type; DWORD size; const wchar_t* expected; };
    const Case cases[] = {
        {REG_SZ, sizeof(L"D:\\i386"), L"D:\\i386"},
        {REG_EXPAND_SZ, sizeof(L"D:\\i386"), L"D:\\i386"},          // read verbatim, not expanded
        {REG_SZ, sizeof(text), L"D:\\i386"},                        // text up to the first NUL
        // Not terminated. (The system adds a forgotten NUL when the unit after the data is one,
        // so the data stops before the last character.)
        {REG_SZ, sizeof(L"D:\\i38") - sizeof(wchar_t), L""},
        {REG_SZ, sizeof(L"D:\\i386") - 1, L""},                     // not whole UTF-16 units
        {REG_BINARY, sizeof(L"D:\\i386"), L""},
        {REG_MULTI_SZ, sizeof(L"D:\\i386"), L""},
    };
    for (const Case& c : cases) {
        Set(c.type, text, c.size);
        EXPECT_EQ(Win32PathVariableSource().SourcePath(), c.expected) << "type " << c.type << " size " << c.size;
    }

    const std::wstring expand = L"%SystemRoot%\\i386";
    Set(REG_EXPAND_SZ, expand.c_str(), static_cast<DWORD>((expand.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(Win32PathVariableSource().SourcePath(), expand);
}

TEST_F(SourcePathValue, TooLongOrMissingGivesEmpty)
{
    const std::wstring tooLong(1024, L'a'); // with its NUL, one unit more than the buffer
    Set(REG_SZ, tooLong.c_str(), static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(Win32PathVariableSource().SourcePath(), L"");

    const std::wstring fits(1023, L'b');
    Set(REG_SZ, fits.c_str(), static_cast<DWORD>((fits.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(Win32PathVariableSource().SourcePath(), fits);

    RegDeleteValueW(key, L"SourcePath");
    EXPECT_EQ(Win32PathVariableSource().SourcePath(), L"");
}

} // namespace
