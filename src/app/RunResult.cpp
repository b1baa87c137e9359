#include "app/RunResult.h"

namespace {

// A code a deployment tool takes for success, which a failure must never pass on.
bool ReadsAsSuccess(const ExitSettings& exit, uint32_t code)
{
    return code == defaults::kExitSuccess || code == defaults::kExitRestart || code == kRestartStartedExitCode ||
           code == exit.success || code == exit.restart;
}

} // namespace

RunResult DecideRunResult(const ExitSettings& exit, const std::vector<CommandOutcome>& outcomes)
{
    RunResult result;
    if (!exit.fromOutcomes)
        return result;
    int firstRestart = -1;
    int firstRestartStarted = -1;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        const CommandOutcome& outcome = outcomes[i];
        if (outcome.result == CommandResult::Failed) {
            const bool passOn = exit.failureFromProgram && outcome.exited && !ReadsAsSuccess(exit, outcome.exitCode);
            result.exitCode = passOn ? outcome.exitCode : exit.failure;
            result.decidingCommand = static_cast<int>(i);
            return result;
        }
        if (outcome.result != CommandResult::Restart)
            continue;
        if (firstRestart < 0)
            firstRestart = static_cast<int>(i);
        if (firstRestartStarted < 0 && outcome.exited && outcome.exitCode == kRestartStartedExitCode)
            firstRestartStarted = static_cast<int>(i);
    }
    if (firstRestartStarted >= 0) {
        result.exitCode = kRestartStartedExitCode;
        result.decidingCommand = firstRestartStarted;
    } else {
        result.exitCode = firstRestart >= 0 ? exit.restart : exit.success;
        result.decidingCommand = firstRestart;
    }
    return result;
}
