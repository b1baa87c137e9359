// Fuzzes the path forms the folder commands' safety rules read: arbitrary texts built from the
// characters that matter in Windows paths (separators, dots, spaces, drive and device marks),
// checked for what the rules rely on: a root no longer than its path, no "." or ".." name left
// after the root of an absolute normal form, inside and same never both, arrival beneath the
// target.
#include "commands/FolderPaths.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Each byte one character of a path; 0xFF ends one text and starts the next.
const wchar_t kAlphabet[] = {L'a', L'B', L'.', L' ', L'\\', L'/', L':', L'?', L'C', L'c', L'U', L'N',
                             L'G', L'*', L'\u00e9', L'\u0130'};

bool HoldsRelativeName(const std::wstring& normal, size_t root)
{
    const std::wstring after = L"\\" + normal.substr(root) + L"\\";
    return after.find(L"\\.\\") != std::wstring::npos || after.find(L"\\..\\") != std::wstring::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring texts[3];
    size_t which = 0;
    for (size_t i = 0; i < size && which < 3; ++i) {
        if (data[i] == 0xFF)
            ++which;
        else
            texts[which].push_back(data[i] < 0x80 ? kAlphabet[data[i] % std::size(kAlphabet)]
                                                  : static_cast<wchar_t>(data[i]));
    }
    const std::wstring& path = texts[0];
    const std::wstring& other = texts[1];
    const std::wstring& current = texts[2];

    const std::wstring normal = NormalizePath(path, current);
    const size_t root = PathRootLength(normal);
    Check(root <= normal.size());
    // A rooted form ("C:\\", "\\\\server\\share\\"); not "C:" alone, which a relative text
    // without a current folder can also leave at its start.
    if (root > 0 && IsPathSeparator(normal[root - 1]))
        Check(!HoldsRelativeName(normal, root));
    const std::wstring otherNormal = NormalizePath(other, current);
    Check(!(IsStrictlyInside(normal, otherNormal) && SameNormalPath(normal, otherNormal)));
    Check(!(IsStrictlyInside(normal, otherNormal) && IsStrictlyInside(otherNormal, normal)));
    // Beneath a folder below a root lies no root.
    if (!IsRootOrRelative(otherNormal))
        Check(!IsStrictlyInside(normal, otherNormal) || !IsRootOrRelative(normal));

    // The other helpers on the raw texts: no reads outside them.
    const std::wstring arrival = ArrivalFolder(path, other);
    const std::wstring_view target = WithoutTrailingSeparators(other);
    Check(arrival.compare(0, target.size(), target) == 0);
    Check(ParentPath(path).size() <= path.size() && LastPathPart(path).size() <= path.size());
    Check(FolderPart(path).size() + LastPathPart(path).size() == path.size());
    (void)DependsOnCurrentDrive(path);
    (void)IsExtendedPath(path);
    (void)ExtendedLengthPath(path);
    (void)SamePathText(path, other);
    return 0;
}
