// Reading conditions: the tree a text gives, and where and why a wrong one is wrong.
#include "config/Condition.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t* Spelled(Comparison comparison)
{
    switch (comparison) {
    case Comparison::Equal: return L"=";
    case Comparison::NotEqual: return L"!=";
    case Comparison::Less: return L"<";
    case Comparison::LessOrEqual: return L"<=";
    case Comparison::Greater: return L">";
    case Comparison::GreaterOrEqual: return L">=";
    case Comparison::Like: return L"like";
    case Comparison::None: break;
    }
    return L"";
}

// The tree in prefix form, texts in brackets so their edges show:
// or(arch = [x64], and(not(server), file([C:\a.exe]) >= [5.2])).
std::wstring Tree(const ConditionNode& node)
{
    if (node.kind == ConditionNode::Kind::Test) {
        std::wstring text = FactName(node.fact);
        for (size_t i = 0; i < node.arguments.size(); ++i)
            text += (i == 0 ? L"([" : L",[") + node.arguments[i] + L"]" + (i + 1 == node.arguments.size() ? L")" : L"");
        if (node.comparison != Comparison::None)
            text += std::wstring(L" ") + Spelled(node.comparison) + L" [" + node.value + L"]";
        return text;
    }
    std::wstring text = node.kind == ConditionNode::Kind::And ? L"and(" : node.kind == ConditionNode::Kind::Or ? L"or(" : L"not(";
    for (size_t i = 0; i < node.operands.size(); ++i)
        text += (i == 0 ? L"" : L", ") + Tree(node.operands[i]);
    return text + L")";
}

std::wstring Parsed(const std::wstring& text, const ConditionArgumentFilter& filter = {})
{
    Condition condition;
    ConditionError error;
    if (!ParseCondition(text, condition, error, filter))
        return L"error at " + std::to_wstring(error.position) + L": " + error.message;
    return condition.Empty() ? L"(empty)" : Tree(condition.Root());
}

struct Good
{
    const wchar_t* text;
    const wchar_t* tree;
};

void ExpectTrees(const std::vector<Good>& cases)
{
    for (const Good& c : cases)
        EXPECT_EQ(Parsed(c.text), c.tree) << c.text;
}

TEST(ParseCondition, EveryFact)
{
    ExpectTrees({
        {L"arch = x64", L"arch = [x64]"},
        {L"programarch = ARM64", L"programarch = [ARM64]"},
        {L"windows ge 10.0.22000", L"windows >= [10.0.22000]"},
        {L"server", L"server"},
        {L"server = False", L"server = [False]"},
        {L"manufacturer like 'Dell*'", L"manufacturer like [Dell*]"},
        {L"model = 'OptiPlex 7010'", L"model = [OptiPlex 7010]"},
        {L"language = de-DE", L"language = [de-DE]"},
        {L"model", L"model"},
        {L"file('C:\\x\\a.exe')", L"file([C:\\x\\a.exe])"},
        {L"file('C:\\a.exe') lt 2.0", L"file([C:\\a.exe]) < [2.0]"},
        {L"file('C:\\a.exe') like '5.*'", L"file([C:\\a.exe]) like [5.*]"},
        {L"folder('C:\\Program Files')", L"folder([C:\\Program Files])"},
        {L"registry('HKLM\\SOFTWARE\\X')", L"registry([HKLM\\SOFTWARE\\X])"},
        {L"registry('HKLM\\X', 'Version') >= 5", L"registry([HKLM\\X],[Version]) >= [5]"},
        {L"registry('HKLM\\X', '', 32)", L"registry([HKLM\\X],[],[32])"},
        {L"registry('HKLM\\X','V','64') = on", L"registry([HKLM\\X],[V],[64]) = [on]"},
        {L"program('Contoso Agent*') ge 5.2", L"program([Contoso Agent*]) >= [5.2]"},
        {L"env('PROCESSOR_ARCHITEW6432')", L"env([PROCESSOR_ARCHITEW6432])"},
        {L"env('X') = ''", L"env([X]) = []"},
    });
}

