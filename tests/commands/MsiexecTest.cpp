// msiexec's command line as the msi command makes it: quoting of paths and property values,
// what the properties attribute takes and leaves out, the log's name, and the exit codes.
#include "commands/CommandOutcome.h"
#include "commands/Msiexec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Pairs(const std::vector<MsiProperty>& properties)
{
    std::vector<std::wstring> pairs;
    for (const MsiProperty& property : properties)
        pairs.push_back(property.name + L"=[" + property.value + L"]");
    return pairs;
}

} // namespace

TEST(Msiexec, PropertiesAreReadAsMsiexecsOwnCommandLineWritesThem)
{
    struct Case
    {
        const wchar_t* text;
        std::vector<std::wstring> pairs;
        size_t problems;
    };
    const Case cases[] = {
        {L"ALLUSERS=1 REBOOT=ReallySuppress", {L"ALLUSERS=[1]", L"REBOOT=[ReallySuppress]"}, 0},
        {L"  INSTALLDIR=\"C:\\Program Files\\Contoso\"\tALLUSERS=1 ",
         {L"INSTALLDIR=[C:\\Program Files\\Contoso]", L"ALLUSERS=[1]"}, 0},
        {L"GREETING=\"say \"\"hi\"\"\"", {L"GREETING=[say \"hi\"]"}, 0},
        {L"DIR=C:\\\"Program Files\"\\X", {L"DIR=[C:\\Program Files\\X]"}, 0}, // quoted and plain parts join
        {L"EMPTY= QUOTED=\"\"", {L"EMPTY=[]", L"QUOTED=[]"}, 0},
        {L"URL=http://x/?a=b", {L"URL=[http://x/?a=b]"}, 0}, // the first '=' ends the name
        {L"OPEN=\"no end", {L"OPEN=[no end]"}, 1},
        {L"/x {GUID} A=1", {L"A=[1]"}, 2},        // switches are never passed on
        {L"/l*v=C:\\other.log", {}, 1},           // nor a switch made to look like a pair
        {L"\"A=1\" =2 1A=3", {}, 3},              // a quoted name, no name, a name that is none
        {L"installdir=C:\\x", {L"installdir=[C:\\x]"}, 1}, // private: kept, but said
        {L"", {}, 0},
    };
    for (const Case& c : cases) {
        const MsiProperties read = ParseMsiProperties(c.text);
        EXPECT_EQ(Pairs(read.properties), c.pairs) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(read.problems.size(), c.problems) << testing::PrintToString(std::wstring(c.text));
    }
}

// Whatever a value holds, msiexec reads back exactly that value from what the command writes.
TEST(Msiexec, APropertyWrittenOutReadsBackAsTheSameValue)
{
    for (const wchar_t* value : {L"1", L"", L"C:\\Program Files\\Contoso\\", L"say \"hi\"", L"\"", L"\"\"", L"a\tb",
                                 L"x=y z", L"tail\\"}) {
        const std::wstring argument = PropertyArgument({L"P", value});
        const MsiProperties read = ParseMsiProperties(argument + L" NEXT=1");
        ASSERT_EQ(read.properties.size(), 2u) << testing::PrintToString(argument);
        EXPECT_EQ(read.properties[0].value, value) << testing::PrintToString(argument);
        EXPECT_TRUE(read.problems.empty()) << testing::PrintToString(argument);
    }
    EXPECT_EQ(PropertyArgument({L"ALLUSERS", L"1"}), L"ALLUSERS=1");
    EXPECT_EQ(PropertyArgument({L"DIR", L"C:\\Program Files"}), L"DIR=\"C:\\Program Files\"");
    EXPECT_EQ(PropertyArgument({L"Q", L"say \"hi\""}), L"Q=\"say \"\"hi\"\"\"");
}

