// Win32 file system for the folder commands: a find handle per folder with sizes and attributes
// straight from the find data, the platform's copy and move with CopyProgress, folder trees made
// one folder at a time. Every path goes to the platform in its extended-length form ("\\?\"),
// so trees deeper than MAX_PATH work on every Windows whatever its long-path policy, and a
// name that ends in a dot or a space stays that name.
#include "commands/FileSystemWin32.h"

#include "commands/SystemMessageWin32.h"

#include "commands/InstallState.h"
#include "commands/FolderCommands.h"
#include "commands/FolderPaths.h"


namespace {

uint64_t Combine(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

struct FindHandle
{
    HANDLE handle;
    ~FindHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            FindClose(handle);
    }
};

struct FileHandle
{
    HANDLE handle;
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

// Opens the object itself (a link, not its target), with no access needed to its content.
HANDLE OpenObject(const std::wstring& path, DWORD share)
{
    return CreateFileW(ExtendedLengthPath(path).c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool Identify(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info)
{
    FileHandle file{OpenObject(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)};
    return file.handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file.handle, &info);
}

// An open handle without delete sharing: nobody can rename, replace or remove the folder.
class FolderHoldWin32 : public FolderHold
{
public:
    explicit FolderHoldWin32(HANDLE handle) : file{handle} {}

private:
    FileHandle file;
};

} // namespace

DWORD CALLBACK CopyProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER,
                            LARGE_INTEGER, DWORD, DWORD callbackReason, HANDLE, HANDLE, LPVOID data)
{
    if (data == nullptr)
        return PROGRESS_CONTINUE;
    return CopyProgress(*static_cast<InstallProgress*>(data), static_cast<uint64_t>(totalFileSize.QuadPart),
                        static_cast<uint64_t>(totalBytesTransferred.QuadPart), callbackReason);
}

bool FileSystemWin32::Enumerate(const std::wstring& pattern, const Visitor& visit)
{
    WIN32_FIND_DATAW data;
    // Basic information skips the short names; a large fetch reads more names per call.
    FindHandle find{FindFirstFileExW(ExtendedLengthPath(pattern).c_str(), FindExInfoBasic, &data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH)};
    if (find.handle == INVALID_HANDLE_VALUE)
        return false;
    do {
        FoundFile found;
        found.name = data.cFileName;
        found.attributes = data.dwFileAttributes;
        found.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
        if (!visit(found))
            break;
    } while (FindNextFileW(find.handle, &data));
    return true;
}

bool FileSystemWin32::SetAttributes(const std::wstring& path, uint32_t attributes)
{
    return SetFileAttributesW(ExtendedLengthPath(path).c_str(), attributes) != FALSE;
}

bool FileSystemWin32::RemoveFile(const std::wstring& path)
{
    return DeleteFileW(ExtendedLengthPath(path).c_str()) != FALSE;
}

bool FileSystemWin32::RemoveFolder(const std::wstring& path)
{
    return RemoveDirectoryW(ExtendedLengthPath(path).c_str()) != FALSE;
}

bool FileSystemWin32::CreateFolderTree(const std::wstring& path)
{
    // Usually only the last folder is missing: one CreateDirectoryW does it. Otherwise the
    // missing folders above it are made first, from the highest down (at any path length,
    // which the shell's folder-tree call does not reach).
    const std::wstring folder(WithoutTrailingSeparators(path));
    if (CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr))
        return true;
    if (GetLastError() != ERROR_PATH_NOT_FOUND)
        return false; // already there, or not creatable at all
    const std::wstring parent(ParentPath(folder));
    if (parent.empty() || parent.size() >= folder.size() || PathRootLength(folder) >= folder.size())
        return false;
    CreateFolderTree(parent);
    return CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr) != FALSE;
}

bool FileSystemWin32::CopyOneFile(const std::wstring& from, const std::wstring& to, InstallProgress* progress)
{
    return CopyFileExW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(), CopyProgress, progress,
                       nullptr, 0) != FALSE;
}

bool FileSystemWin32::MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                                  InstallProgress* progress)
{
    return MoveFileWithProgressW(ExtendedLengthPath(from).c_str(), ExtendedLengthPath(to).c_str(), CopyProgress,
                                 progress, flags) != FALSE;
}

bool FileSystemWin32::SameObject(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    if (!Identify(a, first) || !Identify(b, second))
        return false;
    return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

std::wstring FileSystemWin32::FullPath(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return std::wstring();
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length); // the length needed, terminator included
    }
}

std::unique_ptr<FolderHold> FileSystemWin32::HoldFolder(const std::wstring& path)
{
    // Listing access takes part in sharing, where attribute access alone would not: without
    // delete sharing nobody can then rename, replace or remove the folder.
    const std::wstring extended = ExtendedLengthPath(path);
    HANDLE handle = CreateFileW(extended.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    auto hold = std::make_unique<FolderHoldWin32>(handle);
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD plainFolder = FILE_ATTRIBUTE_DIRECTORY;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != plainFolder)
        return nullptr;
    // Where the open went through a link to its target after all (Wine does), the path's own
    // attributes still show the link.
    const DWORD named = GetFileAttributesW(extended.c_str());
    if (named == INVALID_FILE_ATTRIBUTES || (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return nullptr;
    return hold;
}

std::wstring FileSystemWin32::FailureReason()
{
    return SystemMessage(GetLastError());
}
