#include "config/ItemCommands.h"

#include "config/InstallCommand.h"
#include "xml/AsciiText.h"

#include <algorithm>
#include <string_view>

namespace {

uint64_t FoldedHash(const std::wstring& name)
{
    uint64_t hash = 1469598103934665603ull;
    for (wchar_t c : name)
        hash = (hash ^ static_cast<uint64_t>(FoldAscii(c))) * 1099511628211ull;
    return hash;
}

} // namespace

ItemCommands::ItemCommands(const std::vector<std::wstring>& items, const std::vector<InstallCommand>& commands)
{
    // Group the items by name: sort their indices by the folded name's hash and compare names
    // within a run of equal hashes. No folded copy of a name is ever made.
    std::vector<std::pair<uint64_t, uint32_t>> byHash(items.size());
    for (size_t item = 0; item < items.size(); ++item)
        byHash[item] = {FoldedHash(items[item]), static_cast<uint32_t>(item)};
    std::sort(byHash.begin(), byHash.end());
    groupOfItem.assign(items.size(), 0);
    uint32_t groups = 0;
    for (size_t run = 0; run < byHash.size();) {
        size_t runEnd = run;
        while (runEnd < byHash.size() && byHash[runEnd].first == byHash[run].first)
            ++runEnd;
        // Within one hash the names are nearly always equal: the first of each name opens a group.
        for (size_t i = run; i < runEnd; ++i) {
            const std::wstring_view name(items[byHash[i].second]);
            size_t same = run;
            while (same < i && !EqualsIgnoreAsciiCase(std::wstring_view(items[byHash[same].second]), name))
                ++same;
            groupOfItem[byHash[i].second] = same < i ? groupOfItem[byHash[same].second] : groups++;
        }
        run = runEnd;
    }
    std::vector<std::pair<uint64_t, uint32_t>>().swap(byHash);

    // Count the commands of each group, then place them in file order.
    groupStart.assign(static_cast<size_t>(groups) + 1, 0);
    for (const InstallCommand& command : commands)
        if (command.item < groupOfItem.size())
            ++groupStart[groupOfItem[command.item] + 1];
    for (size_t g = 1; g < groupStart.size(); ++g)
        groupStart[g] += groupStart[g - 1];
    commandsInGroups.resize(groupStart.back());
    std::vector<uint32_t> next(groupStart.begin(), groupStart.end() - 1);
    for (size_t command = 0; command < commands.size(); ++command)
        if (commands[command].item < groupOfItem.size())
            commandsInGroups[next[groupOfItem[commands[command].item]]++] = static_cast<uint32_t>(command);
}

ItemCommands::List ItemCommands::Of(size_t item) const
{
    if (item >= groupOfItem.size())
        return List(nullptr, nullptr);
    const uint32_t group = groupOfItem[item];
    const uint32_t* base = commandsInGroups.data();
    return List(base + groupStart[group], base + groupStart[group + 1]);
}
