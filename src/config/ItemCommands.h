// Which commands each item runs, worked out once after loading: the commands of every item
// whose name equals its own, ignoring ASCII letter case, in file order. Items with equal names
// share one list, so the index stays linear in items + commands however names repeat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct InstallCommand;

class ItemCommands
{
public:
    // A range of command indices.
    class List
    {
    public:
        List(const uint32_t* first, const uint32_t* last) : first(first), last(last) {}
        const uint32_t* begin() const { return first; }
        const uint32_t* end() const { return last; }
        size_t size() const { return static_cast<size_t>(last - first); }
        size_t operator[](size_t position) const { return first[position]; }

    private:
        const uint32_t* first;
        const uint32_t* last;
    };

    ItemCommands() = default;
    ItemCommands(const std::vector<std::wstring>& items, const std::vector<InstallCommand>& commands);

    // Indices into the command list, in file order; empty for an item outside the list.
    List Of(size_t item) const;

private:
    // One list per group of equal names, laid end to end: group g's commands are
    // commandsInGroups[groupStart[g] .. groupStart[g + 1]).
    std::vector<uint32_t> groupOfItem;
    std::vector<uint32_t> groupStart;
    std::vector<uint32_t> commandsInGroups;
};
