// The FileSystem interface on the Win32 file functions, and CopyProgress as the platform's
// copy-progress routine. Windows only.
#pragma once

#include "commands/FileSystem.h"

#include <windows.h>

class FileSystemWin32 : public FileSystem
{
public:
    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    bool RemoveFile(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    bool CreateFolderTree(const std::wstring& path) override;
    bool CopyOneFile(const std::wstring& from, const std::wstring& to, InstallProgress* progress) override;
    bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                     InstallProgress* progress) override;
    bool SameObject(const std::wstring& a, const std::wstring& b) override;
    std::wstring FullPath(const std::wstring& path) override;
    std::unique_ptr<FolderHold> HoldFolder(const std::wstring& path) override;
    std::wstring FailureReason() override;
};

// LPPROGRESS_ROUTINE for CopyFileExW and MoveFileWithProgressW; `data` is the InstallProgress.
// Always continues.
DWORD CALLBACK CopyProgress(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                            LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred, DWORD streamNumber,
                            DWORD callbackReason, HANDLE sourceFile, HANDLE destinationFile, LPVOID data);