TEST(ParseCondition, EveryComparisonSpelling)
{
    ExpectTrees({
        {L"windows = 10", L"windows = [10]"},   {L"windows == 10", L"windows = [10]"},
        {L"windows eq 10", L"windows = [10]"},  {L"windows EQ 10", L"windows = [10]"},
        {L"windows != 10", L"windows != [10]"}, {L"windows <> 10", L"windows != [10]"},
        {L"windows ne 10", L"windows != [10]"}, {L"windows < 10", L"windows < [10]"},
        {L"windows lt 10", L"windows < [10]"},  {L"windows <= 10", L"windows <= [10]"},
        {L"windows le 10", L"windows <= [10]"}, {L"windows > 10", L"windows > [10]"},
        {L"windows gt 10", L"windows > [10]"},  {L"windows >= 10", L"windows >= [10]"},
        {L"windows Ge 10", L"windows >= [10]"}, {L"windows LIKE '10*'", L"windows like [10*]"},
        // Operators need no white space around them; words do.
        {L"windows>=10.0", L"windows >= [10.0]"}, {L"arch=x64", L"arch = [x64]"},
        {L"model<>'a'", L"model != [a]"},         {L"language!=de-DE", L"language != [de-DE]"},
    });
}

TEST(ParseCondition, QuotedTexts)
{
    ExpectTrees({
        {L"model = 'It''s'", L"model = [It's]"},
        {L"model = ''''", L"model = [']"},
        {L"model = ''", L"model = []"},
        {L"model = '''a'''", L"model = ['a']"},
        {L"model = ' a  b '", L"model = [ a  b ]"},
        {L"model = 'x' and model = ''", L"and(model = [x], model = [])"},
        {L"model = 'and' or model = 'not'", L"or(model = [and], model = [not])"},
        {L"file('C:\\it''s.exe')", L"file([C:\\it's.exe])"},
        {L"registry('','')", L"registry([],[])"},
        {L"model = '(a), b=c'", L"model = [(a), b=c]"},
    });
}

TEST(ParseCondition, NotBindsTighterThanAndThanOr)
{
    ExpectTrees({
        {L"arch = x64 or arch = x86 and server", L"or(arch = [x64], and(arch = [x86], server))"},
        {L"arch = x64 and arch = x86 or server", L"or(and(arch = [x64], arch = [x86]), server)"},
        {L"not server and model", L"and(not(server), model)"},
        {L"not server or model", L"or(not(server), model)"},
        {L"server or model or arch = x64", L"or(server, model, arch = [x64])"},
        {L"server and model and language", L"and(server, model, language)"},
        {L"(server or model) and language", L"and(or(server, model), language)"},
        {L"not (server or model)", L"not(or(server, model))"},
        {L"not not server", L"not(not(server))"},
        {L"((server))", L"server"},
        {L"server or (model and (language or arch = x64))", L"or(server, and(model, or(language, arch = [x64])))"},
        {L"NOT Server AND ARCH = X64 Or MODEL Like 'a'", L"or(and(not(server), arch = [X64]), model like [a])"},
        {L" \t(\r\nserver\n)\tand\tmodel  ", L"and(server, model)"},
    });
}

TEST(ParseCondition, BlankTextIsNoCondition)
{
    ExpectTrees({{L"", L"(empty)"}, {L"   ", L"(empty)"}, {L"\t\r\n ", L"(empty)"}});
}

TEST(ParseCondition, TestsKnowWhereTheirFactIsWritten)
{
    Condition condition;
    ConditionError error;
    ASSERT_TRUE(ParseCondition(L"  not (server) and\tfile('x') = 1", condition, error));
    const ConditionNode& root = condition.Root();
    ASSERT_EQ(root.operands.size(), 2u);
    EXPECT_EQ(root.operands[0].operands.at(0).position, 7u);
    EXPECT_EQ(root.operands[1].position, 19u);
}

struct Bad
{
    const wchar_t* text;
    size_t position;
    const wchar_t* message; // a part of it
};

void ExpectErrors(const std::vector<Bad>& cases)
{
    for (const Bad& c : cases) {
        Condition condition;
        ConditionError error;
        EXPECT_FALSE(ParseCondition(c.text, condition, error)) << c.text;
        EXPECT_EQ(error.position, c.position) << c.text << L"\n" << error.message;
        EXPECT_NE(error.message.find(c.message), std::wstring::npos) << c.text << L"\n" << error.message;
        EXPECT_TRUE(condition.Empty()) << c.text;
    }
}

