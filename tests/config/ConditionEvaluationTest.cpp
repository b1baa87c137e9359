// Deciding conditions against a described machine: outcomes, the reasons the log gives, which
// facts were asked, and the version and wildcard comparisons underneath.
#include "config/ConditionEvaluation.h"
#include "config/ConditionValues.h"

#include "FakeMachineFacts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using Outcome = ConditionDecision::Outcome;

const char* Named(Outcome outcome)
{
    return outcome == Outcome::Applies ? "Applies" : outcome == Outcome::DoesNotApply ? "DoesNotApply" : "Undecided";
}

ConditionDecision Decide(const std::wstring& text, MachineFacts& facts)
{
    Condition condition;
    ConditionError error;
    EXPECT_TRUE(ParseCondition(text, condition, error)) << text << L": " << error.message;
    return DecideCondition(condition, facts);
}

struct Case
{
    const wchar_t* text;
    Outcome outcome;
    const wchar_t* reason; // a part of it
};

void ExpectDecisions(MachineFacts& facts, const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const ConditionDecision decision = Decide(c.text, facts);
        EXPECT_STREQ(Named(decision.outcome), Named(c.outcome)) << c.text << L"\n" << decision.reason;
        EXPECT_NE(decision.reason.find(c.reason), std::wstring::npos) << c.text << L"\n" << decision.reason;
    }
}

// An office desktop with a few things installed; Failed answers where reading goes wrong.
void DescribeDesktop(FakeMachineFacts& facts)
{
    facts.SetMachine(Fact::Arch, L"x64")
        .SetMachine(Fact::ProgramArch, L"x86")
        .SetMachine(Fact::Windows, L"10.0.22631")
        .SetMachine(Fact::Server, L"false")
        .SetMachine(Fact::Manufacturer, L"Dell Inc.")
        .SetMachine(Fact::Model, L"OptiPlex 7010")
        .SetMachine(Fact::Language, L"en-US");
    facts.SetFile(L"C:\\a.exe", L"5.2.0.1")
        .SetFile(L"C:\\plain.dll")
        .SetFile(L"C:\\locked.exe", FactAnswer::Failed(L"access denied"))
        .SetFolder(L"C:\\Data")
        .SetFolder(L"\\\\server\\share", FactAnswer::Failed(L"the network path was not found"));
    const std::wstring key = L"HKLM\\SOFTWARE\\Contoso";
    facts.SetRegistryValue(key, L"Version", L"5.2")
        .SetRegistryValue(key, L"Count", L"10")
        .SetRegistryValue(key, L"Name", L"abc")
        .SetRegistryValue(key, L"", L"default")
        .SetRegistryValue(key, L"Mode", L"32bit", RegistryView::Bits32)
        .SetRegistryValue(key, L"Mode", L"64bit", RegistryView::Bits64)
        .SetRegistryKey(L"HKLM\\SOFTWARE\\Locked", FactAnswer::Failed(L"access denied"));
    facts.AddProgram(L"Contoso Agent", L"5.1")
        .AddProgram(L"Contoso Agent", L"6.0")
        .AddProgram(L"Fabrikam Tool")
        .AddProgram(L"Odd App", L"2024 R2");
    facts.SetEnvironment(L"EMPTY", L"")
        .SetEnvironment(L"NUM", L"0010")
        .SetEnvironment(L"HOMEX", L"C:\\Users\\x")
        .SetEnvironment(L"BROKEN", FactAnswer::Failed(L"too long"));
}

