// The running item's line, bar and detail line, from one snapshot of the progress values.
#include "display/MainPanelContent.h"

#include "commands/InstallState.h"

#include <algorithm>

MainPanelSnapshot TakeMainPanelSnapshot(const InstallProgress& progress)
{
    ProgressSnapshot now = progress.Snapshot();
    MainPanelSnapshot snapshot;
    snapshot.currentItem = now.currentItem;
    snapshot.currentCommand = now.currentCommand;
    snapshot.itemPercent = now.itemPercent;
    snapshot.commandPercent = now.CommandPercent();
    snapshot.filePercent = now.FilePercent();
    snapshot.file.fileBytesDone = now.fileBytesDone;
    snapshot.file.fileBytesTotal = now.fileBytesTotal;
    snapshot.file.fileName = std::move(now.fileName);
    snapshot.failedItems = std::move(now.failedItems);
    return snapshot;
}

uint32_t ItemNameColour(const MainPanelSettings& settings, const MainPanelSnapshot& snapshot, int itemIndex)
{
    const bool failed = std::find(snapshot.failedItems.begin(), snapshot.failedItems.end(), itemIndex) !=
                        snapshot.failedItems.end();
    if (failed && settings.failedColourGiven)
        return settings.failedColour;
    return itemIndex == snapshot.currentItem ? settings.currentColour : settings.foreColour;
}

bool operator==(const MainPanelSnapshot& a, const MainPanelSnapshot& b)
{
    // Percentages compare by value; a NaN never equals itself, which only costs a repaint.
    return a.currentItem == b.currentItem && a.currentCommand == b.currentCommand &&
           a.itemPercent == b.itemPercent && a.commandPercent == b.commandPercent &&
           a.filePercent == b.filePercent && a.file.fileBytesDone == b.file.fileBytesDone &&
           a.file.fileBytesTotal == b.file.fileBytesTotal && a.file.fileName == b.file.fileName &&
           a.failedItems == b.failedItems;
}

CurrentItemContent ComposeCurrentItem(const InstallSettings& settings, const MainPanelSnapshot& snapshot,
                                      int itemIndex)
{
    CurrentItemContent content;
    const std::wstring& name = settings.items[static_cast<size_t>(itemIndex)];
    const int itemCount = static_cast<int>(settings.items.size());
    content.line = ItemLine(name, itemIndex, itemCount);

    const int commandCount = static_cast<int>(settings.itemCommands.Of(static_cast<size_t>(itemIndex)).size());
    content.itemBarPercent = ItemBarPercent(snapshot.itemPercent, snapshot.commandPercent, commandCount);

    // Before the worker publishes its first command the current command may name nothing, or a
    // command of another item: show no detail line then.
    const int commandIndex = snapshot.currentCommand;
    if (commandCount == 0 || commandIndex < 0 || static_cast<size_t>(commandIndex) >= settings.commands.size()) {
        return content;
    }
    const InstallCommand& command = settings.commands[static_cast<size_t>(commandIndex)];
    if (command.item != static_cast<size_t>(itemIndex))
        return content; // the previous item's command, until the worker publishes this item's first
    content.detail = DetailKindOf(command);
    switch (content.detail) {
    case DetailKind::Execute:
        content.detailText = command.Program().displayName;
        break;
    case DetailKind::Copy:
        content.detailText = ExpandStatusTemplate(settings.copyText, snapshot.file);
        content.detailLeavesBarRoom = content.fileBar = true;
        break;
    case DetailKind::Move:
        content.detailText = ExpandStatusTemplate(settings.moveText, snapshot.file);
        content.detailLeavesBarRoom = content.fileBar = true;
        break;
    case DetailKind::Delete:
        content.detailText = ExpandStatusTemplate(settings.deleteText, snapshot.file);
        content.detailLeavesBarRoom = true;
        break;
    case DetailKind::None:
        break;
    }
    content.filePercent = snapshot.filePercent;
    return content;
}
