#include "config/MachineFactText.h"

#include "xml/AsciiText.h"

#include <string_view>

namespace {

// IMAGE_FILE_MACHINE_* and PROCESSOR_ARCHITECTURE_* from winnt.h.
constexpr uint16_t kImageI386 = 0x014C;
constexpr uint16_t kImageAmd64 = 0x8664;
constexpr uint16_t kImageArm64 = 0xAA64;
constexpr uint16_t kProcessorIntel = 0;
constexpr uint16_t kProcessorAmd64 = 9;
constexpr uint16_t kProcessorArm64 = 12;

// The UTF-16 units of registry data, an odd last byte left out.
std::wstring Utf16Units(const unsigned char* data, size_t size)
{
    std::wstring units;
    units.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    return units;
}

std::wstring HexBytes(const unsigned char* data, size_t size)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text.push_back(digits[data[i] >> 4]);
        text.push_back(digits[data[i] & 0x0F]);
    }
    return text;
}

uint64_t LittleEndian(const unsigned char* data, size_t size)
{
    uint64_t value = 0;
    for (size_t i = size; i > 0; --i)
        value = value << 8 | data[i - 1];
    return value;
}

} // namespace

std::wstring ImageMachineName(uint16_t machine)
{
    switch (machine) {
    case kImageI386:
        return L"x86";
    case kImageAmd64:
        return L"x64";
    case kImageArm64:
        return L"arm64";
    default:
        return std::wstring();
    }
}

std::wstring ProcessorArchitectureName(uint16_t architecture)
{
    switch (architecture) {
    case kProcessorIntel:
        return L"x86";
    case kProcessorAmd64:
        return L"x64";
    case kProcessorArm64:
        return L"arm64";
    default:
        return std::wstring();
    }
}

std::wstring FileVersionText(uint32_t versionMs, uint32_t versionLs)
{
    return std::to_wstring(versionMs >> 16) + L'.' + std::to_wstring(versionMs & 0xFFFF) + L'.' +
           std::to_wstring(versionLs >> 16) + L'.' + std::to_wstring(versionLs & 0xFFFF);
}

bool SplitRegistryPath(const std::wstring& path, RegistryRoot& root, std::wstring& subkey)
{
    struct RootName
    {
        std::wstring_view shortName;
        std::wstring_view longName;
        RegistryRoot root;
    };
    static const RootName roots[] = {
        {L"HKLM", L"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
        {L"HKCU", L"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
        {L"HKCR", L"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
        {L"HKU", L"HKEY_USERS", RegistryRoot::Users},
        {L"HKCC", L"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
    };
    const size_t separator = path.find(L'\\');
    const std::wstring_view first = std::wstring_view(path).substr(0, separator);
    for (const RootName& name : roots) {
        if (!EqualsIgnoreAsciiCase(first, name.shortName) && !EqualsIgnoreAsciiCase(first, name.longName))
            continue;
        root = name.root;
        subkey = separator == std::wstring::npos ? std::wstring() : path.substr(separator + 1);
        while (!subkey.empty() && subkey.back() == L'\\')
            subkey.pop_back();
        return true;
    }
    return false;
}

std::wstring RegistryDataText(uint32_t type, const unsigned char* data, size_t size)
{
    if (data == nullptr)
        size = 0;
    switch (type) {
    case RegistryType::String:
    case RegistryType::ExpandString: {
        std::wstring text = Utf16Units(data, size);
        const size_t end = text.find(L'\0');
        if (end != std::wstring::npos)
            text.resize(end);
        return text;
    }
    case RegistryType::MultiString: {
        // Strings that each end with a NUL, and an empty one after the last.
        const std::wstring units = Utf16Units(data, size);
        std::wstring joined;
        size_t at = 0;
        while (at < units.size()) {
            size_t end = units.find(L'\0', at);
            if (end == std::wstring::npos)
                end = units.size();
            if (end == at)
                break;
            if (!joined.empty())
                joined += L';';
            joined.append(units, at, end - at);
            at = end + 1;
        }
        return joined;
    }
    case RegistryType::Dword:
        if (size == 4)
            return std::to_wstring(LittleEndian(data, 4));
        break;
    case RegistryType::DwordBigEndian:
        if (size == 4)
            return std::to_wstring(static_cast<uint32_t>(data[0]) << 24 | static_cast<uint32_t>(data[1]) << 16 |
                                   static_cast<uint32_t>(data[2]) << 8 | data[3]);
        break;
    case RegistryType::Qword:
        if (size == 8)
            return std::to_wstring(LittleEndian(data, 8));
        break;
    default:
        break;
    }
    return HexBytes(data, size);
}
