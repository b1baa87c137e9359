#include "config/CommandRegistry.h"

#include <gtest/gtest.h>

namespace {

void RunA(InstallState&, int) {}
void RunB(InstallState&, int) {}

CommandRegistry MakeRegistry()
{
    CommandRegistry registry;
    registry.Append({L"execute", RunA, nullptr});
    registry.Append({L"dircopy", RunB, nullptr});
    registry.Append({L"DirCopy", RunA, nullptr}); // shadowed: the first match wins
    return registry;
}

TEST(CommandRegistry, FindHandlerFoldsOnlyAsciiLetters)
{
    const CommandRegistry registry = MakeRegistry();
    struct Case { const wchar_t* name; const wchar_t* found; };
    const Case cases[] = {
        {L"EXECUTE", L"execute"},
        {L"DirCopy", L"dircopy"},
        {L"dircopy ", nullptr},
        {L"", nullptr},
        {L"\u00C9XECUTE", nullptr}, // E with acute is not an ASCII letter
    };
    for (const Case& c : cases) {
        const CommandHandler* handler = registry.FindHandler(c.name);
        if (c.found == nullptr) {
            EXPECT_EQ(handler, nullptr) << "name: " << testing::PrintToString(std::wstring(c.name));
        } else {
            ASSERT_NE(handler, nullptr) << "name: " << testing::PrintToString(std::wstring(c.name));
            EXPECT_EQ(handler->name, c.found);
        }
    }
    EXPECT_EQ(registry.FindHandler(L"DIRCOPY")->run, &RunB);
}

} // namespace
