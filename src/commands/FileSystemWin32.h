// The FileSystem interface on the Win32 file functions, and ChunkRoutine, the platform's
// copy-progress routine that tells a ChunkListener. Windows only.
#pragma once

#include "commands/FileSystem.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <unordered_map>

// Its calls may come from several threads (the copy threads of one command).
class FileSystemWin32 : public FileSystem
{
public:
    bool Enumerate(const std::wstring& pattern, const Visitor& visit) override;
    bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
    bool RemoveFile(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    bool CreateFolderTree(const std::wstring& path) override;
    bool CopyOneFile(const std::wstring& from, const std::wstring& to, ChunkListener* listener) override;
    bool MoveOneFile(const std::wstring& from, const std::wstring& to, uint32_t flags,
                     ChunkListener* listener) override;
    bool Identify(const std::wstring& path, FileIdentity& identity) override;
    std::wstring FinalPath(const std::wstring& path) override;
    bool SameName(std::wstring_view a, std::wstring_view b) override;
    std::wstring FullPath(const std::wstring& path) override;
    std::unique_ptr<FolderHold> HoldFolder(const std::wstring& path) override;
    std::unique_ptr<FolderHold> MakeAndHoldFolder(const std::wstring& path, bool& created) override;
    std::wstring FailureReason() override;
    void BeginCommand() override;

    // Whether `handle`, opened on `path` with FILE_FLAG_OPEN_REPARSE_POINT, is a plain file or
    // folder at that path: no link itself, and not reached through one (as Wine opens links).
    bool OpenedItself(HANDLE handle, const std::wstring& path) { return WhatWasOpened(handle, path) == Found::Itself; }

private:
    enum class Found { Itself, Link, Elsewhere, Nothing };
    // What `handle` (opened on `path` without following a link at its end) is: the object the
    // path's folder holds under that name, the link itself, or something the open reached
    // through a link after all (as Wine does, which follows links whatever the flags say).
    Found WhatWasOpened(HANDLE handle, const std::wstring& path);
    // The final path of the folder `path` lies in, remembered: the walks come folder by folder.
    std::wstring FinalFolderOf(const std::wstring& path);
    // Removes the link `path` itself through a handle that is the link, where that can be had.
    bool RemoveLinkItself(const std::wstring& path);
    // Whether what is at `to` may be replaced: a link there is removed first; false (with the
    // reason) when it is something a link leads to.
    bool ClearForReplacement(const std::wstring& to);

    std::mutex finalFoldersLock;
    std::unordered_map<std::wstring, std::wstring> finalFolders;
};

// LPPROGRESS_ROUTINE for CopyFileExW and MoveFileWithProgressW; `data` is the ChunkListener,
// told of each finished chunk (nothing else). Always continues.
DWORD CALLBACK ChunkRoutine(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                            LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred, DWORD streamNumber,
                            DWORD callbackReason, HANDLE sourceFile, HANDLE destinationFile, LPVOID data);
