// The condition reader: a tokenizer and a recursive descent over
//   condition := and ('or' and)*      and := unary ('and' unary)*
//   unary := 'not' unary | '(' condition ')' | test
//   test := fact ['(' text {',' text} ')'] [comparison value]
// Every error names the place in the text where it was found.
#include "config/Condition.h"

#include "config/ConditionValues.h"
#include "config/Diagnostics.h"
#include "xml/AsciiText.h"
#include "xml/WideBytes.h"


namespace {

struct FactRow
{
    Fact fact;
    const wchar_t* name;
    const char* narrowName;
    size_t minArguments;
    size_t maxArguments;
    bool machine;
};

constexpr FactRow kFacts[] = {
    {Fact::Arch, L"arch", "arch", 0, 0, true},
    {Fact::ProgramArch, L"programarch", "programarch", 0, 0, true},
    {Fact::Windows, L"windows", "windows", 0, 0, true},
    {Fact::Server, L"server", "server", 0, 0, true},
    {Fact::Manufacturer, L"manufacturer", "manufacturer", 0, 0, true},
    {Fact::Model, L"model", "model", 0, 0, true},
    {Fact::Language, L"language", "language", 0, 0, true},
    {Fact::File, L"file", "file", 1, 1, false},
    {Fact::Folder, L"folder", "folder", 1, 1, false},
    {Fact::Registry, L"registry", "registry", 1, 3, false},
    {Fact::Program, L"program", "program", 1, 1, false},
    {Fact::Env, L"env", "env", 1, 1, false},
};

const FactRow& RowOf(Fact fact)
{
    for (const FactRow& row : kFacts)
        if (row.fact == fact)
            return row;
    return kFacts[0];
}

struct Token
{
    enum class Kind
    {
        End,
        Word,
        Text, // quoted
        Open,
        Close,
        Comma,
        Operator,
    };
    Kind kind = Kind::End;
    std::wstring text;
    size_t position = 0;
};

// ASCII white space only, as XML has it: the C runtimes' iswspace disagree beyond ASCII (glibc's
// C locale knows no U+3000, Windows' does), and a condition reads the same everywhere.
bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsWordCharacter(wchar_t c)
{
    return !IsSpace(c) && c != L'(' && c != L')' && c != L',' && c != L'\'' &&
           c != L'=' && c != L'!' && c != L'<' && c != L'>';
}

class Parser
{
public:
    Parser(std::wstring_view text, const ConditionArgumentFilter& filter) : text(text), filter(filter) { Next(); }

    bool Parse(ConditionNode& root, ConditionError& error)
    {
        if (!Or(root))
            return Fail(error);
        if (token.kind == Token::Kind::Close)
            Error(token.position, L"a \")\" without its \"(\"");
        else if (token.kind != Token::Kind::End)
            Error(token.position, L"\"" + token.text + L"\" where \"and\", \"or\" or the end was expected");
        if (!message.empty())
            return Fail(error);
        return true;
    }

private:
    bool Fail(ConditionError& error)
    {
        error.position = errorPosition;
        error.message = message;
        return false;
    }

    bool Error(size_t position, const std::wstring& why)
    {
        if (!message.empty())
            return false;
        // A text without its closing quote swallows the rest of the condition, so whatever went
        // wrong from there on is that quote.
        if (unterminated && position >= unterminatedAt) {
            errorPosition = unterminatedAt;
            message = L"a text without its closing quote";
        } else {
            errorPosition = position;
            message = why;
        }
        return false;
    }

    bool IsConnective() const { return IsKeyword(L"and") || IsKeyword(L"or") || IsKeyword(L"not"); }

    bool IsKeyword(const wchar_t* word) const
    {
        return token.kind == Token::Kind::Word && EqualsIgnoreAsciiCase(token.text, word);
    }

    void Next()
    {
        while (at < text.size() && IsSpace(text[at]))
            ++at;
        token = Token();
        token.position = at;
        if (at >= text.size())
            return;
        const wchar_t c = text[at];
        if (c == L'(' || c == L')' || c == L',') {
            token.kind = c == L'(' ? Token::Kind::Open : c == L')' ? Token::Kind::Close : Token::Kind::Comma;
            token.text = std::wstring(1, c);
            ++at;
            return;
        }
        if (c == L'\'') {
            token.kind = Token::Kind::Text;
            ++at;
            for (;;) {
                if (at >= text.size()) {
                    unterminated = true;
                    unterminatedAt = token.position;
                    return;
                }
                if (text[at] == L'\'') {
                    if (at + 1 < text.size() && text[at + 1] == L'\'') { // '' is one quote
                        token.text += L'\'';
                        at += 2;
                        continue;
                    }
                    ++at;
                    return;
                }
                token.text += text[at++];
            }
        }
        if (c == L'=' || c == L'!' || c == L'<' || c == L'>') {
            token.kind = Token::Kind::Operator;
            token.text = std::wstring(1, c);
            ++at;
            if (at < text.size() && (text[at] == L'=' || (c == L'<' && text[at] == L'>'))) {
                token.text += text[at];
                ++at;
            }
            return;
        }
        token.kind = Token::Kind::Word;
        while (at < text.size() && IsWordCharacter(text[at]))
            token.text += text[at++];
    }

