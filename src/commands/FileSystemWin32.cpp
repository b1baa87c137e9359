// Win32 file system for the folder commands: a find handle per folder with sizes and attributes
// straight from the find data, the platform's copy and move telling a ChunkListener, folder
// trees made one folder at a time. Every path goes to the platform in its extended-length form ("\\?\"),
// so trees deeper than MAX_PATH work on every Windows whatever its long-path policy, and a
// name that ends in a dot or a space stays that name.
#include "commands/FileSystemWin32.h"

#include "commands/FolderPaths.h"
#include "commands/FullPathWin32.h"
#include "config/SystemMessageWin32.h"
#include "config/ScopedWin32.h"
#include "config/SystemFunctionWin32.h"

#include <aclapi.h>
#include <winternl.h>

#include <cstring>

namespace {

uint64_t Combine(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

// A reparse point whose tag is a name surrogate stands for another name: a junction or a
// symbolic link. Others (deduplicated, compressed or cloud files) are the data they hold.
constexpr DWORD kNameSurrogate = 0x20000000;

bool IsLinkTag(DWORD attributes, DWORD tag)
{
    // Wine reports links without a tag: a reparse point with no tag counts as a link.
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && (tag == 0 || (tag & kNameSurrogate) != 0);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the object a path ends in: a link itself with `itself`, otherwise what the path leads
// to; files and folders alike.
HANDLE Open(const std::wstring& path, DWORD access, bool itself)
{
    return CreateFileW(ExtendedLengthPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | (itself ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
}

// The platform's final path for an open handle, names as stored ("\\?\C:\x"); the volume's
// GUID form where it has no drive letter; empty when it has neither.
std::wstring FinalPathOf(HANDLE handle)
{
    for (DWORD form : {DWORD(VOLUME_NAME_DOS), DWORD(VOLUME_NAME_GUID)}) {
        std::wstring path(MAX_PATH, L'\0');
        DWORD length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), form);
        if (length >= path.size()) {
            path.resize(length + 1);
            length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), form);
        }
        if (length > 0 && length < path.size()) {
            path.resize(length);
            return path;
        }
    }
    return std::wstring();
}

bool SameText(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// A moved file or folder takes the security its new folder gives, as a copy does: the rights it
// carried from its old folder (a staging folder users could write) do not come along into a
// protected one. An empty explicit list, no longer protected: what remains is inherited; for
// a folder the system passes the inheritance on to everything inside it.
void InheritFromNewFolder(const std::wstring& path)
{
    ACL empty;
    if (!InitializeAcl(&empty, sizeof empty, ACL_REVISION))
        return;
    std::wstring name = ExtendedLengthPath(path);
    SetNamedSecurityInfoW(&name[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION,
                          nullptr, nullptr, &empty, nullptr);
}

// Deletes what `handle` is (opened with DELETE access) when it is closed.
bool DeleteOnClose(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Why the last call on this thread refused to act, where the system's error code cannot say.
thread_local const wchar_t* refusal = nullptr;
const wchar_t kThroughLink[] = L"a link that cannot be changed here without reaching what it leads to: left alone";

bool Refuse(const wchar_t* reason)
{
    refusal = reason;
    return false;
}

// Whether a handle opened on `extended` without following a link is a plain folder: a folder,
// and no link. Where the open went through a link to its target after all (Wine does), the
// path's own attributes still show the link that the handle does not.
bool IsPlainFolder(HANDLE handle, const std::wstring& extended)
{
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || IsLinkTag(tag.FileAttributes, tag.ReparseTag))
        return false;
    const DWORD named = GetFileAttributesW(extended.c_str());
    return named != INVALID_FILE_ATTRIBUTES &&
           ((named & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
}

// An open handle without delete sharing: nobody can rename, replace or remove the folder.
class FolderHoldWin32 : public FolderHold
{
public:
    explicit FolderHoldWin32(HANDLE handle) : file(handle) {}

private:
    ScopedHandle file;
};

} // namespace

DWORD CALLBACK ChunkRoutine(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred, LARGE_INTEGER,
                            LARGE_INTEGER, DWORD, DWORD callbackReason, HANDLE, HANDLE, LPVOID data)
{
    // A stream switch reports the bytes so far again; only a finished chunk moves them.
    if (data != nullptr && callbackReason == CALLBACK_CHUNK_FINISHED)
        static_cast<ChunkListener*>(data)->ChunkDone(static_cast<uint64_t>(totalFileSize.QuadPart),
                                                     static_cast<uint64_t>(totalBytesTransferred.QuadPart));
    return PROGRESS_CONTINUE;
}

std::wstring FileSystemWin32::FinalFolderOf(const std::wstring& path)
{
    const std::wstring folder(ParentPath(WithoutTrailingSeparators(path)));
    {
        const std::lock_guard<std::mutex> guard(finalFoldersLock);
        const auto known = finalFolders.find(folder);
        if (known != finalFolders.end())
            return known->second;
    }
    // "C:" alone would name the current folder on C:; its root is meant.
    const size_t rootLength = PathRootLength(path);
    const ScopedHandle handle(Open(folder.size() < rootLength ? path.substr(0, rootLength) : folder, 0, false));
    if (!handle.Valid())
        return std::wstring();
    std::wstring final = FinalPathOf(handle.Get());
    if (final.empty())
        return final;
    const std::lock_guard<std::mutex> guard(finalFoldersLock);
    if (finalFolders.size() >= 4096) // a walk needs the folders it is in, not every one it has seen
        finalFolders.clear();
    finalFolders.emplace(folder, final);
    return final;
}

FileSystemWin32::Found FileSystemWin32::WhatWasOpened(HANDLE handle, const std::wstring& path)
{
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
        IsLinkTag(tag.FileAttributes, tag.ReparseTag))
        return Found::Link;
    // Where the open went through a link after all, the handle's own path lies elsewhere than
    // the folder's path and the name. Where either path cannot be had, the flag was kept.
    const std::wstring final = FinalPathOf(handle);
    const std::wstring folder = FinalFolderOf(path);
    if (final.empty() || folder.empty())
        return Found::Itself;
    const std::wstring_view named = WithoutTrailingSeparators(path);
    std::wstring_view name = LastPathPart(named);
    const std::wstring_view folderPart = WithoutTrailingSeparators(folder);
    const std::wstring_view finalView(final);
    if (finalView.size() <= folderPart.size() || !IsPathSeparator(finalView[folderPart.size()]) ||
        !SameText(finalView.substr(0, folderPart.size()), folderPart))
        return Found::Elsewhere;
    const std::wstring_view finalName = finalView.substr(folderPart.size() + 1);
    // Wine's final paths drop the dots and spaces a name ends in, which Windows keeps.
    while (finalName.size() < name.size() && (name.back() == L'.' || name.back() == L' '))
        name.remove_suffix(1);
    return SameText(finalName, name) ? Found::Itself : Found::Elsewhere;
}

bool FileSystemWin32::Enumerate(const std::wstring& pattern, const Visitor& visit)
{
    WIN32_FIND_DATAW data;
    // Basic information skips the short names; a large fetch reads more names per call.
    const ScopedFindHandle find(FindFirstFileExW(ExtendedLengthPath(pattern).c_str(), FindExInfoBasic, &data,
                                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find.Valid())
        return false;
    do {
        FoundFile found;
        found.name = data.cFileName;
        found.attributes = data.dwFileAttributes;
        // The find data's first reserved word is the reparse tag: only links read as links.
        if (!IsLinkTag(data.dwFileAttributes, data.dwReserved0))
            found.attributes &= ~static_cast<uint32_t>(FILE_ATTRIBUTE_REPARSE_POINT);
        found.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
        if (!visit(found))
            break;
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

bool FileSystemWin32::SetAttributes(const std::wstring& path, uint32_t attributes)
{
    // Through a handle on the object itself: SetFileAttributesW would change what a link leads to.
    refusal = nullptr;
    const ScopedHandle file(Open(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, true));
    if (!file.Valid())
        return false;
    if (WhatWasOpened(file.Get(), path) != Found::Itself)
        return Refuse(kThroughLink);
    FILE_BASIC_INFO basic = {}; // times of 0 stay as they are
    basic.FileAttributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
    return SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic) != FALSE;
}

bool FileSystemWin32::RemoveFile(const std::wstring& path)
{
    refusal = nullptr;
    const ScopedHandle file(Open(path, DELETE | FILE_READ_ATTRIBUTES, true));
    if (!file.Valid())
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info))
        return false;
    const Found found = WhatWasOpened(file.Get(), path);
    if (found == Found::Elsewhere)
        return Refuse(kThroughLink);
    if (found == Found::Itself && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        SetLastError(ERROR_ACCESS_DENIED); // as DeleteFileW says of a folder
        return false;
    }
    return DeleteOnClose(file.Get()); // the file, or the link itself
}

bool FileSystemWin32::RemoveFolder(const std::wstring& path)
{
    refusal = nullptr;
    const ScopedHandle folder(Open(path, DELETE | FILE_READ_ATTRIBUTES, true));
    if (!folder.Valid())
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(folder.Get(), &info))
        return false;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    if (WhatWasOpened(folder.Get(), path) == Found::Elsewhere)
        return Refuse(kThroughLink);
    return DeleteOnClose(folder.Get()); // only an empty folder, or the link itself
}

bool FileSystemWin32::RemoveLinkItself(const std::wstring& path)
{
    const ScopedHandle link(Open(path, DELETE | FILE_READ_ATTRIBUTES, true));
    if (!link.Valid())
        return false;
    if (WhatWasOpened(link.Get(), path) != Found::Link)
        return Refuse(kThroughLink);
    return DeleteOnClose(link.Get());
}

bool FileSystemWin32::ClearForReplacement(const std::wstring& to)
{
    Found found = Found::Nothing;
    {
        const ScopedHandle there(Open(to, FILE_READ_ATTRIBUTES, true));
        if (!there.Valid())
            return true; // nothing there now, or nothing this call can open: the copy decides
        found = WhatWasOpened(there.Get(), to);
    }
    if (found == Found::Elsewhere)
        return Refuse(kThroughLink);
    return found != Found::Link || RemoveLinkItself(to);
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

bool FileSystemWin32::CopyOneFile(const std::wstring& from, const std::wstring& to, ChunkListener* listener)
{
    // CopyFileExW writes through a link at its destination. Only a new file is made blind
    // (one call, as before); what is already there is checked, and a link removed itself.
    refusal = nullptr;
    const LPPROGRESS_ROUTINE routine = listener != nullptr ? ChunkRoutine : nullptr;
    const std::wstring source = ExtendedLengthPath(from);
    const std::wstring destination = ExtendedLengthPath(to);
    if (CopyFileExW(source.c_str(), destination.c_str(), routine, listener, nullptr, COPY_FILE_FAIL_IF_EXISTS))
        return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
        return false;
    if (!ClearForReplacement(to))
        return false;
    return CopyFileExW(source.c_str(), destination.c_str(), routine, listener, nullptr, 0) != FALSE;
}

bool FileSystemWin32::MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                                  ChunkListener* listener)
{
    // The source moves as itself: a link by a rename only (a copy would take what it leads
    // to), and nothing a link reached after all.
    refusal = nullptr;
    {
        const ScopedHandle source(Open(from, FILE_READ_ATTRIBUTES, true));
        if (!source.Valid())
            return false;
        const Found found = WhatWasOpened(source.Get(), from);
        if (found == Found::Elsewhere)
            return Refuse(kThroughLink);
        if (found == Found::Link)
            flags &= ~MoveFlag::CopyAllowed;
    }
    // Across volumes a replacement is a copy over the destination, which writes through a
    // link there: replacing waits until the destination is known not to be one.
    const LPPROGRESS_ROUTINE routine = listener != nullptr ? ChunkRoutine : nullptr;
    const std::wstring source = ExtendedLengthPath(from);
    const std::wstring destination = ExtendedLengthPath(to);
    if (MoveFileWithProgressW(source.c_str(), destination.c_str(), routine, listener,
                              flags & ~MoveFlag::ReplaceExisting)) {
        InheritFromNewFolder(to);
        return true;
    }
    const DWORD error = GetLastError();
    if ((flags & MoveFlag::ReplaceExisting) == 0 || (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS))
        return false;
    if (!ClearForReplacement(to))
        return false;
    if (!MoveFileWithProgressW(source.c_str(), destination.c_str(), routine, listener, flags))
        return false;
    InheritFromNewFolder(to);
    return true;
}

bool FileSystemWin32::Identify(const std::wstring& path, FileIdentity& identity)
{
    const ScopedHandle file(Open(path, FILE_READ_ATTRIBUTES, false));
    if (!file.Valid())
        return false;
    // The 128-bit identity where the system has it (Windows 8 and later; ReFS needs it).
    struct
    {
        ULONGLONG volume;
        BYTE id[16];
    } full;
    constexpr auto kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
    if (GetFileInformationByHandleEx(file.Get(), kFileIdInfo, &full, sizeof full)) {
        identity.volume = full.volume;
        std::memcpy(&identity.low, full.id, 8);
        std::memcpy(&identity.high, full.id + 8, 8);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info))
        return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.high = 0;
    identity.low = Combine(info.nFileIndexHigh, info.nFileIndexLow);
    return true;
}

std::wstring FileSystemWin32::FinalPath(const std::wstring& path)
{
    const ScopedHandle file(Open(path, 0, false));
    return file.Valid() ? FinalPathOf(file.Get()) : std::wstring();
}

bool FileSystemWin32::SameName(std::wstring_view a, std::wstring_view b)
{
    return SameText(a, b);
}

std::wstring FileSystemWin32::FullPath(const std::wstring& path)
{
    return FullPathName(path);
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
    return IsPlainFolder(handle, extended) ? std::move(hold) : nullptr;
}

namespace {

using NtCreateFileFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG,
                                    ULONG, ULONG, ULONG, PVOID, ULONG);
using NtStatusToErrorFn = ULONG(NTAPI*)(LONG);

} // namespace

