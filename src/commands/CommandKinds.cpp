#include "commands/CommandKinds.h"

#include "config/InstallCommand.h"
#include "config/ValueFormats.h"

#include <cstddef>
#include <string>

namespace {

SchemaAttribute Choice(std::string_view name, std::string_view documentation, std::string_view choices)
{
    SchemaAttribute attribute{name, ValueKind::Text, std::string(documentation)};
    attribute.choices = choices;
    return attribute;
}

// What execute and msi share: the time-out, what it does, and the runs again. The schema
// documents an attribute once for every kind that reads it.
SchemaAttribute Timeout()
{
    return {"timeout", ValueKind::Integer,
            "Seconds to wait before going on with the list; the program keeps running unless ontimeout says kill "
            "(no limit).",
            0};
}

std::vector<SchemaAttribute> WithProgramRules(std::vector<SchemaAttribute> attributes)
{
    attributes.push_back(Choice("ontimeout",
                                "What the timeout does: continue (the default) goes on with the list and leaves the "
                                "program running; kill ends it, with wait=\"tree\" every process it started.",
                                "continue|kill"));
    attributes.push_back({"retry", ValueKind::ExitCodes,
                          "Exit codes after which the program runs again, separated by commas (execute: none; msi: " +
                              std::to_string(kInstallerBusyCode) + ", another installation is in progress)."});
    attributes.push_back({"attempts", ValueKind::Integer,
                          "How often the program runs at most while it ends with a retry code, " +
                              std::to_string(kMinAttempts) + " to " + std::to_string(kMaxAttempts) + " (" +
                              std::to_string(kDefaultAttempts) + ").",
                          kMinAttempts, kMaxAttempts});
    attributes.push_back({"retrypause", ValueKind::Integer,
                          "Seconds to wait before each run again, 0 to " + std::to_string(kMaxRetryPauseSeconds) +
                              " (" + std::to_string(kDefaultRetryPauseSeconds) + ").",
                          0, kMaxRetryPauseSeconds});
    return attributes;
}

} // namespace

const std::vector<SchemaAttribute>& ExecuteAttributes()
{
    static const std::vector<SchemaAttribute> attributes = {
        {"program", ValueKind::Path, "The program or document to start; path variables allowed."},
        {"arguments", ValueKind::Path, "The program's arguments, as one string; path variables allowed."},
        {"name", ValueKind::Text, "Shown on the detail line while the program runs."},
        {"hide", ValueKind::Boolean, "true starts the program hidden (false)."},
        {"directory", ValueKind::Path, "The program's working folder; path variables allowed (Varnekite's own when left out)."},
        Timeout(),
        Choice("wait", "tree: wait until the program and every process it starts have ended; process (the default): for the program.",
               "tree|process"),
        {"success", ValueKind::ExitCodes, "Exit codes that count as success, separated by commas (" +
                                              ExitCodeListText(kDefaultSuccessCodes) + "; " +
                                              ExitCodesInWords(kRestartCodes) + " ask for a restart)."},
    };
    static const std::vector<SchemaAttribute> all = WithProgramRules(attributes);
    return all;
}

const std::vector<SchemaAttribute>& DirectoryPairAttributes()
{
    static const std::vector<SchemaAttribute> attributes = {
        {"directory", ValueKind::Path, "The source folder (with a trailing backslash: its content)."},
        {"target", ValueKind::Path, "The folder the source goes into."},
        {"threads", ValueKind::Integer,
         "Files copied at once, " + std::to_string(kMinCopyThreads) + " to " + std::to_string(kMaxCopyThreads) + " (" +
             std::to_string(kMinCopyThreads) + "): for SSDs, network shares and antivirus.",
         kMinCopyThreads, kMaxCopyThreads},
    };
    return attributes;
}

const std::vector<SchemaAttribute>& SingleDirectoryAttributes()
{
    static const std::vector<SchemaAttribute> attributes = {
        {"directory", ValueKind::Path, "The folder to delete (with a trailing backslash: only its content)."},
    };
    return attributes;
}

const std::vector<SchemaAttribute>& MsiAttributes()
{
    static const std::vector<SchemaAttribute> attributes = WithProgramRules(
        {
            {"package", ValueKind::Path, "The Windows Installer package (.msi) to install; path variables allowed."},
            {"transforms", ValueKind::Path, "Transforms (.mst) to apply, separated by semicolons."},
            {"patches", ValueKind::Path, "Patches (.msp) to apply as it installs, full paths separated by semicolons."},
            {"properties", ValueKind::Path,
             "Public properties, NAME=VALUE separated by spaces; a value with spaces in double quotes, \"\" for a "
             "quote inside (INSTALLDIR=\"C:\\Program Files\\Contoso\" ALLUSERS=1)."},
            {"name", ValueKind::Text, "Shown on the detail line while the program runs."},
            Timeout(),
        });
    return attributes;
}

void RegisterCommandKinds(CommandRegistry& registry, bool runs)
{
    for (const CommandKind& kind : kCommandKinds)
        registry.Append({kind.name, runs ? kind.run : nullptr, kind.parse, kind.attributes(), kind.detail,
                         kind.folderPaths, kind.takesApart});
}
