#include "app/RunLogHead.h"

#include "app/RunLoop.h"
#include "config/Settings.h"


std::vector<std::wstring> RunHeadLines(const RunHeadFacts& facts)
{
    std::vector<std::wstring> lines;
    lines.push_back(L"computer " + (facts.computer.empty() ? std::wstring(L"(unknown)") : facts.computer) + L", user " +
                    (facts.user.empty() ? std::wstring(L"(unknown)") : facts.user) +
                    (facts.system ? L" (the system account)" : facts.elevated ? L" (elevated)" : L" (not elevated)") +
                    L", session " + std::to_wstring(facts.session));
    std::wstring windows = L"Windows " + (facts.windows.empty() ? std::wstring(L"(version unknown)") : facts.windows) +
                           (facts.server ? L" server" : L" workstation");
    if (!facts.arch.empty())
        windows += L", " + facts.arch;
    if (!facts.programArch.empty())
        windows += L"; Varnekite " + facts.programArch + (facts.wow64 ? L" under WOW64" : L"");
    lines.push_back(windows);
    lines.push_back(facts.interactive ? L"window station: interactive, the window and any message box can be seen"
                                      : L"window station: not interactive, nobody sees the window and no message box "
                                        L"is shown");
    return lines;
}

std::vector<std::wstring> FailureSummaryLines(const InstallSettings& settings, const std::vector<CommandOutcome>& outcomes)
{
    std::vector<std::wstring> lines;
    for (size_t k = 0; k < outcomes.size() && k < settings.commands.size(); ++k) {
        if (outcomes[k].result != CommandResult::Failed)
            continue;
        const InstallCommand& command = settings.commands[k];
        const std::wstring item = command.item < settings.items.size() ? settings.items[command.item] : std::wstring();
        lines.push_back(L"failed: item " + std::to_wstring(command.item + 1) + L" \"" + item + L"\", " +
                        CommandLogName(k, command) +
                        (outcomes[k].summary.empty() ? std::wstring() : L": " + outcomes[k].summary));
    }
    return lines;
}
