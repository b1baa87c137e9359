// A command's program rules live apart from it: reading them never makes them, and a copied
// command owns its own. Its texts share one block that any of them may be written into in any
// order.
#include "config/InstallCommand.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallCommand, ReadingTheRulesOfACommandWithoutThemGivesTheDefaultsAndMakesNone)
{
    const InstallCommand command;
    EXPECT_EQ(command.Program().attempts, kDefaultAttempts);
    EXPECT_EQ(command.Program().retryPauseSeconds, kDefaultRetryPauseSeconds);
    EXPECT_TRUE(command.Program().retryCodes.empty());
    EXPECT_TRUE(command.program.Empty());
}

TEST(InstallCommand, ACopyOwnsItsRulesAndACopyOfNoneHasNone)
{
    InstallCommand original;
    original.Program().retryCodes = {1618};
    original.Program().directory = L"C:\\Setup";
    InstallCommand copy = original;
    copy.Program().retryCodes.push_back(1700);
    copy.Program().directory = L"D:\\";
    EXPECT_EQ(original.Program().retryCodes, std::vector<uint32_t>{1618});
    EXPECT_EQ(original.Program().directory, L"C:\\Setup");

    InstallCommand assigned;
    assigned = original;
    EXPECT_EQ(assigned.Program().directory, L"C:\\Setup");
    assigned = InstallCommand();
    EXPECT_TRUE(assigned.program.Empty());

    const InstallCommand none;
    const InstallCommand copyOfNone = none;
    EXPECT_TRUE(copyOfNone.program.Empty());
}

TEST(InstallCommand, TextsWrittenInAnyOrderKeepEachOther)
{
    struct Case
    {
        const char* what;
        void (*write)(InstallCommand&);
    };
    const Case cases[] = {
        {"name first", [](InstallCommand& c) {
             c.SetCommandName(L"dircopy");
             c.arguments.push_back(L"C:\\a");
             c.arguments.push_back(L"");
             c.SetEmptyVariable(L"HOMESHARE");
         }},
        {"arguments first", [](InstallCommand& c) {
             c.arguments = {L"C:\\a", L"old"};
             c.arguments.Set(1, L"");
             c.SetEmptyVariable(L"HOMESHARE");
             c.SetCommandName(L"dircopy");
         }},
        {"rewritten", [](InstallCommand& c) {
             c.SetCommandName(L"a much longer name than the one it ends with");
             c.SetEmptyVariable(L"X");
             c.arguments = {L"first", L"second", L"third"};
             c.arguments = std::vector<std::wstring>{L"C:\\a", L""};
             c.SetCommandName(L"dircopy");
             c.SetEmptyVariable(L"HOMESHARE");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InstallCommand command;
        c.write(command);
        EXPECT_EQ(command.CommandName(), L"dircopy");
        EXPECT_EQ(command.EmptyVariable(), L"HOMESHARE");
        EXPECT_EQ(command.arguments, (std::vector<std::wstring>{L"C:\\a", L""}));
        EXPECT_EQ(command.arguments.View(1).data()[0], L'\0'); // a view is a C string
        EXPECT_EQ(command.arguments[2], L"");                   // beyond the last: empty

        InstallCommand copy = command;
        copy.arguments.Set(0, L"D:\\b");
        copy.SetCommandName(L"dirmove");
        EXPECT_EQ(command.arguments[0], L"C:\\a");
        EXPECT_EQ(command.CommandName(), L"dircopy");
        EXPECT_EQ(copy.EmptyVariable(), L"HOMESHARE");
    }
    InstallCommand none;
    EXPECT_TRUE(none.arguments.empty());
    EXPECT_EQ(none.CommandName(), L"");
    none.SetEmptyVariable(L"X");
    EXPECT_TRUE(none.arguments.empty()); // the name and the variable are no arguments
    const std::wstring withNul(L"C:\\a\0rest", 10);
    none.arguments.push_back(withNul);
    EXPECT_EQ(none.arguments[0], L"C:\\a"); // a text ends at a NUL, as it would for Windows
}

} // namespace

