// The Windows source of the conditions' facts, against the test process's own machine. Under
// Wine (the tests' 64-bit prefix): the SMBIOS table has a System Information structure, but
// without strings where the host gives no DMI data (as in containers), and the BIOS key's
// SystemManufacturer and SystemProductName are empty; Windows is 6.1.7601, a workstation; the
// registry has separate 32- and 64-bit views of HKLM\SOFTWARE.
#include "config/MachineFactsWin32.h"
#include "Win32UnderWine.h"

#include "config/MachineFactText.h"
#include "config/PathVariableSourceWin32.h"
#include "config/ScopedWin32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

namespace {

const wchar_t kTestKey[] = L"SOFTWARE\\VarnekiteFactsTest";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kBiosKey[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";

// The machine this executable was linked for, from its own PE header.
std::wstring OwnImageMachine()
{
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return ImageMachineName(nt->FileHeader.Machine);
}

// KUSER_SHARED_DATA, the page the kernel maps into every process at the same address: another
// source of the version than RtlGetVersion.
ULONG SharedData(size_t offset)
{
    return *reinterpret_cast<const volatile ULONG*>(0x7FFE0000 + offset);
}

std::wstring Found(const FactAnswer& answer)
{
    EXPECT_EQ(answer.status, FactAnswer::Status::Found) << testing::PrintToString(answer.why);
    return answer.value;
}

TEST(MachineFactsWin32, ArchitectureOfTheMachineAndOfTheBuild)
{
    MachineFactsWin32 facts;
    const std::wstring program = Found(facts.Machine(Fact::ProgramArch));
    EXPECT_EQ(program, OwnImageMachine());
    const std::wstring machine = Found(facts.Machine(Fact::Arch));
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    if (UnderWine()) {
        EXPECT_EQ(machine, L"x64"); // the prefix is 64-bit, also for the 32-bit build
    } else if (wow64) {
        EXPECT_NE(machine, L"x86");
    } else { // a native program, or an x64 one emulated on arm64
        EXPECT_TRUE(machine == program || machine == L"arm64") << testing::PrintToString(machine);
    }
}

TEST(MachineFactsWin32, WindowsVersionAndEditionAreTheSystemsOwn)
{
    MachineFactsWin32 facts;
    const std::wstring version = Found(facts.Machine(Fact::Windows));
    unsigned major = 0, minor = 0, build = 0;
    wchar_t rest = 0;
    ASSERT_EQ(swscanf(version.c_str(), L"%u.%u.%u%lc", &major, &minor, &build, &rest), 3)
        << testing::PrintToString(version);
    EXPECT_GE(major, 6u);
    EXPECT_EQ(major, SharedData(0x26C)); // NtMajorVersion
    EXPECT_EQ(minor, SharedData(0x270)); // NtMinorVersion
    wchar_t registryBuild[32] = {};
    DWORD size = sizeof(registryBuild);
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentBuildNumber",
                           RRF_RT_REG_SZ, nullptr, registryBuild, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::to_wstring(build), registryBuild);

    const bool workstation = SharedData(0x264) == VER_NT_WORKSTATION; // NtProductType
    EXPECT_EQ(Found(facts.Machine(Fact::Server)), workstation ? L"false" : L"true");
    if (UnderWine()) {
        EXPECT_EQ(Found(facts.Machine(Fact::Server)), L"false");
    }
}

TEST(MachineFactsWin32, LanguageIsALocaleName)
{
    MachineFactsWin32 facts;
    const std::wstring language = Found(facts.Machine(Fact::Language));
    ASSERT_GE(language.size(), 4u);
    EXPECT_TRUE(std::iswlower(language[0]) && std::iswlower(language[1])) << testing::PrintToString(language);
    EXPECT_NE(language.find(L'-'), std::wstring::npos) << testing::PrintToString(language);
    wchar_t byLcid[LOCALE_NAME_MAX_LENGTH] = {};
    const LANGID id = GetUserDefaultUILanguage();
    if (id != LOCALE_CUSTOM_UNSPECIFIED && LCIDToLocaleName(MAKELCID(id, SORT_DEFAULT), byLcid, LOCALE_NAME_MAX_LENGTH, 0) > 0) {
        EXPECT_EQ(language, byLcid);
    }
}

TEST(MachineFactsWin32, OnlyMachineFactsAreMachineFacts)
{
    MachineFactsWin32 facts;
    for (Fact fact : {Fact::File, Fact::Folder, Fact::Registry, Fact::Program, Fact::Env})
        EXPECT_EQ(facts.Machine(fact).status, FactAnswer::Status::Failed) << FactName(fact);
}

// An SMBIOS 2.4 table with a BIOS structure (type 0), System Information (type 1) with the
// given manufacturer and product string numbers, and the end of the table.
std::vector<unsigned char> SmbiosTable(unsigned char manufacturer, unsigned char product, const std::string& strings)
{
    std::vector<unsigned char> body = {0, 0x12, 0, 0, 1, 2, 0, 0xE8, 3, 0, 0x80, 0, 0, 0, 0, 0, 0, 0,
                                       'V', 'e', 'n', 'd', 'o', 'r', 0, '1', 0, 0};
    const unsigned char system[27] = {1, 27, 1, 0, manufacturer, product, 0, 0};
    body.insert(body.end(), system, system + sizeof(system));
    body.insert(body.end(), strings.begin(), strings.end());
    body.insert(body.end(), {0, 0, 127, 4, 2, 0, 0, 0});
    std::vector<unsigned char> table = {0, 2, 4, 0, static_cast<unsigned char>(body.size()), 0, 0, 0};
    table.insert(table.end(), body.begin(), body.end());
    return table;
}

// The machine's BIOS key with the test's own maker and model, restored afterwards.
class BiosValues : public testing::Test
{
protected:
    void SetUp() override
    {
        HKEY opened = nullptr;
        const LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kBiosKey, 0, nullptr, REG_OPTION_VOLATILE,
                                            KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &opened, nullptr);
        if (status == ERROR_ACCESS_DENIED)
            GTEST_SKIP() << "the BIOS key can be written only as an administrator";
        ASSERT_EQ(status, ERROR_SUCCESS);
        key.Reset(opened);
        for (Saved& value : saved) {
            value.data.resize(1024);
            DWORD size = static_cast<DWORD>(value.data.size());
            value.present = RegQueryValueExW(key.Get(), value.name, nullptr, &value.type, value.data.data(), &size) ==
                            ERROR_SUCCESS;
            value.data.resize(size);
        }
        Set(L"SystemManufacturer", L"  Registry Maker ");
        Set(L"SystemProductName", L"Registry Model");
    }
    void TearDown() override
    {
        if (!key.Valid())
            return;
        for (const Saved& value : saved) {
            if (value.present)
                RegSetValueExW(key.Get(), value.name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
            else
                RegDeleteValueW(key.Get(), value.name);
        }
    }
    void Set(const wchar_t* name, const std::wstring& text)
    {
        ASSERT_EQ(RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))), ERROR_SUCCESS);
    }

    struct Saved
    {
        const wchar_t* name;
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    Saved saved[2] = {{L"SystemManufacturer", false, 0, {}}, {L"SystemProductName", false, 0, {}}};
    ScopedRegistryKey key;
};

