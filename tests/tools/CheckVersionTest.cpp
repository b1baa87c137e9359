#include "CheckArguments.h"
#include "CheckRun.h"

#include <gtest/gtest.h>

namespace {

PathVariables NoVariables()
{
    return {{L"VARNEKITE", L"C:\\Setup\\"}};
}

} // namespace

TEST(CheckVersion, PrintsTheProjectVersionAndLoadsNothing)
{
    std::string out;
    std::string err;
    // The configuration named beside it does not exist: --version must not try to load it.
    EXPECT_EQ(RunCheck({L"--version", L"missing.xml"}, NoVariables(), out, err), kCheckExitLoaded);
    EXPECT_EQ(out, "varnekite-check " VARNEKITE_EXPECTED_VERSION "\n");
    EXPECT_EQ(err, "");
}

TEST(CheckVersion, IsAnOptionOnlyBeforeTheOptionsEnd)
{
    CheckOptions options;
    std::wstring error;
    ASSERT_TRUE(ParseCheckArguments({L"--", L"--version"}, options, error));
    EXPECT_FALSE(options.version);
    EXPECT_EQ(options.configPath, L"--version");
}

TEST(CheckVersion, UsageNamesIt)
{
    std::string out;
    std::string err;
    EXPECT_EQ(RunCheck({L"--help"}, NoVariables(), out, err), kCheckExitLoaded);
    EXPECT_NE(out.find("varnekite-check --version"), std::string::npos) << out;
}
