#include "config/ItemCommands.h"

#include "config/InstallCommand.h"

ItemCommands::ItemCommands(size_t itemCount, const std::vector<InstallCommand>& commands)
{
    // Count each item's commands, then place them in file order.
    start.assign(itemCount + 1, 0);
    for (const InstallCommand& command : commands)
        if (command.item < itemCount)
            ++start[command.item + 1];
    for (size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    commandIndices.resize(start.back());
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (size_t command = 0; command < commands.size(); ++command)
        if (commands[command].item < itemCount)
            commandIndices[next[commands[command].item]++] = static_cast<uint32_t>(command);
}

ItemCommands::List ItemCommands::Of(size_t item) const
{
    if (item + 1 >= start.size())
        return List(nullptr, nullptr);
    const uint32_t* base = commandIndices.data();
    return List(base + start[item], base + start[item + 1]);
}
