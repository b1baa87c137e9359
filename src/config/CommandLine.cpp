#include "config/CommandLine.h"

#include "xml/AsciiText.h"

const wchar_t kCommandLineUsage[] =
    L"Varnekite.exe [/config PATH] [/log PATH] [/var NAME=VALUE]... [/quiet]\n"
    L"Varnekite.exe <PATH\n"
    L"Varnekite.exe /? | /version\n"
    L"\n"
    L"/config PATH\tthe configuration to run; without it Varnekite.xml beside the program\n"
    L"<PATH\t\tthe same, older form: the rest of the command line is the path\n"
    L"/log PATH\tthe run log, over the configuration's <log path>; /log \"\" turns it off\n"
    L"/var NAME=VALUE\tsets a path or environment variable for this run's paths (repeatable)\n"
    L"/quiet\t\tno message box: a configuration error is logged and the run ends at once\n"
    L"/?\t\tthis text\n"
    L"/version\t\tthe program's version\n"
    L"\n"
    L"Option names ignore letter case; /config:PATH works like /config PATH.\n";

const wchar_t kCommandLineErrorText[] = L"Command line not understood:\n";

namespace {

const wchar_t kDefaultConfigurationPath[] = L"%VARNEKITE%\\Varnekite.xml";

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

enum class Option
{
    None,
    Config,
    Log,
    Var,
    Quiet,
    Help,
    Version,
};

struct OptionName
{
    const wchar_t* name;
    Option option;
    bool takesValue;
};

const OptionName kOptions[] = {
    {L"config", Option::Config, true}, {L"log", Option::Log, true},     {L"var", Option::Var, true},
    {L"quiet", Option::Quiet, false},  {L"?", Option::Help, false},     {L"version", Option::Version, false},
};

// "/name" or "/name:value"; null for anything else.
const OptionName* FindOption(const std::wstring& argument, std::wstring* value = nullptr, bool* hasValue = nullptr)
{
    if (argument.size() < 2 || argument[0] != L'/')
        return nullptr;
    const size_t colon = argument.find(L':');
    const std::wstring name = argument.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1);
    for (const OptionName& option : kOptions) {
        if (EqualsIgnoreAsciiCase(name, option.name)) {
            if (value != nullptr)
                *value = colon == std::wstring::npos ? std::wstring() : argument.substr(colon + 1);
            if (hasValue != nullptr)
                *hasValue = colon != std::wstring::npos;
            return &option;
        }
    }
    return nullptr;
}

// Whether the argument begins the older form: '<' first, quotes before it allowed.
bool StartsOlderForm(const std::wstring& commandLine, const CommandLineArgument& argument)
{
    size_t at = argument.rawStart;
    while (at < commandLine.size() && commandLine[at] == L'"')
        ++at;
    return at < commandLine.size() && commandLine[at] == L'<';
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

} // namespace

