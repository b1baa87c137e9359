// A condition on an item or a command: the `if` attribute, a small expression over what the
// machine is and has.
//
//   if="arch = x64 and model like 'Latitude 7*'"
//   if="not program('Contoso Agent*') or program('Contoso Agent*') lt 5.2"
//   if="windows ge 10.0.22000 and (language = de-DE or language = de-AT)"
//
// A test is a fact, alone (is it there, is it true) or compared with a value: = != < <= > >=
// (or eq ne lt le gt ge, since "<" must be written "&lt;" in XML) and `like` (wildcards * and ?).
// Tests combine with and, or, not and parentheses. Values are words, numbers, versions, or
// texts in single quotes ('' is one quote inside them; a value and, or or not is quoted). Names
// and words compare without ASCII case. The facts:
//   arch, programarch             x86, x64 or arm64: the machine's, and Varnekite's own build
//   windows                       the Windows version, major.minor.build
//   server                        true on a server edition
//   manufacturer, model           the computer's, from the firmware (SMBIOS)
//   language                      the user interface language, as en-US
//   file('path')                  the file is there; compared, its version resource
//   folder('path')                the folder is there
//   registry('key'[, 'name'[, view]])  the key or value is there; compared, its value; view 32
//                                 or 64 (default: the machine's own)
//   program('display name')       an installed program (wildcards); compared, its version
//   env('NAME')                   an environment variable is set; compared, its value
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class Fact
{
    Arch,
    ProgramArch,
    Windows,
    Server,
    Manufacturer,
    Model,
    Language,
    File,
    Folder,
    Registry,
    Program,
    Env,
};

enum class Comparison
{
    None, // the fact alone: is it there, is it true
    Equal,
    NotEqual,
    Less,
    LessOrEqual,
    Greater,
    GreaterOrEqual,
    Like,
};

struct ConditionNode
{
    enum class Kind
    {
        And,
        Or,
        Not,
        Test,
    };
    Kind kind = Kind::Test;
    std::vector<ConditionNode> operands; // And, Or: two or more; Not: one
    // Test:
    Fact fact = Fact::Arch;
    std::vector<std::wstring> arguments; // file, folder, registry, program, env
    Comparison comparison = Comparison::None;
    std::wstring value;
    size_t position = 0; // of the fact's name in the condition's text
};

// Where a condition's text is wrong and why.
struct ConditionError
{
    size_t position = 0; // in the condition's text
    std::wstring message;
};

class Condition
{
public:
    Condition() = default;
    explicit Condition(ConditionNode root) : root(std::make_shared<const ConditionNode>(std::move(root))) {}

    // No condition: always applies.
    bool Empty() const { return root == nullptr; }
    const ConditionNode& Root() const { return *root; }
    // Whether it asks only what the machine is (architecture, Windows, model, language), which
    // a run cannot change: decided before the window shows.
    bool AsksOnlyTheMachine() const;

private:
    std::shared_ptr<const ConditionNode> root; // shared: commands are copied, their conditions not
};

// What the parser does with each quoted argument of a test before keeping it (the loader
// expands the path variables of paths); empty keeps the text as written.
using ConditionArgumentFilter = std::function<std::wstring(Fact fact, const std::wstring& text)>;

// Reads a condition; false with where and why it is wrong. Empty text (or only white space)
// gives an empty condition.
bool ParseCondition(std::wstring_view text, Condition& condition, ConditionError& error,
                    const ConditionArgumentFilter& filter = {});

// The fact names a condition knows, for messages that suggest the closest.
const std::vector<std::string_view>& FactNames();
// A fact's name as a condition writes it ("programarch").
const wchar_t* FactName(Fact fact);
// Whether the fact is about what the machine is, not what it has.
bool IsMachineFact(Fact fact);