TEST_F(BiosValues, TheFirmwareTableWinsOverTheRegistry)
{
    MachineFactsWin32 facts([] { return SmbiosTable(1, 2, std::string("Contoso Ltd.\0Latitude 7420", 26)); });
    EXPECT_EQ(Found(facts.Machine(Fact::Manufacturer)), L"Contoso Ltd.");
    EXPECT_EQ(Found(facts.Machine(Fact::Model)), L"Latitude 7420");
}

TEST_F(BiosValues, TheRegistryStandsInForWhatTheTableLacks)
{
    struct Case { const char* name; std::vector<unsigned char> table; const wchar_t* manufacturer; const wchar_t* model; };
    const Case cases[] = {
        {"no table", {}, L"Registry Maker", L"Registry Model"},
        {"table cut short", [] { auto t = SmbiosTable(1, 2, std::string("A\0B", 3)); t.resize(30); return t; }(),
         L"Registry Maker", L"Registry Model"},
        {"no strings, as Wine's", SmbiosTable(0, 0, std::string("\0", 1)), L"Registry Maker", L"Registry Model"},
        {"only a model", SmbiosTable(0, 1, "Latitude 7420"), L"Registry Maker", L"Latitude 7420"},
        {"blank maker", SmbiosTable(1, 2, std::string("   \0Latitude 7420", 17)), L"Registry Maker", L"Latitude 7420"},
    };
    for (const Case& c : cases) {
        MachineFactsWin32 facts([&c] { return c.table; });
        EXPECT_EQ(Found(facts.Machine(Fact::Manufacturer)), c.manufacturer) << c.name;
        EXPECT_EQ(Found(facts.Machine(Fact::Model)), c.model) << c.name;
    }
    // The system's own table, and the registry where it gives nothing (under Wine on a host
    // without DMI data, both).
    const std::vector<unsigned char> table = ReadSmbiosFirmwareTable();
    SmbiosSystemInformation fromTable;
    ReadSmbiosSystemInformation(table.data(), table.size(), fromTable);
    MachineFactsWin32 system;
    EXPECT_EQ(Found(system.Machine(Fact::Manufacturer)),
              fromTable.manufacturer.empty() ? L"Registry Maker" : fromTable.manufacturer);
    EXPECT_EQ(Found(system.Machine(Fact::Model)), fromTable.productName.empty() ? L"Registry Model" : fromTable.productName);
}