std::unique_ptr<FolderHold> FileSystemWin32::MakeAndHoldFolder(const std::wstring& path, bool& created)
{
    // The system's own create-or-open of a folder makes it and opens it in one step, where the
    // Win32 calls take two and a check (and under Wine two server round trips more per folder).
    // It takes the native form of an extended path: "\??\C:\x" for "\\?\C:\x".
    static const auto ntCreateFile = SystemFunction<NtCreateFileFn>(L"ntdll.dll", "NtCreateFile");
    static const auto statusToError = SystemFunction<NtStatusToErrorFn>(L"ntdll.dll", "RtlNtStatusToDosError");
    std::wstring native = ExtendedLengthPath(WithoutTrailingSeparators(path));
    if (ntCreateFile == nullptr || statusToError == nullptr || !IsExtendedPath(native) ||
        native.size() > 0x7FF0)
        return FileSystem::MakeAndHoldFolder(path, created);
    native[1] = L'?';
    native[2] = L'?';
    UNICODE_STRING name;
    name.Buffer = &native[0];
    name.Length = static_cast<USHORT>(native.size() * sizeof(wchar_t));
    name.MaximumLength = name.Length;
    OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    attributes.ObjectName = &name;
    attributes.Attributes = 0x40; // OBJ_CASE_INSENSITIVE, as the Win32 calls open
    IO_STATUS_BLOCK status = {};
    HANDLE handle = INVALID_HANDLE_VALUE;
    constexpr ULONG kDirectory = 0x1, kSynchronous = 0x20, kBackupIntent = 0x4000, kReparsePoint = 0x200000;
    constexpr ULONG kCreated = 2; // FILE_CREATED
    const LONG result = ntCreateFile(&handle, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes,
                                     &status, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     FILE_OPEN_IF, kDirectory | kSynchronous | kBackupIntent | kReparsePoint, nullptr, 0);
    if (result < 0) {
        created = false;
        SetLastError(statusToError(result));
        return nullptr;
    }
    auto hold = std::make_unique<FolderHoldWin32>(handle);
    created = status.Information == kCreated;
    // One that was there is checked as HoldFolder checks it.
    return created || IsPlainFolder(handle, ExtendedLengthPath(path)) ? std::move(hold) : nullptr;
}

std::wstring FileSystemWin32::FailureReason()
{
    if (refusal != nullptr)
        return refusal;
    return SystemMessage(GetLastError());
}

void FileSystemWin32::BeginCommand()
{
    const std::lock_guard<std::mutex> guard(finalFoldersLock);
    finalFolders.clear();
}
