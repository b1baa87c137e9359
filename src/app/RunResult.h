// The exit code a run ends with, from the commands' outcomes: 1 as always, or, where the
// configuration asks for it, one that deployment tools read (0 success, 3010 restart needed,
// 1641 restart started, 1603 failure, or the codes it names), with the command that decided it.
#pragma once

#include "commands/CommandOutcome.h"
#include "config/Settings.h"

#include <cstdint>
#include <vector>

// A program's code for "a restart has been started (or will be)": passed on as it is, whatever
// `restart` says, so that a deployment tool neither starts the next step nor restarts again.
constexpr uint32_t kRestartStartedExitCode = 1641;

struct RunResult
{
    uint32_t exitCode = kListRanExitCode;
    // The first failed command, else the first program that started a restart, else the first
    // command that asked for one; -1 for none.
    int decidingCommand = -1;
};

// Commands that did not run (no run callback) neither fail nor succeed the run. A failure gives
// `failure`, or with failure="program" the failed program's own exit code unless it has none or
// it would read as success (0, 3010, 1641, `success` or `restart`).
RunResult DecideRunResult(const ExitSettings& exit, const std::vector<CommandOutcome>& outcomes);
