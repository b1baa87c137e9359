// What this machine is, fact by fact, for a person who writes conditions for it.
#pragma once

#include "config/MachineFacts.h"

#include <string>
#include <utility>
#include <vector>

// The seven machine facts in a fixed order (arch, programarch, windows, server, manufacturer,
// model, language) as name and value, every one listed: a value found is given as it is, even
// empty; one that is not there reads "(unknown)" and one that cannot be read "(unknown: why)",
// which no machine reports as a value.
std::vector<std::pair<std::wstring, std::wstring>> DescribeMachine(MachineFacts& facts);
