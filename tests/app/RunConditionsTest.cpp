// Conditions and stopping on failure in a run: which items and commands run on a described
// machine, what the log says of each decision, what a stop passes over, and which items a
// machine lists at all.
#include "CommandKindsForTests.h"
#include "FakeMachineFacts.h"
#include "app/RunLoop.h"
#include "app/RunResult.h"
#include "commands/InstallState.h"
#include "config/ItemSelection.h"
#include "config/PathVariableFacts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Lines : RunLog
{
    void Write(const std::wstring& line) override { lines.push_back(line); }
    // The lines that contain `part`.
    std::vector<std::wstring> With(const wchar_t* part) const
    {
        std::vector<std::wstring> found;
        for (const std::wstring& line : lines)
            if (line.find(part) != std::wstring::npos)
                found.push_back(line);
        return found;
    }
    std::vector<std::wstring> lines;
};

class NoRepaint : public RunLoopObserver
{
public:
    void InvalidateMainPanel() override {}
    void InvalidateFooter() override {}
};

// The commands the run callbacks ran, by index, and the machine they change.
std::vector<int> ran;
FakeMachineFacts* machine = nullptr;

struct Element
{
    size_t item;
    const wchar_t* kind;
    const wchar_t* condition = L"";
    bool stop = false;
};

class RunConditions : public testing::Test
{
protected:
    void SetUp() override
    {
        ran.clear();
        machine = &facts;
        handlers.Append({L"execute", [](InstallState&, int index) { ran.push_back(index); }, nullptr});
        handlers.Append({L"fail", [](InstallState& s, int index) {
                             ran.push_back(index);
                             s.outcomes[static_cast<size_t>(index)] = {CommandResult::Failed, L"exit code 1603"};
                         }, nullptr});
        // An installer that leaves a folder behind, for the conditions after it to see.
        handlers.Append({L"install", [](InstallState&, int index) {
                             ran.push_back(index);
                             machine->SetFolder(L"C:\\Program Files\\Dock");
                         }, nullptr});
        state.log = &log;
        state.facts = &facts;
    }
    void TearDown() override { machine = nullptr; }

    // A rule's number for a condition and a stop; 0 when it has neither.
    uint32_t Rule(const wchar_t* condition, bool stop)
    {
        if (*condition == 0 && !stop)
            return 0;
        RunRule rule;
        ConditionError error;
        if (!ParseCondition(condition, rule.condition, error))
            rule.conditionProblem = L"its condition cannot be read: " + error.message;
        rule.stopOnFailure = stop;
        state.settings.rules.push_back(rule);
        return static_cast<uint32_t>(state.settings.rules.size());
    }

    void Load(const std::vector<Element>& items, const std::vector<Element>& commands)
    {
        InstallSettings& settings = state.settings;
        for (const Element& item : items) {
            settings.items.push_back(item.kind); // an item's name stands in `kind`
            settings.itemRules.push_back(Rule(item.condition, item.stop));
        }
        for (const Element& element : commands) {
            InstallCommand command;
            command.item = element.item;
            command.SetCommandName(element.kind);
            command.rule = Rule(element.condition, element.stop);
            settings.commands.push_back(command);
        }
        settings.itemCommands = ItemCommands(settings.items.size(), settings.commands);
        GiveKinds(settings.commands, handlers);
    }

    void Run() { RunInstallList(state, repaint); }

    std::vector<CommandResult> Results() const
    {
        std::vector<CommandResult> results;
        for (const CommandOutcome& outcome : state.outcomes)
            results.push_back(outcome.result);
        return results;
    }

    FakeMachineFacts facts;
    InstallState state;
    CommandRegistry handlers;
    Lines log;
    NoRepaint repaint;
};

constexpr CommandResult kRan = CommandResult::Succeeded;
constexpr CommandResult kOver = CommandResult::PassedOver;
constexpr CommandResult kFailed = CommandResult::Failed;

