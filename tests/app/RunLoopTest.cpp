#include "CommandKindsForTests.h"
#include "commands/InstallState.h"
#include "app/RunLoop.h"
#include "commands/CommandKinds.h"
#include "config/CommandRegistry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Writes down what the loop had published at each invalidation and command run:
// "main <item> <command> <item %>", "footer <overall %>" and "run <command> of <item>".
class RecordingObserver : public RunLoopObserver
{
public:
    explicit RecordingObserver(const InstallProgress& progress) : progress(progress) {}
    void InvalidateMainPanel() override
    {
        const ProgressSnapshot now = progress.Snapshot();
        Write("main %d %d %g", now.currentItem, now.currentCommand, static_cast<double>(now.itemPercent));
    }
    void InvalidateFooter() override { Write("footer %g", static_cast<double>(progress.OverallPercent())); }
    void Ran(int index) { Write("run %d of %d", index, progress.Snapshot().currentItem); }
    void Shares()
    {
        const ProgressSnapshot now = progress.Snapshot();
        Write("shares %g %g", static_cast<double>(now.CommandPercent()), static_cast<double>(now.FilePercent()));
    }
    Log Runs() const
    {
        Log runs;
        for (const std::string& line : log)
            if (line.rfind("run", 0) == 0)
                runs.push_back(line);
        return runs;
    }

    const InstallProgress& progress;
    Log log;

private:
    template <typename... Values>
    void Write(const char* format, Values... values)
    {
        char line[80];
        std::snprintf(line, sizeof line, format, values...);
        log.push_back(line);
    }
};

// The run callbacks are plain functions: they find the test's observer here.
RecordingObserver* observer = nullptr;

InstallCommand Command(size_t item, const wchar_t* kind)
{
    InstallCommand command;
    command.item = item;
    command.SetCommandName(kind);
    return command;
}

class RunLoopTest : public testing::Test
{
protected:
    void SetUp() override
    {
        observer = &recorder;
        handlers.Append({L"execute", [](InstallState&, int index) { observer->Ran(index); }, nullptr});
        handlers.Append({L"dirdelete", nullptr, nullptr}); // a kind without a run callback
        // A command that leaves its byte percentages behind; the next command must start from 0.
        handlers.Append({L"spoil", [](InstallState& s, int) { s.progress.StartBytes(100); s.progress.SetBytes(77, 66, 100); }, nullptr});
        handlers.Append({L"throw", [](InstallState&, int) { throw std::runtime_error("command failed"); }, nullptr});
        handlers.Append({L"shares", [](InstallState&, int) { observer->Shares(); }, nullptr});
    }
    void TearDown() override { observer = nullptr; }

    void Run(std::vector<std::wstring> items, std::vector<InstallCommand> commands)
    {
        state.settings.items = std::move(items);
        state.settings.commands = std::move(commands);
        state.settings.itemCommands = ItemCommands(state.settings.items.size(), state.settings.commands);
        GiveKinds(state.settings.commands, handlers);
        RunInstallList(state, recorder);
    }

    InstallState state;
    CommandRegistry handlers;
    RecordingObserver recorder{state.progress};
};

TEST_F(RunLoopTest, PublishesItemCommandAndSharesThenInvalidatesMainPanelThenFooter)
{
    Run({L"a", L"b"}, {Command(0, L"execute"), Command(1, L"execute"), Command(1, L"execute")});
    // Item b, second command: 1 × 100 ÷ 2 + 50 ÷ 2 = 75.
    EXPECT_EQ(recorder.log, (Log{"main 0 0 0", "footer 0", "run 0 of 0", "main 1 1 0", "footer 50", "run 1 of 1",
                                 "main 1 2 50", "footer 75", "run 2 of 1", "main 1 2 100", "footer 100"}));
}

