#include "config/ConditionEvaluation.h"

#include "config/ConditionValues.h"
#include "xml/AsciiText.h"

namespace {

using Outcome = ConditionDecision::Outcome;

// "model", "file 'C:\x\a.exe'", "registry 'HKLM\SOFTWARE\X' 'Version'".
std::wstring Subject(const ConditionNode& test)
{
    std::wstring subject = FactName(test.fact);
    for (size_t i = 0; i < test.arguments.size(); ++i) {
        if (test.fact == Fact::Registry && i == 2)
            subject += L" (" + test.arguments[i] + L"-bit view)";
        else
            subject += L" '" + test.arguments[i] + L"'";
    }
    return subject;
}

// How a comparison reads when it holds, and when it does not.
const wchar_t* Relation(Comparison comparison, bool holds)
{
    switch (comparison) {
    case Comparison::Equal:
        return holds ? L"is" : L"is not";
    case Comparison::NotEqual:
        return holds ? L"is not" : L"is";
    case Comparison::Less:
        return holds ? L"is below" : L"is not below";
    case Comparison::LessOrEqual:
        return holds ? L"is at most" : L"is above";
    case Comparison::Greater:
        return holds ? L"is above" : L"is not above";
    case Comparison::GreaterOrEqual:
        return holds ? L"is at least" : L"is below";
    case Comparison::Like:
        return holds ? L"is like" : L"is not like";
    case Comparison::None:
        break;
    }
    return L"";
}

// Why `actual`, found for `subject`, cannot be ordered against the test's value.
std::wstring Incomparable(const std::wstring& subject, const ConditionNode& test, const std::wstring& actual)
{
    const bool versioned = test.fact == Fact::File || test.fact == Fact::Program;
    if (actual.empty())
        return subject + (versioned ? L" has no version" : L" is empty") + L" to compare with \"" + test.value +
               L"\"";
    return subject + (versioned ? L" version \"" : L" \"") + actual +
           L"\" is neither a number nor a version, so it cannot be compared with \"" + test.value + L"\"";
}

// Whether `actual` stands in the test's relation to its value; false when the two cannot be
// compared that way (a text where a version is needed).
bool Holds(const ConditionNode& test, const std::wstring& actual, bool& holds)
{
    const bool versions = IsVersionText(actual) && IsVersionText(test.value);
    switch (test.comparison) {
    case Comparison::Like:
        holds = WildcardMatch(test.value, actual);
        return true;
    case Comparison::Equal:
    case Comparison::NotEqual: {
        const bool equal = versions ? CompareVersions(actual, test.value) == 0 : EqualsIgnoreAsciiCase(actual, test.value);
        holds = equal == (test.comparison == Comparison::Equal);
        return true;
    }
    default:
        break;
    }
    if (!versions)
        return false;
    const int order = CompareVersions(actual, test.value);
    switch (test.comparison) {
    case Comparison::Less:
        holds = order < 0;
        break;
    case Comparison::LessOrEqual:
        holds = order <= 0;
        break;
    case Comparison::Greater:
        holds = order > 0;
        break;
    default:
        holds = order >= 0;
        break;
    }
    return true;
}

ConditionDecision Decided(bool holds, std::wstring reason)
{
    return {holds ? Outcome::Applies : Outcome::DoesNotApply, std::move(reason)};
}

ConditionDecision Undecided(std::wstring reason)
{
    return {Outcome::Undecided, std::move(reason)};
}

// A found value compared, or its presence.
ConditionDecision Compare(const ConditionNode& test, const FactAnswer& answer, const wchar_t* present,
                          const wchar_t* absent)
{
    const std::wstring subject = Subject(test);
    if (answer.status == FactAnswer::Status::Failed)
        return Undecided(subject + L" cannot be read: " + answer.why);
    if (test.comparison == Comparison::None)
        return Decided(answer.status == FactAnswer::Status::Found,
                       subject + L" " + (answer.status == FactAnswer::Status::Found ? present : absent));
    if (answer.status == FactAnswer::Status::Missing)
        return Decided(test.comparison == Comparison::NotEqual, subject + L" " + absent);
    bool holds = false;
    if (!Holds(test, answer.value, holds))
        return Undecided(Incomparable(subject, test, answer.value));
    return Decided(holds, subject + L" \"" + answer.value + L"\" " + Relation(test.comparison, holds) + L" \"" +
                              test.value + L"\"");
}

ConditionDecision DecidePrograms(const ConditionNode& test, MachineFacts& facts)
{
    std::vector<InstalledProgram> programs;
    std::wstring why;
    const std::wstring subject = Subject(test);
    if (!facts.Programs(programs, why))
        return Undecided(L"the installed programs cannot be read: " + why);
    // Any installed program of that name whose version holds will do; when none does, one whose
    // version cannot be compared leaves it undecided, as an undecided side of an `or` does.
    const InstalledProgram* first = nullptr;
    std::wstring incomparable;
    for (const InstalledProgram& program : programs) {
        if (!WildcardMatch(test.arguments[0], program.name))
            continue;
        if (test.comparison == Comparison::None)
            return Decided(true, L"program \"" + program.name + L"\" is installed");
        bool holds = false;
        if (!Holds(test, program.version, holds)) {
            if (incomparable.empty())
                incomparable = Incomparable(L"program \"" + program.name + L"\"", test, program.version);
            continue;
        }
        if (holds)
            return Decided(true, L"program \"" + program.name + L"\" version \"" + program.version + L"\" " +
                                     Relation(test.comparison, true) + L" \"" + test.value + L"\"");
        if (first == nullptr)
            first = &program;
    }
    if (!incomparable.empty())
        return Undecided(incomparable);
    if (first == nullptr)
        return Decided(test.comparison == Comparison::NotEqual, subject + L" is not installed");
    return Decided(false, L"program \"" + first->name + L"\" version \"" + first->version + L"\" " +
                              Relation(test.comparison, false) + L" \"" + test.value + L"\"");
}

ConditionDecision DecideTest(const ConditionNode& test, MachineFacts& facts)
{
    switch (test.fact) {
    case Fact::File:
        return Compare(test, facts.File(test.arguments[0]), L"is there", L"is not there");
    case Fact::Folder:
        return Compare(test, facts.Folder(test.arguments[0]), L"is there", L"is not there");
    case Fact::Registry: {
        const RegistryView view = test.arguments.size() < 3 ? RegistryView::Native
                                  : test.arguments[2] == L"32" ? RegistryView::Bits32
                                                               : RegistryView::Bits64;
        const bool hasName = test.arguments.size() >= 2;
        return Compare(test, facts.Registry(test.arguments[0], hasName, hasName ? test.arguments[1] : L"", view),
                       L"is there", L"is not there");
    }
    case Fact::Program:
        return DecidePrograms(test, facts);
    case Fact::Env:
        return Compare(test, facts.Environment(test.arguments[0]), L"is set", L"is not set");
    case Fact::Server: {
        const FactAnswer answer = facts.Machine(Fact::Server);
        if (answer.status != FactAnswer::Status::Found)
            return Undecided(L"whether this is a server edition cannot be read" +
                             (answer.why.empty() ? std::wstring() : L": " + answer.why));
        const bool server = EqualsIgnoreAsciiCase(answer.value, L"true");
        const bool wanted = test.comparison == Comparison::None || EqualsIgnoreAsciiCase(test.value, L"true");
        const bool holds = (server == wanted) == (test.comparison != Comparison::NotEqual);
        return Decided(holds, server ? L"this Windows is a server edition" : L"this Windows is no server edition");
    }
    default: {
        const FactAnswer answer = facts.Machine(test.fact);
        if (answer.status != FactAnswer::Status::Found)
            return Undecided(Subject(test) + L" cannot be read" + (answer.why.empty() ? std::wstring() : L": " + answer.why));
        if (test.comparison == Comparison::None)
            return Decided(!answer.value.empty(), Subject(test) + L" is \"" + answer.value + L"\"");
        return Compare(test, answer, L"", L"");
    }
    }
}

ConditionDecision Decide(const ConditionNode& node, MachineFacts& facts)
{
    switch (node.kind) {
    case ConditionNode::Kind::Test:
        return DecideTest(node, facts);
    case ConditionNode::Kind::Not: {
        ConditionDecision inner = Decide(node.operands[0], facts);
        if (inner.outcome == Outcome::Undecided)
            return inner;
        inner.outcome = inner.outcome == Outcome::Applies ? Outcome::DoesNotApply : Outcome::Applies;
        return inner;
    }
    case ConditionNode::Kind::And:
    case ConditionNode::Kind::Or: {
        // `and` stops at the first false side, `or` at the first true one; an undecided side
        // decides only when no side settles it.
        const Outcome settles = node.kind == ConditionNode::Kind::And ? Outcome::DoesNotApply : Outcome::Applies;
        ConditionDecision undecided, last;
        bool anyUndecided = false;
        for (const ConditionNode& operand : node.operands) {
            ConditionDecision side = Decide(operand, facts);
            if (side.outcome == settles)
                return side;
            if (side.outcome == Outcome::Undecided && !anyUndecided) {
                anyUndecided = true;
                undecided = side;
            }
            if (!last.reason.empty() && side.outcome != Outcome::Undecided)
                last.reason += L" and ";
            if (side.outcome != Outcome::Undecided)
                last.reason += side.reason;
            last.outcome = side.outcome;
        }
        return anyUndecided ? undecided : last;
    }
    }
    return {};
}

} // namespace

ConditionDecision DecideCondition(const Condition& condition, MachineFacts& facts)
{
    if (condition.Empty())
        return {};
    return Decide(condition.Root(), facts);
}
