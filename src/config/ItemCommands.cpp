#include "config/ItemCommands.h"

#include "commands/InstallCommand.h"
#include "xml/AsciiText.h"

#include <functional>
#include <string_view>
#include <unordered_map>

namespace {

// Hashes and compares item names through their indices, folding ASCII letters on the fly:
// no folded copy of a name is ever made.
struct FoldedName
{
    const std::vector<std::wstring>* items;

    size_t operator()(size_t item) const
    {
        size_t hash = 1469598103934665603ull & static_cast<size_t>(-1);
        for (wchar_t c : (*items)[item])
            hash = (hash ^ static_cast<size_t>(FoldAscii(c))) * static_cast<size_t>(1099511628211ull);
        return hash;
    }
    bool operator()(size_t a, size_t b) const
    {
        return EqualsIgnoreAsciiCase(std::wstring_view((*items)[a]), std::wstring_view((*items)[b]));
    }
};

} // namespace

ItemCommands::ItemCommands(const std::vector<std::wstring>& items, const std::vector<InstallCommand>& commands)
{
    const FoldedName folded{&items};
    std::unordered_map<size_t, size_t, FoldedName, FoldedName> groupOfName(items.size(), folded, folded);
    groupOfItem.reserve(items.size());
    for (size_t item = 0; item < items.size(); ++item) {
        const auto inserted = groupOfName.emplace(item, groups.size());
        if (inserted.second)
            groups.emplace_back();
        groupOfItem.push_back(inserted.first->second);
    }
    for (size_t command = 0; command < commands.size(); ++command) {
        const size_t item = commands[command].item;
        if (item < groupOfItem.size())
            groups[groupOfItem[item]].push_back(command);
    }
}

const std::vector<size_t>& ItemCommands::Of(size_t item) const
{
    static const std::vector<size_t> none;
    return item < groupOfItem.size() ? groups[groupOfItem[item]] : none;
}
