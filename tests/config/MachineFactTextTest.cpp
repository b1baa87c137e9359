// How what Windows reports reads as the text of a condition's facts.
#include "config/MachineFactText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(MachineFactText, ArchitectureCodes)
{
    struct Case { uint16_t code; const wchar_t* image; const wchar_t* processor; };
    const Case cases[] = {
        {0x014C, L"x86", L""}, {0x8664, L"x64", L""}, {0xAA64, L"arm64", L""}, {0x01C4, L"", L""}, // ARMNT
        {0, L"", L"x86"}, {9, L"", L"x64"}, {12, L"", L"arm64"}, {6, L"", L""}, // IA64
        {0xFFFF, L"", L""}, // PROCESSOR_ARCHITECTURE_UNKNOWN
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ImageMachineName(c.code), c.image) << c.code;
        EXPECT_EQ(ProcessorArchitectureName(c.code), c.processor) << c.code;
    }
}

TEST(MachineFactText, FileVersionIsFourSixteenBitParts)
{
    EXPECT_EQ(FileVersionText(0x00010002, 0x00030004), L"1.2.3.4");
    EXPECT_EQ(FileVersionText(0x000A0000, 0x4A610001), L"10.0.19041.1");
    EXPECT_EQ(FileVersionText(0xFFFFFFFF, 0), L"65535.65535.0.0");
}

TEST(MachineFactText, RegistryPathsSplitAtTheirRoot)
{
    using Root = RegistryRoot;
    struct Case { const wchar_t* path; bool known; Root root; const wchar_t* subkey; };
    const Case cases[] = {
        {L"HKLM\\SOFTWARE\\Contoso", true, Root::LocalMachine, L"SOFTWARE\\Contoso"},
        {L"hkey_local_machine\\SOFTWARE\\Contoso", true, Root::LocalMachine, L"SOFTWARE\\Contoso"},
        {L"HKCU\\Software", true, Root::CurrentUser, L"Software"},
        {L"HKEY_CURRENT_USER\\Software", true, Root::CurrentUser, L"Software"},
        {L"Hkcr\\.txt", true, Root::ClassesRoot, L".txt"},
        {L"HKEY_CLASSES_ROOT\\.txt", true, Root::ClassesRoot, L".txt"},
        {L"HKU\\.DEFAULT", true, Root::Users, L".DEFAULT"},
        {L"HKEY_USERS\\S-1-5-18", true, Root::Users, L"S-1-5-18"},
        {L"HKCC\\System", true, Root::CurrentConfig, L"System"},
        {L"HKEY_CURRENT_CONFIG\\System", true, Root::CurrentConfig, L"System"},
        {L"HKLM", true, Root::LocalMachine, L""},
        {L"HKLM\\", true, Root::LocalMachine, L""},
        {L"HKLM\\SOFTWARE\\Contoso\\\\", true, Root::LocalMachine, L"SOFTWARE\\Contoso"},
        {L"HKLM\\SOFTWARE\\A/B", true, Root::LocalMachine, L"SOFTWARE\\A/B"}, // "/" is part of a name
        {L"HKLM/SOFTWARE", false, Root::LocalMachine, L""},
        {L"HKEY_LOCAL_MACHINES\\SOFTWARE", false, Root::LocalMachine, L""},
        {L"HKL\\SOFTWARE", false, Root::LocalMachine, L""},
        {L" HKLM\\SOFTWARE", false, Root::LocalMachine, L""},
        {L"SOFTWARE\\Contoso", false, Root::LocalMachine, L""},
        {L"", false, Root::LocalMachine, L""},
    };
    for (const Case& c : cases) {
        RegistryRoot root = RegistryRoot::Users;
        std::wstring subkey = L"unchanged";
        ASSERT_EQ(SplitRegistryPath(c.path, root, subkey), c.known) << testing::PrintToString(std::wstring(c.path));
        if (!c.known)
            continue;
        EXPECT_EQ(root, c.root) << testing::PrintToString(std::wstring(c.path));
        EXPECT_EQ(subkey, c.subkey) << testing::PrintToString(std::wstring(c.path));
    }
}

// Little-endian UTF-16 bytes of `text`, as the registry stores strings.
std::vector<uint8_t> Utf16(const std::wstring& text)
{
    std::vector<uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::vector<uint8_t> Plus(std::vector<uint8_t> bytes, std::initializer_list<uint8_t> more)
{
    bytes.insert(bytes.end(), more);
    return bytes;
}

TEST(MachineFactText, RegistryDataAsText)
{
    namespace Type = RegistryType;
    const std::wstring path = L"%ProgramFiles%\\Contoso \u00C9";
    struct Case { const char* name; uint32_t type; std::vector<uint8_t> data; const wchar_t* text; };
    const Case cases[] = {
        {"string with its NUL", Type::String, Utf16(path + L'\0'), L"%ProgramFiles%\\Contoso \u00C9"},
        {"string without NUL", Type::String, Utf16(L"5.2.1"), L"5.2.1"},
        {"string with an odd byte", Type::String, Plus(Utf16(L"5.2"), {'x'}), L"5.2"},
        {"string up to its first NUL", Type::String, Utf16(std::wstring(L"a\0b\0", 4)), L"a"},
        {"empty string", Type::String, {}, L""},
        {"expandable string not expanded", Type::ExpandString, Utf16(L"%SystemRoot%\\x"), L"%SystemRoot%\\x"},
        {"dword", Type::Dword, {0x2A, 0, 0, 0}, L"42"},
        {"largest dword", Type::Dword, {0xFF, 0xFF, 0xFF, 0xFF}, L"4294967295"},
        {"big-endian dword", Type::DwordBigEndian, {0, 0, 0x01, 0x00}, L"256"},
        {"qword", Type::Qword, {0, 0, 0, 0, 1, 0, 0, 0}, L"4294967296"},
        {"largest qword", Type::Qword, std::vector<uint8_t>(8, 0xFF), L"18446744073709551615"},
        {"dword of three bytes", Type::Dword, {1, 2, 3}, L"010203"},
        {"qword of four bytes", Type::Qword, {1, 0, 0, 0}, L"01000000"},
        {"multi-string", Type::MultiString, Utf16(std::wstring(L"a\0bc\0d\0\0", 8)), L"a;bc;d"},
        {"multi-string without its last NULs", Type::MultiString, Utf16(std::wstring(L"a\0bc", 4)), L"a;bc"},
        {"multi-string ends at an empty string", Type::MultiString, Utf16(std::wstring(L"a\0\0b\0\0", 6)), L"a"},
        {"empty multi-string", Type::MultiString, Utf16(std::wstring(L"\0", 1)), L""},
        {"multi-string with an odd byte", Type::MultiString, Plus(Utf16(std::wstring(L"a\0b", 3)), {0}), L"a;b"},
        {"binary", Type::Binary, {0x00, 0x0A, 0xFF, 0x7B}, L"000AFF7B"},
        {"empty binary", Type::Binary, {}, L""},
        {"no type", Type::None, {0xC0, 0x01}, L"C001"},
        {"unknown type", 0x1234, {0x01}, L"01"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RegistryDataText(c.type, c.data.data(), c.data.size()), c.text) << c.name;
}

} // namespace