TEST(DecideCondition, MachineFacts)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    ExpectDecisions(facts, {
        {L"arch = x64", Outcome::Applies, L"arch \"x64\" is \"x64\""},
        {L"arch = X64", Outcome::Applies, L"x64"},
        {L"arch != x64", Outcome::DoesNotApply, L"arch \"x64\" is \"x64\""},
        {L"arch like 'X*'", Outcome::Applies, L"is like"},
        {L"programarch = x64", Outcome::DoesNotApply, L"programarch \"x86\" is not \"x64\""},
        {L"windows ge 10.0.22000", Outcome::Applies, L"windows \"10.0.22631\" is at least \"10.0.22000\""},
        {L"windows lt 10.0.22000", Outcome::DoesNotApply, L"\"10.0.22631\" is not below \"10.0.22000\""},
        {L"windows = 10.0.22631.0", Outcome::Applies, L"is \"10.0.22631.0\""},
        {L"windows > 10", Outcome::Applies, L"is above \"10\""},
        {L"windows le 10.0.022631", Outcome::Applies, L"is at most"},
        {L"windows like '10.0.2*'", Outcome::Applies, L"is like"},
        {L"server", Outcome::DoesNotApply, L"this Windows is no server edition"},
        {L"not server", Outcome::Applies, L"no server edition"},
        {L"server = false", Outcome::Applies, L"no server edition"},
        {L"server = TRUE", Outcome::DoesNotApply, L"no server edition"},
        {L"server != true", Outcome::Applies, L"no server edition"},
        {L"server != false", Outcome::DoesNotApply, L"no server edition"},
        {L"manufacturer = 'dell inc.'", Outcome::Applies, L"\"Dell Inc.\""},
        {L"model like 'Latitude 7*'", Outcome::DoesNotApply, L"model \"OptiPlex 7010\" is not like \"Latitude 7*\""},
        {L"model like 'optiplex 7?1?'", Outcome::Applies, L"model \"OptiPlex 7010\" is like \"optiplex 7?1?\""},
        {L"model", Outcome::Applies, L"model is \"OptiPlex 7010\""},
        {L"language = de-DE or language = de-AT", Outcome::DoesNotApply,
         L"language \"en-US\" is not \"de-DE\" and language \"en-US\" is not \"de-AT\""},
        {L"language > 5", Outcome::Undecided, L"language \"en-US\" is neither a number nor a version, so it cannot be "
                                              L"compared with \"5\""},
    });
}

TEST(DecideCondition, MachineFactsThatCannotBeRead)
{
    FakeMachineFacts facts;
    facts.SetMachine(Fact::Model, FactAnswer::Failed(L"no SMBIOS table"))
        .SetMachine(Fact::Server, FactAnswer::Failed(L"no product type"));
    ExpectDecisions(facts, {
        {L"model like 'x*'", Outcome::Undecided, L"model cannot be read: no SMBIOS table"},
        {L"not model", Outcome::Undecided, L"no SMBIOS table"},
        {L"server", Outcome::Undecided, L"whether this is a server edition cannot be read: no product type"},
        {L"not server", Outcome::Undecided, L"no product type"},
        {L"language = en-US", Outcome::Undecided, L"language cannot be read"}, // not given at all
    });
}

TEST(DecideCondition, FilesAndFolders)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    ExpectDecisions(facts, {
        {L"file('C:\\a.exe')", Outcome::Applies, L"file 'C:\\a.exe' is there"},
        {L"file('c:\\A.EXE')", Outcome::Applies, L"is there"},
        {L"file('C:\\none.exe')", Outcome::DoesNotApply, L"file 'C:\\none.exe' is not there"},
        {L"file('C:\\locked.exe')", Outcome::Undecided, L"file 'C:\\locked.exe' cannot be read: access denied"},
        {L"file('C:\\locked.exe') = 1", Outcome::Undecided, L"access denied"},
        {L"file('C:\\a.exe') ge 5.2", Outcome::Applies, L"file 'C:\\a.exe' \"5.2.0.1\" is at least \"5.2\""},
        {L"file('C:\\a.exe') = 5.2.0.1", Outcome::Applies, L"is \"5.2.0.1\""},
        {L"file('C:\\a.exe') lt 5.2.0.1.0", Outcome::DoesNotApply, L"is not below"},
        {L"file('C:\\none.exe') != 1.0", Outcome::Applies, L"is not there"},
        {L"file('C:\\none.exe') lt 9", Outcome::DoesNotApply, L"is not there"},
        {L"file('C:\\plain.dll')", Outcome::Applies, L"is there"},
        {L"file('C:\\plain.dll') = 1.0", Outcome::DoesNotApply, L"file 'C:\\plain.dll' \"\" is not \"1.0\""},
        {L"file('C:\\plain.dll') ge 1.0", Outcome::Undecided, L"file 'C:\\plain.dll' has no version to compare with \"1.0\""},
        {L"folder('C:\\Data')", Outcome::Applies, L"folder 'C:\\Data' is there"},
        {L"folder('C:\\Nothing')", Outcome::DoesNotApply, L"folder 'C:\\Nothing' is not there"},
        {L"folder('\\\\server\\share')", Outcome::Undecided, L"cannot be read: the network path was not found"},
    });
}

