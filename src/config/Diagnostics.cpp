#include "config/Diagnostics.h"

#include "xml/AsciiText.h"
#include "xml/WideBytes.h"

#include <algorithm>
#include <vector>

namespace {

// Edits (insert, delete, replace, or swap two neighbours) from a to b, ASCII case folded.
size_t EditDistance(std::string_view a, std::string_view b)
{
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = FoldAscii(a[i - 1]) == FoldAscii(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && FoldAscii(a[i - 1]) == FoldAscii(b[j - 2]) && FoldAscii(a[i - 2]) == FoldAscii(b[j - 1]))
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::string ClosestName(std::string_view name, const std::vector<std::string_view>& candidates)
{
    if (name.size() > 64)
        return std::string();
    std::string_view best;
    size_t bestDistance = 3;
    for (std::string_view candidate : candidates) {
        const size_t distance = EditDistance(name, candidate);
        if (distance < bestDistance && distance < name.size()) {
            best = candidate;
            bestDistance = distance;
        }
    }
    if (!best.empty())
        return std::string(best);
    // A name cut short ("exec", "dirdel") means the one name it begins.
    if (name.size() >= 3) {
        for (std::string_view candidate : candidates) {
            if (candidate.size() <= name.size() || !StartsWithIgnoreAsciiCase(candidate, name))
                continue;
            if (!best.empty())
                return std::string();
            best = candidate;
        }
    }
    return std::string(best);
}

std::wstring DidYouMean(const std::string& closest)
{
    return closest.empty() ? std::wstring() : L" (did you mean \"" + WidenBytes(closest) + L"\"?)";
}
