// Varnekite.exe's command line: splitting as Windows programs split theirs, the named options,
// the older "<PATH" form kept as it was, and what is not understood.
#include "config/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Texts(const std::wstring& commandLine)
{
    std::vector<std::wstring> texts;
    for (const CommandLineArgument& argument : SplitCommandLine(commandLine))
        texts.push_back(argument.text);
    return texts;
}

TEST(SplitCommandLine, QuotesAndBackslashesAsCommandLineToArgvW)
{
    struct Case { std::wstring line; std::vector<std::wstring> arguments; };
    const Case cases[] = {
        {L"", {L""}},
        {L"V.exe", {L"V.exe"}},
        {L"\"C:\\My Setup\\V.exe\" a  \t b", {L"C:\\My Setup\\V.exe", L"a", L"b"}},
        {L"\"V.exe\"next arg", {L"V.exe", L"next", L"arg"}},  // the name ends at its quote
        {L"C:\\a\"b\\V.exe x", {L"C:\\a\"b\\V.exe", L"x"}},    // no quoting inside a bare name
        {L"V.exe \"a b\" c", {L"V.exe", L"a b", L"c"}},
        {L"V.exe a\"b c\"d", {L"V.exe", L"ab cd"}},
        {L"V.exe C:\\dir\\ x", {L"V.exe", L"C:\\dir\\", L"x"}}, // backslashes alone stay
        {L"V.exe \"C:\\dir\\\\\" x", {L"V.exe", L"C:\\dir\\", L"x"}}, // 2n before a quote: n
        {L"V.exe a\\\"b", {L"V.exe", L"a\"b"}},                  // 2n+1: n and a quote
        {L"V.exe a\\\\\\\"b", {L"V.exe", L"a\\\"b"}},
        {L"V.exe \"a\"\"b\"", {L"V.exe", L"a\"b"}},              // "" inside quotes
        {L"V.exe \"\" x", {L"V.exe", L"", L"x"}},
        {L"V.exe \"open to the end", {L"V.exe", L"open to the end"}},
        {L"V.exe /config:\"C:\\My Setup\\x.xml\"", {L"V.exe", L"/config:C:\\My Setup\\x.xml"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(c.line), c.arguments) << testing::PrintToString(c.line);
}

struct Expected
{
    std::wstring config; // empty: not given
    std::wstring log = L"-"; // "-": not given
    std::vector<std::wstring> variables = {};
    bool quiet = false;
    bool help = false;
    bool version = false;
};

void ExpectParsed(const std::wstring& commandLine, const Expected& e)
{
    SCOPED_TRACE(testing::PrintToString(commandLine));
    const CommandLine line = ParseCommandLine(commandLine);
    EXPECT_EQ(line.error, L"");
    EXPECT_EQ(line.configGiven, !e.config.empty());
    EXPECT_EQ(line.configPath, e.config);
    EXPECT_EQ(line.logGiven, e.log != L"-");
    EXPECT_EQ(line.logPath, e.log == L"-" ? L"" : e.log);
    std::vector<std::wstring> variables;
    for (const PathVariable& variable : line.variables)
        variables.push_back(variable.name + L"=" + variable.value);
    EXPECT_EQ(variables, e.variables);
    EXPECT_EQ(line.quiet, e.quiet);
    EXPECT_EQ(line.help, e.help);
    EXPECT_EQ(line.version, e.version);
}

TEST(ParseCommandLine, NamedOptionsInAnyCaseWithTheirValuesQuotedOrNot)
{
    const std::wstring spaced = L"C:\\My Setup\\x.xml";
    struct Case { std::wstring line; Expected expected; };
    const Case cases[] = {
        {L"V.exe", {}},
        {L"V.exe   ", {}},
        {L"V.exe /quiet", {L"", L"-", {}, true}},
        {L"V.exe /QUIET /Config \"" + spaced + L"\"", {spaced, L"-", {}, true}},
        {L"V.exe \"/config:" + spaced + L"\"", {spaced}},
        {L"V.exe /config:\"" + spaced + L"\"", {spaced}},
        {L"\"C:\\Setup\\V.exe\" /config %TEMP%\\x.xml", {L"%TEMP%\\x.xml"}}, // expanded later
        {L"V.exe /log C:\\l.log /var SITE=Berlin /VAR:temp=C:\\t /var \"Dir=a b=c\"",
         {L"", L"C:\\l.log", {L"SITE=Berlin", L"TEMP=C:\\t", L"DIR=a b=c"}}},
        {L"V.exe /var EMPTY=", {L"", L"-", {L"EMPTY="}}},
        {L"V.exe /log \"\"", {L"", L""}},  // the log turned off
        {L"V.exe /log:", {L"", L""}},
        {L"V.exe /?", {L"", L"-", {}, false, true}},
        {L"V.exe /Version", {L"", L"-", {}, false, false, true}},
        {L"V.exe \"\" /quiet \"\"", {L"", L"-", {}, true}}, // a launcher's empty arguments
    };
    for (const Case& c : cases)
        ExpectParsed(c.line, c.expected);
}

// The older form as launchers have always written it: the text after the last '<', quotes and
// the white space around it dropped; options may stand before it.
TEST(ParseCommandLine, TheOlderFormIsTheTextAfterTheLastLessThanSign)
{
    const std::wstring spaced = L"C:\\My Setup\\x.xml";
    struct Case { std::wstring line; Expected expected; };
    const Case cases[] = {
        {L"V.exe <" + spaced, {spaced}},
        {L"V.exe \"<" + spaced + L"\"", {spaced}},
        {L"\"V.exe\" <\"" + spaced + L"\" ", {spaced}},
        {L"V.exe \t<\t" + spaced + L"  \t", {spaced}},
        {L"V.exe<" + spaced, {spaced}},
        {L"\"V.exe\"<" + spaced, {spaced}},
        {L"V.exe <a.xml <b.xml", {L"b.xml"}},
        {L"V.exe <x.xml /quiet", {L"x.xml /quiet"}}, // the rest of the line is the path, as it always was
        {L"V.exe /quiet /log C:\\l.log \"<" + spaced + L"\"", {spaced, L"C:\\l.log", {}, true}},
    };
    for (const Case& c : cases)
        ExpectParsed(c.line, c.expected);
    // "<" alone names an empty path, which cannot be opened.
    const CommandLine empty = ParseCommandLine(L"V.exe <");
    EXPECT_TRUE(empty.configGiven);
    EXPECT_EQ(empty.configPath, L"");
    EXPECT_EQ(empty.error, L"");
}

TEST(ParseCommandLine, WhatIsNotUnderstoodIsAnErrorThatNamesIt)
{
    struct Case { std::wstring line; const wchar_t* error; };
    const Case cases[] = {
        {L"V.exe /q", L"unknown option \"/q\""},
        {L"V.exe -quiet", L"\"-quiet\" is not an option (/config \"-quiet\" names a configuration)"},
        {L"V.exe C:\\x.xml", L"\"C:\\x.xml\" is not an option (/config \"C:\\x.xml\" names a configuration)"},
        {L"V.exe /config", L"/config needs the configuration's path"},
        {L"V.exe /config:", L"/config needs the configuration's path"},
        {L"V.exe /config \"\"", L"/config needs the configuration's path"},
        {L"V.exe /config /quiet", L"/config needs the configuration's path"},
        {L"V.exe /config <x.xml", L"/config needs the configuration's path"},
        {L"V.exe /config a.xml /CONFIG b.xml", L"/config is given twice"},
        {L"V.exe /config a.xml <b.xml", L"the configuration is named twice, by /config and by \"<\""},
        {L"V.exe /log", L"/log needs the log's path (/log \"\" turns the log off)"},
        {L"V.exe /log a.log /log b.log", L"/log is given twice"},
        {L"V.exe /var", L"/var needs NAME=VALUE"},
        {L"V.exe /var SITE", L"/var needs NAME=VALUE, not \"SITE\""},
        {L"V.exe /var =x", L"/var needs NAME=VALUE, not \"=x\""},
        {L"V.exe /var %X%=y", L"/var needs NAME=VALUE, not \"%X%=y\""},
        {L"V.exe /quiet:yes", L"/quiet takes no value, not \"/quiet:yes\""},
        {L"V.exe /q /x", L"unknown option \"/q\""}, // the first one
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseCommandLine(c.line).error, c.error) << testing::PrintToString(c.line);

    // Parsing goes on after an error, so that its message reaches the log /log names.
    const CommandLine line = ParseCommandLine(L"V.exe /bogus /log C:\\l.log");
    EXPECT_EQ(line.error, L"unknown option \"/bogus\"");
    EXPECT_TRUE(line.logGiven);
    EXPECT_EQ(line.logPath, L"C:\\l.log");
    EXPECT_EQ(CommandLineErrorMessage(line.error),
              L"Command line not understood:\nunknown option \"/bogus\"\n\nVarnekite.exe /? lists the options.");
}

TEST(ParseCommandLine, TheConfigurationOpenedIsTheNamedOneElseTheDefault)
{
    EXPECT_EQ(ConfigurationPathOf(ParseCommandLine(L"V.exe /quiet")), L"%VARNEKITE%\\Varnekite.xml");
    EXPECT_EQ(ConfigurationPathOf(ParseCommandLine(L"V.exe /config x.xml")), L"x.xml");
    EXPECT_EQ(ConfigurationPathOf(ParseCommandLine(L"V.exe <y.xml")), L"y.xml");
}

// "cmd /c Varnekite.exe <x.xml": cmd.exe takes the redirection and the program sees no path.
TEST(RedirectedInputError, NamesTheFileWhenNoConfigurationIsNamed)
{
    const std::wstring file = L"C:\\cfg\\x.xml";
    EXPECT_EQ(RedirectedInputError(ParseCommandLine(L"V.exe "), file),
              L"no configuration is named, and the standard input is the file \"C:\\cfg\\x.xml\": cmd.exe took \"<\" "
              L"for itself. Write /config \"C:\\cfg\\x.xml\" (or ^< at a cmd.exe prompt)");
    EXPECT_EQ(RedirectedInputError(ParseCommandLine(L"V.exe /quiet"), file).empty(), false);
    EXPECT_EQ(RedirectedInputError(ParseCommandLine(L"V.exe /config y.xml"), file), L"");
    EXPECT_EQ(RedirectedInputError(ParseCommandLine(L"V.exe <y.xml"), file), L"");
    EXPECT_EQ(RedirectedInputError(ParseCommandLine(L"V.exe"), L""), L"");
}

} // namespace