TEST(DecideCondition, RegistryKeysAndValues)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    ExpectDecisions(facts, {
        {L"registry('HKLM\\SOFTWARE\\Contoso')", Outcome::Applies, L"registry 'HKLM\\SOFTWARE\\Contoso' is there"},
        {L"registry('HKLM\\SOFTWARE\\Nothing')", Outcome::DoesNotApply, L"is not there"},
        {L"registry('HKLM\\SOFTWARE\\Locked')", Outcome::Undecided, L"cannot be read: access denied"},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Version')", Outcome::Applies, L"'Version' is there"},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Other')", Outcome::DoesNotApply, L"'Other' is not there"},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Other') != 1", Outcome::Applies, L"'Other' is not there"},
        {L"registry('HKLM\\SOFTWARE\\Contoso', '') = default", Outcome::Applies, L"'' \"default\" is \"default\""},
        // Numbers compare as numbers, not as texts ("10" < "9").
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Count') > 9", Outcome::Applies, L"\"10\" is above \"9\""},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Count') = 010", Outcome::Applies, L"\"10\" is \"010\""},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Version') lt 5.10", Outcome::Applies, L"\"5.2\" is below \"5.10\""},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Name') = ABC", Outcome::Applies, L"\"abc\" is \"ABC\""},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Name') > 5", Outcome::Undecided,
         L"registry 'HKLM\\SOFTWARE\\Contoso' 'Name' \"abc\" is neither a number nor a version"},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Mode') = 64bit", Outcome::DoesNotApply, L"'Mode' is not there"},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Mode', 32) = 32bit", Outcome::Applies,
         L"registry 'HKLM\\SOFTWARE\\Contoso' 'Mode' (32-bit view) \"32bit\" is \"32bit\""},
        {L"registry('HKLM\\SOFTWARE\\Contoso', 'Mode', '64') = 64bit", Outcome::Applies, L"(64-bit view) \"64bit\""},
    });
}

TEST(DecideCondition, RegistryAsksForTheKeyOrTheValueInItsView)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    Decide(L"registry('HKLM\\K') and registry('HKLM\\K', 'V') and registry('HKLM\\K', '', 32)", facts);
    EXPECT_EQ(facts.Asked(), std::vector<std::wstring>{L"registry HKLM\\K"}); // the missing key settles it
    facts.ForgetAsked();
    Decide(L"registry('HKLM\\SOFTWARE\\Contoso') and not registry('HKLM\\SOFTWARE\\Contoso', 'Version', 64) and "
           L"registry('HKLM\\SOFTWARE\\Contoso', '', 32)", facts);
    const std::vector<std::wstring> asked = {L"registry HKLM\\SOFTWARE\\Contoso",
                                             L"registry HKLM\\SOFTWARE\\Contoso : Version (64)",
                                             L"registry HKLM\\SOFTWARE\\Contoso :  (32)"};
    EXPECT_EQ(facts.Asked(), asked);
}

TEST(DecideCondition, Programs)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    ExpectDecisions(facts, {
        {L"program('Contoso Agent')", Outcome::Applies, L"program \"Contoso Agent\" is installed"},
        {L"program('contoso*')", Outcome::Applies, L"program \"Contoso Agent\" is installed"},
        {L"program('Nothing*')", Outcome::DoesNotApply, L"program 'Nothing*' is not installed"},
        {L"not program('Nothing*')", Outcome::Applies, L"is not installed"},
        {L"program('Nothing') != 1.0", Outcome::Applies, L"program 'Nothing' is not installed"},
        {L"program('Nothing') ge 1.0", Outcome::DoesNotApply, L"is not installed"},
        {L"program('Nothing') like '1*'", Outcome::DoesNotApply, L"is not installed"},
        // Two installs of one name: either one's version will do.
        {L"program('Contoso Agent') ge 6.0", Outcome::Applies, L"\"Contoso Agent\" version \"6.0\" is at least \"6.0\""},
        {L"program('Contoso Agent') lt 5.2", Outcome::Applies, L"version \"5.1\" is below \"5.2\""},
        {L"program('Contoso Agent') = 6", Outcome::Applies, L"version \"6.0\" is \"6\""},
        {L"program('Contoso Agent') ge 7", Outcome::DoesNotApply,
         L"program \"Contoso Agent\" version \"5.1\" is below \"7\""},
        {L"program('Contoso Agent') like '6.*'", Outcome::Applies, L"\"6.0\" is like \"6.*\""},
        {L"program('Fabrikam Tool')", Outcome::Applies, L"is installed"},
        {L"program('Fabrikam Tool') = 1", Outcome::DoesNotApply, L"version \"\" is not \"1\""},
        {L"program('Fabrikam Tool') ge 1", Outcome::Undecided,
         L"program \"Fabrikam Tool\" has no version to compare with \"1\""},
        {L"program('Odd App') lt 3000", Outcome::Undecided,
         L"program \"Odd App\" version \"2024 R2\" is neither a number nor a version, so it cannot be compared with "
         L"\"3000\""},
        // One that holds settles it, whatever the others are.
        {L"program('*') ge 6", Outcome::Applies, L"\"Contoso Agent\" version \"6.0\""},
        {L"program('*') ge 7", Outcome::Undecided, L"\"Fabrikam Tool\" has no version"},
    });
}