TEST_F(RunLoopTest, EachItemRunsTheCommandsOfItsOwnElementWhateverTheNames)
{
    // Equal names, names differing in case and empty names each run their own commands once.
    Run({L"Runtime", L"Office", L"runtime", L"", L"Runtime", L""},
        {Command(0, L"execute"), Command(1, L"EXECUTE"), Command(2, L"execute"), Command(4, L"execute"),
         Command(4, L"execute"), Command(5, L"execute")});
    EXPECT_EQ(recorder.Runs(), (Log{"run 0 of 0", "run 1 of 1", "run 2 of 2", "run 3 of 4", "run 4 of 4", "run 5 of 5"}));
}

TEST_F(RunLoopTest, ItemsWithoutCommandsAndSkippedKindsStillCount)
{
    // An unknown kind and one without a run callback are published, counted and passed over.
    Run({L"empty", L"x"}, {Command(1, L"copy"), Command(1, L"dirdelete"), Command(1, L"execute")});
    EXPECT_EQ(recorder.log, (Log{"main 1 0 0", "footer 50", "main 1 1 33.3333", "footer 66.6667", "main 1 2 66.6667",
                                 "footer 83.3333", "run 2 of 1", "main 1 2 100", "footer 100"}));
}

TEST_F(RunLoopTest, AThrowingCommandDoesNotStopTheListAndByteSharesStartAtZero)
{
    Run({L"x", L"y"}, {Command(0, L"spoil"), Command(0, L"throw"), Command(1, L"execute"), Command(1, L"shares")});
    EXPECT_EQ(recorder.Runs(), (Log{"run 2 of 1"}));
    EXPECT_EQ(recorder.log[recorder.log.size() - 3], "shares 0 0"); // what the spoiler left is gone
    const ProgressSnapshot end = state.progress.Snapshot();
    EXPECT_EQ(end.currentItem, 1); // the last item is current when the run ends
    EXPECT_FLOAT_EQ(end.CommandPercent(), 0.0f);
    EXPECT_FLOAT_EQ(end.FilePercent(), 0.0f);
}

// The log a run leaves: each item, each command's start and end with its outcome, kinds that do
// not run; the outcomes the exit code is decided from.
TEST_F(RunLoopTest, LogsEveryItemAndCommandWithItsOutcome)
{
    struct Lines : RunLog
    {
        void Write(const std::wstring& line) override { lines.push_back(line); }
        std::vector<std::wstring> lines;
    } log;
    state.log = &log;
    handlers.Append({L"restart", [](InstallState& s, int index) {
                         s.outcomes[static_cast<size_t>(index)] = {CommandResult::Restart, L"exit code 3010"};
                     }, nullptr});
    Run({L"Setup", L"Clean"}, {Command(0, L"execute"), Command(0, L"restart"), Command(1, L"dirdelete"),
                               Command(1, L"throw")});
    std::vector<std::wstring> withoutTimes;
    for (std::wstring line : log.lines) {
        const size_t after = line.find(L" ended after ");
        if (after != std::wstring::npos)
            line.replace(after, line.find(L':', after) - after, L" ended"); // the duration varies
        withoutTimes.push_back(line);
    }
    EXPECT_EQ(withoutTimes, (std::vector<std::wstring>{
                                L"item 1/2 \"Setup\": 2 command(s)", L"command 1 execute started",
                                L"command 1 execute ended: succeeded", L"command 2 restart started",
                                L"command 2 restart ended: succeeded, restart needed: exit code 3010",
                                L"item 2/2 \"Clean\": 2 command(s)",
                                L"command 3 dirdelete passed over: no command of this kind runs here",
                                L"command 4 throw started",
                                L"command 4 throw ended: failed: stopped by an unexpected error"}));
    ASSERT_EQ(state.outcomes.size(), 4u);
    EXPECT_EQ(state.outcomes[0].result, CommandResult::Succeeded);
    EXPECT_EQ(state.outcomes[1].result, CommandResult::Restart);
    EXPECT_EQ(state.outcomes[2].result, CommandResult::NotRun);
    EXPECT_EQ(state.outcomes[3].result, CommandResult::Failed);
}

