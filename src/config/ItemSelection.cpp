#include "config/ItemSelection.h"

#include "config/ConditionEvaluation.h"
#include "config/Settings.h"

namespace {

bool DecidedBeforeTheRun(const RunRule* rule)
{
    return rule != nullptr && rule->conditionProblem.empty() && rule->condition.AsksOnlyTheMachine();
}

} // namespace

bool HasMachineOnlyItemConditions(const InstallSettings& settings)
{
    for (size_t item = 0; item < settings.itemRules.size(); ++item)
        if (DecidedBeforeTheRun(settings.ItemRule(item)))
            return true;
    return false;
}

std::vector<std::wstring> SelectItemsForMachine(InstallSettings& settings, MachineFacts& facts)
{
    std::vector<std::wstring> lines;
    if (!HasMachineOnlyItemConditions(settings))
        return lines;

    // Old item number to new one; kDropped for the items left out.
    constexpr size_t kDropped = static_cast<size_t>(-1);
    std::vector<size_t> renumbered(settings.items.size(), kDropped);
    std::vector<std::wstring> items;
    std::vector<uint32_t> itemRules;
    for (size_t item = 0; item < settings.items.size(); ++item) {
        const uint32_t ruleNumber = item < settings.itemRules.size() ? settings.itemRules[item] : 0;
        if (DecidedBeforeTheRun(settings.ItemRule(item))) {
            RunRule& rule = settings.rules[ruleNumber - 1];
            const ConditionDecision decision = DecideCondition(rule.condition, facts);
            if (decision.outcome != ConditionDecision::Outcome::Applies) {
                lines.push_back(L"item " + std::to_wstring(item + 1) + L" \"" + settings.items[item] +
                                L"\" passed over and not listed: " +
                                (decision.outcome == ConditionDecision::Outcome::Undecided
                                     ? L"its condition cannot be decided: "
                                     : L"") +
                                decision.reason);
                continue;
            }
            rule.decided = true;
        }
        renumbered[item] = items.size();
        items.push_back(std::move(settings.items[item]));
        itemRules.push_back(ruleNumber);
    }

    std::vector<InstallCommand> commands;
    commands.reserve(settings.commands.size());
    for (InstallCommand& command : settings.commands) {
        if (command.item >= renumbered.size() || renumbered[command.item] == kDropped)
            continue;
        command.item = renumbered[command.item];
        commands.push_back(std::move(command));
    }
    settings.items = std::move(items);
    settings.itemRules = std::move(itemRules);
    settings.commands = std::move(commands);
    settings.itemCommands = ItemCommands(settings.items.size(), settings.commands);
    return lines;
}
