// The install run loop: walks the items in file order and, for each item, runs the commands
// that belong to it, publishing before each command which item and command are current and
// how far the list has come. Plain C++: the worker thread calls it with hooks that invalidate
// the panels, and tests call it with recording hooks.
#pragma once

#include <cstddef>

class CommandRegistry;
class InstallState;

// What the loop asks of the window before each command; both may be called from the worker.
class RunLoopObserver
{
public:
    virtual ~RunLoopObserver() = default;
    virtual void InvalidateMainPanel() = 0; // after currentItem, currentCommand and itemPercent are published
    virtual void InvalidateFooter() = 0;    // after overallPercent is published
};

// Share of an item done before its command at position `position` of `count`: position × 100 ÷ count,
// computed in double precision; 0 when the item has no commands.
float ItemPercent(int position, int count);

// Share of the whole list done before the current command: item × 100 ÷ itemCount + itemPercent ÷
// itemCount, computed in double precision; 0 when there are no items.
float OverallPercent(int item, size_t itemCount, float itemPercent);

// Runs every item's commands through `handlers`, in order, on the calling thread. An item runs
// the commands settings.itemCommands gives it (the `file` elements of its own element); a
// command whose kind is
// unknown or has no run callback is passed over, and one that throws counts as a failed command:
// the list goes on. After the last command it publishes 100% for the item and the whole list.
// Returns when the whole list has run.
void RunInstallList(InstallState& state, const CommandRegistry& handlers, RunLoopObserver& observer);

// The state a preview of the window shows: the first item's first command running, and the whole
// list, the item, the command and its file each `percent` done (held to 0 to 100). At 0 it is the
// window of a run that has just started its first command.
void ShowPreviewProgress(InstallState& state, int percent);