TEST(DecideCondition, ProgramsThatCannotBeRead)
{
    FakeMachineFacts facts;
    facts.AddProgram(L"Contoso Agent", L"5.1").FailPrograms(L"the uninstall key is locked");
    ExpectDecisions(facts, {
        {L"program('Contoso Agent')", Outcome::Undecided, L"the installed programs cannot be read: the uninstall key is locked"},
        {L"not program('X') != 1", Outcome::Undecided, L"locked"},
    });
}

TEST(DecideCondition, EnvironmentVariables)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    ExpectDecisions(facts, {
        {L"env('EMPTY')", Outcome::Applies, L"env 'EMPTY' is set"},
        {L"env('empty') = ''", Outcome::Applies, L"env 'empty' \"\" is \"\""},
        {L"env('EMPTY') != ''", Outcome::DoesNotApply, L"\"\" is \"\""},
        {L"env('EMPTY') like '*'", Outcome::Applies, L"is like \"*\""},
        {L"env('EMPTY') gt 1", Outcome::Undecided, L"env 'EMPTY' is empty to compare with \"1\""},
        {L"env('NONE')", Outcome::DoesNotApply, L"env 'NONE' is not set"},
        {L"env('NONE') = ''", Outcome::DoesNotApply, L"is not set"},
        {L"env('NONE') != ''", Outcome::Applies, L"is not set"},
        {L"env('NUM') = 10", Outcome::Applies, L"\"0010\" is \"10\""},
        {L"env('NUM') gt 9", Outcome::Applies, L"\"0010\" is above \"9\""},
        {L"env('HOMEX') like 'c:\\users\\*'", Outcome::Applies, L"\"C:\\Users\\x\" is like"},
        {L"env('HOMEX') lt 1", Outcome::Undecided, L"\"C:\\Users\\x\" is neither a number nor a version"},
        {L"env('BROKEN')", Outcome::Undecided, L"env 'BROKEN' cannot be read: too long"},
    });
}

// An undecided side decides only when no other side settles the combination, whatever its place.
TEST(DecideCondition, UndecidedSides)
{
    FakeMachineFacts facts;
    DescribeDesktop(facts);
    facts.SetMachine(Fact::Model, FactAnswer::Failed(L"no SMBIOS table"));
    ExpectDecisions(facts, {
        {L"model = x and arch = x86", Outcome::DoesNotApply, L"arch \"x64\" is not \"x86\""},
        {L"arch = x86 and model = x", Outcome::DoesNotApply, L"arch \"x64\" is not \"x86\""},
        {L"arch = x64 and model = x", Outcome::Undecided, L"model cannot be read: no SMBIOS table"},
        {L"model = x and arch = x64", Outcome::Undecided, L"no SMBIOS table"},
        {L"model = x or arch = x64", Outcome::Applies, L"arch \"x64\" is \"x64\""},
        {L"model = x or arch = x86", Outcome::Undecided, L"no SMBIOS table"},
        {L"arch = x86 or model = x", Outcome::Undecided, L"no SMBIOS table"},
        {L"not (model = x)", Outcome::Undecided, L"no SMBIOS table"},
        {L"not (arch = x86 and model = x)", Outcome::Applies, L"is not \"x86\""},
        {L"not (arch = x64 and model = x)", Outcome::Undecided, L"no SMBIOS table"},
        {L"(model = x or server) and language = en-US", Outcome::Undecided, L"no SMBIOS table"},
        {L"(model = x or server) or language = en-US", Outcome::Applies, L"language \"en-US\" is \"en-US\""},
        {L"arch = x64 and windows ge 10", Outcome::Applies,
         L"arch \"x64\" is \"x64\" and windows \"10.0.22631\" is at least \"10\""},
    });
}

// `and` stops at its first false side, `or` at its first true one, and each test asks its
// source once.
TEST(DecideCondition, AsksOnlyWhatItNeedsOnce)
{
    struct Asking
    {
        const wchar_t* text;
        std::vector<std::wstring> asked;
    };
    const Asking cases[] = {
        {L"arch = x86 and model = x", {L"arch"}},
        {L"arch = x64 or file('C:\\a.exe')", {L"arch"}},
        {L"arch = x64 and language = en-US and model like 'x*'", {L"arch", L"language", L"model"}},
        {L"not server or env('X') and folder('C:\\x')", {L"server"}},
        {L"server or env('X') and folder('C:\\x')", {L"server", L"env X"}},
        {L"program('Contoso Agent') ge 9", {L"programs"}},
        {L"file('C:\\a.exe') ge 1 or program('x')", {L"file C:\\a.exe"}},
    };
    for (const Asking& c : cases) {
        FakeMachineFacts facts;
        DescribeDesktop(facts);
        Decide(c.text, facts);
        EXPECT_EQ(facts.Asked(), c.asked) << c.text;
    }
}

