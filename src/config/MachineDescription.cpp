#include "config/MachineDescription.h"

std::vector<std::pair<std::wstring, std::wstring>> DescribeMachine(MachineFacts& facts)
{
    static const Fact machineFacts[] = {Fact::Arch,         Fact::ProgramArch, Fact::Windows, Fact::Server,
                                        Fact::Manufacturer, Fact::Model,       Fact::Language};
    std::vector<std::pair<std::wstring, std::wstring>> description;
    for (Fact fact : machineFacts) {
        const FactAnswer answer = facts.Machine(fact);
        std::wstring value;
        switch (answer.status) {
        case FactAnswer::Status::Found:
            value = answer.value;
            break;
        case FactAnswer::Status::Missing:
            value = L"(unknown)";
            break;
        case FactAnswer::Status::Failed:
            value = answer.why.empty() ? L"(unknown)" : L"(unknown: " + answer.why + L")";
            break;
        }
        description.emplace_back(FactName(fact), std::move(value));
    }
    return description;
}
