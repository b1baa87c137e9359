// varnekite-check: the installer's loader with a report instead of a window.
#include "CheckRun.h"

#include "CheckArguments.h"
#include "DescribedMachine.h"
#include "SchemaXsd.h"
#include "SettingsJson.h"
#include "commands/CommandKinds.h"
#include "commands/FolderCommands.h"
#include "commands/FolderPaths.h"
#include "commands/Msiexec.h"
#include "xml/AsciiText.h"
#include "config/CommandRegistry.h"
#include "config/ConditionEvaluation.h"
#include "config/ConfigurationLoader.h"
#include "config/TextEncoding.h"
#include "config/ValueFormats.h"

#include <algorithm>

namespace {

std::string Quoted(const std::wstring& text)
{
    return "\"" + EncodeUtf8(text) + "\"";
}

// An msi command as msiexec will be started (its log aside, which lies beside the run log).
void DescribePackage(std::string& out, const InstallCommand& command)
{
    MsiInstall install;
    install.package = command.arguments[kMsiPackage];
    install.transforms = SplitFileList(command.arguments[kMsiTransforms]);
    install.patches = SplitFileList(command.arguments[kMsiPatches]);
    install.properties = ParseMsiProperties(command.arguments[kMsiProperties]).properties;
    out += " " + Quoted(install.package) + " (runs " + Quoted(command.arguments[kMsiexec]) + " " +
           EncodeUtf8(MsiexecArguments(install)) + ")";
}

void DescribeCommand(std::string& out, const InstallCommand& command)
{
    out += "     " + EncodeUtf8(command.CommandName());
    if (!command.Program().displayName.empty())
        out += " " + Quoted(command.Program().displayName);
    const bool package = EqualsIgnoreAsciiCase(command.CommandName(), L"msi") && command.arguments.size() == kMsiArgumentCount;
    if (package) {
        DescribePackage(out, command);
    } else {
        for (const std::wstring& argument : command.arguments)
            out += " " + Quoted(argument);
    }
    // Where a copy or move puts the files: the target, or the source's folder inside it.
    const bool folderPair = EqualsIgnoreAsciiCase(command.CommandName(), L"dircopy") ||
                            EqualsIgnoreAsciiCase(command.CommandName(), L"dirmove");
    if (folderPair && command.arguments.size() == 2 && !command.arguments[1].empty())
        out += " (arrives in " + Quoted(ArrivalFolder(command.arguments[0], command.arguments[1])) + ")";
    if (command.hide && !package)
        out += " (hidden)";
    if (command.threads != kMinCopyThreads)
        out += " (" + std::to_string(command.threads) + " files at once)";
    if (!command.Program().directory.empty())
        out += " (in " + Quoted(command.Program().directory) + ")";
    if (command.Program().timeoutSeconds > 0)
        out += " (waits at most " + std::to_string(command.Program().timeoutSeconds) + " s" +
               (command.Program().endOnTimeout ? ", then ends it)" : ")");
    if (command.Program().waitForTree)
        out += " (waits for every process it starts)";
    if (!command.Program().retryCodes.empty() && command.Program().attempts > 1)
        out += " (tries again on " + ExitCodeListText(command.Program().retryCodes) + ": " + std::to_string(command.Program().attempts) +
               " attempts at most, " + std::to_string(command.Program().retryPauseSeconds) + " s apart)";
    const std::wstring refusal = RefusalOf(command);
    if (!refusal.empty())
        out += " (" + EncodeUtf8(refusal) + ")";
    if (!command.Program().successCodes.empty())
        out += " (succeeds with " + ExitCodeListText(command.Program().successCodes) + ")";
    out += "\n";
}

// The lines under an item or a command with a condition or a stop: whether it applies on the
// described machine, and why.
void DescribeRule(std::string& out, const RunRule* rule, MachineFacts* facts, const char* indent, bool item)
{
    if (rule == nullptr)
        return;
    if (!rule->conditionText.empty() || !rule->conditionProblem.empty()) {
        out += std::string(indent) + "if " + EncodeUtf8(rule->conditionText) + ": ";
        if (!rule->conditionProblem.empty()) {
            out += "never runs: " + EncodeUtf8(rule->conditionProblem) + "\n";
        } else if (facts == nullptr || rule->condition.Empty()) {
            out += "\n";
        } else {
            const ConditionDecision decision = DecideCondition(rule->condition, *facts);
            // The installer decides an item's machine condition before the window shows.
            const bool early = item && rule->condition.AsksOnlyTheMachine();
            switch (decision.outcome) {
            case ConditionDecision::Outcome::Applies:
                out += early ? "listed and runs here" : "runs here (decided when reached)";
                break;
            case ConditionDecision::Outcome::DoesNotApply:
                out += early ? "not listed here" : "passed over here (decided when reached)";
                break;
            case ConditionDecision::Outcome::Undecided:
                out += "not decided";
                break;
            }
            out += ": " + EncodeUtf8(decision.reason) + "\n";
        }
    }
    if (rule->stopOnFailure)
        out += std::string(indent) + "a failure stops the list\n";
}

const char* SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::Error: return "error";
    case Severity::Warning: return "warning";
    case Severity::Note: return "note";
    }
    return "note";
}

