// The three folder commands (copy, move and delete a folder tree) as plain algorithms over the
// FileSystem interface, publishing their bytes into the install progress the window paints.
// The run callbacks call these with the state's file system (the Win32 one in the program);
// the tests call them with an in-memory one.
//
// Safety rules the commands keep, beyond walking their file set:
// - every path is first made absolute and normal the way the platform resolves it ("/", "."
//   and "..", repeated separators, trailing dots and spaces, relative paths against the current
//   folder), and every rule below applies to that form, never to the text as written;
// - an empty path, one on whatever drive is current ("\\x", "C:x"), one that stays relative, or
//   one with wildcards does nothing, and neither does a delete or a move whose folder is a
//   drive, share or device root, written so or as the system resolves it; a "\\?\" path is
//   used exactly as written;
// - a copy or move whose destination is the source itself is left alone, and one whose
//   destination lies inside the source leaves the destination's own subtree out, however
//   either is spelled (decided by identity, names compared as the file system compares them);
// - the named folder and its content are named alike, whatever spelling the command used;
// - nothing is deleted to make room: a destination file is replaced by the copy or move itself,
//   so a copy or move that fails leaves the previous file in place;
// - a move does not touch what an earlier move in the same command already carried along;
// - no walk enters a folder link (junction or folder symbolic link); delete removes a link
//   itself, copy passes links over, move renames a link or leaves it where it is; delete and
//   move work in a folder only while they hold it and every folder above it as the plain
//   folders the walk listed;
// - copy and move write only into destination folders they hold, from the target down, as
//   plain folders: a destination folder that is a link is refused with everything below it,
//   and a link where a file goes is replaced itself, never written through.
#pragma once

#include "commands/FileSystem.h"
#include "commands/FolderOutcome.h"
#include "config/InstallCommand.h"

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

// CopyFolderTree and MoveFolderTree with up to `threads` files copied or moved at once (1 to
// 16; 1 is the plain command). Folders are still created, renamed and listed in order on the
// caller's thread, files start in file-set order, and each file keeps every rule on its own,
// so the result is the one-by-one result; `fileSystem` must take calls from several threads.
// An `outcome` counts the files handled and is told each failure and refusal.
// `keep`: a file left where it is, with the folders that hold it, and told to the outcome as
// passed over: the run's own log, open for writing. Move and delete leave it in the source,
// copy and move never replace it at the destination.
void CopyFolderTreeWithThreads(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                               const std::wstring& target, int threads, FolderOutcome* outcome = nullptr,
                               const std::wstring& keep = std::wstring());
void MoveFolderTreeWithThreads(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& source,
                               const std::wstring& target, int threads, FolderOutcome* outcome = nullptr,
                               const std::wstring& keep = std::wstring());

// Deletes `folder` with everything beneath it (only its content when it ends with a separator).
// A drive or share root is refused.
void DeleteFolderTree(FileSystem& fileSystem, InstallProgress& progress, const std::wstring& folder,
                      FolderOutcome* outcome = nullptr, const std::wstring& keep = std::wstring());

// Why a configured folder command must not run at all, whatever its paths name now: a
// variable in them expanded to nothing, which leaves a path on whatever drive is current
// ("%HOMESHARE%\\x" becomes "\\x"), a path that is empty or written on the current drive, or a
// delete or move of a root as written. Empty when it may run (the disk may still refuse it).
// `folderPaths` and `takesApart` are what its kind does (CommandHandler); the first form reads
// them from the kind the command was loaded with, the second is for a run callback, which
// knows what it does whatever kind the command holds.
std::wstring RefusalOf(const InstallCommand& command);
std::wstring RefusalOf(const InstallCommand& command, int folderPaths, bool takesApart);

