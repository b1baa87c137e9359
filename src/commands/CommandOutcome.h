// How each command of a run ended, for the run log and the exit code: commands report it,
// the run loop and the exit code read it.
#pragma once

#include "config/InstallCommand.h"

#include <cstdint>
#include <string>
#include <vector>

enum class CommandResult
{
    NotRun,    // no run callback for its kind, or the list never reached it
    Succeeded,
    Restart,   // succeeded, and a program asked for a restart
    Failed,
    PassedOver, // its condition (or its item's) did not hold, or a failure before it stopped the list
};

struct CommandOutcome
{
    CommandResult result = CommandResult::NotRun;
    std::wstring summary; // one line for the log: an exit code, what was copied, why it failed
    // The exit code of a program that ended, for the run's own exit code (RunResult.h).
    bool exited = false;
    uint32_t exitCode = 0;
};

// A program's result from its exit code: success when `successCodes` (kDefaultSuccessCodes
// when empty) holds it, a restart as well when it is 3010 or 1641.
CommandResult ProgramResult(uint32_t exitCode, const std::vector<uint32_t>& successCodes);

// "1603 (a fatal error during installation)": a code with the meaning Windows or Windows
// Installer gives it (large codes, HRESULTs, in hexadecimal), or the number alone.
std::wstring ExitCodeWithMeaning(uint32_t code);
// The meaning alone; empty for a code that has none known.
const wchar_t* ExitCodeMeaning(uint32_t code);

// The text of a result in the log: "succeeded", "succeeded, restart needed", "failed", "not run",
// "passed over".
const wchar_t* ResultText(CommandResult result);
