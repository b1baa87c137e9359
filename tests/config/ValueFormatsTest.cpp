// Integers, flags, colours and exit codes of the configuration's values.
#include "config/ValueFormats.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseInteger, FollowsStrtolAndSaturatesAt32Bits)
{
    struct Case { const char* value; int32_t parsed; };
    const Case cases[] = {
        {"12px", 12}, {"  -7", -7}, {"+5", 5}, {"abc", 0}, {"", 0}, {"0x10", 0},
        {"2147483647", 2147483647}, {"2147483648", 2147483647}, {"99999999999999999999999", 2147483647},
        {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseInteger(c.value), c.parsed) << '"' << c.value << '"';
}

TEST(ParseBoolean, OnlyTrueInAnyAsciiCase)
{
    struct Case { const char* value; bool parsed; };
    const Case cases[] = {{"TRUE", true}, {"tRuE", true}, {"1", false}, {"yes", false}, {"true ", false}, {"", false}};
    for (const Case& c : cases)
        EXPECT_EQ(ParseBoolean(c.value), c.parsed) << '"' << c.value << '"';
}

TEST(ParseColour, SixOrEightDigitsAfterAnOptionalCharacter)
{
    struct Case { const char* value; uint32_t colour; };
    const Case cases[] = {
        {"#336699", 0xFF336699u},
        {"ff00aa", 0xFFFF00AAu},
        {"FF000080", 0x80FF0000u},
        {"xFF000080", 0x80FF0000u},  // any first character is dropped
        {"12345", 0u},
        {"#F00", 0u},
        {"#12345", 0xFF002345u},    // six long, nothing dropped: red reads "#1", which gives 0
        {"1234567890", 0u},
        {"1G2H3I", 0xFF010203u},    // conversion stops at the first non-hex character
        {" F-1+F", 0xFF0FFF0Fu},    // white space and signs as strtol takes them; low 8 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseColour(c.value), c.colour) << '"' << c.value << '"';
}

// Whether a text is written exactly as a value of its kind, beside what the lenient reading
// makes of it: varnekite-check warns where it is not.
TEST(ExactValues, IntegersAreASignOrNoneThenDigitsOnly)
{
    struct Case { std::string value; bool exact; int32_t parsed; };
    const Case cases[] = {
        {"12", true, 12}, {"+5", true, 5}, {"-7", true, -7}, {"0", true, 0}, {"007", true, 7},
        {"99999999999", true, 2147483647}, // the form is exact; the number saturates
        {" 12", false, 12}, {"12 ", false, 12}, {"12abc", false, 12}, {"12px", false, 12}, {"abc", false, 0},
        {"", false, 0}, {"+", false, 0}, {"-", false, 0}, {"--1", false, 0}, {"+-5", false, 0}, {"0x10", false, 0},
        {"1.5", false, 1}, {"\t3", false, 3}, {std::string("4\0", 2), false, 4},
    };
    for (const Case& c : cases) {
        bool exact = !c.exact;
        EXPECT_EQ(ParseInteger(c.value, &exact), c.parsed) << testing::PrintToString(c.value);
        EXPECT_EQ(exact, c.exact) << testing::PrintToString(c.value);
    }
}

TEST(ExactValues, FlagsAreTrueOrFalseInAnyAsciiCase)
{
    struct Case { const char* value; bool exact; bool parsed; };
    const Case cases[] = {
        {"true", true, true}, {"TRUE", true, true}, {"tRuE", true, true}, {"false", true, false}, {"FALSE", true, false},
        {"true ", false, false}, {" false", false, false}, {"1", false, false}, {"yes", false, false},
        {"", false, false}, {"truee", false, false},
    };
    for (const Case& c : cases) {
        bool exact = !c.exact;
        EXPECT_EQ(ParseBoolean(c.value, &exact), c.parsed) << '"' << c.value << '"';
        EXPECT_EQ(exact, c.exact) << '"' << c.value << '"';
    }
}

TEST(ExactValues, ColoursAreAHashThenSixOrEightHexDigits)
{
    struct Case { const char* value; bool exact; uint32_t colour; };
    const Case cases[] = {
        {"#FF00FF", true, 0xFFFF00FFu}, {"#ff00ff", true, 0xFFFF00FFu}, {"#FF000080", true, 0x80FF0000u},
        {"#00000000", true, 0x00000000u},
        {"FF00FF", false, 0xFFFF00FFu},   // read without the '#'
        {"xFF00FF", false, 0xFFFF00FFu},  // another first character
        {"#FF00F", false, 0xFF00F00Fu},   // six long, nothing dropped: red reads "#F", which gives 0
        {"#FF00FF0", false, 0xF000F00Fu}, // eight long likewise
        {"#FF00FF ", false, 0x0F00F00Fu},
        {"#FF0", false, 0u}, {"", false, 0u}, {"#", false, 0u},
        {"#6B77ZZ", false, 0xFF6B7700u}, {"# F-1+F", false, 0xFF0FFF0Fu},
    };
    for (const Case& c : cases) {
        bool exact = !c.exact;
        EXPECT_EQ(ParseColour(c.value, &exact), c.colour) << '"' << c.value << '"';
        EXPECT_EQ(exact, c.exact) << '"' << c.value << '"';
    }
}

} // namespace

TEST(ParseExitCode, DecimalNegativeOrHexAndListsOfThem)
{
    struct Case { const char* text; bool valid; uint32_t code; };
    const Case cases[] = {
        {"0", true, 0}, {"3010", true, 3010}, {" 1641 ", true, 1641}, {"-1", true, 0xFFFFFFFFu},
        {"0x80070005", true, 0x80070005u}, {"4294967295", true, 0xFFFFFFFFu}, {"-2147483648", true, 0x80000000u},
        {"4294967296", false, 0}, {"-2147483649", false, 0}, {"", false, 0}, {"12px", false, 0}, {"0x", false, 0},
        {"+5", false, 0}, {"0x1FFFFFFFF", false, 0}, {"--1", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t code = 7;
        EXPECT_EQ(ParseExitCode(c.text, code), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(code, c.code) << c.text;
        }
    }
    std::vector<uint32_t> codes;
    EXPECT_TRUE(ParseExitCodeList("0, 3010,1641", codes));
    EXPECT_EQ(codes, (std::vector<uint32_t>{0, 3010, 1641}));
    codes.clear();
    EXPECT_FALSE(ParseExitCodeList("0,,x,5", codes)); // the valid ones stay
    EXPECT_EQ(codes, (std::vector<uint32_t>{0, 5}));
}

TEST(ExitCodeTexts, AsAListAttributeWritesThemAndAsASentenceNamesThem)
{
    struct Case { std::vector<uint32_t> codes; const char* list; const char* words; };
    const Case cases[] = {
        {{}, "", ""},
        {{3010}, "3010", "3010"},
        {{3010, 1641}, "3010,1641", "3010 and 1641"},
        {{0, 3010, 1641}, "0,3010,1641", "0, 3010 and 1641"},
        {{4294967295u, 0, 1, 2}, "4294967295,0,1,2", "4294967295, 0, 1 and 2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExitCodeListText(c.codes), c.list);
        EXPECT_EQ(ExitCodesInWords(c.codes), c.words);
        std::vector<uint32_t> read;
        if (!c.codes.empty()) {
            EXPECT_TRUE(ParseExitCodeList(ExitCodeListText(c.codes), read)) << c.list;
            EXPECT_EQ(read, c.codes) << c.list;
        }
    }
    const uint32_t array[] = {0, 3010, 1641}; // the constants are arrays
    EXPECT_EQ(ExitCodeListText(array), "0,3010,1641");
    EXPECT_EQ(ExitCodesInWords(array), "0, 3010 and 1641");
}