    bool Or(ConditionNode& node) { return Joined(node, L"or", ConditionNode::Kind::Or, &Parser::And); }
    bool And(ConditionNode& node) { return Joined(node, L"and", ConditionNode::Kind::And, &Parser::Unary); }

    // One level of the grammar: operands read by `operand`, joined by `keyword`; a single
    // operand stands for itself.
    bool Joined(ConditionNode& node, const wchar_t* keyword, ConditionNode::Kind kind,
                bool (Parser::*operand)(ConditionNode&))
    {
        ConditionNode first;
        if (!(this->*operand)(first))
            return false;
        if (!IsKeyword(keyword)) {
            node = std::move(first);
            return true;
        }
        node = ConditionNode();
        node.kind = kind;
        node.position = first.position;
        node.operands.push_back(std::move(first));
        while (IsKeyword(keyword)) {
            Next();
            ConditionNode next;
            if (!(this->*operand)(next))
                return false;
            node.operands.push_back(std::move(next));
        }
        return true;
    }

    bool Unary(ConditionNode& node)
    {
        if (++depth > kMaxDepth)
            return Error(token.position, L"nested too deeply");
        const bool read = UnaryAtDepth(node);
        --depth;
        return read;
    }

    bool UnaryAtDepth(ConditionNode& node)
    {
        if (IsKeyword(L"not")) {
            node = ConditionNode();
            node.kind = ConditionNode::Kind::Not;
            node.position = token.position;
            Next();
            node.operands.emplace_back();
            return Unary(node.operands.back());
        }
        if (token.kind == Token::Kind::Open) {
            const size_t open = token.position;
            Next();
            if (!Or(node))
                return false;
            if (token.kind != Token::Kind::Close)
                return Error(token.kind == Token::Kind::End ? open : token.position,
                             token.kind == Token::Kind::End ? L"a \"(\" without its \")\""
                                                            : L"\"" + token.text + L"\" where \")\" was expected");
            Next();
            return true;
        }
        return Test(node);
    }

    bool Test(ConditionNode& node)
    {
        node = ConditionNode();
        node.position = token.position;
        if (token.kind == Token::Kind::End)
            return Error(token.position, L"a test was expected here");
        if (token.kind != Token::Kind::Word || IsConnective())
            return Error(token.position, L"\"" + token.text + L"\" where a test was expected");
        const FactRow* row = nullptr;
        for (const FactRow& candidate : kFacts)
            if (EqualsIgnoreAsciiCase(token.text, candidate.name))
                row = &candidate;
        if (row == nullptr) {
            return Error(token.position, L"unknown fact \"" + token.text + L"\"" +
                                             DidYouMean(ClosestName(NarrowBytes(token.text), FactNames())));
        }
        node.fact = row->fact;
        Next();
        if (!Arguments(node, *row))
            return false;
        return Compared(node);
    }

    bool Arguments(ConditionNode& node, const FactRow& row)
    {
        const std::wstring name = row.name;
        if (token.kind != Token::Kind::Open) {
            if (row.minArguments > 0)
                return Error(node.position, name + L" needs what it looks at in parentheses: " + name + L"('...')");
            return true;
        }
        if (row.maxArguments == 0)
            return Error(token.position, name + L" takes nothing in parentheses");
        Next();
        size_t lastAt = token.position;
        for (;;) {
            if (unterminated)
                return Error(token.position, L"a text without its closing quote");
            // Later arguments may go unquoted: the registry view is a number.
            if (token.kind == Token::Kind::Text || (token.kind == Token::Kind::Word && !node.arguments.empty()))
                node.arguments.push_back(filter && token.kind == Token::Kind::Text ? filter(node.fact, token.text)
                                                                                     : token.text);
            else
                return Error(token.position, L"a text in single quotes was expected here");
            lastAt = token.position;
            Next();
            if (token.kind == Token::Kind::Close)
                break;
            if (token.kind != Token::Kind::Comma)
                return Error(token.position, L"\",\" or \")\" was expected here");
            Next();
        }
        if (node.arguments.size() < row.minArguments || node.arguments.size() > row.maxArguments)
            return Error(node.position, name + L" takes " +
                                            (row.maxArguments > row.minArguments
                                                 ? std::to_wstring(row.minArguments) + L" to " +
                                                       std::to_wstring(row.maxArguments) + L" texts"
                                                 : std::wstring(L"one text")) +
                                            L" in parentheses");
        if (node.fact == Fact::Registry && node.arguments.size() == 3 && node.arguments[2] != L"32" &&
            node.arguments[2] != L"64")
            return Error(lastAt, L"a registry view is 32 or 64, not \"" + node.arguments[2] + L"\"");
        Next();
        return true;
    }