// The installer's own message for a fault, as a note under the diagnostics.
std::string InstallerMessageNote(const std::wstring& file, const std::wstring& message)
{
    std::string note = EncodeUtf8(file) + ": note: the installer stops with this message:\n";
    size_t start = 0;
    while (start <= message.size()) {
        size_t end = message.find(L'\n', start);
        if (end == std::wstring::npos)
            end = message.size();
        const std::wstring line = message.substr(start, end - start);
        note += (line.empty() ? std::string() : "    " + EncodeUtf8(line)) + "\n";
        start = end + 1;
    }
    return note;
}

// %VARNEKITE% is the folder of Varnekite.exe, which the checker cannot know: unless --var gives
// it, the configuration's folder, as when the program sits beside it. The line that says so.
std::string AssumeVarnekiteFolder(PathVariables& table, const PathVariables& overrides)
{
    for (const PathVariable& given : overrides)
        if (given.name == L"VARNEKITE")
            return std::string();
    const std::wstring folder = PathVariableValue(table, kConfigurationFolderVariable);
    ApplyVariableOverrides(table, {{L"VARNEKITE", folder}});
    return "Assumed %VARNEKITE% = " + Quoted(folder) +
           ": the configuration's folder, as when Varnekite.exe sits beside it (give --var VARNEKITE=... "
           "otherwise).\n";
}

} // namespace

std::string FormatDiagnostic(const std::wstring& file, const Diagnostic& diagnostic)
{
    std::string text = EncodeUtf8(file) + ":";
    if (diagnostic.line > 0)
        text += std::to_string(diagnostic.line) + ":" + std::to_string(diagnostic.column) + ":";
    text += " " + std::string(SeverityName(diagnostic.severity)) + ": " + EncodeUtf8(diagnostic.message) + "\n";
    if (diagnostic.severity == Severity::Error && diagnostic.line > 0 && diagnostic.sourceLine != nullptr) {
        // A long line (a generated file on one line) shows the part around the column, so that
        // printing stays linear in the file however many errors it has.
        constexpr size_t kAround = 80;
        const std::wstring& line = *diagnostic.sourceLine;
        const size_t column = static_cast<size_t>(diagnostic.column - 1);
        const size_t from = column > kAround ? column - kAround : 0;
        const size_t to = std::min(line.size(), column + kAround);
        const std::wstring shown = (from > 0 ? L"..." : L"") + line.substr(std::min(from, line.size()), to > from ? to - from : 0) +
                                   (to < line.size() ? L"..." : L"");
        text += EncodeUtf8(shown) + "\n";
        // Tabs stay tabs so that the caret lines up however the terminal shows them.
        std::wstring caret = from > 0 ? L"   " : L"";
        for (size_t i = from; i < column; ++i)
            caret += i < line.size() && line[i] == L'\t' ? L'\t' : L' ';
        text += EncodeUtf8(caret) + "^\n";
    }
    return text;
}

