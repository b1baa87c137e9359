// The install run loop: walks the items in file order and, for each item, runs the commands
// that belong to it, publishing before each command which item and command are current and
// how far the list has come. Plain C++: the worker thread calls it with hooks that invalidate
// the panels, and tests call it with recording hooks.
#pragma once

#include <cstddef>
#include <string>

struct InstallCommand;

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

// Runs every item's commands, in order, on the calling thread, each through the run callback
// of the kind it was loaded with. An item runs the commands settings.itemCommands gives it (the
// `file` elements of its own element). A command whose kind is unknown or has no run callback
// is passed over, and one that throws counts as a failed command: the list goes on. An item or
// a command whose condition does not hold when it is reached (state.facts answers it), or
// cannot be decided, is passed over; a failure where `onfailure` says stop passes over the
// rest of the list. After the last command it publishes 100% for the item and the whole list.
// Each command's outcome is in state.outcomes (a kind that reports none counts as succeeded,
// one that throws as failed); with a log, each decision and each command's start, end,
// duration and outcome are written to it.
void RunInstallList(InstallState& state, RunLoopObserver& observer);

// "command 3 dircopy": how the log names the command at `index`.
std::wstring CommandLogName(size_t index, const InstallCommand& command);
// "1.25 s".
std::wstring Seconds(double seconds);

// The state a preview of the window shows for the list `percent` done (held to 0 to 100), as a
// run would show it then: the command running at that point, the item and the list as far as
// its start, and for a copy or move a file on its way ("data1.cab") with the bytes so far; a
// delete shows the file, a program nothing more. At 0 it is a run that has just started its
// first command; at 100, the end of the list.
void ShowPreviewProgress(InstallState& state, int percent);
