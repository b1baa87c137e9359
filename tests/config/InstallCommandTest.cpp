// A command's program rules live apart from it: reading them never makes them, and a copied
// command owns its own.
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

} // namespace
