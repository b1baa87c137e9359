// The facts a run's conditions see: the machine's, with env('NAME') answering the path
// variables (%VARNEKITE%, %SOURCEPATH%, ...) as the configuration's paths expand them, a name
// given for the run (/var) with its value, and any other name from the environment.
#pragma once

#include "config/MachineFacts.h"
#include "config/PathVariables.h"
#include "xml/AsciiText.h"

class PathVariableFacts : public MachineFacts
{
public:
    PathVariableFacts(MachineFacts& machine, const PathVariables& variables) : machine(machine), variables(variables) {}

    FactAnswer Machine(Fact fact) override { return machine.Machine(fact); }
    FactAnswer File(const std::wstring& path) override { return machine.File(path); }
    FactAnswer Folder(const std::wstring& path) override { return machine.Folder(path); }
    FactAnswer Registry(const std::wstring& key, bool hasName, const std::wstring& name, RegistryView view) override
    {
        return machine.Registry(key, hasName, name, view);
    }
    bool Programs(std::vector<InstalledProgram>& programs, std::wstring& why) override
    {
        return machine.Programs(programs, why);
    }
    FactAnswer Environment(const std::wstring& name) override
    {
        std::wstring upper = name;
        for (wchar_t& c : upper)
            c = UpperAsciiLetter(c);
        if (IsPathVariableName(upper)) {
            for (const PathVariable& variable : variables)
                if (!variable.environment && variable.name == upper)
                    return variable.value.empty() ? FactAnswer::Missing() : FactAnswer::Found(variable.value);
            return FactAnswer::Missing();
        }
        for (const PathVariable& variable : variables)
            if (variable.environment && variable.given && variable.name == upper)
                return variable.value.empty() ? FactAnswer::Missing() : FactAnswer::Found(variable.value);
        return machine.Environment(name);
    }

private:
    MachineFacts& machine;
    const PathVariables& variables;
};
