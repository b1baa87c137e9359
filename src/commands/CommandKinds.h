// The table of the installer's five command kinds, in their fixed order execute, dircopy,
// dirmove, dirdelete, msi: the name a `file` element's command attribute gives (ASCII case ignored),
// the parse callback that fills the command, the run callback that carries it out, what the
// window shows while it runs and what its folder arguments are. This is the one list of kinds:
// adding one touches this table and the kind's own code. Registered, each row becomes the kind
// its commands hold (InstallCommand::kind).
#pragma once

#include "commands/ParseCallbacks.h"
#include "commands/RunCallbacks.h"
#include "config/CommandRegistry.h"

#include <string>
#include <vector>

struct CommandKind
{
    const wchar_t* name;
    ParseCommandFn parse;
    RunCommandFn run;
    DetailKind detail;
    const std::vector<SchemaAttribute>& (*attributes)(); // what its `file` element reads
    int folderPaths;  // its first arguments that name folders: a source, and a target
    bool takesApart;  // its first folder is emptied and removed
};

const std::vector<SchemaAttribute>& ExecuteAttributes();
const std::vector<SchemaAttribute>& DirectoryPairAttributes();
const std::vector<SchemaAttribute>& SingleDirectoryAttributes();
const std::vector<SchemaAttribute>& MsiAttributes();

inline constexpr CommandKind kCommandKinds[] = {
    {L"execute", ParseExecute, RunExecute, DetailKind::Execute, ExecuteAttributes, 0, false},
    {L"dircopy", ParseDirectoryPair, RunDirCopy, DetailKind::Copy, DirectoryPairAttributes, 2, false},
    {L"dirmove", ParseDirectoryPair, RunDirMove, DetailKind::Move, DirectoryPairAttributes, 2, true},
    {L"dirdelete", ParseSingleDirectory, RunDirDelete, DetailKind::Delete, SingleDirectoryAttributes, 1, true},
    {L"msi", ParseMsi, RunMsi, DetailKind::Execute, MsiAttributes, 0, false},
};

// The row whose run callback is `run`: a run callback asks what its own kind does here, so that
// the table stays the one place that says it.
inline const CommandKind& KindRunBy(RunCommandFn run)
{
    for (const CommandKind& kind : kCommandKinds)
        if (kind.run == run)
            return kind;
    return kCommandKinds[0];
}

// Appends the kinds to the registry in the table's order. Without `runs` (the checker, which
// runs nothing) they load and check only.
void RegisterCommandKinds(CommandRegistry& registry, bool runs = true);
