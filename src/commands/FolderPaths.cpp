// Lexical path rules of the folder commands. NormalizePath follows the steps Windows takes in
// GetFullPathNameW, so that the portable core and its tests see the same forms the program
// sees on Windows, where the Win32 file system asks the platform itself.
#include "commands/FolderPaths.h"

#include "xml/AsciiText.h"

#include <vector>

namespace {

using View = std::wstring_view;

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool HasDrive(View path)
{
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
}

size_t ComponentEnd(View path, size_t from)
{
    while (from < path.size() && !IsPathSeparator(path[from]))
        ++from;
    return from;
}

// The root plus, when more follows, the separator after it.
size_t WithSeparator(View path, size_t rootEnd)
{
    return rootEnd < path.size() ? rootEnd + 1 : rootEnd;
}

// An absolute text for `path`: against the current folder where it is relative, unchanged
// (and relative) where there is no usable current folder.
std::wstring Absolute(std::wstring text, View currentFolder)
{
    const bool network = text.size() >= 2 && IsPathSeparator(text[0]) && IsPathSeparator(text[1]);
    if (network || (HasDrive(text) && text.size() >= 3 && IsPathSeparator(text[2])))
        return text;
    const std::wstring current = currentFolder.empty() ? std::wstring() : NormalizePath(currentFolder);
    const size_t currentRoot = PathRootLength(current);
    if (HasDrive(text)) {
        // "C:x": against the current folder when that is on drive C:, against C:\ otherwise.
        if (currentRoot != 0 && HasDrive(current) && FoldAscii(current[0]) == FoldAscii(text[0]))
            return JoinPath(current, View(text).substr(2));
        return text.substr(0, 2) + L"\\" + text.substr(2);
    }
    if (currentRoot == 0)
        return text;
    if (!text.empty() && IsPathSeparator(text[0])) // "\x": the current folder's drive or share
        return std::wstring(WithoutTrailingSeparators(View(current).substr(0, currentRoot))) + text;
    return JoinPath(current, text);
}

// The name of the component starting at `at`, and whether it is `name` (without case).
bool ComponentIs(View path, size_t at, View name)
{
    return ComponentEnd(path, at) - at == name.size() && EqualsIgnoreAsciiCase(path.substr(at, name.size()), name);
}

// The root of a path in the "\\?\" or "\\.\" form. "Global\" and "GLOBALROOT\??\" lead back into
// the same device names ("\\?\Global\C:\" is "\\?\C:\"), and "GLOBALROOT\Device\X" names a volume
// or device by its kernel name; a root the rules cannot read ends after two more names, which
// errs towards calling more of a path its root.
size_t DeviceRootLength(View path)
{
    size_t at = 4;
    for (;;) {
        if (ComponentIs(path, at, L"Global")) {
            at = WithSeparator(path, ComponentEnd(path, at));
            continue;
        }
        if (!ComponentIs(path, at, L"GLOBALROOT"))
            break;
        at = WithSeparator(path, ComponentEnd(path, at));
        if (ComponentIs(path, at, L"??") || ComponentIs(path, at, L"GLOBAL??")) {
            at = WithSeparator(path, ComponentEnd(path, at));
            continue;
        }
        const size_t directory = ComponentEnd(path, at); // "Device", or an object folder not known here
        return WithSeparator(path, directory < path.size() ? ComponentEnd(path, directory + 1) : directory);
    }
    if (ComponentIs(path, at, L"UNC") && at + 3 < path.size()) {
        const size_t server = ComponentEnd(path, at + 4);
        return WithSeparator(path, server < path.size() ? ComponentEnd(path, server + 1) : server);
    }
    return WithSeparator(path, ComponentEnd(path, at)); // C:, Volume{...}, a device name
}

} // namespace

bool IsExtendedPath(View path)
{
    return path.size() >= 4 && path[0] == L'\\' && path[1] == L'\\' && path[2] == L'?' && path[3] == L'\\';
}

bool DependsOnCurrentDrive(View path)
{
    if (!path.empty() && IsPathSeparator(path[0]))
        return path.size() < 2 || !IsPathSeparator(path[1]); // "\x", not "\\server"
    return HasDrive(path) && (path.size() == 2 || !IsPathSeparator(path[2])); // "C:" or "C:x"
}

bool IsPathSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

size_t PathRootLength(View path)
{
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        if (path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && IsPathSeparator(path[3]))
            return DeviceRootLength(path);
        const size_t server = ComponentEnd(path, 2);
        return WithSeparator(path, server < path.size() ? ComponentEnd(path, server + 1) : server);
    }
    if (HasDrive(path))
        return path.size() >= 3 && IsPathSeparator(path[2]) ? 3 : 2;
    return 0;
}

