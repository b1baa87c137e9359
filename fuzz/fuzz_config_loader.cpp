// Fuzzes the configuration loader: arbitrary bytes are written as the configuration file and
// loaded exactly as the installer loads them, then dumped and described as varnekite-check
// does. Checks that a load either succeeds or reports exactly one fault, and that every command
// has its kind's argument count.
#include "CheckRun.h"
#include "DescribedMachine.h"
#include "SettingsJson.h"
#include "commands/CommandKinds.h"
#include "config/ConfigurationLoader.h"
#include "config/ItemSelection.h"
#include "xml/WideBytes.h"
#include "xml/XmlDocument.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Values with backslash runs, percent signs and references to themselves and to other
// variables, so that expansion meets its awkward cases.
const PathVariables kTable = {
    {L"VARNEKITE", L"C:\\Setup\\"}, {L"SOURCEPATH", L"%TEMP%\\\\i386"}, {L"USERPROFILE", L""},
    {L"SYSTEMDRIVE", L"C:"}, {L"WINDIR", L"%WINDIR%"}, {L"PROGRAMFILES", L"%%PROGRAMFILES%%"},
    {L"SYSTEMROOT", L"\\\\%"}, {L"ALLUSERSPROFILE", L"%allusersprofile%"}, {L"APPDATA", L"%TMP%%TMP%"},
    {L"HOMEDRIVE", L"H:"}, {L"HOMEPATH", L"%HOMEDRIVE%"}, {L"HOMESHARE", L""}, {L"TEMP", L"x%TEMP%y"},
    {L"TMP", L"\\"},
};

size_t ExpectedArguments(std::wstring_view commandName)
{
    if (EqualsIgnoreAsciiCase(commandName, L"dirdelete"))
        return 1;
    if (EqualsIgnoreAsciiCase(commandName, L"msi"))
        return kMsiArgumentCount;
    return 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // In memory where possible: rewriting a file on disk each run waits for the disk.
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/fuzz_config_loader." + std::to_string(getpid()) + ".xml";
    static const bool removedAtExit = std::atexit([] { unlink(path.c_str()); }) == 0;
    (void)removedAtExit;
    static CommandRegistry handlers = [] {
        CommandRegistry registry;
        RegisterCommandKinds(registry);
        return registry;
    }();

    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    InstallSettings settings;
    int faults = 0;
    const LoadOutcome outcome = LoadConfiguration(settings, handlers, L"setup.exe <" + WidenBytes(path), kTable,
                                                  [&faults](const std::wstring&) { ++faults; });
    Check(faults == (outcome == LoadOutcome::Loaded ? 0 : 1));
    if (outcome != LoadOutcome::Loaded)
        return 0;

    for (const InstallCommand& command : settings.commands)
        Check(command.arguments.size() == ExpectedArguments(command.CommandName()));
    Check(settings.main.showTotal < 0 || settings.main.showAfter < settings.main.showTotal);
    Check(settings.main.showAfter >= 0 || settings.main.showTotal <= 0);

    const std::string json = SettingsToJson(settings);
    Check(!json.empty() && json.front() == '{' && json.back() == '\n');
    DescribeSettings(settings);

    // The conditions decided on a described machine, and the items it lists: every command
    // stays with an item that is listed.
    DescribedMachine machine;
    std::wstring error;
    for (const wchar_t* fact : {L"arch=x64", L"model=Latitude 7440", L"windows=10.0.22631", L"program('Agent')=5.1",
                                L"folder('C:\\Setup')=true", L"registry('HKLM\\SOFTWARE\\X', 'V')=12"})
        Check(machine.Add(fact, error));
    DescribeSettings(settings, &machine);
    InstallSettings selected = settings;
    const size_t items = selected.items.size();
    const std::vector<std::wstring> notListed = SelectItemsForMachine(selected, machine);
    Check(selected.items.size() + notListed.size() == items);
    for (const InstallCommand& command : selected.commands)
        Check(command.item < selected.items.size());

    // The checker's load: the same settings, and every diagnostic placed inside the text.
    std::vector<Diagnostic> diagnostics;
    const DiagnosticSink sink = [&diagnostics](const Diagnostic& diagnostic) { diagnostics.push_back(diagnostic); };
    LoadOptions options;
    options.diagnostics = &sink;
    options.fileExists = [](const std::wstring& file) { return file.size() % 2 == 0; };
    InstallSettings checked;
    Check(LoadConfiguration(checked, handlers, L"setup.exe <" + WidenBytes(path), kTable,
                            [](const std::wstring&) {}, options) == LoadOutcome::Loaded);
    Check(SettingsToJson(checked) == json);
    for (const Diagnostic& diagnostic : diagnostics) {
        Check(diagnostic.line >= 1 && diagnostic.column >= 1 && !diagnostic.message.empty());
        Check(!FormatDiagnostic(L"f.xml", diagnostic).empty());
    }
    return 0;
}
