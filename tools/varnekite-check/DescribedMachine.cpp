#include "DescribedMachine.h"

#include "config/Condition.h"
#include "config/ConditionValues.h"
#include "xml/AsciiText.h"

#include <algorithm>

namespace {

std::wstring Folded(std::wstring text)
{
    for (wchar_t& c : text)
        c = FoldAscii(c);
    return text;
}

const wchar_t* ViewName(RegistryView view)
{
    return view == RegistryView::Bits32 ? L"32" : view == RegistryView::Bits64 ? L"64" : L"";
}

// One key for a question however it was written: names, paths and keys without ASCII case.
std::wstring KeyOf(Fact fact, const std::vector<std::wstring>& arguments)
{
    std::wstring key = FactName(fact);
    for (const std::wstring& argument : arguments)
        key += L"|" + Folded(argument);
    return key;
}

std::wstring RegistryKeyOf(const std::wstring& key, bool hasName, const std::wstring& name, RegistryView view)
{
    std::vector<std::wstring> arguments{key};
    if (hasName)
        arguments.push_back(name);
    std::wstring question = KeyOf(Fact::Registry, arguments);
    if (view != RegistryView::Native)
        question += std::wstring(L"@") + ViewName(view);
    return question;
}

} // namespace

bool DescribedMachine::Add(const std::wstring& assignment, std::wstring& error)
{
    // The fact is written as a condition's test: the parser reads it, arguments and all. The
    // value is everything after the '=' that follows the test (a path may hold '=' itself).
    size_t equals = std::wstring::npos;
    bool quoted = false;
    for (size_t i = 0; i < assignment.size() && equals == std::wstring::npos; ++i) {
        if (assignment[i] == L'\'')
            quoted = !quoted;
        else if (assignment[i] == L'=' && !quoted)
            equals = i;
    }
    if (equals == std::wstring::npos) {
        error = L"--fact needs NAME=VALUE, got \"" + assignment + L"\"";
        return false;
    }
    const std::wstring left = assignment.substr(0, equals);
    const std::wstring value = assignment.substr(equals + 1);
    Condition test;
    ConditionError problem;
    if (!ParseCondition(left, test, problem) || test.Empty() || test.Root().kind != ConditionNode::Kind::Test ||
        test.Root().comparison != Comparison::None) {
        error = L"--fact \"" + assignment + L"\" does not name a fact" +
                (problem.message.empty() ? std::wstring() : L": " + problem.message);
        return false;
    }
    const ConditionNode& fact = test.Root();
    const bool no = EqualsIgnoreAsciiCase(value, L"false");
    switch (fact.fact) {
    case Fact::Program:
        programsGiven = true;
        if (!no)
            programs.push_back({fact.arguments[0], value});
        return true;
    case Fact::Registry: {
        const RegistryView view = fact.arguments.size() < 3 ? RegistryView::Native
                                  : fact.arguments[2] == L"32" ? RegistryView::Bits32
                                                               : RegistryView::Bits64;
        const bool hasName = fact.arguments.size() >= 2;
        answers[RegistryKeyOf(fact.arguments[0], hasName, hasName ? fact.arguments[1] : L"", view)] =
            FactAnswer::Found(value);
        if (hasName) // a value is there, so its key is too
            answers.emplace(RegistryKeyOf(fact.arguments[0], false, L"", view), FactAnswer::Found({}));
        return true;
    }
    case Fact::Folder:
        if (!no && !EqualsIgnoreAsciiCase(value, L"true")) {
            error = L"--fact folder(...) is true or false, not \"" + value + L"\"";
            return false;
        }
        answers[KeyOf(fact.fact, fact.arguments)] = no ? FactAnswer::Missing() : FactAnswer::Found({});
        return true;
    case Fact::File:
        if (!no && !value.empty() && !IsVersionText(value)) {
            error = L"--fact file(...) is its version (empty for none) or false, not \"" + value + L"\"";
            return false;
        }
        answers[KeyOf(fact.fact, fact.arguments)] = no ? FactAnswer::Missing() : FactAnswer::Found(value);
        return true;
    case Fact::Arch:
    case Fact::ProgramArch:
        if (!IsArchitectureName(value)) {
            error = L"--fact " + left + L" is x86, x64 or arm64, not \"" + value + L"\"";
            return false;
        }
        break;
    case Fact::Windows:
        if (!IsVersionText(value)) {
            error = L"--fact windows is a version (10.0.22631), not \"" + value + L"\"";
            return false;
        }
        break;
    case Fact::Server:
        if (!no && !EqualsIgnoreAsciiCase(value, L"true")) {
            error = L"--fact server is true or false, not \"" + value + L"\"";
            return false;
        }
        break;
    default:
        break;
    }
    answers[KeyOf(fact.fact, fact.arguments)] = FactAnswer::Found(value);
    return true;
}

void DescribedMachine::Assume(const std::wstring& assumption)
{
    if (std::find(assumed.begin(), assumed.end(), assumption) == assumed.end())
        assumed.push_back(assumption);
}

FactAnswer DescribedMachine::Answer(const std::wstring& question, const std::wstring& assumption,
                                    FactAnswer assumedAnswer)
{
    const auto given = answers.find(question);
    if (given != answers.end())
        return given->second;
    Assume(assumption);
    return assumedAnswer;
}

FactAnswer DescribedMachine::Machine(Fact fact)
{
    const std::wstring name = FactName(fact);
    return Answer(KeyOf(fact, {}), name + L" (not given: conditions on it are not decided; give --fact " + name + L"=...)",
                  FactAnswer::Failed(L"not given"));
}

FactAnswer DescribedMachine::File(const std::wstring& path)
{
    return Answer(KeyOf(Fact::File, {path}), L"file '" + path + L"' is not there", FactAnswer::Missing());
}

FactAnswer DescribedMachine::Folder(const std::wstring& path)
{
    return Answer(KeyOf(Fact::Folder, {path}), L"folder '" + path + L"' is not there", FactAnswer::Missing());
}

FactAnswer DescribedMachine::Registry(const std::wstring& key, bool hasName, const std::wstring& name,
                                      RegistryView view)
{
    return Answer(RegistryKeyOf(key, hasName, name, view),
                  L"registry '" + key + (hasName ? L"' '" + name : std::wstring()) + L"'" +
                      (view == RegistryView::Native ? std::wstring() : std::wstring(L" (") + ViewName(view) + L"-bit view)") +
                      L" is not there",
                  FactAnswer::Missing());
}

bool DescribedMachine::Programs(std::vector<InstalledProgram>& list, std::wstring&)
{
    if (!programsGiven)
        Assume(L"no program is installed (give --fact program('name')=version)");
    list = programs;
    return true;
}

FactAnswer DescribedMachine::Environment(const std::wstring& name)
{
    return Answer(KeyOf(Fact::Env, {name}), L"env '" + name + L"' is not set", FactAnswer::Missing());
}
