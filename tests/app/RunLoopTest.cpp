#include "app/InstallState.h"
#include "app/RunLoop.h"
#include "commands/CommandRegistry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// One observed moment: what the loop had published when it invalidated or ran a command.
struct Event
{
    std::string what; // "main", "footer" or "run"
    int item;
    int command;
    float itemPercent;
    float overallPercent;
    int ranIndex; // "run" only
};

std::vector<Event>* recorded = nullptr;

class RecordingObserver : public RunLoopObserver
{
public:
    explicit RecordingObserver(InstallState& state) : state(state) {}
    void InvalidateMainPanel() override { Record("main", -1); }
    void InvalidateFooter() override { Record("footer", -1); }
    void Record(const char* what, int ranIndex)
    {
        const InstallProgress& p = state.progress;
        recorded->push_back({what, p.currentItem, p.currentCommand, p.itemPercent, p.overallPercent, ranIndex});
    }
    InstallState& state;
};

RecordingObserver* observer = nullptr;

void RecordRun(InstallState&, int index) { observer->Record("run", index); }

void SpoilPercents(InstallState& state, int)
{
    // A command that left its byte percentages behind; the next command must start from 0.
    state.progress.commandPercent = 77.0f;
    state.progress.filePercent = 66.0f;
}

void Throw(InstallState&, int) { throw std::runtime_error("command failed"); }

InstallCommand Command(const wchar_t* item, const wchar_t* kind)
{
    InstallCommand command;
    command.itemName = item;
    command.commandName = kind;
    return command;
}

class RunLoopTest : public testing::Test
{
protected:
    void SetUp() override
    {
        recorded = &events;
        observer = &recorder;
        handlers.Append({L"execute", RecordRun, nullptr});
        handlers.Append({L"dirdelete", nullptr, nullptr}); // a kind without a run callback
        handlers.Append({L"spoil", SpoilPercents, nullptr});
        handlers.Append({L"throw", Throw, nullptr});
    }
    void TearDown() override
    {
        recorded = nullptr;
        observer = nullptr;
    }

    std::vector<Event> Runs() const
    {
        std::vector<Event> runs;
        for (const Event& e : events)
            if (e.what == "run")
                runs.push_back(e);
        return runs;
    }

    InstallState state;
    CommandRegistry handlers;
    std::vector<Event> events;
    RecordingObserver recorder{state};
};

TEST_F(RunLoopTest, OneItemWithFourCommandsPublishesQuarterSteps)
{
    state.settings.items = {L"Tools"};
    for (int i = 0; i < 4; ++i)
        state.settings.commands.push_back(Command(L"Tools", L"execute"));

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = Runs();
    ASSERT_EQ(runs.size(), 4u);
    const float expected[] = {0.0f, 25.0f, 50.0f, 75.0f};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(runs[k].ranIndex, k);
        EXPECT_EQ(runs[k].command, k);
        EXPECT_EQ(runs[k].item, 0);
        EXPECT_FLOAT_EQ(runs[k].itemPercent, expected[k]);
        EXPECT_FLOAT_EQ(runs[k].overallPercent, expected[k]);
    }
}

TEST_F(RunLoopTest, InvalidatesMainPanelThenFooterBeforeEachCommand)
{
    state.settings.items = {L"a", L"b"};
    state.settings.commands = {Command(L"a", L"execute"), Command(L"b", L"execute"), Command(L"b", L"execute")};

    RunInstallList(state, handlers, recorder);

    ASSERT_EQ(events.size(), 9u);
    for (size_t i = 0; i < events.size(); i += 3) {
        EXPECT_EQ(events[i].what, "main");
        EXPECT_EQ(events[i + 1].what, "footer");
        EXPECT_EQ(events[i + 2].what, "run");
        // The main panel is invalidated once item, command and item share are published.
        EXPECT_EQ(events[i].command, events[i + 2].ranIndex);
        EXPECT_FLOAT_EQ(events[i].itemPercent, events[i + 2].itemPercent);
        EXPECT_FLOAT_EQ(events[i + 1].overallPercent, events[i + 2].overallPercent);
    }
    // Item b, second command: 1 × 100 ÷ 2 + 50 ÷ 2 = 75.
    EXPECT_FLOAT_EQ(events[8].overallPercent, 75.0f);
    EXPECT_FLOAT_EQ(events[5].overallPercent, 50.0f);
}

