// How a run's outcome is told: programs' exit codes, the exit code for deployment tools, and
// the log's lines and their stamp.
#include "app/RunLogText.h"
#include "app/RunResult.h"
#include "commands/CommandOutcome.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramResult, SuccessCodesAndRestarts)
{
    struct Case { uint32_t code; std::vector<uint32_t> success; CommandResult result; };
    const Case cases[] = {
        {0, {}, CommandResult::Succeeded},        {3010, {}, CommandResult::Restart},
        {1641, {}, CommandResult::Restart},       {1603, {}, CommandResult::Failed},
        {1, {}, CommandResult::Failed},           {1, {0, 1}, CommandResult::Succeeded},
        {0, {1}, CommandResult::Failed},          {3010, {0}, CommandResult::Failed},
        {3010, {3010}, CommandResult::Restart},   {0xFFFFFFFFu, {0xFFFFFFFFu}, CommandResult::Succeeded},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgramResult(c.code, c.success), c.result) << c.code;
}

TEST(RunResult, OneUnlessAskedThenFailureRestartOrSuccessWithTheCommandThatDecided)
{
    const auto outcomes = [](std::initializer_list<CommandResult> results) {
        std::vector<CommandOutcome> list;
        for (CommandResult result : results)
            list.push_back({result, L""});
        return list;
    };
    using R = CommandResult;
    ExitSettings asked;
    asked.fromOutcomes = true;
    ExitSettings own = asked;
    own.success = 7;
    own.restart = 8;
    own.failure = 9;
    struct Case { ExitSettings exit; std::vector<CommandOutcome> outcomes; uint32_t code; int deciding; };
    const Case cases[] = {
        {ExitSettings(), outcomes({R::Failed}), 1, -1},
        {asked, outcomes({}), 0, -1},
        {asked, outcomes({R::Succeeded, R::NotRun, R::Succeeded}), 0, -1},
        {asked, outcomes({R::Succeeded, R::Restart, R::Restart}), 3010, 1},
        {asked, outcomes({R::Restart, R::Failed, R::Failed}), 1603, 1},
        {own, outcomes({R::Succeeded}), 7, -1},
        {own, outcomes({R::Restart}), 8, 0},
        {own, outcomes({R::Succeeded, R::Failed}), 9, 1},
    };
    for (const Case& c : cases) {
        const RunResult result = DecideRunResult(c.exit, c.outcomes);
        EXPECT_EQ(result.exitCode, c.code);
        EXPECT_EQ(result.decidingCommand, c.deciding);
    }
}

TEST(RunLogText, StampedUtf8LinesWithTheUtcOffset)
{
    LogClock clock;
    clock.year = 2026;
    clock.month = 12;
    clock.day = 7;
    clock.hour = 9;
    clock.minute = 5;
    clock.second = 3;
    clock.millisecond = 42;
    clock.offsetMinutes = 60;
    EXPECT_EQ(LogTimeText(clock), "2026-12-07 09:05:03.042 +01:00");
    clock.offsetMinutes = -(3 * 60 + 30);
    EXPECT_EQ(LogTimeText(clock), "2026-12-07 09:05:03.042 -03:30");
    clock.offsetMinutes = 0;
    EXPECT_EQ(LogLines(clock, 4242, L"item \u00e9"), "2026-12-07 09:05:03.042 +00:00 [4242] item \xC3\xA9\r\n");
    // A text of several lines keeps the stamp on each, so grep finds every one.
    EXPECT_EQ(LogLines(clock, 1, L"Error opening: \r\nC:\\x.xml"),
              "2026-12-07 09:05:03.042 +00:00 [1] Error opening: \r\n2026-12-07 09:05:03.042 +00:00 [1] C:\\x.xml\r\n");
    EXPECT_EQ(PreviousLogPath(L"C:\\Windows\\Temp\\Varnekite.log"), L"C:\\Windows\\Temp\\Varnekite.log.1");
    EXPECT_EQ(RefusedLogPath(L"C:\\Windows\\Temp\\Varnekite.log", 1234), L"C:\\Windows\\Temp\\Varnekite-1234.log");
    EXPECT_EQ(RefusedLogPath(L"C:\\logs.d\\setup", 7), L"C:\\logs.d\\setup-7");
}

} // namespace