std::string FactOption(const std::wstring& name, const std::wstring& value)
{
    const bool quote = value.empty() || value.find_first_of(L" \t'") != std::wstring::npos;
    return "--fact " + EncodeUtf8(name) + "=" + (quote ? Quoted(value) : EncodeUtf8(value));
}

std::string DescribeSettings(const InstallSettings& settings, MachineFacts* facts)
{
    std::string out;
    out += "Window: width " + std::to_string(settings.windowWidth) + ", position " +
           std::to_string(settings.windowPosition) + "\n";
    out += "Font: " + Quoted(settings.fontFace) + ", small " + std::to_string(settings.smallFontSize) +
           ", large " + std::to_string(settings.largeFontSize) +
           (settings.antialias ? ", antialiased" : "") + "\n";
    out += "Title: " + Quoted(settings.titleText) + "\n";
    if (!settings.hideWindowTitle.empty())
        out += "Hides the window: " + Quoted(settings.hideWindowTitle) + "\n";

    if (settings.log.pathGiven)
        out += settings.log.path.empty() ? std::string("Log: off\n") : "Log: " + Quoted(settings.log.path) + "\n";
    if (settings.exit.fromOutcomes)
        out += "Exit codes: " + std::to_string(settings.exit.success) + " success, " +
               std::to_string(settings.exit.restart) + " restart needed, " + std::to_string(settings.exit.failure) +
               " failure\n";
    out += std::to_string(settings.items.size()) + " item(s), " +
           std::to_string(settings.commands.size()) + " command(s)\n";
    for (size_t i = 0; i < settings.items.size(); ++i) {
        out += "  " + std::to_string(i + 1) + ". " + Quoted(settings.items[i]) + "\n";
        DescribeRule(out, settings.ItemRule(i), facts, "     ", true);
        for (size_t command : settings.itemCommands.Of(i)) {
            DescribeCommand(out, settings.commands[command]);
            DescribeRule(out, settings.CommandRule(settings.commands[command]), facts, "       ", false);
        }
    }
    return out;
}

int RunCheck(const std::vector<std::wstring>& arguments, const PathVariables& machineTable, std::string& out,
             std::string& err)
{
    return RunCheck(arguments, machineTable, CheckHost(), out, err);
}