TEST(ParseCondition, WrongFactsAndArguments)
{
    ExpectErrors({
        {L"modle like 'x'", 0, L"unknown fact \"modle\" (did you mean \"model\"?)"},
        {L"arch = x64 and MODLE = x", 15, L"(did you mean \"model\"?)"},
        {L"server and progam('x')", 11, L"(did you mean \"program\"?)"},
        {L"colour = red", 0, L"unknown fact \"colour\""},
        {L"arch\x3000= x64", 0, L"unknown fact"}, // white space is ASCII's, on every platform
        {L"file = 1.0", 0, L"file needs what it looks at in parentheses: file('...')"},
        {L"server and registry", 11, L"registry needs what it looks at in parentheses"},
        {L"arch('x') = x64", 4, L"arch takes nothing in parentheses"},
        {L"file('a', 'b')", 0, L"file takes one text in parentheses"},
        {L"registry('k', 'n', 64, 'x')", 0, L"registry takes 1 to 3 texts in parentheses"},
        {L"file()", 5, L"a text in single quotes was expected here"},
        {L"file(C:\\a.exe)", 5, L"a text in single quotes was expected here"},
        {L"file('a' 'b')", 9, L"\",\" or \")\" was expected here"},
        {L"file('a',)", 9, L"a text in single quotes was expected here"},
        {L"registry('k', 'n', 16)", 19, L"a registry view is 32 or 64, not \"16\""},
        {L"registry('k', 'n', '')  ", 19, L"a registry view is 32 or 64, not \"\""},
    });
}

TEST(ParseCondition, WrongQuotesAndParentheses)
{
    ExpectErrors({
        {L"model = 'abc", 8, L"a text without its closing quote"},
        {L"model = 'It''s", 8, L"a text without its closing quote"},
        {L"model = '''", 8, L"a text without its closing quote"},
        {L"file('C:\\x", 5, L"a text without its closing quote"},
        {L"registry('k', 'n", 14, L"a text without its closing quote"},
        {L"arch = x64 and 'x", 15, L"a text without its closing quote"},
        {L"server 'x", 7, L"a text without its closing quote"},
        {L"(server 'x)", 8, L"a text without its closing quote"},
        {L"(arch = x64", 0, L"a \"(\" without its \")\""},
        {L"((arch = x64) or server", 0, L"a \"(\" without its \")\""},
        {L"(server or (model)", 0, L"a \"(\" without its \")\""},
        {L"(arch = x64))", 12, L"a \")\" without its \"(\""},
        {L"server)", 6, L"a \")\" without its \"(\""},
        {L"(server model)", 8, L"\"model\" where \")\" was expected"},
        {L"()", 1, L"\")\" where a test was expected"},
        {L")", 0, L"\")\" where a test was expected"},
        {L"server and (", 12, L"a test was expected here"},
    });
}

TEST(ParseCondition, WrongComparisonsAndValues)
{
    ExpectErrors({
        {L"model =", 7, L"a value was expected after the comparison"},
        {L"model = and server", 8, L"a value was expected after the comparison"},
        {L"model like or server", 11, L"a value was expected after the comparison"},
        {L"model = (x)", 8, L"a value was expected after the comparison"},
        {L"windows ge 10.x", 11, L"\"10.x\" is not a version"},
        {L"windows = ''", 10, L"\"\" is not a version"},
        {L"windows = 10.", 10, L"is not a version"},
        {L"file('a') < 'new'", 12, L"\"new\" is not a version"},
        {L"program('X') >= abc", 16, L"\"abc\" is not a version"},
        {L"arch = x65", 7, L"\"x65\" is no architecture (x86, x64 or arm64)"},
        {L"programarch != amd64", 15, L"\"amd64\" is no architecture"},
        {L"arch < x64", 5, L"arch is compared with = or != (or like)"},
        {L"programarch ge x64", 12, L"programarch is compared with = or !="},
        {L"server = yes", 9, L"server is true or false, not \"yes\""},
        {L"server like 't*'", 7, L"server is compared with = true or = false"},
        {L"server > true", 7, L"server is compared with = true or = false"},
        {L"folder('C:\\x') = 1", 15, L"folder stands alone: it is there or not"},
        {L"model > abc", 8, L"\"abc\" is neither a number nor a version"},
        {L"env('X') le 'a'", 12, L"\"a\" is neither a number nor a version"},
        {L"model => 5", 7, L"a value was expected after the comparison"},
    });
}

