// Running one program under the execute command's rules, for the commands that run programs
// (execute, and msi through msiexec): its working folder, how it starts, the wait and what a
// time-out does, its success codes and its runs again. ExecuteCommand.cpp holds the rules.
#pragma once

#include "commands/CommandOutcome.h"

#include <cstdint>
#include <string>

class InstallState;
struct InstallCommand;

// Runs `program` with `parameters` as `command` asks, through the state's launcher (which must
// be there), each step in the run log. A program whose exit code is one of its retry codes
// runs again after a pause, up to its attempts; the outcome is its last run's (with its exit
// code where it ended).
CommandOutcome RunProgram(InstallState& state, const InstallCommand& command, const std::wstring& program,
                          const std::wstring& parameters);

// Stores a command's outcome where the run loop reads it.
void PublishOutcome(InstallState& state, int commandIndex, const CommandOutcome& outcome);
// The program-running command at `commandIndex`, or null when there is none or no programs can
// run here (that failure is then published).
const InstallCommand* ProgramCommandAt(InstallState& state, int commandIndex);
