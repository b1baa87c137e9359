#include "config/MachineFactsWin32.h"

#include "config/MachineFactText.h"
#include "config/ScopedWin32.h"
#include "config/SystemFunctionWin32.h"
#include "config/SystemMessageWin32.h"

#include <windows.h>
#include <winver.h>

#include <algorithm>
#include <cwchar>

static_assert(RegistryType::String == REG_SZ && RegistryType::ExpandString == REG_EXPAND_SZ &&
              RegistryType::Binary == REG_BINARY && RegistryType::Dword == REG_DWORD &&
              RegistryType::DwordBigEndian == REG_DWORD_BIG_ENDIAN && RegistryType::MultiString == REG_MULTI_SZ &&
              RegistryType::Qword == REG_QWORD && RegistryType::None == REG_NONE,
              "the portable registry types are winnt.h's");
static_assert(static_cast<int>(Fact::Arch) == 0 && static_cast<int>(Fact::Language) == 6,
              "the machine facts come first, arch to language, and index the kept answers");

namespace {

constexpr DWORD kRawSmbiosProvider = 0x52534D42; // 'RSMB'
constexpr int kAttempts = 5; // for data that may grow between asking its size and reading it
const wchar_t kBiosKey[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool IsNotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

FactAnswer ProgramArchitecture()
{
#if defined(_M_ARM64) || defined(__aarch64__)
    return FactAnswer::Found(L"arm64");
#elif defined(_M_X64) || defined(__x86_64__)
    return FactAnswer::Found(L"x64");
#elif defined(_M_IX86) || defined(__i386__)
    return FactAnswer::Found(L"x86");
#else
#error "Varnekite is built for x86, x64 or arm64"
#endif
}

std::wstring Hex(unsigned value)
{
    wchar_t text[16] = {};
    swprintf(text, 16, L"0x%04X", value);
    return text;
}

// The machine's own architecture, whatever the build's. IsWow64Process2 (Windows 10 1511 on)
// also sees through x64 emulation on arm64, where GetNativeSystemInfo reports x64 to an x64
// program.
FactAnswer NativeArchitecture()
{
    using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64Process2 = SystemFunction<IsWow64Process2Function>(L"kernel32.dll", "IsWow64Process2");
    USHORT processMachine = 0, nativeMachine = 0;
    if (isWow64Process2 != nullptr && isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine)) {
        const std::wstring name = ImageMachineName(nativeMachine);
        if (name.empty())
            return FactAnswer::Failed(L"unknown machine type " + Hex(nativeMachine));
        return FactAnswer::Found(name);
    }
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    const std::wstring name = ProcessorArchitectureName(info.wProcessorArchitecture);
    if (name.empty())
        return FactAnswer::Failed(L"unknown processor architecture " + Hex(info.wProcessorArchitecture));
    return FactAnswer::Found(name);
}

// Windows' own version: GetVersionEx reports what the program's manifest claims to support.
bool SystemVersion(OSVERSIONINFOEXW& version, std::wstring& why)
{
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto rtlGetVersion = SystemFunction<RtlGetVersionFunction>(L"ntdll.dll", "RtlGetVersion");
    if (rtlGetVersion == nullptr) {
        why = L"ntdll.dll has no RtlGetVersion";
        return false;
    }
    version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    const LONG status = rtlGetVersion(&version);
    if (status != 0) {
        why = L"RtlGetVersion failed with status " + Hex(static_cast<unsigned>(status));
        return false;
    }
    return true;
}

FactAnswer WindowsVersion()
{
    OSVERSIONINFOEXW version;
    std::wstring why;
    if (!SystemVersion(version, why))
        return FactAnswer::Failed(why);
    return FactAnswer::Found(std::to_wstring(version.dwMajorVersion) + L'.' + std::to_wstring(version.dwMinorVersion) +
                             L'.' + std::to_wstring(version.dwBuildNumber));
}

FactAnswer ServerEdition()
{
    OSVERSIONINFOEXW version;
    std::wstring why;
    if (!SystemVersion(version, why))
        return FactAnswer::Failed(why);
    return FactAnswer::Found(version.wProductType != VER_NT_WORKSTATION ? L"true" : L"false");
}

// The first of the user's display languages by name, which also names languages that have no
// LCID; the LCID of the default UI language otherwise.
FactAnswer UserInterfaceLanguage()
{
    ULONG count = 0, size = 0;
    if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0) {
        std::wstring names(size, L'\0');
        if (GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, &names[0], &size) && count > 0 &&
            names[0] != L'\0')
            return FactAnswer::Found(names.c_str()); // the list's first name
    }
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) == 0)
        return FactAnswer::Failed(SystemMessage(GetLastError()));
    return FactAnswer::Found(name);
}

