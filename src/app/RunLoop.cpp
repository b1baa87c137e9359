#include "app/RunLoop.h"

#include "commands/InstallState.h"
#include "config/CommandRegistry.h"
#include "config/ConditionEvaluation.h"
#include "xml/AsciiText.h"

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <vector>

float ItemPercent(int position, int count)
{
    if (count <= 0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(position) * 100.0 / static_cast<double>(count));
}

float OverallPercent(int item, size_t itemCount, float itemPercent)
{
    if (itemCount == 0)
        return 0.0f;
    const double count = static_cast<double>(itemCount);
    return static_cast<float>(static_cast<double>(item) * 100.0 / count + static_cast<double>(itemPercent) / count);
}

namespace {

// A command that throws has failed like any other failing command: the list goes on. Left to
// reach the thread's entry, the exception would end the worker and leave a window that nothing
// ever closes.
void RunOneCommand(const CommandHandler& handler, InstallState& state, int index)
{
    try {
        handler.run(state, index);
    } catch (...) {
        state.outcomes[static_cast<size_t>(index)] = {CommandResult::Failed, L"stopped by an unexpected error"};
        return;
    }
    // A kind that says nothing about its outcome has done what it could.
    CommandOutcome& outcome = state.outcomes[static_cast<size_t>(index)];
    if (outcome.result == CommandResult::NotRun)
        outcome.result = CommandResult::Succeeded;
}

// Whether an item or a command with this rule runs; false with the reason when its condition
// does not hold, cannot be decided or could not be read.
bool RuleApplies(const RunRule* rule, const InstallState& state, std::wstring& why)
{
    if (rule == nullptr || rule->decided || rule->condition.Empty()) {
        if (rule != nullptr && !rule->conditionProblem.empty()) {
            why = rule->conditionProblem;
            return false;
        }
        return true;
    }
    if (state.facts == nullptr) {
        why = L"its condition cannot be decided: nothing here can read the machine's facts";
        return false;
    }
    const ConditionDecision decision = DecideCondition(rule->condition, *state.facts);
    if (decision.outcome == ConditionDecision::Outcome::Applies)
        return true;
    why = decision.outcome == ConditionDecision::Outcome::Undecided ? L"its condition cannot be decided: " + decision.reason
                                                                    : decision.reason;
    return false;
}

void PassOver(InstallState& state, const ItemCommands::List& list, const wchar_t* why)
{
    for (size_t k : list)
        state.outcomes[k] = {CommandResult::PassedOver, why};
}

// A failure that stops the list: the rest of its item and every later item are passed over,
// and the log says which command stopped it.
void StopList(InstallState& state, size_t item, int position, const std::wstring& commandName)
{
    const InstallSettings& settings = state.settings;
    const ItemCommands::List current = settings.itemCommands.Of(item);
    size_t passedOver = 0;
    for (size_t p = static_cast<size_t>(position) + 1; p < current.size(); ++p, ++passedOver)
        state.outcomes[current[p]] = {CommandResult::PassedOver, L"the list stopped before it"};
    for (size_t later = item + 1; later < settings.items.size(); ++later) {
        const ItemCommands::List list = settings.itemCommands.Of(later);
        PassOver(state, list, L"the list stopped before it");
        passedOver += list.size();
    }
    state.Log(LogLevel::Error, commandName + L" failed and stops the list (onfailure=\"stop\"): the " + std::to_wstring(passedOver) +
              L" command(s) after it are passed over");
}

} // namespace

