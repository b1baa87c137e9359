// Path texts as Windows resolves them, worked out without the file system: the folder commands
// apply their safety rules to these forms, never to the text as written, so that "C:\x\..",
// "C:/x/../." or "." in a drive's root folder are known for the drive root they name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

bool IsPathSeparator(wchar_t c);

// The absolute, normal form of `path` the way Windows makes it (GetFullPathNameW): "/" becomes
// "\", repeated separators count once, "." and ".." segments are applied (never above the
// root), one trailing dot of an inner name (not of a name of dots alone, such as "...") and
// all trailing dots and spaces of the last name are dropped; a relative path is taken against
// `currentFolder`, "\x" against its root and "C:x" against it when it is on drive C: (against
// C:\ otherwise). A trailing separator after a name is kept. Paths in the "\\?\" and "\\.\"
// forms are normalised the same way here, which Windows does not do: the forms serve the
// safety rules, where reading more into a path is the cautious side. Without a usable current
// folder a relative path stays relative (normalised).
std::wstring NormalizePath(std::wstring_view path, std::wstring_view currentFolder = {});

// Length of the root of a normal path: "C:\" or "C:", "\\server\share\" or "\\server\share",
// "\\?\C:\", "\\?\UNC\server\share\", "\\.\C:\", "\\?\Volume{...}\", the same behind
// "\\?\Global\" or "\\?\GLOBALROOT\??\", and a kernel device name such as
// "\\?\GLOBALROOT\Device\HarddiskVolume3\"; 0 when it has none.
size_t PathRootLength(std::wstring_view path);

// Whether the path is in the "\\?\" form, which Windows takes exactly as written: no "/" for
// "\", no "." or "..", names ending in dots or spaces kept.
bool IsExtendedPath(std::wstring_view path);

// Whether the path names something on whatever drive is current: rooted there ("\x", "/x") or
// relative to a drive's current folder ("C:", "C:x"). Such a text is almost always what an
// empty variable left of "%HOMESHARE%\x" or "%SYSTEMDRIVE%x".
bool DependsOnCurrentDrive(std::wstring_view path);

// Whether a normal path names a drive or share root (or the root of a device path), or has no
// absolute root at all: a path no folder command may delete or move.
bool IsRootOrRelative(std::wstring_view normalPath);

// The form of an absolute path that Windows takes at any length and without normalising it
// again, so that names ending in a dot or a space stay what they are: "\\?\C:\x" for
// "C:\x", "\\?\UNC\server\share\x" for "\\server\share\x" ("/" taken as "\"). A path already
// in a "\\?\" or "\\.\" form, not absolute, or not normal ("." or ".." names, repeated
// separators) is returned as it is, for Windows to resolve.
std::wstring ExtendedLengthPath(std::wstring_view path);

// Whether `inner` lies strictly below `outer`; both normal, ASCII letters compared without case.
bool IsStrictlyInside(std::wstring_view inner, std::wstring_view outer);

// Whether two normal paths name the same place (trailing separators aside, ASCII case folded).
bool SameNormalPath(std::wstring_view a, std::wstring_view b);

// Whether two path texts name the same place once both are normalised without a current folder.
bool SamePathText(std::wstring_view a, std::wstring_view b);

// `path` without separators at its end.
std::wstring_view WithoutTrailingSeparators(std::wstring_view path);
bool EndsWithSeparator(std::wstring_view path);

// base + "\" + tail, without doubling the separator between them.
std::wstring JoinPath(std::wstring_view base, std::wstring_view tail);

// The three parts the last separator ("\" or "/") makes of a path: everything before it
// (empty without one), everything up to and with it (empty without one), and the name after
// it (the whole path without one).
std::wstring_view ParentPath(std::wstring_view path);
std::wstring_view FolderPart(std::wstring_view path);
std::wstring_view LastPathPart(std::wstring_view path);

// The folder a copy or move of `source` into `target` fills: target\<the source's last name>,
// or `target` itself for a source ending in a separator (its content only) or a drive root.
std::wstring ArrivalFolder(std::wstring_view source, std::wstring_view target);
