// Which items this machine lists: an item whose condition asks only what the machine is
// (architecture, Windows, model, language) is decided once, before the window shows, and one
// that does not apply is left out of the list, so the rows, counters and percentages are
// those of the items that apply.
#pragma once

#include <string>
#include <vector>

class MachineFacts;
struct InstallSettings;

// Whether any item has a condition that SelectItemsForMachine decides (so the machine's facts
// are read only for configurations that ask them).
bool HasMachineOnlyItemConditions(const InstallSettings& settings);

// Decides those conditions, leaves out the items (and their commands) that do not apply or
// cannot be decided, and marks the rest decided. Returns a log line for each item left out,
// with its number in the file and the reason.
std::vector<std::wstring> SelectItemsForMachine(InstallSettings& settings, MachineFacts& facts);
