// The Win32 file system against the cases the in-memory file system passes: what the folder
// commands rely on, shown on the platform (under Wine in CI). Trees are made in a fresh folder
// under the temporary folder with plain Win32 calls, never with the code under test.
#include "Win32RemoveTree.h"
#include "Win32FileText.h"
#include "Win32UnderWine.h"
#include "commands/FileSystemWin32.h"

#include "commands/FakeFileSystem.h"
#include "commands/FileSystemContract.h"

#include <shellapi.h>
#include <shlobj.h>
#include <winioctl.h>

class Win32FileSystemMaker
{
public:
    Win32FileSystemMaker()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"vk-contract-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(root);
        CreateDirectoryW(root.c_str(), nullptr);
    }
    ~Win32FileSystemMaker()
    {
        for (HANDLE handle : held)
            CloseHandle(handle);
        for (const std::wstring& link : links)
            RemoveDirectoryW(link.c_str()); // the link alone, before the shell walks the tree
        for (const std::wstring& link : fileLinks)
            DeleteFileW(link.c_str()); // on Windows the link alone
        RemoveTree(root);
        if (!otherVolume.empty())
            RemoveTree(otherVolume);
    }

    FileSystem& System() { return fileSystem; }
    std::wstring Path(const std::wstring& relative) const { return root + L"\\" + relative; }
    void Folder(const std::wstring& path) { SHCreateDirectory(nullptr, path.c_str()); }
    void File(const std::wstring& path, const std::string& content, uint32_t attributes)
    {
        Folder(path.substr(0, path.find_last_of(L'\\')));
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make a test file";
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(file);
        SetFileAttributesW(path.c_str(), attributes);
    }
    // Sparse: no disk space used.
    bool SizedFile(const std::wstring& path, uint64_t size)
    {
        Folder(path.substr(0, path.find_last_of(L'\\')));
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD returned = 0;
        DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        return sized;
    }
    // Made here where the platform allows it (Windows in developer mode or elevated); under
    // Wine, Windows code cannot make links, and the build prepares them on the Linux side
    // (<name> leading to <name>-target) before every ctest run.
    bool FolderLink(const std::wstring& name, std::wstring& link, std::wstring& target)
    {
        link = Path(name);
        target = Path(name + L"-target");
        File(target + L"\\precious.txt", "precious\n", FILE_ATTRIBUTE_NORMAL);
        constexpr DWORD kUnprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
        if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged) &&
            IsFolderLink(link)) {
            links.push_back(link);
            return true;
        }
#ifdef VARNEKITE_CONTRACT_LINKS
        link = std::wstring(VARNEKITE_CONTRACT_LINKS) + L"\\" + name;
        target = link + L"-target";
        return IsFolderLink(link) && Content(target + L"\\precious.txt") == "precious\n";
#else
        return false;
#endif
    }
    bool FileLink(const std::wstring& name, std::wstring& link, std::wstring& target)
    {
        link = Path(name);
        target = Path(name + L"-target.txt");
        File(target, "precious\n", FILE_ATTRIBUTE_NORMAL);
        constexpr DWORD kUnprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
        const auto isLink = [](const std::wstring& path) {
            const DWORD attributes = GetFileAttributesW(path.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        };
        if (CreateSymbolicLinkW(link.c_str(), target.c_str(), kUnprivileged) && isLink(link)) {
            fileLinks.push_back(link);
            return true;
        }
#ifdef VARNEKITE_CONTRACT_LINKS
        link = std::wstring(VARNEKITE_CONTRACT_LINKS) + L"\\" + name;
        target = link + L"-target.txt";
        return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES && Content(target) == "precious\n";
#else
        return false;
#endif
    }
    // Under Wine the same folder through the Z: drive (the Linux root); on Windows its "\\?\" form.
    std::wstring Alias(const std::wstring& path)
    {
        using UnixName = char*(CDECL*)(LPCWSTR);
        const auto unixName = reinterpret_cast<UnixName>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (unixName == nullptr)
            return L"\\\\?\\" + path;
        char* name = unixName(path.c_str());
        if (name == nullptr)
            return std::wstring();
        const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(length > 0 ? length - 1 : 0), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], length);
        HeapFree(GetProcessHeap(), 0, name);
        for (wchar_t& c : wide)
            if (c == L'/')
                c = L'\\';
        return L"Z:" + wide;
    }
    void Lock(const std::wstring& path)
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot hold the file open";
        held.push_back(file);
    }
    std::string Content(const std::wstring& path) const { return ReadFileText(path); }
    uint32_t Attributes(const std::wstring& path) const { return GetFileAttributesW(path.c_str()); }
    // The folder named by VARNEKITE_SECOND_VOLUME, or under Wine the Linux /dev/shm (tmpfs) seen
    // through the Z: drive.
    std::wstring OtherVolume()
    {
        wchar_t configured[MAX_PATH];
        std::wstring volume;
        if (GetEnvironmentVariableW(L"VARNEKITE_SECOND_VOLUME", configured, MAX_PATH) > 0)
            volume = configured;
        else if (UnderWine() && IsFolder(L"Z:\\dev\\shm")) // a mount point: folder + reparse point
            volume = L"Z:\\dev\\shm";
        if (volume.empty())
            return volume;
        otherVolume = volume + L"\\vk-contract-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(otherVolume);
        return CreateDirectoryW(otherVolume.c_str(), nullptr) ? otherVolume : std::wstring();
    }
    bool UnderWine() const { return ::UnderWine(); }

private:
    static bool IsFolder(const std::wstring& path)
    {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    static bool IsFolderLink(const std::wstring& path)
    {
        const DWORD link = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & link) == link;
    }
    static void RemoveTree(const std::wstring& folder) { RemoveTestTree(folder); }

    std::wstring root;
    FileSystemWin32 fileSystem;
    std::vector<HANDLE> held;
    std::vector<std::wstring> links;
    std::vector<std::wstring> fileLinks;
    std::wstring otherVolume;
};

INSTANTIATE_TYPED_TEST_SUITE_P(FileSystemContract, FileSystemContract, Win32FileSystemMaker);

// The in-memory file system compares names as the platform does, letter by letter, through
// Latin-1, Latin Extended-A, modern Greek and Cyrillic: each letter against its upper and lower
// case and against letters other rules might take for one ("s", sigma, "i", mu). A non-ASCII
// letter whose case partner is ASCII (long s, dotless i) is left out: platforms have differed.
TEST(FakeFileSystemNames, CompareAsThePlatformComparesThem)
{
    FakeFileSystem fake;
    FileSystemWin32 platform;
    int differences = 0;
    const wchar_t ranges[][2] = {{0x20, 0x17F}, {0x386, 0x3CE}, {0x400, 0x45F}};
    for (const auto& range : ranges)
        for (wchar_t c = range[0]; c <= range[1]; ++c) {
            wchar_t upper[] = {c, 0}, lower[] = {c, 0};
            CharUpperW(upper);
            CharLowerW(lower);
            if (c >= 0x80 && (upper[0] < 0x80 || lower[0] < 0x80))
                continue;
            for (const wchar_t other : {upper[0], lower[0], L's', L'S', L'\u03c3', L'\u03a3', L'i', L'I', L'\u03bc'}) {
                const std::wstring a(1, c), b(1, other);
                if (fake.SameName(a, b) != platform.SameName(a, b) && ++differences <= 10)
                    ADD_FAILURE() << "U+" << std::hex << static_cast<int>(c) << " and U+" << static_cast<int>(other)
                                  << ": the platform says " << (platform.SameName(a, b) ? "one name" : "two names");
            }
        }
    EXPECT_EQ(differences, 0);
}
