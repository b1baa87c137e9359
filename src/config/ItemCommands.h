// Which commands each item runs, worked out once after loading: the commands of every item
// whose name equals its own, ignoring ASCII letter case, in file order. Items with equal names
// share one list, so the index stays linear in items + commands however names repeat.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct InstallCommand;

class ItemCommands
{
public:
    ItemCommands() = default;
    ItemCommands(const std::vector<std::wstring>& items, const std::vector<InstallCommand>& commands);

    // Indices into the command list; empty for an item outside the list.
    const std::vector<size_t>& Of(size_t item) const;

private:
    std::vector<size_t> groupOfItem;
    std::vector<std::vector<size_t>> groups;
};