void RunInstallList(InstallState& state, RunLoopObserver& observer)
{
    // The lists are complete before the worker starts and nobody changes them while it runs.
    const InstallSettings& settings = state.settings;
    const std::vector<std::wstring>& items = settings.items;
    const std::vector<InstallCommand>& commands = settings.commands;
    InstallProgress& progress = state.progress;
    state.outcomes.assign(commands.size(), CommandOutcome());

    // The command whose failure stopped the list, once one has.
    bool stopped = false;
    for (size_t a = 0; a < items.size() && !stopped; ++a) {
        const ItemCommands::List itemCommands = settings.itemCommands.Of(a);
        const int count = static_cast<int>(itemCommands.size());
        const std::wstring itemName = L"item " + std::to_wstring(a + 1) + L"/" + std::to_wstring(items.size()) +
                                      L" \"" + items[a] + L"\"";
        const RunRule* itemRule = settings.ItemRule(a);
        std::wstring why;
        if (!RuleApplies(itemRule, state, why)) {
            // Passed over, it counts as done: the next item starts where this one would have ended.
            state.Log(itemName + L" passed over: " + why);
            PassOver(state, itemCommands, L"its item was passed over");
            continue;
        }
        state.Log(itemName + L": " + std::to_wstring(count) + L" command(s)");
        for (int position = 0; position < count; ++position) {
            const size_t k = itemCommands[static_cast<size_t>(position)];
            const InstallCommand& command = commands[k];

            const float itemPercent = ItemPercent(position, count);
            progress.StartCommand(static_cast<int32_t>(a), static_cast<int32_t>(k), itemPercent,
                                  OverallPercent(static_cast<int>(a), items.size(), itemPercent));
            observer.InvalidateMainPanel();
            observer.InvalidateFooter();

            const CommandHandler* handler = command.kind;
            const std::wstring name = CommandLogName(k, command);
            if (handler == nullptr || handler->run == nullptr) {
                state.Log(name + L" passed over: no command of this kind runs here");
                continue;
            }
            const RunRule* commandRule = settings.CommandRule(command);
            if (!RuleApplies(commandRule, state, why)) {
                state.outcomes[k] = {CommandResult::PassedOver, why};
                state.Log(name + L" passed over: " + why);
                continue;
            }
            state.Log(name + L" started");
            const auto started = std::chrono::steady_clock::now();
            RunOneCommand(*handler, state, static_cast<int>(k));
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            const CommandOutcome& outcome = state.outcomes[k];
            state.Log(outcome.result == CommandResult::Failed ? LogLevel::Error : LogLevel::Information,
                      name + L" ended after " + Seconds(seconds) + L": " + ResultText(outcome.result) +
                          (outcome.summary.empty() ? std::wstring() : L": " + outcome.summary));
            if (outcome.result != CommandResult::Failed)
                continue;
            progress.MarkItemFailed(static_cast<int32_t>(a));
            observer.InvalidateMainPanel();
            if ((commandRule != nullptr && commandRule->stopOnFailure) || (itemRule != nullptr && itemRule->stopOnFailure)) {
                StopList(state, a, position, name);
                stopped = true;
                break;
            }
        }
    }

    // The whole list has run (or stopped): the window shows it complete before it goes.
    progress.EndList(items.empty() ? 0 : static_cast<int32_t>(items.size() - 1));
    observer.InvalidateMainPanel();
    observer.InvalidateFooter();
}

std::wstring CommandLogName(size_t index, const InstallCommand& command)
{
    return L"command " + std::to_wstring(index + 1) + L" " + std::wstring(command.CommandName());
}

std::wstring Seconds(double seconds)
{
    wchar_t text[32];
    std::swprintf(text, sizeof text / sizeof text[0], L"%.2f s", seconds < 0 ? 0.0 : seconds);
    return text;
}

void ShowPreviewProgress(InstallState& state, int percent)
{
    InstallProgress& progress = state.progress;
    const InstallSettings& settings = state.settings;
    const double wanted = percent < 0 ? 0.0 : percent > 100 ? 100.0 : percent;
    ProgressSnapshot shown;
    const size_t items = settings.items.size();

    // The command running at that point of the list: the last whose start is not beyond it,
    // with how far into it the list is. Without any command, the item the share falls in.
    int32_t item = items == 0 ? 0 : static_cast<int32_t>(std::min(static_cast<size_t>(wanted * items / 100.0), items - 1));
    int32_t command = -1;
    float itemShare = 0.0f;
    double into = 0.0;
    for (size_t a = 0; a < items; ++a) {
        const ItemCommands::List list = settings.itemCommands.Of(a);
        const int count = static_cast<int>(list.size());
        for (int position = 0; position < count; ++position) {
            const float share = ItemPercent(position, count);
            const double start = OverallPercent(static_cast<int>(a), items, share);
            if (start > wanted)
                break;
            item = static_cast<int32_t>(a);
            command = static_cast<int32_t>(list[static_cast<size_t>(position)]);
            itemShare = share;
            const double width = 100.0 / static_cast<double>(items) / count;
            into = std::min(1.0, (wanted - start) / width);
        }
    }
    shown.currentItem = item;
    shown.currentCommand = command < 0 ? 0 : command;
    if (wanted >= 100.0) { // the end of the list, as the window shows it before it goes
        shown.itemPercent = 100.0f;
        shown.overallPercent = 100.0f;
        return progress.Publish(shown);
    }
    shown.itemPercent = command < 0 ? static_cast<float>(wanted * items - 100.0 * item) : itemShare;
    shown.overallPercent = command < 0 ? static_cast<float>(wanted) : OverallPercent(item, items, itemShare);
    if (command < 0)
        return progress.Publish(shown);

    // A folder command shows a file on its way and the bytes so far; a copy or move counts them.
    const InstallCommand& running = settings.commands[static_cast<size_t>(command)];
    const DetailKind detail = running.kind != nullptr ? running.kind->detail : DetailKind::None;
    const bool copies = detail == DetailKind::Copy || detail == DetailKind::Move;
    if (copies || detail == DetailKind::Delete)
        shown.fileName = L"data1.cab";
    if (copies) {
        constexpr uint64_t kCommandBytes = 48ull << 20;
        constexpr uint64_t kFileBytes = 12ull << 20;
        const auto part = [into](uint64_t whole) { return static_cast<uint64_t>(static_cast<double>(whole) * into); };
        shown.commandBytesTotal = kCommandBytes;
        shown.commandBytesDone = part(kCommandBytes);
        shown.fileBytesTotal = kFileBytes;
        shown.fileBytesDone = part(kFileBytes);
    }
    progress.Publish(shown);
}