TEST_F(BiosValues, NeitherTableNorRegistryFails)
{
    Set(L"SystemManufacturer", L" ");
    ASSERT_EQ(RegDeleteValueW(key.Get(), L"SystemProductName"), ERROR_SUCCESS);
    MachineFactsWin32 facts([] { return std::vector<unsigned char>(); });
    const FactAnswer manufacturer = facts.Machine(Fact::Manufacturer);
    EXPECT_EQ(manufacturer.status, FactAnswer::Status::Failed);
    EXPECT_NE(manufacturer.why.find(L"SystemManufacturer"), std::wstring::npos) << testing::PrintToString(manufacturer.why);
    const FactAnswer model = facts.Machine(Fact::Model);
    EXPECT_EQ(model.status, FactAnswer::Status::Failed);
    EXPECT_NE(model.why.find(L"SystemProductName"), std::wstring::npos) << testing::PrintToString(model.why);
}

TEST_F(BiosValues, MachineFactsAreReadOnceAndKept)
{
    int reads = 0;
    MachineFactsWin32 facts([&reads] {
        ++reads;
        return SmbiosTable(1, 2, std::string("Contoso\0Model", 13));
    });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Found(facts.Machine(Fact::Manufacturer)), L"Contoso");
        EXPECT_EQ(Found(facts.Machine(Fact::Model)), L"Model");
    }
    EXPECT_EQ(reads, 1);
    // Also what came from the registry: a change there is not seen by the same source.
    MachineFactsWin32 fallback([] { return std::vector<unsigned char>(); });
    EXPECT_EQ(Found(fallback.Machine(Fact::Model)), L"Registry Model");
    Set(L"SystemProductName", L"Changed");
    EXPECT_EQ(Found(fallback.Machine(Fact::Model)), L"Registry Model");
}

// Whether this Windows has a separate 32-bit view of HKLM\SOFTWARE: only 64-bit Windows.
bool HasTwoViews()
{
    return MachineFactsWin32().Machine(Fact::Arch).value != L"x86";
}

