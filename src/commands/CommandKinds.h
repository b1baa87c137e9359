// The table of the installer's four command kinds, in their fixed order execute, dircopy,
// dirmove, dirdelete: the name a `file` element's command attribute gives (ASCII case ignored),
// the parse callback that fills the command, and what the window shows while it runs. This is
// the one list of kinds: adding one touches this table and the kind's own code. The run
// callbacks are the platform's (CommandKindsWin32.h); without them the kinds load and check only.
#pragma once

#include "commands/ParseCallbacks.h"
#include "config/CommandRegistry.h"

#include <string>
#include <vector>

// What the line under the running item shows while a command of the kind runs.
enum class DetailKind
{
    Execute, // the program's display name
    Copy,    // the copy template, with a file bar
    Move,    // the move template, with a file bar
    Delete,  // the delete template, no bar
    None,    // a name that is no kind: an empty line
};

struct CommandKind
{
    const wchar_t* name;
    ParseCommandFn parse;
    DetailKind detail;
    const std::vector<SchemaAttribute>& (*attributes)(); // what its `file` element reads
};

const std::vector<SchemaAttribute>& ExecuteAttributes();
const std::vector<SchemaAttribute>& DirectoryPairAttributes();
const std::vector<SchemaAttribute>& SingleDirectoryAttributes();

inline constexpr CommandKind kCommandKinds[] = {
    {L"execute", ParseExecute, DetailKind::Execute, ExecuteAttributes},
    {L"dircopy", ParseDirectoryPair, DetailKind::Copy, DirectoryPairAttributes},
    {L"dirmove", ParseDirectoryPair, DetailKind::Move, DirectoryPairAttributes},
    {L"dirdelete", ParseSingleDirectory, DetailKind::Delete, SingleDirectoryAttributes},
};

// The run callbacks, in the table's order.
struct CommandKindRuns
{
    RunCommandFn run[sizeof kCommandKinds / sizeof kCommandKinds[0]] = {};
};

// The kind of that name, ASCII case ignored; null for any other name.
const CommandKind* FindCommandKind(const std::wstring& name);

// Appends the kinds to the registry in the table's order, with `runs` as their run callbacks.
void RegisterCommandKinds(CommandRegistry& registry, const CommandKindRuns& runs = CommandKindRuns());
