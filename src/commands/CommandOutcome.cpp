#include "commands/CommandOutcome.h"

#include <algorithm>
#include <iterator>

CommandResult ProgramResult(uint32_t exitCode, const std::vector<uint32_t>& successCodes)
{
    const bool success = successCodes.empty()
                             ? std::find(std::begin(kDefaultSuccessCodes), std::end(kDefaultSuccessCodes), exitCode) !=
                                   std::end(kDefaultSuccessCodes)
                             : std::find(successCodes.begin(), successCodes.end(), exitCode) != successCodes.end();
    if (!success)
        return CommandResult::Failed;
    const bool restart =
        std::find(std::begin(kRestartCodes), std::end(kRestartCodes), exitCode) != std::end(kRestartCodes);
    return restart ? CommandResult::Restart : CommandResult::Succeeded;
}

const wchar_t* ResultText(CommandResult result)
{
    switch (result) {
    case CommandResult::NotRun: return L"not run";
    case CommandResult::Succeeded: return L"succeeded";
    case CommandResult::Restart: return L"succeeded, restart needed";
    case CommandResult::Failed: return L"failed";
    case CommandResult::PassedOver: return L"passed over";
    }
    return L"not run";
}
