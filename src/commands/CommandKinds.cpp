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

} // namespace

const std::vector<SchemaAttribute>& ExecuteAttributes()
{
    static const std::vector<SchemaAttribute> attributes = {
        {"program", ValueKind::Path, "The program or document to start; path variables allowed."},
        {"arguments", ValueKind::Path, "The program's arguments, as one string; path variables allowed."},
        {"name", ValueKind::Text, "Shown on the detail line while the program runs."},
        {"hide", ValueKind::Boolean, "true starts the program hidden (false)."},
        {"directory", ValueKind::Path, "The program's working folder; path variables allowed (Varnekite's own when left out)."},
        {"timeout", ValueKind::Integer, "Seconds to wait before going on with the list; the program keeps running (no limit).", 0},
        Choice("wait", "tree: wait until the program and every process it starts have ended; process (the default): for the program.",
               "tree|process"),
        {"success", ValueKind::ExitCodes, "Exit codes that count as success, separated by commas (" +
                                              ExitCodeListText(kDefaultSuccessCodes) + "; " +
                                              ExitCodesInWords(kRestartCodes) + " ask for a restart)."},
    };
    return attributes;
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

void RegisterCommandKinds(CommandRegistry& registry, bool runs)
{
    for (const CommandKind& kind : kCommandKinds)
        registry.Append({kind.name, runs ? kind.run : nullptr, kind.parse, kind.attributes(), kind.detail,
                         kind.folderPaths, kind.takesApart});
}
