// The schema's documentation against the program: each default it names is what the installer
// takes when the configuration leaves the attribute out.
#include "ConfigurationFixture.h"
#include "app/RunResult.h"
#include "commands/CommandOutcome.h"
#include "config/ConfigurationSchema.h"
#include "config/ValueFormats.h"

#include <string>
#include <string_view>

namespace {

using SchemaDefaults = ConfigurationFixture;

const std::string& DocumentationIn(const std::vector<SchemaAttribute>& attributes, std::string_view name)
{
    static const std::string none;
    for (const SchemaAttribute& attribute : attributes)
        if (attribute.name == name)
            return attribute.documentation;
    ADD_FAILURE() << "no attribute " << name;
    return none;
}

const std::string& DocumentationOf(std::string_view element, std::string_view parent, std::string_view name)
{
    static const std::vector<SchemaAttribute> none;
    const SchemaElement* found = FindSchemaElement(element, parent);
    EXPECT_NE(found, nullptr) << element;
    return DocumentationIn(found != nullptr ? found->attributes : none, name);
}

std::string InParentheses(int64_t value)
{
    return "(" + std::to_string(value) + ")";
}

TEST_F(SchemaDefaults, AreWhatTheInstallerTakesWithoutTheAttribute)
{
    Load("<Varnekite><config/><items><item name='a'>"
         "<file command='dircopy' directory='C:\\a' target='C:\\b'/></item></items></Varnekite>");
    ASSERT_EQ(settings.commands.size(), 1u);
    const RunResult ran = DecideRunResult(settings.exit, {});
    struct Case { std::string documentation; std::string shows; };
    const Case cases[] = {
        {DocumentationOf("window", "config", "width"), InParentheses(settings.windowWidth)},
        {DocumentationOf("window", "config", "position"), InParentheses(settings.windowPosition)},
        {DocumentationOf("window", "config", "fixmain"), InParentheses(settings.main.fixMain)},
        {DocumentationOf("font", "config", "face"), "(" + NarrowBytes(settings.fontFace) + ")"},
        {DocumentationOf("font", "config", "small"), InParentheses(settings.smallFontSize)},
        {DocumentationOf("font", "config", "large"), InParentheses(settings.largeFontSize)},
        {DocumentationOf("exit", "config", "result"), "always " + std::to_string(ran.exitCode) + "."},
        {DocumentationOf("exit", "config", "success"), InParentheses(settings.exit.success)},
        {DocumentationOf("exit", "config", "restart"), InParentheses(settings.exit.restart)},
        {DocumentationOf("exit", "config", "failure"), InParentheses(settings.exit.failure)},
        {DocumentationIn(DirectoryPairAttributes(), "threads"), InParentheses(settings.commands[0].threads)},
        {DocumentationIn(DirectoryPairAttributes(), "threads"), " to " + std::to_string(kMaxCopyThreads) + " "},
    };
    for (const Case& c : cases)
        EXPECT_NE(c.documentation.find(c.shows), std::string::npos) << c.documentation << " does not show " << c.shows;
}

// "(0,3010,1641; 3010 and 1641 ask for a restart)": a program that exits with one of the first
// succeeds without a `success` attribute, with one of the second it asks for a restart, and
// with any other code it fails.
TEST(SchemaDefaultsOfExecute, TheSuccessCodesAreThoseAProgramSucceedsWith)
{
    const std::string& documentation = DocumentationIn(ExecuteAttributes(), "success");
    const size_t open = documentation.find('(');
    const size_t semicolon = documentation.find("; ", open);
    const size_t restart = documentation.find(" ask for a restart", semicolon);
    ASSERT_NE(restart, std::string::npos) << documentation;
    std::vector<uint32_t> succeeding;
    ASSERT_TRUE(ParseExitCodeList(documentation.substr(open + 1, semicolon - open - 1), succeeding)) << documentation;
    std::vector<uint32_t> restarting;
    for (uint32_t code : succeeding) {
        EXPECT_NE(ProgramResult(code, {}), CommandResult::Failed) << code;
        if (ProgramResult(code, {}) == CommandResult::Restart)
            restarting.push_back(code);
    }
    EXPECT_EQ(documentation.substr(semicolon + 2, restart - semicolon - 2), ExitCodesInWords(restarting));
    EXPECT_EQ(ProgramResult(1, {}), CommandResult::Failed);
    EXPECT_EQ(ProgramResult(1603, {}), CommandResult::Failed);
}

} // namespace
