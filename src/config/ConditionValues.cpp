#include "config/ConditionValues.h"

#include "xml/AsciiText.h"

bool IsArchitectureName(std::wstring_view text)
{
    return EqualsIgnoreAsciiCase(text, L"x86") || EqualsIgnoreAsciiCase(text, L"x64") ||
           EqualsIgnoreAsciiCase(text, L"arm64");
}

bool IsVersionText(std::wstring_view text)
{
    bool digit = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= L'0' && text[i] <= L'9') {
            digit = true;
        } else if (text[i] != L'.' || !digit || i + 1 == text.size()) {
            return false; // a dot must sit between digits
        } else {
            digit = false;
        }
    }
    return digit;
}

namespace {

// The next part of a version from `at` on, without leading zeros; empty at the end.
std::wstring_view NextPart(std::wstring_view version, size_t& at)
{
    if (at >= version.size())
        return std::wstring_view();
    const size_t end = version.find(L'.', at);
    std::wstring_view part = version.substr(at, end == std::wstring_view::npos ? std::wstring_view::npos : end - at);
    at = end == std::wstring_view::npos ? version.size() : end + 1;
    while (part.size() > 1 && part[0] == L'0')
        part.remove_prefix(1);
    return part;
}

} // namespace

int CompareVersions(std::wstring_view a, std::wstring_view b)
{
    size_t atA = 0, atB = 0;
    while (atA < a.size() || atB < b.size()) {
        std::wstring_view partA = NextPart(a, atA), partB = NextPart(b, atB);
        if (partA.empty())
            partA = L"0";
        if (partB.empty())
            partB = L"0";
        // Parts of any length compare as numbers: by length, then digit by digit.
        if (partA.size() != partB.size())
            return partA.size() < partB.size() ? -1 : 1;
        const int order = partA.compare(partB);
        if (order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}

bool WildcardMatch(std::wstring_view pattern, std::wstring_view text)
{
    // Greedy, going back only to the last star: what a later star matches never needs an
    // earlier one to match differently.
    size_t p = 0, t = 0;
    size_t star = std::wstring_view::npos, resume = 0;
    while (t < text.size()) {
        // A star first: it is a wildcard even where the text has a star too.
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && (pattern[p] == L'?' || FoldAscii(pattern[p]) == FoldAscii(text[t]))) {
            ++p;
            ++t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}
