// Command kinds: each is a name with a parse callback (used while loading) and a run callback
// (used by the worker thread). The registry is filled once, before loading, and only read after.
#pragma once

#include "config/ConfigurationSchema.h"
#include "config/InstallCommand.h"
#include "xml/AsciiText.h"

#include <string>
#include <utility>
#include <vector>

class ElementReader;
class InstallState;

// Carries out commands[commandIndex] of the install state (the main window's state).
using RunCommandFn = void (*)(InstallState& state, int commandIndex);
// Fills the command from the `file` element the reader's document cursor stands on.
using ParseCommandFn = void (*)(ElementReader& reader, InstallCommand& command);

struct CommandHandler
{
    CommandHandler(std::wstring name, RunCommandFn run = nullptr, ParseCommandFn parse = nullptr,
                   std::vector<SchemaAttribute> attributes = {})
        : name(std::move(name)), run(run), parse(parse), attributes(std::move(attributes))
    {
    }

    std::wstring name;
    RunCommandFn run = nullptr;     // empty: the command is skipped at run time
    ParseCommandFn parse = nullptr; // empty: the `file` element is dropped at load time
    std::vector<SchemaAttribute> attributes; // what a `file` element of the kind reads besides `command`
};

class CommandRegistry
{
public:
    void Append(const CommandHandler& handler) { handlers.push_back(handler); }
    // The first handler whose name equals `name` ignoring ASCII case, or null.
    const CommandHandler* FindHandler(const std::wstring& name) const;
    const std::vector<CommandHandler>& Handlers() const { return handlers; }

private:
    std::vector<CommandHandler> handlers;
};