// A value's type and data, however long; the data is read again when it grew in between.
LONG QueryValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<unsigned char>& data)
{
    data.resize(256);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS) {
            data.resize(std::min<size_t>(size, data.size()));
            return status;
        }
        if (status != ERROR_MORE_DATA)
            return status;
        data.resize(std::max<size_t>(size, data.size() * 2));
    }
    return ERROR_MORE_DATA;
}

// A string value as text, without surrounding spaces; empty when it is not there or no string.
std::wstring StringValue(HKEY key, const wchar_t* name)
{
    DWORD type = 0;
    std::vector<unsigned char> data;
    if (QueryValue(key, name, type, data) != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    std::wstring text = RegistryDataText(type, data.data(), data.size());
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

HKEY RootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::Users:
        return HKEY_USERS;
    case RegistryRoot::CurrentConfig:
        return HKEY_CURRENT_CONFIG;
    }
    return HKEY_LOCAL_MACHINE;
}

// The machine's own view is the 64-bit one; 32-bit Windows, which has only one, ignores the flag.
REGSAM ViewFlag(RegistryView view)
{
    return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// The version resource's file version; empty when the file has none or it cannot be read, as
// for a file that is not a program at all.
std::wstring FileVersion(const std::wstring& path)
{
    static const auto infoSize =
        SystemFunction<decltype(&GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    static const auto info = SystemFunction<decltype(&GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    static const auto queryValue = SystemFunction<decltype(&VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    if (infoSize == nullptr || info == nullptr || queryValue == nullptr)
        return std::wstring();
    DWORD ignored = 0;
    const DWORD size = infoSize(path.c_str(), &ignored);
    if (size == 0)
        return std::wstring();
    std::vector<unsigned char> block(size);
    if (!info(path.c_str(), 0, size, block.data()))
        return std::wstring();
    void* fixed = nullptr;
    UINT length = 0;
    if (!queryValue(block.data(), L"\\", &fixed, &length) || fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return std::wstring();
    const auto* fixedInfo = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    if (fixedInfo->dwSignature != VS_FFI_SIGNATURE)
        return std::wstring();
    return FileVersionText(fixedInfo->dwFileVersionMS, fixedInfo->dwFileVersionLS);
}

// Found when a file (or with `folder` a folder) is there; the other kind under that name is as
// good as none.
FactAnswer PathAnswer(const std::wstring& path, bool folder)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return IsNotFound(error) ? FactAnswer::Missing() : FactAnswer::Failed(SystemMessage(error));
    }
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder)
        return FactAnswer::Missing();
    return FactAnswer::Found(std::wstring());
}

// Adds the programs under one uninstall key; a key that is not there has none.
bool ReadUninstallKey(HKEY root, REGSAM view, const wchar_t* shown, std::vector<InstalledProgram>& programs,
                      std::wstring& why)
{
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(root, kUninstallKey, 0, KEY_ENUMERATE_SUB_KEYS | view, &opened);
    if (IsNotFound(static_cast<DWORD>(status)))
        return true;
    if (status != ERROR_SUCCESS) {
        why = std::wstring(shown) + L": " + SystemMessage(static_cast<DWORD>(status));
        return false;
    }
    const ScopedRegistryKey key(opened);
    std::wstring name(256, L'\0'); // key names are at most 255 characters
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        status = RegEnumKeyExW(key.Get(), index, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        if (status == ERROR_MORE_DATA && name.size() < 32768) {
            name.resize(name.size() * 2);
            continue;
        }
        if (status != ERROR_SUCCESS) {
            why = std::wstring(shown) + L": " + SystemMessage(static_cast<DWORD>(status));
            return false;
        }
        ++index;
        // An entry removed since it was listed, or closed to this user, is no program it can see.
        HKEY entryKey = nullptr;
        if (RegOpenKeyExW(key.Get(), std::wstring(name.c_str(), length).c_str(), 0, KEY_QUERY_VALUE | view,
                          &entryKey) != ERROR_SUCCESS)
            continue;
        const ScopedRegistryKey entry(entryKey);
        InstalledProgram program;
        program.name = StringValue(entry.Get(), L"DisplayName");
        if (program.name.empty())
            continue; // updates and components: Windows does not list them either
        program.version = StringValue(entry.Get(), L"DisplayVersion");
        programs.push_back(std::move(program));
    }
}

} // namespace

std::vector<unsigned char> ReadSmbiosFirmwareTable()
{
    std::vector<unsigned char> table;
    UINT size = GetSystemFirmwareTable(kRawSmbiosProvider, 0, nullptr, 0);
    for (int attempt = 0; attempt < kAttempts && size > 0; ++attempt) {
        table.resize(size);
        const UINT written = GetSystemFirmwareTable(kRawSmbiosProvider, 0, table.data(), size);
        if (written == 0)
            break;
        if (written <= size) {
            table.resize(written);
            return table;
        }
        size = written;
    }
    return {};
}

MachineFactsWin32::MachineFactsWin32(FirmwareTableReader readFirmware) : readFirmware(std::move(readFirmware)) {}

FactAnswer MachineFactsWin32::Machine(Fact fact)
{
    const auto index = static_cast<size_t>(fact);
    if (index >= kMachineFacts)
        return FactAnswer::Failed(std::wstring(FactName(fact)) + L" is not a fact of the machine");
    const std::lock_guard<std::mutex> lock(mutex);
    if (!machine[index])
        machine[index] = ReadMachineFact(fact);
    return *machine[index];
}

FactAnswer MachineFactsWin32::ReadMachineFact(Fact fact)
{
    switch (fact) {
    case Fact::Arch:
        return NativeArchitecture();
    case Fact::ProgramArch:
        return ProgramArchitecture();
    case Fact::Windows:
        return WindowsVersion();
    case Fact::Server:
        return ServerEdition();
    case Fact::Manufacturer:
    case Fact::Model:
        return FirmwareString(fact);
    case Fact::Language:
        return UserInterfaceLanguage();
    default:
        return FactAnswer::Failed(L"not a fact of the machine");
    }
}

// The maker or model from the firmware's SMBIOS table. When the table cannot be read or gives
// no such string (virtual machines, Wine), the value Windows itself copied from the same table
// into the registry at start-up (HKLM\HARDWARE\DESCRIPTION\System\BIOS) stands in for it.
FactAnswer MachineFactsWin32::FirmwareString(Fact fact)
{
    if (!firmware) {
        firmware.emplace();
        const std::vector<unsigned char> table = readFirmware ? readFirmware() : std::vector<unsigned char>();
        if (!ReadSmbiosSystemInformation(table.data(), table.size(), *firmware))
            *firmware = {};
    }
    const bool manufacturer = fact == Fact::Manufacturer;
    const std::wstring& fromTable = manufacturer ? firmware->manufacturer : firmware->productName;
    if (!fromTable.empty())
        return FactAnswer::Found(fromTable);

    const wchar_t* valueName = manufacturer ? L"SystemManufacturer" : L"SystemProductName";
    const std::wstring missing = std::wstring(L"the firmware's SMBIOS table gives no ") +
                                 (manufacturer ? L"manufacturer" : L"model") + L" and ";
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBiosKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened);
    if (status != ERROR_SUCCESS)
        return FactAnswer::Failed(missing + L"HKLM\\" + kBiosKey + L" cannot be read: " +
                                  SystemMessage(static_cast<DWORD>(status)));
    const ScopedRegistryKey key(opened);
    std::wstring value = StringValue(key.Get(), valueName);
    if (value.empty())
        return FactAnswer::Failed(missing + L"HKLM\\" + kBiosKey + L" has no " + valueName);
    return FactAnswer::Found(std::move(value));
}

