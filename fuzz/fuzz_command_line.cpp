// Fuzzes Varnekite.exe's command line: splits and parses arbitrary text (each byte one
// character) and checks what the parser promises: arguments in order inside the line, a named
// configuration never empty, the older form taking the text after the last '<'.
#include "config/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring line;
    for (size_t i = 0; i < size; ++i)
        line.push_back(static_cast<wchar_t>(data[i]));

    const std::vector<CommandLineArgument> arguments = SplitCommandLine(line);
    Check(!arguments.empty());
    for (size_t i = 1; i < arguments.size(); ++i) {
        Check(arguments[i].rawStart < line.size());
        Check(i == 1 || arguments[i].rawStart > arguments[i - 1].rawStart);
        Check(arguments[i].text.size() <= line.size() - arguments[i].rawStart);
    }

    const CommandLine parsed = ParseCommandLine(line);
    const bool olderForm = line.find(L'<') != std::wstring::npos && parsed.configGiven &&
                           parsed.configPath == ConfigurationPathFromCommandLine(line);
    // /config never names an empty path; only the older form may.
    Check(!parsed.configGiven || !parsed.configPath.empty() || olderForm);
    Check(parsed.configGiven || ConfigurationPathOf(parsed) == L"%VARNEKITE%\\Varnekite.xml");
    for (const PathVariable& variable : parsed.variables)
        Check(!variable.name.empty() && variable.name.find(L'=') == std::wstring::npos);
    return 0;
}