TEST_F(RunConditions, ItemsAndCommandsRunWhereTheirConditionsHoldAndTheLogSaysWhy)
{
    facts.SetMachine(Fact::Model, L"OptiPlex 7010").AddProgram(L"Contoso Agent", L"5.1.2");
    Load({{0, L"Base"}, {0, L"Dock drivers", L"model like 'Latitude 7*'"}, {0, L"Agent"}, {0, L"Tools", L"env('TOOLS')"}},
         {{0, L"execute"}, {1, L"execute"}, {2, L"execute", L"not program('Contoso Agent*')"},
          {2, L"execute", L"program('Contoso Agent*') lt 5.2"}, {3, L"execute"}});
    Run();
    EXPECT_EQ(ran, (std::vector<int>{0, 3}));
    EXPECT_EQ(Results(), (std::vector<CommandResult>{kRan, kOver, kOver, kRan, kOver}));
    EXPECT_EQ(log.With(L"passed over"),
              (std::vector<std::wstring>{
                  L"item 2/4 \"Dock drivers\" passed over: model \"OptiPlex 7010\" is not like \"Latitude 7*\"",
                  L"command 3 execute passed over: program \"Contoso Agent\" is installed",
                  L"item 4/4 \"Tools\" passed over: env 'TOOLS' is not set"}));
    // A passed-over item counts as done: the list still ends complete.
    EXPECT_FLOAT_EQ(state.progress.Snapshot().overallPercent, 100.0f);
}

// A condition is decided when its item is reached, so it sees what the items before it did.
TEST_F(RunConditions, ConditionsSeeWhatEarlierItemsInstalled)
{
    Load({{0, L"Dock"}, {0, L"Dock settings", L"folder('C:\\Program Files\\Dock')"}},
         {{0, L"install"}, {1, L"execute"}});
    Run();
    EXPECT_EQ(ran, (std::vector<int>{0, 1}));
}

// What cannot be decided is never taken as holding: the element is passed over with the reason.
TEST_F(RunConditions, UndecidedAndUnreadableConditionsPassOver)
{
    facts.SetRegistryValue(L"HKLM\\SOFTWARE\\Contoso", L"Version", FactAnswer::Failed(L"access is denied"));
    Load({{0, L"a", L"registry('HKLM\\SOFTWARE\\Contoso', 'Version') ge 2"}, {0, L"b", L"model = ("}, {0, L"c"}},
         {{0, L"execute"}, {1, L"execute"}, {2, L"execute", L"not registry('HKLM\\SOFTWARE\\Contoso', 'Version')"}});
    Run();
    EXPECT_TRUE(ran.empty());
    const std::vector<std::wstring> over = log.With(L"passed over");
    ASSERT_EQ(over.size(), 3u);
    EXPECT_NE(over[0].find(L"its condition cannot be decided: registry 'HKLM\\SOFTWARE\\Contoso' 'Version' cannot be "
                           L"read: access is denied"),
              std::wstring::npos)
        << testing::PrintToString(over[0]);
    EXPECT_NE(over[1].find(L"its condition cannot be read"), std::wstring::npos) << testing::PrintToString(over[1]);
    EXPECT_NE(over[2].find(L"cannot be decided"), std::wstring::npos) << testing::PrintToString(over[2]);

    // Without a source of facts nothing conditional runs; what has no condition does.
    ran.clear();
    state.facts = nullptr;
    state.settings = InstallSettings();
    Load({{0, L"a", L"arch = x64"}, {0, L"b"}}, {{0, L"execute"}, {1, L"execute"}});
    Run();
    EXPECT_EQ(ran, (std::vector<int>{1}));
}