FactAnswer MachineFactsWin32::File(const std::wstring& path)
{
    FactAnswer answer = PathAnswer(path, false);
    if (answer.status == FactAnswer::Status::Found)
        answer.value = FileVersion(path);
    return answer;
}

FactAnswer MachineFactsWin32::Folder(const std::wstring& path)
{
    return PathAnswer(path, true);
}

FactAnswer MachineFactsWin32::Registry(const std::wstring& key, bool hasName, const std::wstring& name,
                                       RegistryView view)
{
    RegistryRoot root = RegistryRoot::LocalMachine;
    std::wstring subkey;
    if (!SplitRegistryPath(key, root, subkey))
        return FactAnswer::Failed(L"unknown registry root");
    HKEY opened = nullptr;
    LONG status = RegOpenKeyExW(RootKey(root), subkey.c_str(), 0, KEY_QUERY_VALUE | ViewFlag(view), &opened);
    if (IsNotFound(static_cast<DWORD>(status)))
        return FactAnswer::Missing();
    if (status != ERROR_SUCCESS)
        return FactAnswer::Failed(SystemMessage(static_cast<DWORD>(status)));
    const ScopedRegistryKey opening(opened);
    if (!hasName)
        return FactAnswer::Found(std::wstring());
    DWORD type = 0;
    std::vector<unsigned char> data;
    status = QueryValue(opening.Get(), name.c_str(), type, data);
    if (IsNotFound(static_cast<DWORD>(status)))
        return FactAnswer::Missing();
    if (status != ERROR_SUCCESS)
        return FactAnswer::Failed(SystemMessage(static_cast<DWORD>(status)));
    return FactAnswer::Found(RegistryDataText(type, data.data(), data.size()));
}