// HKLM\SOFTWARE\VarnekiteFactsTest in both views, with values that tell the views apart, and
// an uninstall entry in each view and the user's; all removed afterwards.
class RegistryFacts : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!HasTwoViews())
            GTEST_SKIP() << "32-bit Windows has one registry view";
        HKEY probe = nullptr;
        hadUserUninstall = RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &probe) == ERROR_SUCCESS;
        if (probe != nullptr)
            RegCloseKey(probe);
        ASSERT_TRUE(Create(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY, {{L"Where", L"32"}}));
        ASSERT_TRUE(Create(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY,
                           {{L"Where", L"64"}, {L"Long", std::wstring(3000, L'v')}}));
        const std::wstring entry = std::wstring(kUninstallKey) + L"\\VarnekiteFactsTest";
        ASSERT_TRUE(Create(HKEY_LOCAL_MACHINE, entry, KEY_WOW64_64KEY,
                           {{L"DisplayName", L"Varnekite Facts 64"}, {L"DisplayVersion", L"6.4.1"}}));
        ASSERT_TRUE(Create(HKEY_LOCAL_MACHINE, entry, KEY_WOW64_32KEY, {{L"DisplayName", L"Varnekite Facts 32"}}));
        ASSERT_TRUE(Create(HKEY_CURRENT_USER, entry, 0,
                           {{L"DisplayName", L"Varnekite Facts User"}, {L"DisplayVersion", L"2.0"}}));
        ASSERT_TRUE(Create(HKEY_LOCAL_MACHINE, entry + L"Update", KEY_WOW64_64KEY, {{L"DisplayVersion", L"9"}}));
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key), ERROR_SUCCESS);
        const DWORD count = 42;
        const ULONGLONG big = 0x100000000ull;
        const wchar_t multi[] = L"a\0b\0";
        const BYTE binary[] = {0xDE, 0xAD};
        RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
        RegSetValueExW(key, L"Big", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&big), sizeof(big));
        RegSetValueExW(key, L"List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof(multi));
        RegSetValueExW(key, L"Bytes", 0, REG_BINARY, binary, sizeof(binary));
        RegSetValueExW(key, L"Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(L"%SystemRoot%\\x"), 30);
        RegCloseKey(key);
    }
    void TearDown() override
    {
        const std::wstring entry = std::wstring(kUninstallKey) + L"\\VarnekiteFactsTest";
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestKey, view, 0);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, entry.c_str(), view, 0);
        }
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (entry + L"Update").c_str(), KEY_WOW64_64KEY, 0);
        RegDeleteKeyW(HKEY_CURRENT_USER, entry.c_str());
        if (!hadUserUninstall)
            RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
    }
    static bool Create(HKEY root, const std::wstring& path, REGSAM view,
                       const std::vector<std::pair<std::wstring, std::wstring>>& values)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        bool written = true;
        for (const auto& value : values)
            written = written && RegSetValueExW(key, value.first.c_str(), 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>(value.second.c_str()),
                                                static_cast<DWORD>((value.second.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
        return written;
    }

    bool hadUserUninstall = false;
    MachineFactsWin32 facts;
};

TEST_F(RegistryFacts, EachViewHasItsOwnValues)
{
    const std::wstring key = L"HKLM\\SOFTWARE\\VarnekiteFactsTest";
    EXPECT_EQ(Found(facts.Registry(key, true, L"Where", RegistryView::Bits32)), L"32");
    EXPECT_EQ(Found(facts.Registry(key, true, L"Where", RegistryView::Bits64)), L"64");
    EXPECT_EQ(Found(facts.Registry(key, true, L"Where", RegistryView::Native)), L"64"); // also for the 32-bit build
    EXPECT_EQ(Found(facts.Registry(L"hkey_local_machine\\software\\varnekitefactstest\\", true, L"where",
                                   RegistryView::Native)), L"64");
    EXPECT_EQ(facts.Registry(key, true, L"Count", RegistryView::Bits32).status, FactAnswer::Status::Missing);
}

TEST_F(RegistryFacts, ValuesReadAsText)
{
    const std::wstring key = L"HKLM\\SOFTWARE\\VarnekiteFactsTest";
    struct Case { const wchar_t* name; std::wstring text; };
    const Case cases[] = {
        {L"Count", L"42"}, {L"Big", L"4294967296"}, {L"List", L"a;b"}, {L"Bytes", L"DEAD"},
        {L"Path", L"%SystemRoot%\\x"}, {L"Long", std::wstring(3000, L'v')}, // longer than the first buffer
    };
    for (const Case& c : cases)
        EXPECT_EQ(Found(facts.Registry(key, true, c.name, RegistryView::Bits64)), c.text) << testing::PrintToString(c.name);
}

TEST_F(RegistryFacts, KeysAndValuesThatAreNotThere)
{
    using Status = FactAnswer::Status;
    const std::wstring key = L"HKLM\\SOFTWARE\\VarnekiteFactsTest";
    EXPECT_EQ(facts.Registry(key, false, L"", RegistryView::Native).status, Status::Found);
    EXPECT_EQ(facts.Registry(key, true, L"Nothing", RegistryView::Native).status, Status::Missing);
    EXPECT_EQ(facts.Registry(key, true, L"", RegistryView::Native).status, Status::Missing); // no default value
    EXPECT_EQ(facts.Registry(key + L"\\Nothing", false, L"", RegistryView::Native).status, Status::Missing);
    EXPECT_EQ(facts.Registry(key + L"\\Nothing", true, L"Where", RegistryView::Bits32).status, Status::Missing);
    const FactAnswer unknown = facts.Registry(L"HKXY\\SOFTWARE", false, L"", RegistryView::Native);
    EXPECT_EQ(unknown.status, Status::Failed);
    EXPECT_EQ(unknown.why, L"unknown registry root");
}

TEST_F(RegistryFacts, ProgramsOfBothViewsAndTheUser)
{
    std::vector<InstalledProgram> programs;
    std::wstring why;
    ASSERT_TRUE(facts.Programs(programs, why)) << testing::PrintToString(why);
    auto versionOf = [&programs](const std::wstring& name) {
        for (const InstalledProgram& program : programs)
            if (program.name == name)
                return program.version;
        return std::wstring(L"not listed");
    };
    EXPECT_EQ(versionOf(L"Varnekite Facts 64"), L"6.4.1");
    EXPECT_EQ(versionOf(L"Varnekite Facts 32"), L"");
    EXPECT_EQ(versionOf(L"Varnekite Facts User"), L"2.0");
    for (const InstalledProgram& program : programs)
        EXPECT_FALSE(program.name.empty()) << "an entry without a display name is listed";
}

TEST(MachineFactsWin32, ProgramsWhereTheUserHasNoUninstallKey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        GTEST_SKIP() << "the user has an uninstall key";
    }
    std::vector<InstalledProgram> programs;
    std::wstring why;
    EXPECT_TRUE(MachineFactsWin32().Programs(programs, why)) << testing::PrintToString(why);
}

