// The in-memory file system against the cases the Win32 file system passes on the platform:
// the folder command tests rely on it behaving the same way.
#include "commands/FakeFileSystem.h"
#include "commands/FileSystemContract.h"

class InMemoryFileSystemMaker
{
public:
    InMemoryFileSystemMaker() { fileSystem.AddFolder(kRoot); }

    FileSystem& System() { return fileSystem; }
    std::wstring Path(const std::wstring& relative) const { return kRoot + L"\\" + relative; }
    void Folder(const std::wstring& path) { fileSystem.AddFolder(path); }
    void File(const std::wstring& path, const std::string& content, uint32_t attributes)
    {
        fileSystem.AddFile(path, content, attributes | FileAttribute::Archive);
    }
    bool SizedFile(const std::wstring&, uint64_t) { return false; } // contents are held in memory
    bool FolderLink(const std::wstring& name, std::wstring& link, std::wstring& target)
    {
        link = Path(name);
        target = Path(name + L"-target");
        File(target + L"\\precious.txt", "precious\n", FileAttribute::Normal);
        fileSystem.AddFolderLink(link, target);
        return true;
    }
    bool FileLink(const std::wstring& name, std::wstring& link, std::wstring& target)
    {
        link = Path(name);
        target = Path(name + L"-target.txt");
        File(target, "precious\n", FileAttribute::Normal);
        fileSystem.AddFileLink(link, target);
        return true;
    }
    // Y: is a second name for the fresh folder, as subst makes one.
    std::wstring Alias(const std::wstring& path)
    {
        fileSystem.AddDriveAlias(L"Y:", kRoot);
        return L"Y:" + path.substr(kRoot.size());
    }
    void Lock(const std::wstring& path) { fileSystem.Lock(path); }
    std::string Content(const std::wstring& path) const { return fileSystem.Content(path); }
    uint32_t Attributes(const std::wstring& path) const { return fileSystem.Attributes(path); }
    std::wstring OtherVolume()
    {
        fileSystem.AddFolder(L"D:\\t");
        return L"D:\\t";
    }
    bool UnderWine() const { return false; } // it keeps to what Windows does

private:
    const std::wstring kRoot = L"C:\\t";
    FakeFileSystem fileSystem;
};

INSTANTIATE_TYPED_TEST_SUITE_P(FileSystemContract, FileSystemContract, InMemoryFileSystemMaker);