bool MachineFactsWin32::Programs(std::vector<InstalledProgram>& programs, std::wstring& why)
{
    programs.clear();
    const wchar_t* const machineKey = L"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    // 32-bit Windows has one view, which both flags would read twice.
    const FactAnswer arch = Machine(Fact::Arch);
    const bool twoViews = !(arch.status == FactAnswer::Status::Found && arch.value == L"x86");
    if (!ReadUninstallKey(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, machineKey, programs, why))
        return false;
    if (twoViews &&
        !ReadUninstallKey(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, (std::wstring(machineKey) + L" (32-bit view)").c_str(),
                          programs, why))
        return false;
    return ReadUninstallKey(HKEY_CURRENT_USER, 0, L"HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                            programs, why);
}

FactAnswer MachineFactsWin32::Environment(const std::wstring& name)
{
    std::wstring value(256, L'\0');
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name.c_str(), &value[0], static_cast<DWORD>(value.size()));
        if (length == 0) {
            const DWORD error = GetLastError();
            if (error == ERROR_ENVVAR_NOT_FOUND)
                return FactAnswer::Missing();
            if (error != ERROR_SUCCESS)
                return FactAnswer::Failed(SystemMessage(error));
            return FactAnswer::Found(std::wstring()); // set, and empty
        }
        if (length < value.size()) {
            value.resize(length);
            return FactAnswer::Found(std::move(value));
        }
        value.resize(length); // the size it needs, its NUL included
    }
    return FactAnswer::Failed(L"the variable keeps changing while it is read");
}
