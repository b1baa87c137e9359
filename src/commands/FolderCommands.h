// The three folder commands (copy, move and delete a folder tree) as plain algorithms over the
// FileSystem interface, and CopyProgress, which turns the platform's copy progress into the
// install progress the window paints. The Win32 run callbacks call these with the real file
// system; the tests call them with an in-memory one.
//
// Safety rules the commands keep, beyond walking their file set:
// - an empty source, target or folder does nothing (it would name the current drive's root),
//   and neither does a delete or a move whose folder is a drive or share root;
// - a copy or move whose destination is the source itself is left alone;
// - nothing is deleted to make room: a destination file is replaced by the copy or move itself,
//   so a copy or move that fails leaves the previous file in place;
// - a move does not touch what an earlier move in the same command already carried along;
// - no walk enters a folder link (junction or folder symbolic link); delete removes the link
//   itself, and move leaves a link it could not move where it is.
#pragma once

#include "commands/FileSystem.h"

#include <cstdint>
#include <string>

class InstallProgress;

// Copies `source` with everything beneath it into `target` + "\" + the source folder's name
// (straight into `target` when the source ends with a separator). Copies arrive with normal
// attributes and replace existing files, read-only ones included.
void CopyFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target);

// Moves like CopyFolderTree copies, then removes the source folders the move has emptied.
// A source that is a drive or share root is refused.
void MoveFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                    const std::wstring& target);

// Deletes `folder` with everything beneath it (only its content when it ends with a separator).
// A drive or share root is refused.
void DeleteFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& folder);

// The platform's progress report for one chunk of a copy or move. Only a finished chunk
// (reason 0) changes anything. Returns the platform's "continue" (0).
uint32_t CopyProgress(InstallProgress& progress, uint64_t totalFileSize, uint64_t totalBytesTransferred,
                      uint32_t callbackReason);

// part × 100 / whole as a percentage between 0 and 100; 0 when `whole` is 0.
float PercentOf(uint64_t part, uint64_t whole);

// Whether two path texts name the same place: "/" and "\" alike, repeated and trailing
// separators and "." dropped, ".." applied, ASCII letters compared without case.
bool SamePathText(const std::wstring& a, const std::wstring& b);