int RunCheck(const std::vector<std::wstring>& arguments, const PathVariables& machineTable, const CheckHost& host,
             std::string& out, std::string& err)
{
    CheckOptions options;
    std::wstring error;
    if (!ParseCheckArguments(arguments, options, error)) {
        err += "varnekite-check: " + EncodeUtf8(error) + "\n" + kCheckUsage;
        return kCheckExitUsage;
    }
    if (options.help) {
        out += kCheckUsage;
        return kCheckExitLoaded;
    }
    if (options.version) {
        out += "varnekite-check " VARNEKITE_VERSION "\n";
        return kCheckExitLoaded;
    }
    if (options.schema) {
        out += SchemaXsd();
        return kCheckExitLoaded;
    }
    if (options.printFacts) {
        if (!host.machineFacts) {
            err += "varnekite-check: --facts needs the Windows build, run on the machine it describes\n";
            return kCheckExitUsage;
        }
        // A fact this machine cannot tell is said, not offered as a value to copy.
        for (const auto& [name, value] : host.machineFacts())
            out += (value.rfind(L"(unknown", 0) == 0 ? "# " + EncodeUtf8(name) + " " + EncodeUtf8(value)
                                                     : FactOption(name, value)) +
                   "\n";
        return kCheckExitLoaded;
    }
    DescribedMachine machine;
    for (const std::wstring& fact : options.facts) {
        if (!machine.Add(fact, error)) {
            err += "varnekite-check: " + EncodeUtf8(error) + "\n" + kCheckUsage;
            return kCheckExitUsage;
        }
    }
    if (!options.previewPath.empty() && !host.preview) {
        err += "varnekite-check: --preview needs the Windows build (scripts/preview.sh runs it under Wine)\n";
        return kCheckExitUsage;
    }

    // The path is expanded with the machine's variables and --var; its folder is
    // %VARNEKITECONFIG%, as for the installer, and what %VARNEKITE% is has to be assumed.
    PathVariables table = machineTable;
    const std::wstring path = LocateConfiguration(table, options.configPath, options.overrides, host.fullPath);
    const std::string assumedFolder = AssumeVarnekiteFolder(table, options.overrides);

    std::vector<Diagnostic> diagnostics;
    const DiagnosticSink sink = [&diagnostics](const Diagnostic& diagnostic) { diagnostics.push_back(diagnostic); };
    LoadOptions loadOptions;
    loadOptions.diagnostics = &sink;
    loadOptions.sourceLines = true;
    loadOptions.fileExists = host.exists;

    CommandRegistry handlers;
    RegisterCommandKinds(handlers, false); // it runs nothing
    InstallSettings settings;
    std::wstring fault;
    const LoadOutcome outcome = LoadConfigurationAt(settings, handlers, path, table,
                                                    [&fault](const std::wstring& message) { fault = message; },
                                                    loadOptions);
    // In the order of the file; what has no place in it first.
    std::stable_sort(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& a, const Diagnostic& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    // Said last: the whole run's exit code, not a place in the file.
    if (outcome == LoadOutcome::Loaded && !settings.exit.given)
        diagnostics.push_back({Severity::Note, 0, 0,
                               L"there is no <exit> element: Varnekite exits with 1 whatever happened, which "
                               L"deployment tools read as failure (<exit result=\"true\"/> in <config> gives 0, "
                               L"3010 or 1603)",
                               nullptr});
    size_t warnings = 0;
    size_t errors = 0;
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.severity == Severity::Warning)
            ++warnings;
        if (diagnostic.severity == Severity::Error)
            ++errors;
        if (!options.dump || diagnostic.severity == Severity::Error)
            err += FormatDiagnostic(path, diagnostic);
    }
    if (outcome != LoadOutcome::Loaded) {
        err += InstallerMessageNote(path, fault);
        return kCheckExitFatal;
    }

    if (options.dump) {
        out += SettingsToJson(settings);
        return kCheckExitLoaded;
    }
    if (!options.previewPath.empty()) {
        if (!host.preview(settings, options.previewPath, options.previewPercent, error)) {
            err += "varnekite-check: " + EncodeUtf8(error) + "\n";
            return kCheckExitFatal;
        }
        out += "Preview at " + std::to_string(options.previewPercent) + "% saved to " + Quoted(options.previewPath) +
               ".\n";
        return kCheckExitLoaded;
    }

    // An error in a file that loads is a command the installer will refuse.
    out += "Configuration " + Quoted(path) + " loads";
    if (errors > 0)
        out += " with " + std::to_string(errors) + " error(s)" +
               (warnings == 0 ? std::string(".\n") : " and " + std::to_string(warnings) + " warning(s).\n");
    else
        out += warnings == 0 ? std::string(".\n") : " with " + std::to_string(warnings) + " warning(s).\n";
    out += DescribeSettings(settings, &machine);
    out += assumedFolder;
    if (!machine.Assumed().empty()) {
        out += "Assumed for the conditions (describe the machine with --fact):\n";
        for (const std::wstring& assumption : machine.Assumed())
            out += "  " + EncodeUtf8(assumption) + "\n";
    }
    return errors > 0 || (options.strict && warnings > 0) ? kCheckExitWarnings : kCheckExitLoaded;
}
