// How what Windows reports becomes the text of a condition's facts: architecture codes, file
// versions, registry paths and registry data. Portable, so the rules are tested natively; the
// Win32 source (MachineFactsWin32.h) only makes the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// "x86", "x64" or "arm64" for an IMAGE_FILE_MACHINE_* code (what IsWow64Process2 reports);
// empty for any other machine.
std::wstring ImageMachineName(uint16_t machine);
// The same for a PROCESSOR_ARCHITECTURE_* code (what GetNativeSystemInfo reports).
std::wstring ProcessorArchitectureName(uint16_t architecture);

// "a.b.c.d" from the two halves of VS_FIXEDFILEINFO's file version, 16 bits a part.
std::wstring FileVersionText(uint32_t versionMs, uint32_t versionLs);

enum class RegistryRoot
{
    LocalMachine,
    CurrentUser,
    ClassesRoot,
    Users,
    CurrentConfig,
};

// Splits "HKLM\SOFTWARE\Contoso" into its root and the key under it ("SOFTWARE\Contoso"; empty
// for the root itself). Roots are short (HKLM, HKCU, HKCR, HKU, HKCC) or long
// (HKEY_LOCAL_MACHINE...) in any ASCII case; backslashes at the end are dropped. False for
// an unknown root.
bool SplitRegistryPath(const std::wstring& path, RegistryRoot& root, std::wstring& subkey);

// The REG_* type codes, as winnt.h numbers them.
namespace RegistryType {
constexpr uint32_t None = 0;
constexpr uint32_t String = 1;
constexpr uint32_t ExpandString = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Dword = 4;
constexpr uint32_t DwordBigEndian = 5;
constexpr uint32_t MultiString = 7;
constexpr uint32_t Qword = 11;
} // namespace RegistryType

// A value's data as a condition compares it: strings as stored (REG_EXPAND_SZ not expanded),
// up to their first NUL, also when the data lacks one or has an odd byte count; numbers
// (REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_QWORD of their exact size) in decimal; REG_MULTI_SZ's
// strings joined with ";"; anything else, numbers of the wrong size included, as hex bytes
// ("0A1B").
std::wstring RegistryDataText(uint32_t type, const unsigned char* data, size_t size);