    bool Compared(ConditionNode& node)
    {
        const size_t at = token.position;
        node.comparison = ComparisonOf();
        if (node.comparison == Comparison::None)
            return true;
        Next();
        if (unterminated)
            return Error(token.position, L"a text without its closing quote");
        // "model = and ..." lost its value: a value that is one of these words is quoted.
        if ((token.kind != Token::Kind::Word && token.kind != Token::Kind::Text) || IsConnective())
            return Error(token.position, L"a value was expected after the comparison");
        node.value = token.text;
        const size_t valueAt = token.position;
        Next();
        return CheckValue(node, at, valueAt);
    }

    Comparison ComparisonOf() const
    {
        struct Spelling
        {
            const wchar_t* text;
            Comparison comparison;
        };
        static const Spelling spellings[] = {
            {L"=", Comparison::Equal},     {L"==", Comparison::Equal},   {L"eq", Comparison::Equal},
            {L"!=", Comparison::NotEqual}, {L"<>", Comparison::NotEqual}, {L"ne", Comparison::NotEqual},
            {L"<", Comparison::Less},      {L"lt", Comparison::Less},     {L"<=", Comparison::LessOrEqual},
            {L"le", Comparison::LessOrEqual}, {L">", Comparison::Greater}, {L"gt", Comparison::Greater},
            {L">=", Comparison::GreaterOrEqual}, {L"ge", Comparison::GreaterOrEqual}, {L"like", Comparison::Like},
        };
        if (token.kind != Token::Kind::Operator && token.kind != Token::Kind::Word)
            return Comparison::None;
        for (const Spelling& spelling : spellings)
            if (EqualsIgnoreAsciiCase(token.text, spelling.text))
                return spelling.comparison;
        return Comparison::None;
    }

    // What a value must be for its fact and comparison, said where it is written.
    bool CheckValue(const ConditionNode& node, size_t comparisonAt, size_t valueAt)
    {
        const bool ordering = node.comparison == Comparison::Less || node.comparison == Comparison::LessOrEqual ||
                              node.comparison == Comparison::Greater || node.comparison == Comparison::GreaterOrEqual;
        const std::wstring name = FactName(node.fact);
        switch (node.fact) {
        case Fact::Arch:
        case Fact::ProgramArch:
            if (ordering)
                return Error(comparisonAt, name + L" is compared with = or != (or like)");
            if (node.comparison != Comparison::Like && !IsArchitectureName(node.value))
                return Error(valueAt, L"\"" + node.value + L"\" is no architecture (x86, x64 or arm64)");
            return true;
        case Fact::Server:
            if (node.comparison != Comparison::Equal && node.comparison != Comparison::NotEqual)
                return Error(comparisonAt, L"server is compared with = true or = false, or stands alone");
            if (!EqualsIgnoreAsciiCase(node.value, L"true") && !EqualsIgnoreAsciiCase(node.value, L"false"))
                return Error(valueAt, L"server is true or false, not \"" + node.value + L"\"");
            return true;
        case Fact::Windows:
        case Fact::File:
        case Fact::Program:
            if (node.comparison != Comparison::Like && !IsVersionText(node.value))
                return Error(valueAt, L"\"" + node.value + L"\" is not a version (numbers between dots: 10.0.22631)");
            return true;
        case Fact::Folder:
            return Error(comparisonAt, L"folder stands alone: it is there or not");
        default:
            if (ordering && !IsVersionText(node.value))
                return Error(valueAt, L"\"" + node.value + L"\" is neither a number nor a version, so it cannot be "
                                      L"compared as larger or smaller");
            return true;
        }
    }

    static constexpr int kMaxDepth = 64; // deep enough for any condition a person writes

    std::wstring_view text;
    const ConditionArgumentFilter& filter;
    size_t at = 0;
    Token token;
    bool unterminated = false;
    size_t unterminatedAt = 0; // the quote that opens the text without an end
    int depth = 0;
    size_t errorPosition = 0;
    std::wstring message;
};

bool OnlyMachineFacts(const ConditionNode& node)
{
    if (node.kind == ConditionNode::Kind::Test)
        return IsMachineFact(node.fact);
    for (const ConditionNode& operand : node.operands)
        if (!OnlyMachineFacts(operand))
            return false;
    return true;
}

} // namespace

bool Condition::AsksOnlyTheMachine() const
{
    return root != nullptr && OnlyMachineFacts(*root);
}

bool ParseCondition(std::wstring_view text, Condition& condition, ConditionError& error,
                    const ConditionArgumentFilter& filter)
{
    condition = Condition();
    size_t first = 0;
    while (first < text.size() && IsSpace(text[first]))
        ++first;
    if (first == text.size())
        return true;
    Parser parser(text, filter);
    ConditionNode root;
    if (!parser.Parse(root, error))
        return false;
    condition = Condition(std::move(root));
    return true;
}

const std::vector<std::string_view>& FactNames()
{
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> all;
        for (const FactRow& row : kFacts)
            all.push_back(row.narrowName);
        return all;
    }();
    return names;
}

const wchar_t* FactName(Fact fact)
{
    return RowOf(fact).name;
}

bool IsMachineFact(Fact fact)
{
    return RowOf(fact).machine;
}
