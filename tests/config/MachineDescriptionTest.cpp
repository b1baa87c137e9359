// The description of a machine fact by fact, from a machine that knows some facts and not others.
#include "config/MachineDescription.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

class FakeFacts : public MachineFacts
{
public:
    std::map<Fact, FactAnswer> answers;
    std::vector<Fact> asked;

    FactAnswer Machine(Fact fact) override
    {
        asked.push_back(fact);
        const auto found = answers.find(fact);
        return found == answers.end() ? FactAnswer::Missing() : found->second;
    }
    FactAnswer File(const std::wstring&) override { return FactAnswer::Failed(L"not asked"); }
    FactAnswer Folder(const std::wstring&) override { return FactAnswer::Failed(L"not asked"); }
    FactAnswer Registry(const std::wstring&, bool, const std::wstring&, RegistryView) override
    {
        return FactAnswer::Failed(L"not asked");
    }
    bool Programs(std::vector<InstalledProgram>&, std::wstring&) override { return false; }
    FactAnswer Environment(const std::wstring&) override { return FactAnswer::Failed(L"not asked"); }
};

TEST(DescribeMachine, EveryMachineFactInOrderWithTheUnknownMarked)
{
    FakeFacts facts;
    facts.answers = {
        {Fact::Arch, FactAnswer::Found(L"x64")},
        {Fact::ProgramArch, FactAnswer::Found(L"x86")},
        {Fact::Windows, FactAnswer::Found(L"10.0.22631")},
        {Fact::Server, FactAnswer::Found(L"false")},
        {Fact::Manufacturer, FactAnswer::Failed(L"the firmware's SMBIOS table gives no manufacturer")},
        {Fact::Model, FactAnswer::Found(L"")},
        // language: not there
    };
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"arch", L"x64"},
        {L"programarch", L"x86"},
        {L"windows", L"10.0.22631"},
        {L"server", L"false"},
        {L"manufacturer", L"(unknown: the firmware's SMBIOS table gives no manufacturer)"},
        {L"model", L""},
        {L"language", L"(unknown)"},
    };
    EXPECT_EQ(DescribeMachine(facts), expected);
    EXPECT_EQ(facts.asked.size(), 7u); // only what the machine is, each once
}

} // namespace