TEST(Msiexec, TheInstallCommandLine)
{
    struct Case
    {
        const char* what;
        MsiInstall install;
        std::wstring arguments;
    };
    const Case cases[] = {
        {"a package alone", {L"D:\\agent.msi", {}, {}, {}, L""}, L"/i \"D:\\agent.msi\" /qn /norestart"},
        {"paths with spaces are quoted, quotes written around them dropped",
         {L"\"D:\\My Setup\\agent.msi\"", {}, {}, {}, L"C:\\Windows\\Temp\\agent.msi.log"},
         L"/i \"D:\\My Setup\\agent.msi\" /qn /norestart /l*v \"C:\\Windows\\Temp\\agent.msi.log\""},
        {"transforms and patches as one quoted list each, before the properties",
         {L"D:\\a.msi",
          {L"D:\\My Setup\\de.mst", L"D:\\site.mst"},
          {L"D:\\fix 1.msp"},
          {{L"INSTALLDIR", L"C:\\Program Files\\A"}, {L"ALLUSERS", L"1"}},
          L""},
         L"/i \"D:\\a.msi\" /qn /norestart TRANSFORMS=\"D:\\My Setup\\de.mst;D:\\site.mst\" PATCH=\"D:\\fix 1.msp\" "
         L"INSTALLDIR=\"C:\\Program Files\\A\" ALLUSERS=1"},
        {"a value with quotes doubles them", {L"a.msi", {}, {}, {{L"MOTD", L"say \"hi\""}}, L""},
         L"/i \"a.msi\" /qn /norestart MOTD=\"say \"\"hi\"\"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MsiexecArguments(c.install), c.arguments) << c.what;
}

TEST(Msiexec, FileListsSplitAtSemicolons)
{
    EXPECT_EQ(SplitFileList(L" D:\\a b.mst ; \"D:\\c.mst\";;"), (std::vector<std::wstring>{L"D:\\a b.mst", L"D:\\c.mst"}));
    EXPECT_TRUE(SplitFileList(L" ; ").empty());
}

TEST(Msiexec, TheLogLiesBesideTheRunLogNamedAfterThePackage)
{
    struct Case
    {
        const wchar_t* runLog;
        const wchar_t* package;
        const wchar_t* log;
    };
    const Case cases[] = {
        {L"C:\\Logs\\Varnekite.log", L"D:\\Setup\\agent.msi", L"C:\\Logs\\agent.msi.log"},
        {L"C:\\My Logs\\run.log", L"\\\\srv\\dist\\Office Tools.msi", L"C:\\My Logs\\Office Tools.msi.log"},
        {L"C:\\Logs\\Varnekite.log", L"agent.msi", L"C:\\Logs\\agent.msi.log"},
        {L"C:\\Logs\\Varnekite.log", L"\"D:\\x.msi\"", L"C:\\Logs\\x.msi.log"},
        {L"", L"D:\\agent.msi", L""}, // no run log, no msiexec log
        {L"C:\\Logs\\Varnekite.log", L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MsiLogPath(c.runLog, c.package), c.log) << testing::PrintToString(std::wstring(c.package));
}

TEST(Msiexec, MsiexecComesFromTheSystemFolder)
{
    EXPECT_EQ(MsiexecProgram(L"C:\\Windows"), L"C:\\Windows\\System32\\msiexec.exe");
    EXPECT_EQ(MsiexecProgram(L"C:\\Windows\\"), L"C:\\Windows\\System32\\msiexec.exe");
    EXPECT_EQ(MsiexecProgram(L""), L"msiexec.exe");
}

// What each of msiexec's codes means for the run: success, success that asks for a restart,
// failure; and that the log names the well-known ones.
TEST(Msiexec, ExitCodesAndWhatTheyMean)
{
    struct Case
    {
        uint32_t code;
        CommandResult result;
        bool named;
    };
    const Case cases[] = {
        {0, CommandResult::Succeeded, false},  {1641, CommandResult::Restart, true},
        {3010, CommandResult::Restart, true},  {1603, CommandResult::Failed, true},
        {1618, CommandResult::Failed, true},   {1619, CommandResult::Failed, true},
        {1624, CommandResult::Failed, true},   {1638, CommandResult::Failed, true},
        {1639, CommandResult::Failed, true},   {1602, CommandResult::Failed, true},
        {1642, CommandResult::Failed, true},   {1617, CommandResult::Failed, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgramResult(c.code, {}), c.result) << c.code;
        EXPECT_EQ(*ExitCodeMeaning(c.code) != 0, c.named) << c.code;
    }
}
