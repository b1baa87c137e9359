// The program's one case rule: only ASCII letters fold, in byte and in wide text.
#include "xml/AsciiText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AsciiText, EqualsIgnoreAsciiCaseFoldsOnlyAsciiLetters)
{
    struct Case { std::string a, b; bool equal; };
    const Case cases[] = {
        {"Varnekite", "varnekite", true},
        {"true", "true ", false},
        {"@", "`", false},               // neighbours of the letter ranges are not folded
        {"[", "{", false},
        {"\xC4", "\xE4", false},          // Latin-1 letters compare exactly
        {std::string("a\0b", 3), std::string("A\0c", 3), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EqualsIgnoreAsciiCase(c.a, c.b), c.equal) << testing::PrintToString(c.a) << " vs " << testing::PrintToString(c.b);

    EXPECT_TRUE(EqualsIgnoreAsciiCase(L"Setup Tools", L"setup TOOLS"));
    EXPECT_FALSE(EqualsIgnoreAsciiCase(L"[", L"{")); // not letters: 0x5B and 0x7B differ by 0x20
    EXPECT_FALSE(EqualsIgnoreAsciiCase(L"\u00c9t\u00e9", L"\u00e9T\u00e9"));
}

} // namespace
