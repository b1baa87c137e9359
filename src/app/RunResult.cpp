#include "app/RunResult.h"

RunResult DecideRunResult(const ExitSettings& exit, const std::vector<CommandOutcome>& outcomes)
{
    RunResult result;
    if (!exit.fromOutcomes)
        return result;
    int firstRestart = -1;
    for (size_t i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i].result == CommandResult::Failed) {
            result.exitCode = exit.failure;
            result.decidingCommand = static_cast<int>(i);
            return result;
        }
        if (outcomes[i].result == CommandResult::Restart && firstRestart < 0)
            firstRestart = static_cast<int>(i);
    }
    result.exitCode = firstRestart >= 0 ? exit.restart : exit.success;
    result.decidingCommand = firstRestart;
    return result;
}
