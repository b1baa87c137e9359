// What Windows reads from the executables before running them: the version resource (Explorer's
// file properties, installers comparing versions), the application manifest (common controls,
// execution level, supported Windows versions) and the PE header of a reproducible build.
#include "xml/WideBytes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

// A build-tree path as Windows sees it: /work/... is Z:\work\... under Wine.
std::wstring ExePath(const char* buildPath)
{
    std::wstring path = WidenBytes(buildPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return buildPath[0] == '/' ? L"Z:" + path : path;
}

struct Executable
{
    const char* path;
    const wchar_t* originalFilename;
};

const Executable kExecutables[] = {
    {VARNEKITE_EXE_PATH, L"Varnekite.exe"},
    {VARNEKITE_CHECK_EXE_PATH, L"varnekite-check.exe"},
};

std::wstring StringValue(const std::vector<BYTE>& block, const wchar_t* name)
{
    struct Translation
    {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
        return L"(no translation)";
    wchar_t path[128];
    swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&value), &size) || value == nullptr)
        return L"(missing)";
    return value;
}

std::string ManifestOf(const std::wstring& exe)
{
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr)
        return std::string();
    std::string text;
    if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        if (HGLOBAL loaded = LoadResource(module, resource))
            text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return text;
}

IMAGE_FILE_HEADER FileHeaderOf(const std::wstring& exe)
{
    IMAGE_FILE_HEADER header = {};
    HANDLE file = CreateFileW(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return header;
    IMAGE_DOS_HEADER dos = {};
    DWORD read = 0;
    DWORD signature = 0;
    if (ReadFile(file, &dos, sizeof(dos), &read, nullptr) && read == sizeof(dos) &&
        SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        ReadFile(file, &signature, sizeof(signature), &read, nullptr) && signature == IMAGE_NT_SIGNATURE)
        ReadFile(file, &header, sizeof(header), &read, nullptr);
    CloseHandle(file);
    return header;
}

} // namespace

TEST(ExecutableIdentity, VersionResourceCarriesTheProjectVersion)
{
    const std::wstring version = WidenBytes(VARNEKITE_EXPECTED_VERSION);
    for (const Executable& executable : kExecutables) {
        const std::wstring exe = ExePath(executable.path);
        SCOPED_TRACE(testing::Message() << executable.path);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT fixedSize = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize));
        ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        const DWORD high = MAKELONG(VARNEKITE_EXPECTED_VERSION_MINOR, VARNEKITE_EXPECTED_VERSION_MAJOR);
        const DWORD low = MAKELONG(0, VARNEKITE_EXPECTED_VERSION_PATCH);
        EXPECT_EQ(fixed->dwFileVersionMS, high);
        EXPECT_EQ(fixed->dwFileVersionLS, low);
        EXPECT_EQ(fixed->dwProductVersionMS, high);
        EXPECT_EQ(fixed->dwProductVersionLS, low);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        EXPECT_EQ(StringValue(block, L"FileVersion"), version);
        EXPECT_EQ(StringValue(block, L"ProductVersion"), version);
        EXPECT_EQ(StringValue(block, L"ProductName"), L"Varnekite");
        EXPECT_EQ(StringValue(block, L"OriginalFilename"), executable.originalFilename);
        const std::wstring description = StringValue(block, L"FileDescription");
        EXPECT_EQ(description.compare(0, 10, L"Varnekite "), 0) << NarrowBytes(description);
    }
}

TEST(ExecutableIdentity, ManifestNamesTheVersionRunsAsInvokerAndListsWindows7To11)
{
    const std::string quad = std::string("version=\"") + VARNEKITE_EXPECTED_VERSION + ".0\"";
    const char* const required[] = {
        "level=\"asInvoker\"",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // Windows 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // Windows 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // Windows 10 and 11
    };
    for (const Executable& executable : kExecutables) {
        SCOPED_TRACE(testing::Message() << executable.path);
        const std::string manifest = ManifestOf(ExePath(executable.path));
        ASSERT_FALSE(manifest.empty()) << "no manifest resource";
        // The first assembly identity is the program's own; later ones name its dependencies.
        const size_t identity = manifest.find("<assemblyIdentity");
        ASSERT_NE(identity, std::string::npos);
        const std::string own = manifest.substr(identity, manifest.find("/>", identity) - identity);
        EXPECT_NE(own.find(quad), std::string::npos) << own;
        for (const char* text : required)
            EXPECT_NE(manifest.find(text), std::string::npos) << text;
    }
    // The installer's window uses version 6 of the common controls.
    EXPECT_NE(ManifestOf(ExePath(VARNEKITE_EXE_PATH)).find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

// The DLLs each executable imports, by name, from its PE import table.
std::vector<std::string> ImportsOf(const std::wstring& exe)
{
    std::vector<std::string> imports;
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (module == nullptr)
        return imports;
    const auto base = reinterpret_cast<const BYTE*>(module);
    const auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         directory.VirtualAddress != 0 && entry->Name != 0; ++entry) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        for (char& c : name)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        imports.push_back(name);
    }
    FreeLibrary(module);
    return imports;
}

// Run elevated from a folder users can write, nothing the executables load may come from
// there: every import is a system DLL the loader takes from System32 (KnownDLLs), or GDI+,
// which the manifest takes from the side-by-side store.
TEST(ExecutableIdentity, EveryImportComesFromTheSystemNeverFromBesideTheProgram)
{
    const char* const system[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
                                  "shlwapi.dll",  "ole32.dll",  "comctl32.dll", "msvcrt.dll", "version.dll",
                                  "gdiplus.dll"};
    for (const Executable& executable : kExecutables) {
        SCOPED_TRACE(testing::Message() << executable.path);
        const std::vector<std::string> imports = ImportsOf(ExePath(executable.path));
        ASSERT_FALSE(imports.empty()) << "no import table read";
        for (const std::string& import : imports) {
            bool known = false;
            for (const char* name : system)
                known = known || import == name || import.rfind("api-ms-win-", 0) == 0;
            EXPECT_TRUE(known) << import;
        }
        const bool gdiplus = std::find(imports.begin(), imports.end(), "gdiplus.dll") != imports.end();
        if (gdiplus) {
            EXPECT_NE(ManifestOf(ExePath(executable.path)).find("name=\"Microsoft.Windows.GdiPlus\""), std::string::npos)
                << "GDI+ is imported but not taken from the side-by-side store";
        }
    }
    // Where Windows 10 1607 knows PerMonitor but not yet PerMonitorV2, it takes the second.
    EXPECT_NE(ManifestOf(ExePath(VARNEKITE_EXE_PATH)).find(">PerMonitorV2, PerMonitor<"), std::string::npos);
}

#ifdef __MINGW32__
// MSVC's /Brepro writes a hash of the contents where mingw-w64's linker, told not to insert a
// time stamp, writes zero.
TEST(ExecutableIdentity, PeHeaderHasNoLinkTimeStampAndReleaseBuildsNoSymbols)
{
    for (const Executable& executable : kExecutables) {
        SCOPED_TRACE(testing::Message() << executable.path);
        const IMAGE_FILE_HEADER header = FileHeaderOf(ExePath(executable.path));
        ASSERT_NE(header.Machine, 0) << "not a PE file";
        EXPECT_EQ(header.TimeDateStamp, 0u);
#ifdef NDEBUG
        EXPECT_EQ(header.PointerToSymbolTable, 0u);
        EXPECT_EQ(header.NumberOfSymbols, 0u);
#endif
    }
}
#endif
