// varnekite-check: the installer's loader with a report instead of a window.
#include "CheckRun.h"

#include "CheckArguments.h"
#include "SettingsJson.h"
#include "commands/CommandKinds.h"
#include "config/CommandRegistry.h"
#include "commands/FolderPaths.h"
#include "config/ConfigurationFile.h"
#include "config/ConfigurationLoader.h"
#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"

namespace {

// Whether a path has a "." or ".." name between its separators.
bool HasDotSegments(const std::wstring& path)
{
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\' || path[i] == L'/') {
            const std::wstring_view name = std::wstring_view(path).substr(start, i - start);
            if (name == L"." || name == L"..")
                return true;
            start = i + 1;
        }
    }
    return false;
}

std::string Quoted(const std::wstring& text)
{
    return JsonString(text);
}

void DescribeCommand(std::string& out, const InstallCommand& command)
{
    out += "     " + Utf8FromWide(command.commandName);
    if (!command.displayName.empty())
        out += " " + Quoted(command.displayName);
    for (const std::wstring& argument : command.arguments)
        out += " " + Quoted(argument);
    if (command.hide)
        out += " (hidden)";
    if (command.threads != 1)
        out += " (" + std::to_string(command.threads) + " files at once)";
    out += "\n";
}

} // namespace

std::string DescribeSettings(const InstallSettings& settings)
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

    out += std::to_string(settings.items.size()) + " item(s), " +
           std::to_string(settings.commands.size()) + " command(s)\n";
    for (size_t i = 0; i < settings.items.size(); ++i) {
        out += "  " + std::to_string(i + 1) + ". " + Quoted(settings.items[i]) + "\n";
        for (size_t command : settings.itemCommands.Of(i))
            DescribeCommand(out, settings.commands[command]);
    }
    return out;
}

std::vector<std::wstring> FindConfigurationWarnings(XmlDocument& document, const CommandRegistry& handlers)
{
    std::vector<std::wstring> warnings;
    document.Rewind();
    if (!document.NextElement(nullptr))
        return warnings;

    if (document.NextChild("config")) {
        document.Descend();
        // The loader looks for `strings` after the `font` child where its last lookup ended.
        document.ChildAttributeByName("font", "large");
        if (!document.NextChild("strings")) {
            document.RewindChildren();
            if (document.NextChild("strings"))
                warnings.push_back(L"the strings element stands before the font element and is not read");
        }
        document.Ascend();
    }

    if (!document.NextChild("items")) {
        document.RewindChildren();
        if (document.NextChild("items"))
            warnings.push_back(L"the items element stands before config and is not read: nothing is installed");
        return warnings;
    }
    document.Descend();
    while (document.NextChild("item")) {
        document.Descend();
        const std::wstring itemName = WidenBytes(document.Attribute("name"));
        while (document.NextChild("file")) {
            document.Descend();
            const std::wstring commandName = WidenBytes(document.Attribute("command"));
            if (handlers.FindHandler(commandName) == nullptr)
                warnings.push_back(L"item \"" + itemName + L"\": command \"" + commandName +
                                   L"\" is not a known kind; this file element is dropped");
            document.Ascend();
        }
        document.Ascend();
    }
    return warnings;
}

std::vector<std::wstring> FindFolderPathWarnings(const InstallSettings& settings)
{
    std::vector<std::wstring> warnings;
    for (const InstallCommand& command : settings.commands) {
        const bool copy = EqualsIgnoreAsciiCase(command.commandName, L"dircopy");
        const bool takesApart = EqualsIgnoreAsciiCase(command.commandName, L"dirmove") ||
                                EqualsIgnoreAsciiCase(command.commandName, L"dirdelete");
        if (!copy && !takesApart)
            continue;
        const std::wstring& item = command.item < settings.items.size() ? settings.items[command.item] : L"";
        for (size_t i = 0; i < command.arguments.size(); ++i) {
            const std::wstring& path = command.arguments[i];
            if (path.empty())
                continue;
            const std::wstring normal = NormalizePath(path);
            const std::wstring what = L"item \"" + item + L"\": " + command.commandName + L" path \"" + path + L"\"";
            if (PathRootLength(normal) == 0) {
                warnings.push_back(what + L" is relative: it depends on the current folder, which the installer "
                                          L"does not choose");
                continue;
            }
            if (HasDotSegments(path))
                warnings.push_back(what + L" holds \".\" or \"..\" segments: it names \"" + normal + L"\"");
            if (i == 0 && takesApart && IsRootOrRelative(normal))
                warnings.push_back(what + L" names a drive or share root: the command is refused");
        }
    }
    return warnings;
}

int RunCheck(const std::vector<std::wstring>& arguments, const PathVariables& machineTable,
             std::string& out, std::string& err)
{
    CheckOptions options;
    std::wstring error;
    PathVariables table = machineTable;
    if (!ParseCheckArguments(arguments, options, error) ||
        !ApplyVariableOverrides(table, options.overrides, error)) {
        err += "varnekite-check: " + Utf8FromWide(error) + "\n" + kCheckUsage;
        return kCheckExitUsage;
    }
    if (options.help) {
        out += kCheckUsage;
        return kCheckExitLoaded;
    }

    CommandRegistry handlers;
    RegisterCommandKinds(handlers);
    InstallSettings settings;
    std::wstring fault;
    const std::wstring commandLine = L"varnekite-check <" + options.configPath;
    const LoadOutcome outcome = LoadConfiguration(settings, handlers, commandLine, table,
                                                  [&fault](const std::wstring& message) { fault = message; });
    if (outcome != LoadOutcome::Loaded) {
        err += Utf8FromWide(fault) + "\n";
        return kCheckExitFatal;
    }

    if (options.dump) {
        out += SettingsToJson(settings);
        return kCheckExitLoaded;
    }

    std::wstring path = options.configPath;
    ExpandVariables(path, table);
    out += "Configuration " + Quoted(path) + " loads.\n";
    out += DescribeSettings(settings);
    XmlDocument document;
    LoadConfigurationFile(document, path);
    std::vector<std::wstring> warnings = FindConfigurationWarnings(document, handlers);
    for (std::wstring& warning : FindFolderPathWarnings(settings))
        warnings.push_back(std::move(warning));
    for (const std::wstring& warning : warnings)
        out += "warning: " + Utf8FromWide(warning) + "\n";
    return kCheckExitLoaded;
}
