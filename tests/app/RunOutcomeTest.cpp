// How a run's outcome is told: programs' exit codes, the exit code for deployment tools, and
// the log's lines and their stamp.
#include "app/RunLogText.h"
#include "app/RunResult.h"
#include "commands/CommandOutcome.h"

#include "SampleLogClock.h"

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

// A program's own code where a deployment tool needs it: 1641 (a restart was started) as it is,
// and with failure="program" the code of the program that failed, never one that reads as
// success.
TEST(RunResult, RestartStartedAndTheFailedProgramsOwnCode)
{
    // A program that ended with `code`, as the execute command records it.
    const auto program = [](uint32_t code, std::vector<uint32_t> success = {}) {
        CommandOutcome outcome{ProgramResult(code, success), L"exit code " + std::to_wstring(code)};
        outcome.exited = true;
        outcome.exitCode = code;
        return outcome;
    };
    const CommandOutcome folderFailed{CommandResult::Failed, L"1 file(s) failed"};
    const CommandOutcome succeeded{CommandResult::Succeeded, L""};
    ExitSettings asked;
    asked.fromOutcomes = true;
    ExitSettings noRestart = asked; // restart="0": a tool that should not restart
    noRestart.restart = 0;
    ExitSettings passOn = asked;
    passOn.failureFromProgram = true;
    ExitSettings passOnOwn = passOn;
    passOnOwn.success = 7;
    passOnOwn.restart = 8;
    passOnOwn.failure = 9;
    struct Case { const char* what; ExitSettings exit; std::vector<CommandOutcome> outcomes; uint32_t code; int deciding; };
    const Case cases[] = {
        {"1641 passed on", asked, {program(0), program(1641)}, 1641, 1},
        {"1641 over an earlier 3010", asked, {program(3010), program(1641)}, 1641, 1},
        {"3010 alone", asked, {program(3010), program(0)}, 3010, 0},
        {"restart= applies to 3010", noRestart, {program(3010)}, 0, 0},
        {"restart= leaves 1641", noRestart, {program(3010), program(1641)}, 1641, 1},
        {"a failure wins over 1641", asked, {program(1641), program(1618)}, 1603, 1},
        {"without result: 1", ExitSettings(), {program(1641)}, 1, -1},
        {"1618 passed on", passOn, {succeeded, program(1618), program(5)}, 1618, 1},
        {"the code failure= names otherwise", passOnOwn, {program(1618)}, 1618, 0},
        {"no code of its own", passOn, {folderFailed}, 1603, 0},
        {"no code of its own, own failure", passOnOwn, {folderFailed}, 9, 0},
        {"0 as a failure never passes", passOn, {program(0, {1})}, 1603, 0},
        {"3010 as a failure never passes", passOn, {program(3010, {0})}, 1603, 0},
        {"1641 as a failure never passes", passOn, {program(1641, {0})}, 1603, 0},
        {"nor success= or restart=", passOnOwn, {program(8, {0})}, 9, 0},
        {"1 passes", passOn, {program(1)}, 1, 0},
        {"without failure=program", asked, {program(1618)}, 1603, 0},
    };
    for (const Case& c : cases) {
        const RunResult result = DecideRunResult(c.exit, c.outcomes);
        EXPECT_EQ(result.exitCode, c.code) << c.what;
        EXPECT_EQ(result.decidingCommand, c.deciding) << c.what;
    }
}

TEST(RunLogText, StampedUtf8LinesWithTheUtcOffset)
{
    LogClock clock = SampleLogClock();
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
