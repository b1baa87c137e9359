#include "config/InstallCommand.h"

const ProgramRules& ProgramRulesBox::Get() const
{
    static const ProgramRules kDefaults;
    return rules != nullptr ? *rules : kDefaults;
}