TEST_F(RunConditions, AFailureStopsTheListOnlyWhereAskedAndTheRunFails)
{
    struct Case
    {
        const char* name;
        bool itemStops;
        bool commandStops;
        std::vector<int> ran;
        std::vector<CommandResult> results;
    };
    const Case cases[] = {
        {"no stop: the list goes on", false, false, {0, 1, 2, 3}, {kRan, kFailed, kRan, kRan}},
        {"the command stops", false, true, {0, 1}, {kRan, kFailed, kOver, kOver}},
        {"its item stops", true, false, {0, 1}, {kRan, kFailed, kOver, kOver}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ran.clear();
        log.lines.clear();
        state.settings = InstallSettings();
        state.progress.Publish(ProgressSnapshot());
        Load({{0, L"Prerequisite", L"", c.itemStops}, {0, L"Application"}},
             {{0, L"execute"}, {0, L"fail", L"", c.commandStops}, {0, L"execute"}, {1, L"execute"}});
        Run();
        EXPECT_EQ(ran, c.ran);
        EXPECT_EQ(Results(), c.results);
        const bool stops = c.itemStops || c.commandStops;
        EXPECT_EQ(log.With(L"command 2 fail failed and stops the list (onfailure=\"stop\"): the 2 command(s) after it "
                           L"are passed over")
                      .size(),
                  stops ? 1u : 0u);
        // The window shows the end as usual, the failed item marked.
        const ProgressSnapshot end = state.progress.Snapshot();
        EXPECT_FLOAT_EQ(end.overallPercent, 100.0f);
        EXPECT_EQ(end.failedItems, (std::vector<int32_t>{0}));
        ExitSettings exit;
        exit.fromOutcomes = true;
        const RunResult result = DecideRunResult(exit, state.outcomes);
        EXPECT_EQ(result.exitCode, exit.failure);
        EXPECT_EQ(result.decidingCommand, 1);
    }
}

// Conditions on what the machine is are decided once before the window: an item that does not
// apply is not listed, and the rows and counters are those of the items that apply.
TEST_F(RunConditions, MachineConditionsDecideWhichItemsAreListed)
{
    facts.SetMachine(Fact::Arch, L"x64").SetMachine(Fact::Model, L"Latitude 7440");
    Load({{0, L"Base"}, {0, L"x86 drivers", L"arch = x86"}, {0, L"Latitude drivers", L"model like 'Latitude 7*'"},
          {0, L"OptiPlex drivers", L"model like 'OptiPlex*' or windows lt 10"}, {0, L"Agent", L"not program('Agent')"}},
         {{0, L"execute"}, {1, L"execute"}, {2, L"execute"}, {2, L"execute", L"arch = x64"}, {3, L"execute"},
          {4, L"execute"}});
    EXPECT_TRUE(HasMachineOnlyItemConditions(state.settings));
    const std::vector<std::wstring> lines = SelectItemsForMachine(state.settings, facts);
    EXPECT_EQ(lines, (std::vector<std::wstring>{
                         L"item 2 \"x86 drivers\" passed over and not listed: arch \"x64\" is not \"x86\"",
                         L"item 4 \"OptiPlex drivers\" passed over and not listed: its condition cannot be decided: "
                         L"windows cannot be read"}));
    EXPECT_EQ(state.settings.items, (std::vector<std::wstring>{L"Base", L"Latitude drivers", L"Agent"}));
    ASSERT_EQ(state.settings.commands.size(), 4u);
    std::vector<size_t> items;
    for (const InstallCommand& command : state.settings.commands)
        items.push_back(command.item);
    EXPECT_EQ(items, (std::vector<size_t>{0, 1, 1, 2}));
    EXPECT_EQ(state.settings.itemCommands.Of(1).size(), 2u);

    // The listed item's condition is not asked again; the program condition is asked when reached.
    facts.SetMachine(Fact::Model, FactAnswer::Failed(L"asked twice"));
    Run();
    EXPECT_EQ(Results(), (std::vector<CommandResult>{kRan, kRan, kRan, kRan}));
    EXPECT_EQ(log.With(L"item 2/3 \"Latitude drivers\": 2 command(s)").size(), 1u);
}

TEST_F(RunConditions, ConfigurationsWithoutMachineConditionsAreLeftAsTheyAre)
{
    Load({{0, L"a", L"folder('C:\\x')"}, {0, L"b"}}, {{0, L"execute"}, {1, L"execute"}});
    EXPECT_FALSE(HasMachineOnlyItemConditions(state.settings));
    EXPECT_TRUE(SelectItemsForMachine(state.settings, facts).empty());
    EXPECT_EQ(state.settings.items.size(), 2u);
    EXPECT_TRUE(facts.Asked().empty());
}

// env() answers the path variables as the paths expand them, a name given for the run (/var)
// with its value, any other name from the machine.
TEST(PathVariableFacts, PathVariablesFirstThenTheEnvironment)
{
    FakeMachineFacts machine;
    machine.SetEnvironment(L"TOOLS", L"D:\\Tools").SetEnvironment(L"VARNEKITE", L"from the environment");
    machine.SetEnvironment(L"SITE", L"Paris");
    const PathVariables variables = {{L"VARNEKITE", L"E:\\Setup\\"}, {L"SOURCEPATH", L""}, {L"TOOLS", L"x", true},
                                     {L"SITE", L"Berlin", true, true}, {L"EMPTY", L"", true, true}};
    PathVariableFacts facts(machine, variables);
    EXPECT_EQ(facts.Environment(L"varnekite").value, L"E:\\Setup\\");
    EXPECT_EQ(facts.Environment(L"SOURCEPATH").status, FactAnswer::Status::Missing);
    EXPECT_EQ(facts.Environment(L"TOOLS").value, L"D:\\Tools");
    EXPECT_EQ(facts.Environment(L"site").value, L"Berlin");
    EXPECT_EQ(facts.Environment(L"EMPTY").status, FactAnswer::Status::Missing);
}

} // namespace