std::wstring NormalizePath(View path, View currentFolder)
{
    std::wstring text = Absolute(std::wstring(path), currentFolder);
    for (wchar_t& c : text)
        if (c == L'/')
            c = L'\\';
    const size_t rootLength = PathRootLength(text);
    std::wstring normal = text.substr(0, rootLength);
    if (rootLength == 0 && !text.empty() && text[0] == L'\\')
        normal = L"\\"; // the current drive's root, which is unknown here
    if (rootLength > 0 && !EndsWithSeparator(normal) && rootLength < text.size())
        normal.push_back(L'\\');

    // The names after the root, with "." and ".." applied.
    const View rest = View(text).substr(rootLength);
    std::vector<View> names;
    bool trailingSeparator = false;
    for (size_t i = 0; i < rest.size();) {
        if (IsPathSeparator(rest[i])) {
            ++i;
            continue;
        }
        const size_t end = ComponentEnd(rest, i);
        View name = rest.substr(i, end - i);
        const bool separatorFollows = end < rest.size();
        trailingSeparator = separatorFollows;
        if (name == L".") {
        } else if (name == L"..") {
            if (!names.empty() && names.back() != L"..")
                names.pop_back();
            else if (rootLength == 0)
                names.push_back(name); // a relative path keeps what it cannot resolve
        } else {
            // An inner name loses one trailing dot, except a name of dots alone ("..."), which
            // Windows keeps as a name: losing one would leave a ".." that is no parent folder.
            if (separatorFollows && name.back() == L'.' && name.find_first_not_of(L'.') != View::npos)
                name.remove_suffix(1);
            names.push_back(name);
        }
        i = end;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            normal.push_back(L'\\');
        normal.append(names[i]);
    }
    if (trailingSeparator && !names.empty())
        normal.push_back(L'\\');
    // The last name loses all its trailing dots and spaces; the root never shrinks.
    const size_t keep = normal.size() < rootLength ? normal.size() : rootLength;
    size_t end = normal.size();
    while (end > keep && (normal[end - 1] == L'.' || normal[end - 1] == L' '))
        --end;
    normal.resize(end);
    return normal;
}

std::wstring ExtendedLengthPath(View path)
{
    const bool drive = HasDrive(path) && path.size() >= 3 && IsPathSeparator(path[2]);
    const bool network = path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
    const bool device = network && path.size() >= 4 && (path[2] == L'?' || path[2] == L'.') && IsPathSeparator(path[3]);
    if ((!drive && !network) || device)
        return std::wstring(path);
    // Only a normal path: the extended form would take "." and ".." as names.
    for (size_t i = drive ? 3 : 2; i < path.size();) {
        const size_t end = ComponentEnd(path, i);
        const View name = path.substr(i, end - i);
        if (name == L"." || name == L".." || (name.empty() && end < path.size()))
            return std::wstring(path);
        i = end + 1;
    }
    std::wstring extended = drive ? L"\\\\?\\" + std::wstring(path) : L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    for (wchar_t& c : extended)
        if (c == L'/')
            c = L'\\';
    return extended;
}

bool IsRootOrRelative(View normalPath)
{
    const size_t rootLength = PathRootLength(normalPath);
    return rootLength == 0 || WithoutTrailingSeparators(normalPath).size() <= rootLength;
}

bool IsStrictlyInside(View inner, View outer)
{
    inner = WithoutTrailingSeparators(inner);
    outer = WithoutTrailingSeparators(outer);
    return inner.size() > outer.size() + 1 && IsPathSeparator(inner[outer.size()]) &&
           StartsWithIgnoreAsciiCase(inner, outer);
}

bool SamePathText(View a, View b)
{
    return SameNormalPath(NormalizePath(a), NormalizePath(b));
}

bool SameNormalPath(View a, View b)
{
    return EqualsIgnoreAsciiCase(WithoutTrailingSeparators(a), WithoutTrailingSeparators(b));
}

View WithoutTrailingSeparators(View path)
{
    size_t end = path.size();
    while (end > 0 && IsPathSeparator(path[end - 1]))
        --end;
    return path.substr(0, end);
}

bool EndsWithSeparator(View path)
{
    return !path.empty() && IsPathSeparator(path.back());
}

std::wstring JoinPath(View base, View tail)
{
    size_t start = 0;
    while (start < tail.size() && IsPathSeparator(tail[start]))
        ++start;
    if (start == tail.size())
        return std::wstring(base);
    std::wstring joined(WithoutTrailingSeparators(base));
    joined.reserve(joined.size() + 1 + tail.size() - start);
    joined.push_back(L'\\');
    joined.append(tail.substr(start));
    return joined;
}

std::wstring ArrivalFolder(View source, View target)
{
    if (source.empty() || EndsWithSeparator(source) || IsRootOrRelative(NormalizePath(source)))
        return std::wstring(target);
    const View folder = WithoutTrailingSeparators(source);
    return JoinPath(target, LastPathPart(folder));
}

View ParentPath(View path)
{
    const size_t cut = path.find_last_of(L"\\/");
    return cut == View::npos ? View() : path.substr(0, cut);
}

View FolderPart(View path)
{
    return path.substr(0, path.size() - LastPathPart(path).size());
}

View LastPathPart(View path)
{
    return path.substr(path.find_last_of(L"\\/") + 1); // npos + 1 is 0: the whole path
}
