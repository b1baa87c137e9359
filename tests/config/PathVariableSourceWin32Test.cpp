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
    // The fifteen path variables first, then the rest of the environment.
    ASSERT_GT(table.size(), 15u);
    for (size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].environment, i >= 15) << testing::PrintToString(table[i].name);
    const std::wstring& folder = table[0].value;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(GetFileAttributesW((folder + L"PathVariableSourceWin32Test.exe").c_str()) != INVALID_FILE_ATTRIBUTES, true)
        << testing::PrintToString(folder);
}

TEST(Win32PathVariableSource, EnvironmentIsReadAsItStands)
{
    const std::wstring share = L"\\\\server\\home\\\u00E9l\u00E8ve";
    const std::wstring longValue(5000, L'x');
    ASSERT_TRUE(SetEnvironmentVariableW(L"HOMESHARE", share.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", longValue.c_str()));
    SetEnvironmentVariableW(L"TEMP", nullptr);
    const Win32PathVariableSource source;
    EXPECT_EQ(source.Environment(L"HOMESHARE"), share);
    EXPECT_EQ(source.Environment(L"TMP"), longValue);
    EXPECT_EQ(source.Environment(L"TEMP"), L"");
}

// Sets the machine's SourcePath value for one test and restores it after.
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

TEST_F(SourcePathValue, OnlyTerminatedStringsThatFitAreAccepted)
{
    const std::wstring text(L"D:\\i386\0tail", 12);
    const DWORD whole = sizeof(L"D:\\i386");
    const std::wstring expand = L"%SystemRoot%\\i386";
    const std::wstring fits(1023, L'b');
    const std::wstring tooLong(1024, L'a'); // with its NUL, one unit more than the buffer
    const auto terminated = [](const std::wstring& data) { return DWORD((data.size() + 1) * sizeof(wchar_t)); };
    struct Case { DWORD type; const std::wstring* data; DWORD size; std::wstring expected; };
    const Case cases[] = {
        {REG_SZ, &text, whole, L"D:\\i386"},
        {REG_EXPAND_SZ, &expand, terminated(expand), expand}, // read verbatim, not expanded
        {REG_SZ, &text, terminated(text), L"D:\\i386"},     // text up to the first NUL
        // Not terminated. (The system adds a forgotten NUL when the unit after the data is one,
        // so the data stops before the last character.)
        {REG_SZ, &text, whole - 4, L""},
        {REG_SZ, &text, whole - 1, L""},                      // not whole UTF-16 units
        {REG_BINARY, &text, whole, L""},
        {REG_MULTI_SZ, &text, whole, L""},
        {REG_SZ, &fits, terminated(fits), fits},
        {REG_SZ, &tooLong, terminated(tooLong), L""},
    };
    for (const Case& c : cases) {
        Set(c.type, c.data->c_str(), c.size);
        EXPECT_EQ(Win32PathVariableSource().SourcePath(), c.expected) << "type " << c.type << " size " << c.size;
    }
    RegDeleteValueW(key, L"SourcePath");
    EXPECT_EQ(Win32PathVariableSource().SourcePath(), L"");
}

} // namespace