TEST(RunLoopPercent, ComputedInDoubleThenStoredAsFloatAndZeroDivisorsReadZero)
{
    EXPECT_EQ(ItemPercent(0, 0), 0.0f);
    EXPECT_EQ(ItemPercent(3, 0), 0.0f);
    EXPECT_EQ(OverallPercent(0, 0, 50.0f), 0.0f);

    EXPECT_EQ(ItemPercent(1, 3), static_cast<float>(100.0 / 3.0));
    EXPECT_EQ(ItemPercent(6, 7), static_cast<float>(600.0 / 7.0));
    // Computed in single precision this would read 83.333328 instead of 83.333336.
    EXPECT_EQ(OverallPercent(2, 3, ItemPercent(1, 2)), static_cast<float>(200.0 / 3.0 + 50.0 / 3.0));
}

} // namespace

namespace {

int ranCount = 0;

} // namespace

// Each item finds its commands in the list made after loading, not by a search of all commands.
TEST(RunLoopScale, ALongListRunsInLinearTime)
{
    InstallState state;
    for (size_t i = 0; i < 200000; ++i) {
        state.settings.items.push_back(L"item " + std::to_wstring(i));
        InstallCommand command;
        command.item = i;
        command.SetCommandName(L"count");
        state.settings.commands.push_back(command);
    }
    state.settings.itemCommands = ItemCommands(state.settings.items.size(), state.settings.commands);
    CommandRegistry handlers;
    handlers.Append({L"count", [](InstallState&, int) { ++ranCount; }, nullptr});
    GiveKinds(state.settings.commands, handlers);
    struct Silent : RunLoopObserver
    {
        void InvalidateMainPanel() override {}
        void InvalidateFooter() override {}
    } silent;
    ranCount = 0;
    const auto start = std::chrono::steady_clock::now();
    RunInstallList(state, silent);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0); // a hang guard
    EXPECT_EQ(ranCount, 200000);
}

// The preview shows what a run shows at the percentage asked for: the command running then,
// the list and the item as far as its start, and for a copy a file on its way.
TEST(RunLoopPreview, TheCommandRunningAtThatShareAsTheWindowWouldShowIt)
{
    InstallState state;
    state.settings.items = {L"first", L"second"};
    state.settings.commands = {Command(0, L"execute"), Command(0, L"dircopy"), Command(1, L"dirdelete")};
    state.settings.itemCommands = ItemCommands(2, state.settings.commands);
    CommandRegistry kinds;
    RegisterCommandKinds(kinds, false);
    GiveKinds(state.settings.commands, kinds);
    struct Case
    {
        int asked;
        int32_t item, command;
        float overall, itemShare, commandShare;
        const wchar_t* file;
        uint64_t bytesDone;
    };
    const Case cases[] = {
        {-5, 0, 0, 0.0f, 0.0f, 0.0f, L"", 0},
        {0, 0, 0, 0.0f, 0.0f, 0.0f, L"", 0},
        {40, 0, 1, 25.0f, 50.0f, 60.0f, L"data1.cab", (48ull << 20) * 6 / 10}, // 60% into the copy
        {60, 1, 2, 50.0f, 0.0f, 0.0f, L"data1.cab", 0},                         // a delete counts no bytes
        {150, 1, 2, 100.0f, 100.0f, 0.0f, L"", 0},                              // the end of the list
    };
    for (const Case& c : cases) {
        ShowPreviewProgress(state, c.asked);
        const ProgressSnapshot progress = state.progress.Snapshot();
        EXPECT_EQ(progress.currentItem, c.item) << c.asked;
        EXPECT_EQ(progress.currentCommand, c.command) << c.asked;
        EXPECT_EQ(progress.overallPercent, c.overall) << c.asked;
        EXPECT_EQ(progress.itemPercent, c.itemShare) << c.asked;
        EXPECT_NEAR(progress.CommandPercent(), c.commandShare, 0.01f) << c.asked;
        EXPECT_EQ(progress.fileName, c.file) << c.asked;
        EXPECT_NEAR(static_cast<double>(progress.commandBytesDone), static_cast<double>(c.bytesDone), 2.0) << c.asked;
        EXPECT_EQ(progress.fileBytesTotal > 0, c.bytesDone > 0) << c.asked;
    }
}