// A folder of the test's own, with a file without a version resource.
class FileFacts : public testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
        folder = std::wstring(temp) + L"VarnekiteFactsTest-" + std::to_wstring(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        text = folder + L"\\notes.txt";
        const ScopedHandle file(CreateFileW(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file.Valid());
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.Get(), "no version here", 15, &written, nullptr));
    }
    void TearDown() override
    {
        DeleteFileW(text.c_str());
        RemoveDirectoryW(folder.c_str());
    }

    std::wstring folder;
    std::wstring text;
    MachineFactsWin32 facts;
};

TEST_F(FileFacts, AFileWithItsVersion)
{
    EXPECT_EQ(Found(facts.File(ProgramPath())), L"1.2.3.4"); // FILEVERSION, not the texts
    EXPECT_EQ(Found(facts.File(text)), L"");
}

TEST_F(FileFacts, FilesAndFoldersThatAreNotThere)
{
    using Status = FactAnswer::Status;
    struct Case { std::wstring path; Status file; Status folder; };
    const Case cases[] = {
        {text, Status::Found, Status::Missing},
        {folder, Status::Missing, Status::Found},
        {folder + L"\\", Status::Missing, Status::Found},
        {folder + L"\\nothing.txt", Status::Missing, Status::Missing},
        {folder + L"\\nothing\\nothing.txt", Status::Missing, Status::Missing},
        {folder + L"\\a<b>|c.txt", Status::Failed, Status::Failed}, // not a name Windows allows
    };
    for (const Case& c : cases) {
        const FactAnswer file = facts.File(c.path);
        EXPECT_EQ(file.status, c.file) << testing::PrintToString(c.path);
        EXPECT_EQ(facts.Folder(c.path).status, c.folder) << testing::PrintToString(c.path);
        if (file.status == Status::Failed) {
            EXPECT_NE(file.why.find(L"(error "), std::wstring::npos) << testing::PrintToString(file.why);
        }
    }
}

TEST(MachineFactsWin32, EnvironmentVariables)
{
    MachineFactsWin32 facts;
    const std::wstring longValue(5000, L'e');
    ASSERT_TRUE(SetEnvironmentVariableW(L"VARNEKITE_FACTS_TEST", L"Value \u00E9"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"VARNEKITE_FACTS_LONG", longValue.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableW(L"VARNEKITE_FACTS_EMPTY", L""));
    SetEnvironmentVariableW(L"VARNEKITE_FACTS_UNSET", nullptr);
    EXPECT_EQ(Found(facts.Environment(L"varnekite_facts_test")), L"Value \u00E9");
    EXPECT_EQ(Found(facts.Environment(L"VARNEKITE_FACTS_LONG")), longValue);
    EXPECT_EQ(Found(facts.Environment(L"VARNEKITE_FACTS_EMPTY")), L"");
    EXPECT_EQ(facts.Environment(L"VARNEKITE_FACTS_UNSET").status, FactAnswer::Status::Missing);
}

} // namespace