TEST_F(RunLoopTest, ItemNamesDifferingOnlyInCaseRunEachOthersCommands)
{
    state.settings.items = {L"Setup", L"SETUP"};
    state.settings.commands = {Command(L"setup", L"execute"), Command(L"SeTuP", L"EXECUTE")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = Runs();
    ASSERT_EQ(runs.size(), 4u);
    const int expectedItem[] = {0, 0, 1, 1};
    const int expectedIndex[] = {0, 1, 0, 1};
    const float expectedOverall[] = {0.0f, 25.0f, 50.0f, 75.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(runs[i].item, expectedItem[i]);
        EXPECT_EQ(runs[i].ranIndex, expectedIndex[i]);
        EXPECT_FLOAT_EQ(runs[i].overallPercent, expectedOverall[i]);
    }
}

TEST_F(RunLoopTest, NonAsciiLettersAreNotFoldedWhenMatchingItems)
{
    state.settings.items = {L"\u00e9t\u00e9"};
    state.settings.commands = {Command(L"\u00c9T\u00c9", L"execute"), Command(L"\u00e9T\u00e9", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].ranIndex, 1);
}

TEST_F(RunLoopTest, EmptyItemListRunsNothing)
{
    state.settings.commands = {Command(L"", L"execute")};

    RunInstallList(state, handlers, recorder);

    EXPECT_TRUE(events.empty());
    EXPECT_FLOAT_EQ(state.progress.overallPercent, 0.0f);
}

TEST_F(RunLoopTest, ItemWithoutCommandsStillAdvancesTheOverallShare)
{
    state.settings.items = {L"empty", L"second", L"third", L"fourth"};
    state.settings.commands = {Command(L"second", L"execute"), Command(L"fourth", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].item, 1);
    EXPECT_FLOAT_EQ(runs[0].overallPercent, 25.0f);
    EXPECT_EQ(runs[1].item, 3);
    EXPECT_FLOAT_EQ(runs[1].overallPercent, 75.0f);
    EXPECT_EQ(state.progress.currentItem, 3); // the last item is current when the run ends
}

TEST_F(RunLoopTest, UnknownKindsAndKindsWithoutRunArePassedOverButCounted)
{
    state.settings.items = {L"x"};
    state.settings.commands = {Command(L"x", L"copy"), Command(L"x", L"dirdelete"), Command(L"x", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].ranIndex, 2);
    EXPECT_NEAR(runs[0].itemPercent, 200.0f / 3.0f, 1e-4);
    // The loop still published each skipped command before passing it over.
    EXPECT_EQ(events.size(), 7u);
}

TEST_F(RunLoopTest, ByteSharesStartAtZeroForEachCommand)
{
    state.settings.items = {L"x"};
    state.settings.commands = {Command(L"x", L"spoil"), Command(L"x", L"execute")};

    RunInstallList(state, handlers, recorder);

    EXPECT_FLOAT_EQ(state.progress.commandPercent, 0.0f);
    EXPECT_FLOAT_EQ(state.progress.filePercent, 0.0f);
}

TEST_F(RunLoopTest, ACommandThatThrowsDoesNotStopTheList)
{
    state.settings.items = {L"x", L"y"};
    state.settings.commands = {Command(L"x", L"throw"), Command(L"x", L"execute"), Command(L"y", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].ranIndex, 1);
    EXPECT_EQ(runs[1].ranIndex, 2);
}

TEST(RunLoopPercent, DivisionByZeroReadsZero)
{
    EXPECT_EQ(ItemPercent(0, 0), 0.0f);
    EXPECT_EQ(ItemPercent(3, 0), 0.0f);
    EXPECT_EQ(OverallPercent(0, 0, 50.0f), 0.0f);
}

TEST(RunLoopPercent, ComputedInDoubleThenStoredAsFloat)
{
    struct Case { int b; int n; float expected; };
    const Case cases[] = {
        {0, 1, 0.0f}, {1, 3, static_cast<float>(100.0 / 3.0)}, {2, 3, static_cast<float>(200.0 / 3.0)},
        {6, 7, static_cast<float>(600.0 / 7.0)}, {99, 100, 99.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ItemPercent(c.b, c.n), c.expected) << c.b << "/" << c.n;

    // The highest overall value before the last command: ((N − 1) × 100 + (n − 1) × 100 ÷ n) ÷ N.
    const float item = ItemPercent(2, 3);
    EXPECT_EQ(OverallPercent(6, 7, item),
              static_cast<float>(600.0 / 7.0 + static_cast<double>(item) / 7.0));
    EXPECT_LT(OverallPercent(6, 7, item), 100.0f);
}

} // namespace