TEST(DecideCondition, EmptyConditionAppliesAndAsksNothing)
{
    FakeMachineFacts facts;
    const ConditionDecision decision = DecideCondition(Condition(), facts);
    EXPECT_EQ(decision.outcome, Outcome::Applies);
    EXPECT_TRUE(decision.reason.empty());
    EXPECT_TRUE(facts.Asked().empty());
}

TEST(ConditionValues, VersionsComparePartByPartAsNumbers)
{
    struct Case { const wchar_t* a; const wchar_t* b; int order; };
    const Case cases[] = {
        {L"10.0", L"10.0.0", 0},       {L"10.0.0.0", L"10", 0},    {L"10.0.9", L"10.0.10", -1},
        {L"10.0.10", L"10.0.9", 1},    {L"010.01", L"10.1", 0},    {L"1.02", L"1.10", -1},
        {L"0", L"0.0.0", 0},           {L"000", L"0", 0},          {L"2", L"10", -1},
        {L"5.2.0.1", L"5.2", 1},       {L"5.2", L"5.2.0.1", -1},   {L"1.0.0.1", L"1.0.0.01", 0},
        {L"99999999999999999999", L"99999999999999999998", 1},      {L"100000000000000000000", L"9", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareVersions(c.a, c.b), c.order) << c.a << L" vs " << c.b;
}

TEST(ConditionValues, VersionTextsAreNumbersBetweenDots)
{
    struct Case { const wchar_t* text; bool version; };
    const Case cases[] = {
        {L"10", true}, {L"10.0.22631", true}, {L"007.1", true}, {L"", false}, {L".1", false}, {L"1.", false},
        {L"1..2", false}, {L"1.a", false}, {L"-1", false}, {L"+1", false}, {L"1 .2", false}, {L"v1", false},
        {L"1.2 ", false}, {L"\x0661", false}, // an Arabic-Indic one is no ASCII digit
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsVersionText(c.text), c.version) << c.text;
}

TEST(ConditionValues, Wildcards)
{
    struct Case { const wchar_t* pattern; const wchar_t* text; bool match; };
    const Case cases[] = {
        {L"", L"", true},           {L"", L"a", false},          {L"a", L"", false},
        {L"*", L"", true},          {L"*", L"anything", true},   {L"***", L"x", true},
        {L"?", L"", false},         {L"?", L"a", true},          {L"??", L"a", false},
        {L"abc", L"ABC", true},     {L"Latitude 7*", L"latitude 7420", true},
        {L"abcd", L"abc", false},   {L"abc*", L"abc", true},     {L"abc", L"abcd", false},
        {L"a*c", L"abbbc", true},   {L"a*c", L"abcb", false},    {L"*c", L"abcbc", true},
        {L"a*b*c", L"aXbYc", true}, {L"a*b*c", L"acb", false},   {L"*a?", L"bab", true},
        {L"?*?", L"a", false},      {L"*?*?*", L"ab", true},     {L"a*a*a", L"aaaa", true},
        // A star in the text is only a character there; in the pattern it is a wildcard even where
        // the text has a star too.
        {L"*x", L"*abcx", true},    {L"a*", L"a*", true},        {L"x*y", L"x*abc*y", true},
        {L"*", L"*", true},         {L"a?c", L"a*c", true},      {L"a\\*", L"a\\bc", true},
        // ASCII case only.
        {L"\x00E4", L"\x00C4", false}, {L"\x00E4*", L"\x00E4x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match) << c.pattern << L" on " << c.text;
}

// Patterns that make a backtracking matcher try every way of splitting the text among its stars
// still take time in proportion to pattern times text.
TEST(ConditionValues, PathologicalWildcardsFinishQuickly)
{
    std::wstring pattern, text(20000, L'a');
    for (int i = 0; i < 30; ++i)
        pattern += L"a*";
    const std::wstring cases[][2] = {
        {pattern + L"b", text},
        {pattern + L"b", text + L"c"},
        {std::wstring(200, L'*') + L"b", text},
        {std::wstring(500, L'?') + L"*" + std::wstring(500, L'?') + L"b", text},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& c : cases)
        EXPECT_FALSE(WildcardMatch(c[0], c[1]));
    EXPECT_TRUE(WildcardMatch(pattern, text));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

} // namespace