std::vector<CommandLineArgument> SplitCommandLine(const std::wstring& commandLine)
{
    std::vector<CommandLineArgument> arguments;
    const size_t end = commandLine.size();
    size_t at = 0;
    // The program's name: no escapes, and a quote ends it.
    CommandLineArgument program;
    if (at < end && commandLine[at] == L'"') {
        ++at;
        while (at < end && commandLine[at] != L'"')
            program.text.push_back(commandLine[at++]);
        if (at < end)
            ++at;
    } else {
        while (at < end && !IsBlank(commandLine[at]))
            program.text.push_back(commandLine[at++]);
    }
    arguments.push_back(program);

    for (;;) {
        while (at < end && IsBlank(commandLine[at]))
            ++at;
        if (at >= end)
            break;
        CommandLineArgument argument;
        argument.rawStart = at;
        std::wstring& text = argument.text;
        int quotes = 0; // 1 inside quotes
        size_t backslashes = 0;
        while (at < end && !(IsBlank(commandLine[at]) && quotes == 0)) {
            const wchar_t c = commandLine[at];
            if (c == L'\\') {
                text.push_back(c);
                ++backslashes;
                ++at;
                continue;
            }
            if (c != L'"') {
                text.push_back(c);
                backslashes = 0;
                ++at;
                continue;
            }
            if (backslashes % 2 == 0) {
                text.resize(text.size() - backslashes / 2);
                ++quotes;
            } else {
                text.resize(text.size() - backslashes / 2 - 1);
                text.push_back(L'"');
            }
            backslashes = 0;
            ++at;
            // A run of quotes: every third is one quote of the text ("" inside quotes).
            while (at < end && commandLine[at] == L'"') {
                if (++quotes == 3) {
                    text.push_back(L'"');
                    quotes = 0;
                }
                ++at;
            }
            if (quotes == 2)
                quotes = 0;
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::wstring ConfigurationPathFromCommandLine(const std::wstring& commandLine)
{
    const size_t lastLessThan = commandLine.rfind(L'<');
    if (lastLessThan == std::wstring::npos)
        return kDefaultConfigurationPath;
    // Launchers quote an argument that holds spaces, and the quote then closes after the path:
    // no Windows file name holds a quote, so quotes and the white space around the path go.
    std::wstring path;
    for (size_t i = lastLessThan + 1; i < commandLine.size(); ++i)
        if (commandLine[i] != L'"')
            path.push_back(commandLine[i]);
    const size_t first = path.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    return path.substr(first, path.find_last_not_of(L" \t") - first + 1);
}

CommandLine ParseCommandLine(const std::wstring& commandLine)
{
    CommandLine line;
    const auto fail = [&line](const std::wstring& why) {
        if (line.error.empty())
            line.error = why;
    };
    const std::vector<CommandLineArgument> arguments = SplitCommandLine(commandLine);
    // "Varnekite.exe<x.xml": the name itself runs into the older form.
    const size_t nameEnd = arguments.size() > 1 ? arguments[1].rawStart : commandLine.size();
    if (commandLine.find(L'<') < nameEnd) {
        line.configGiven = true;
        line.configPath = ConfigurationPathFromCommandLine(commandLine);
        return line;
    }
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i].text;
        if (StartsOlderForm(commandLine, arguments[i])) {
            if (line.configGiven)
                fail(L"the configuration is named twice, by /config and by \"<\"");
            line.configGiven = true;
            line.configPath = ConfigurationPathFromCommandLine(commandLine);
            break;
        }
        if (argument.empty())
            continue; // a launcher's empty variable says nothing
        std::wstring value;
        bool hasValue = false;
        const OptionName* option = FindOption(argument, &value, &hasValue);
        if (option == nullptr) {
            if (argument[0] == L'/')
                fail(L"unknown option " + Quoted(argument));
            else
                fail(Quoted(argument) + L" is not an option (/config " + Quoted(argument) +
                     L" names a configuration)");
            continue;
        }
        const std::wstring name = L"/" + std::wstring(option->name);
        if (!option->takesValue && hasValue) {
            fail(name + L" takes no value, not " + Quoted(argument));
            continue;
        }
        if (option->takesValue && !hasValue) {
            // The next argument is the value, unless it is an option or the older form.
            const bool next = i + 1 < arguments.size() && !StartsOlderForm(commandLine, arguments[i + 1]) &&
                              FindOption(arguments[i + 1].text) == nullptr;
            if (next) {
                value = arguments[++i].text;
                hasValue = true;
            }
        }
        switch (option->option) {
        case Option::Config:
            if (!hasValue || value.empty())
                fail(L"/config needs the configuration's path");
            else if (line.configGiven)
                fail(L"/config is given twice");
            else {
                line.configGiven = true;
                line.configPath = value;
            }
            break;
        case Option::Log:
            if (!hasValue)
                fail(L"/log needs the log's path (/log \"\" turns the log off)");
            else if (line.logGiven)
                fail(L"/log is given twice");
            else {
                line.logGiven = true;
                line.logPath = value;
            }
            break;
        case Option::Var: {
            const size_t equals = value.find(L'=');
            if (!hasValue || equals == std::wstring::npos || equals == 0 ||
                value.find(L'%') < equals) {
                fail(hasValue ? L"/var needs NAME=VALUE, not " + Quoted(value) : std::wstring(L"/var needs NAME=VALUE"));
                break;
            }
            std::wstring variable = value.substr(0, equals);
            for (wchar_t& c : variable)
                c = UpperAsciiLetter(c);
            line.variables.push_back({variable, value.substr(equals + 1)});
            break;
        }
        case Option::Quiet: line.quiet = true; break;
        case Option::Help: line.help = true; break;
        case Option::Version: line.version = true; break;
        case Option::None: break;
        }
    }
    return line;
}

std::wstring ConfigurationPathOf(const CommandLine& line)
{
    return line.configGiven ? line.configPath : std::wstring(kDefaultConfigurationPath);
}

std::wstring RedirectedInputError(const CommandLine& line, const std::wstring& inputFile)
{
    if (line.configGiven || inputFile.empty())
        return std::wstring();
    return L"no configuration is named, and the standard input is the file " + Quoted(inputFile) +
           L": cmd.exe took \"<\" for itself. Write /config " + Quoted(inputFile) +
           L" (or ^< at a cmd.exe prompt)";
}

std::wstring CommandLineErrorMessage(const std::wstring& error)
{
    return kCommandLineErrorText + error + L"\n\nVarnekite.exe /? lists the options.";
}
