#include "CheckArguments.h"

#include "xml/AsciiText.h"

const char kCheckUsage[] =
    "usage: varnekite-check [--var NAME=VALUE]... [--fact FACT=VALUE]... [--strict] [--dump] [CONFIG]\n"
    "       varnekite-check [--var NAME=VALUE]... --preview OUT.png [--percent N] [CONFIG]\n"
    "       varnekite-check --facts\n"
    "       varnekite-check --schema\n"
    "       varnekite-check --version\n";

namespace {

std::wstring UpperAscii(std::wstring text)
{
    for (wchar_t& c : text)
        c = UpperAsciiLetter(c);
    return text;
}

bool ParseVariable(const std::wstring& assignment, CheckOptions& options, std::wstring& error)
{
    const size_t equals = assignment.find(L'=');
    if (equals == std::wstring::npos || equals == 0) {
        error = L"--var needs NAME=VALUE, got \"" + assignment + L"\"";
        return false;
    }
    options.overrides.push_back({UpperAscii(assignment.substr(0, equals)), assignment.substr(equals + 1)});
    return true;
}

// A whole number from 0 to 100.
bool ParsePercent(const std::wstring& text, int& percent)
{
    if (text.empty() || text.size() > 3)
        return false;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + (c - L'0');
    }
    if (value > 100)
        return false;
    percent = value;
    return true;
}

} // namespace

bool ParseCheckArguments(const std::vector<std::wstring>& arguments, CheckOptions& options, std::wstring& error)
{
    bool haveConfig = false;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == L'-';
        if (isOption && argument == L"--") {
            optionsEnded = true;
        } else if (isOption && argument == L"--dump") {
            options.dump = true;
        } else if (isOption && argument == L"--strict") {
            options.strict = true;
        } else if (isOption && argument == L"--preview") {
            if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
                error = L"--preview needs the picture's path";
                return false;
            }
            options.previewPath = arguments[++i];
        } else if (isOption && argument == L"--percent") {
            if (i + 1 == arguments.size() || !ParsePercent(arguments[i + 1], options.previewPercent)) {
                error = L"--percent needs a whole number from 0 to 100";
                return false;
            }
            ++i;
        } else if (isOption && (argument == L"--help" || argument == L"-h")) {
            options.help = true;
        } else if (isOption && argument == L"--facts") {
            options.printFacts = true;
        } else if (isOption && argument == L"--fact") {
            if (i + 1 == arguments.size()) {
                error = L"--fact needs FACT=VALUE, e.g. --fact model=\"Latitude 7440\"";
                return false;
            }
            options.facts.push_back(arguments[++i]);
        } else if (isOption && argument.compare(0, 7, L"--fact=") == 0) {
            options.facts.push_back(argument.substr(7));
        } else if (isOption && argument == L"--schema") {
            options.schema = true;
        } else if (isOption && argument == L"--version") {
            options.version = true;
        } else if (isOption && argument == L"--var") {
            if (i + 1 == arguments.size()) {
                error = L"--var needs NAME=VALUE";
                return false;
            }
            if (!ParseVariable(arguments[++i], options, error))
                return false;
        } else if (isOption && argument.compare(0, 6, L"--var=") == 0) {
            if (!ParseVariable(argument.substr(6), options, error))
                return false;
        } else if (isOption) {
            error = L"unknown option " + argument;
            return false;
        } else if (haveConfig) {
            error = L"only one configuration file can be checked";
            return false;
        } else if (argument.find(L'<') != std::wstring::npos) {
            // The installer takes the text after the last '<' of its command line.
            error = L"the installer cannot name a configuration path that contains '<'";
            return false;
        } else {
            options.configPath = argument;
            haveConfig = true;
        }
    }
    if (options.dump && !options.previewPath.empty()) {
        error = L"--dump and --preview cannot be given together";
        return false;
    }
    return true;
}
