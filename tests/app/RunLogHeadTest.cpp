// What an administrator reads in the log: the head that says where and as whom the run was,
// the foot that lists what failed, exit codes with their meaning, and the viewer's records.
#include "app/RunLogHead.h"
#include "app/RunLogText.h"
#include "config/Settings.h"

#include "SampleLogClock.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace {

TEST(RunLogHead, TheMachineTheUserAndWhetherAnyoneCanSeeTheWindow)
{
    RunHeadFacts facts;
    facts.computer = L"WS-0142";
    facts.user = L"CONTOSO\\jdoe";
    facts.elevated = true;
    facts.session = 1;
    facts.windows = L"10.0.22631";
    facts.arch = L"x64";
    facts.programArch = L"x86";
    facts.wow64 = true;
    EXPECT_EQ(RunHeadLines(facts),
              (std::vector<std::wstring>{
                  L"computer WS-0142, user CONTOSO\\jdoe (elevated), session 1",
                  L"Windows 10.0.22631 workstation, x64; Varnekite x86 under WOW64",
                  L"window station: interactive, the window and any message box can be seen"}));
    RunHeadFacts service;
    service.user = L"NT AUTHORITY\\SYSTEM";
    service.system = true;
    service.elevated = true;
    service.server = true;
    service.interactive = false;
    const std::vector<std::wstring> lines = RunHeadLines(service);
    EXPECT_EQ(lines[0], L"computer (unknown), user NT AUTHORITY\\SYSTEM (the system account), session 0");
    EXPECT_EQ(lines[1], L"Windows (version unknown) server");
    EXPECT_NE(lines[2].find(L"not interactive"), std::wstring::npos);
}

TEST(RunLogHead, ExitCodesWithTheirMeaning)
{
    const std::pair<uint32_t, const wchar_t*> cases[] = {
        {1603, L"1603 (a fatal error during installation)"},
        {1618, L"1618 (another installation is already in progress)"},
        {1641, L"1641 (the installer has started a restart)"},
        {3010, L"3010 (a restart is required to complete the installation)"},
        {0x80070005u, L"0x80070005 (access is denied)"},
        {0xDEADBEEFu, L"0xDEADBEEF"},
        {0, L"0"},
        {7, L"7"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(ExitCodeWithMeaning(code), text);
}

// The foot names every failed command with its item and reason, in list order, and nothing else.
TEST(RunLogHead, OneLinePerFailedCommandAtTheFoot)
{
    InstallSettings settings;
    settings.items = {L"Runtime", L"Agent"};
    for (size_t item : {0u, 1u, 1u}) {
        InstallCommand command;
        command.item = item;
        command.SetCommandName(L"execute");
        settings.commands.push_back(command);
    }
    const std::vector<CommandOutcome> outcomes = {{CommandResult::Failed, L"exit code 1603 (a fatal error during installation)"},
                                                  {CommandResult::PassedOver, L"the list stopped before it"},
                                                  {CommandResult::Failed, L""}};
    EXPECT_EQ(FailureSummaryLines(settings, outcomes),
              (std::vector<std::wstring>{
                  L"failed: item 1 \"Runtime\", command 1 execute: exit code 1603 (a fatal error during installation)",
                  L"failed: item 2 \"Agent\", command 3 execute"}));
    EXPECT_TRUE(FailureSummaryLines(settings, {{CommandResult::Succeeded, L""}}).empty());
}

// Each line one record the configuration-manager viewer parses: its fields, the time zone bias
// (minutes UTC is ahead), the level as its type; a text cannot end its record early.
TEST(RunLogText, ViewerRecordsCarryComponentTimeDateThreadAndLevel)
{
    LogClock clock = SampleLogClock();
    const std::string records =
        ViewerLogLines(clock, 77, LogLevel::Error, L"command 2 execute failed \u00e9\nsecond ]LOG]!> line");
    const std::regex record(R"re(<!\[LOG\[(.*)\]LOG\]!><time="(\d\d):(\d\d):(\d\d)\.(\d{3})([+-]\d{3})" )re"
                            R"re(date="(\d\d)-(\d\d)-(\d{4})" component="Varnekite" context="" type="([123])" )re"
                            R"re(thread="(\d+)" file="">\r)re");
    std::vector<std::string> texts;
    size_t start = 0;
    for (size_t end = records.find('\n'); end != std::string::npos; start = end + 1, end = records.find('\n', start)) {
        std::smatch fields;
        const std::string line = records.substr(start, end - start);
        ASSERT_TRUE(std::regex_match(line, fields, record)) << line;
        EXPECT_EQ(fields[2].str() + ":" + fields[3].str() + ":" + fields[4].str() + "." + fields[5].str(), "09:05:03.042");
        EXPECT_EQ(fields[6].str(), "-060");
        EXPECT_EQ(fields[7].str() + "-" + fields[8].str() + "-" + fields[9].str(), "12-07-2026");
        EXPECT_EQ(fields[10].str(), "3");
        EXPECT_EQ(fields[11].str(), "77");
        texts.push_back(fields[1].str());
    }
    EXPECT_EQ(start, records.size());
    EXPECT_EQ(texts, (std::vector<std::string>{"command 2 execute failed \xC3\xA9", "second ]LOG] !> line"}));

    clock.offsetMinutes = -300;
    EXPECT_NE(FormatLogLines(LogFormat::Viewer, clock, 1, 2, LogLevel::Warning, L"x").find("+300\" date"),
              std::string::npos);
    EXPECT_NE(FormatLogLines(LogFormat::Viewer, clock, 1, 2, LogLevel::Information, L"x").find("type=\"1\""),
              std::string::npos);
    EXPECT_EQ(FormatLogLines(LogFormat::Plain, clock, 1, 2, LogLevel::Error, L"x"), LogLines(clock, 1, L"x"));
}

} // namespace
