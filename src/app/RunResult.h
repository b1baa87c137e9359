// The exit code a run ends with, from the commands' outcomes: 1 as always, or, where the
// configuration asks for it, one that deployment tools read (0 success, 3010 restart needed,
// 1603 failure, or the codes it names), with the command that decided it.
#pragma once

#include "commands/CommandOutcome.h"
#include "config/Settings.h"

#include <cstdint>
#include <vector>

struct RunResult
{
    uint32_t exitCode = kListRanExitCode;
    int decidingCommand = -1; // the first failed command, else the first that asked for a restart; -1 for none
};

// Commands that did not run (no run callback) neither fail nor succeed the run.
RunResult DecideRunResult(const ExitSettings& exit, const std::vector<CommandOutcome>& outcomes);
