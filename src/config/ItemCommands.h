// Which commands each item runs, worked out once after loading: the `file` elements that stand
// in the item's own element, in file order. Linear in items + commands.
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
    ItemCommands(size_t itemCount, const std::vector<InstallCommand>& commands);

    // Indices into the command list, in file order; empty for an item outside the list.
    List Of(size_t item) const;

private:
    // The lists laid end to end: item i's commands are commands[start[i] .. start[i + 1]).
    std::vector<uint32_t> start;
    std::vector<uint32_t> commandIndices;
};