TEST(ParseCondition, WrongEndings)
{
    ExpectErrors({
        {L"arch = x64 server", 11, L"\"server\" where \"and\", \"or\" or the end was expected"},
        {L"server 'x'", 7, L"\"x\" where \"and\", \"or\" or the end was expected"},
        {L"server !", 7, L"\"!\" where \"and\", \"or\" or the end was expected"},
        {L"arch = x64 and", 14, L"a test was expected here"},
        {L"arch = x64 or or server", 14, L"\"or\" where a test was expected"},
        {L"and server", 0, L"\"and\" where a test was expected"},
        {L"not", 3, L"a test was expected here"},
        {L"server and not ", 15, L"a test was expected here"},
    });
}

std::wstring Repeated(const std::wstring& part, size_t times)
{
    std::wstring text;
    for (size_t i = 0; i < times; ++i)
        text += part;
    return text;
}

TEST(ParseCondition, NestingAPersonWritesIsRead)
{
    EXPECT_EQ(Parsed(Repeated(L"(", 40) + L"server" + Repeated(L")", 40)), L"server");
    EXPECT_EQ(Parsed(Repeated(L"not ", 40) + L"server"), Repeated(L"not(", 40) + L"server" + Repeated(L")", 40));
}

// Nesting is limited before the stack is: an error inside the nesting, never a crash.
TEST(ParseCondition, DeepNestingIsAnErrorNotAStackOverflow)
{
    const std::wstring cases[] = {
        Repeated(L"(", 100000),
        Repeated(L"(", 100000) + L"server" + Repeated(L")", 100000),
        Repeated(L"not ", 100000) + L"server",
        Repeated(L"not (", 50000) + L"server",
        Repeated(L"server and (", 50000),
    };
    for (const std::wstring& text : cases) {
        Condition condition;
        ConditionError error;
        ASSERT_FALSE(ParseCondition(text, condition, error)) << text.substr(0, 20);
        EXPECT_NE(error.message.find(L"nested too deeply"), std::wstring::npos) << error.message;
        EXPECT_GT(error.position, 0u);
        EXPECT_LT(error.position, 1000u);
    }
}

TEST(ParseCondition, AsksOnlyTheMachineWhenEveryTestIsAMachineFact)
{
    struct Case { const wchar_t* text; bool onlyMachine; };
    const Case cases[] = {
        {L"arch = x64", true},
        {L"arch = x64 and model like 'x*' or not (windows ge 10 or server or programarch = x86)", true},
        {L"manufacturer = a and language = de-DE", true},
        {L"language = de-DE and file('x')", false},
        {L"not env('X')", false},
        {L"arch = x64 or (server and not folder('x'))", false},
        {L"registry('k') or program('p')", false},
    };
    for (const Case& c : cases) {
        Condition condition;
        ConditionError error;
        ASSERT_TRUE(ParseCondition(c.text, condition, error)) << c.text;
        EXPECT_EQ(condition.AsksOnlyTheMachine(), c.onlyMachine) << c.text;
    }
}

// The loader expands path variables through the filter: it sees each quoted argument as its
// text reads ('' already one quote), and neither the unquoted view nor the compared value.
TEST(ParseCondition, FilterRewritesQuotedArguments)
{
    std::vector<std::pair<Fact, std::wstring>> seen;
    const ConditionArgumentFilter filter = [&seen](Fact fact, const std::wstring& text) {
        seen.emplace_back(fact, text);
        return L"<" + text + L">";
    };
    EXPECT_EQ(Parsed(L"file('%WINDIR%\\it''s') = 1 and registry('k', 'n', 64) = 'v' and model = 'm'", filter),
              L"and(file([<%WINDIR%\\it's>]) = [1], registry([<k>],[<n>],[64]) = [v], model = [m])");
    const std::vector<std::pair<Fact, std::wstring>> expected = {
        {Fact::File, L"%WINDIR%\\it's"}, {Fact::Registry, L"k"}, {Fact::Registry, L"n"}};
    EXPECT_EQ(seen, expected);
}

} // namespace
