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

class RecordingObserver : public RunLoopObserver
{
public:
    explicit RecordingObserver(InstallState& state) : state(state) {}
    void InvalidateMainPanel() override { Record("main", -1); }
    void InvalidateFooter() override { Record("footer", -1); }
    void Record(const char* what, int ranIndex)
    {
        const InstallProgress& p = state.progress;
        events.push_back({what, p.currentItem, p.currentCommand, p.itemPercent, p.overallPercent, ranIndex});
    }
    std::vector<Event> Runs() const
    {
        std::vector<Event> runs;
        for (const Event& e : events)
            if (e.what == "run")
                runs.push_back(e);
        return runs;
    }

    InstallState& state;
    std::vector<Event> events;
};

// The run callbacks are plain functions: they find the test's observer here.
RecordingObserver* observer = nullptr;

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
        observer = &recorder;
        handlers.Append({L"execute", [](InstallState&, int index) { observer->Record("run", index); }, nullptr});
        handlers.Append({L"dirdelete", nullptr, nullptr}); // a kind without a run callback
        // A command that leaves its byte percentages behind; the next command must start from 0.
        handlers.Append({L"spoil", [](InstallState& s, int) { s.progress.commandPercent = 77.0f; s.progress.filePercent = 66.0f; }, nullptr});
        handlers.Append({L"throw", [](InstallState&, int) { throw std::runtime_error("command failed"); }, nullptr});
    }
    void TearDown() override { observer = nullptr; }

    InstallState state;
    CommandRegistry handlers;
    RecordingObserver recorder{state};
};

TEST_F(RunLoopTest, PublishesItemCommandAndSharesThenInvalidatesMainPanelThenFooter)
{
    state.settings.items = {L"a", L"b"};
    state.settings.commands = {Command(L"a", L"execute"), Command(L"b", L"execute"), Command(L"b", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event>& events = recorder.events;
    ASSERT_EQ(events.size(), 9u);
    struct Expected { int item; float itemPercent; float overallPercent; };
    // Item b, second command: 1 × 100 ÷ 2 + 50 ÷ 2 = 75.
    const Expected expected[] = {{0, 0.0f, 0.0f}, {1, 0.0f, 50.0f}, {1, 50.0f, 75.0f}};
    for (size_t k = 0; k < 3; ++k) {
        const Event* e = &events[3 * k];
        EXPECT_EQ(e[0].what, "main");
        EXPECT_EQ(e[1].what, "footer");
        EXPECT_EQ(e[2].what, "run");
        // The main panel is invalidated once item, command and item share are published.
        EXPECT_EQ(e[0].item, expected[k].item);
        EXPECT_EQ(e[0].command, static_cast<int>(k));
        EXPECT_FLOAT_EQ(e[0].itemPercent, expected[k].itemPercent);
        EXPECT_FLOAT_EQ(e[1].overallPercent, expected[k].overallPercent);
        EXPECT_EQ(e[2].ranIndex, static_cast<int>(k));
    }
}

TEST_F(RunLoopTest, ItemsMatchTheirCommandsIgnoringAsciiCaseOnly)
{
    // Names differing only in ASCII case run each other's commands; other letters are not folded.
    state.settings.items = {L"Setup", L"SETUP", L"\u00e9t\u00e9"};
    state.settings.commands = {Command(L"setup", L"execute"), Command(L"SeTuP", L"EXECUTE"),
                               Command(L"\u00c9T\u00c9", L"execute"), Command(L"\u00e9T\u00e9", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = recorder.Runs();
    ASSERT_EQ(runs.size(), 5u);
    const int expectedItem[] = {0, 0, 1, 1, 2};
    const int expectedIndex[] = {0, 1, 0, 1, 3};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(runs[i].item, expectedItem[i]);
        EXPECT_EQ(runs[i].ranIndex, expectedIndex[i]);
    }
}

TEST_F(RunLoopTest, ItemsWithoutCommandsAndSkippedKindsStillCount)
{
    state.settings.items = {L"empty", L"x"};
    state.settings.commands = {Command(L"x", L"copy"), Command(L"x", L"dirdelete"), Command(L"x", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = recorder.Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].ranIndex, 2);
    EXPECT_EQ(runs[0].item, 1);
    EXPECT_NEAR(runs[0].itemPercent, 200.0f / 3.0f, 1e-4);
    EXPECT_NEAR(runs[0].overallPercent, 50.0f + 100.0f / 3.0f, 1e-4);
    // The loop still published each skipped command before passing it over.
    EXPECT_EQ(recorder.events.size(), 7u);
}

TEST_F(RunLoopTest, AThrowingCommandDoesNotStopTheListAndByteSharesStartAtZero)
{
    state.settings.items = {L"x", L"y"};
    state.settings.commands = {Command(L"x", L"spoil"), Command(L"x", L"throw"), Command(L"y", L"execute")};

    RunInstallList(state, handlers, recorder);

    const std::vector<Event> runs = recorder.Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].ranIndex, 2);
    EXPECT_EQ(state.progress.currentItem, 1); // the last item is current when the run ends
    EXPECT_FLOAT_EQ(state.progress.commandPercent, 0.0f);
    EXPECT_FLOAT_EQ(state.progress.filePercent, 0.0f);
}

TEST(RunLoopPercent, ComputedInDoubleThenStoredAsFloatAndZeroDivisorsReadZero)
{
    EXPECT_EQ(ItemPercent(0, 0), 0.0f);
    EXPECT_EQ(ItemPercent(3, 0), 0.0f);
    EXPECT_EQ(OverallPercent(0, 0, 50.0f), 0.0f);

    EXPECT_EQ(ItemPercent(1, 3), static_cast<float>(100.0 / 3.0));
    EXPECT_EQ(ItemPercent(6, 7), static_cast<float>(600.0 / 7.0));
    // The highest overall value before the last command: ((N − 1) × 100 + (n − 1) × 100 ÷ n) ÷ N.
    const float item = ItemPercent(2, 3);
    EXPECT_EQ(OverallPercent(6, 7, item), static_cast<float>(600.0 / 7.0 + static_cast<double>(item) / 7.0));
    EXPECT_LT(OverallPercent(6, 7, item), 100.0f);
}

} // namespace
