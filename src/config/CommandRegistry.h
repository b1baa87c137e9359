// Command kinds: each is a name with a parse callback (used while loading), a run callback (used
// by the worker thread) and what the window and the folder rules need to know of it. The
// registry is filled once, before loading, and only read after: a command loaded through it
// holds its kind (InstallCommand::kind), so nothing looks a kind up by name again.
#pragma once

#include "config/ConfigurationSchema.h"
#include "config/InstallCommand.h"
#include "xml/AsciiText.h"

#include <string>
#include <utility>
#include <vector>

class ElementReader;
class InstallState;

// What the line under the running item shows while a command of the kind runs.
enum class DetailKind
{
    Execute, // the program's display name
    Copy,    // the copy template, with a file bar
    Move,    // the move template, with a file bar
    Delete,  // the delete template, no bar
    None,    // a name that is no kind: an empty line
};

// Carries out commands[commandIndex] of the install state (the main window's state).
using RunCommandFn = void (*)(InstallState& state, int commandIndex);
// Fills the command from the `file` element the reader's document cursor stands on.
using ParseCommandFn = void (*)(ElementReader& reader, InstallCommand& command);

struct CommandHandler
{
    CommandHandler(std::wstring name, RunCommandFn run = nullptr, ParseCommandFn parse = nullptr,
                   std::vector<SchemaAttribute> attributes = {}, DetailKind detail = DetailKind::None,
                   int folderPaths = 0, bool takesApart = false)
        : name(std::move(name)), run(run), parse(parse), attributes(std::move(attributes)), detail(detail),
          folderPaths(folderPaths), takesApart(takesApart)
    {
    }

    std::wstring name;
    RunCommandFn run = nullptr;     // empty: the command is skipped at run time
    ParseCommandFn parse = nullptr; // empty: the `file` element is dropped at load time
    std::vector<SchemaAttribute> attributes; // what a `file` element of the kind reads besides `command`
    DetailKind detail = DetailKind::None;
    int folderPaths = 0;     // its first arguments that name folders: a source, and a target
    bool takesApart = false; // its first folder is emptied and removed (delete, move)
};

class CommandRegistry
{
public:
    // Only before loading: commands hold their kind's place in the registry.
    void Append(const CommandHandler& handler) { handlers.push_back(handler); }
    // The first handler whose name equals `name` ignoring ASCII case, or null.
    const CommandHandler* FindHandler(const std::wstring& name) const;
    const std::vector<CommandHandler>& Handlers() const { return handlers; }

private:
    std::vector<CommandHandler> handlers;
};
