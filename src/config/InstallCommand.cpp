#include "config/InstallCommand.h"

#include "config/CommandRegistry.h"

const ProgramRules& ProgramRulesBox::Get() const
{
    static const ProgramRules kDefaults;
    return rules != nullptr ? *rules : kDefaults;
}

std::wstring_view InstallCommand::CommandName() const
{
    const std::wstring_view written = arguments.Name();
    return written.empty() && kind != nullptr ? std::wstring_view(kind->name) : written;
}
