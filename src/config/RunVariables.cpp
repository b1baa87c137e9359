#include "config/RunVariables.h"

std::wstring ConfigurationFolder(const std::wstring& fullPath)
{
    const size_t separator = fullPath.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : fullPath.substr(0, separator + 1);
}

void ApplyVariableOverrides(PathVariables& table, const PathVariables& overrides)
{
    for (const PathVariable& given : overrides) {
        bool found = false;
        for (PathVariable& variable : table) {
            if (variable.name == given.name) {
                variable.value = given.value;
                variable.given = true;
                found = true;
            }
        }
        // Any other name is an environment variable of the machine the run is for.
        if (!found)
            table.push_back({given.name, given.value, !IsPathVariableName(given.name), true});
    }
}

std::wstring LocateConfiguration(PathVariables& table, const std::wstring& writtenPath, const PathVariables& given,
                                 const std::function<std::wstring(const std::wstring&)>& fullPath)
{
    PathVariables forThePath = table;
    ApplyVariableOverrides(forThePath, given);
    std::wstring path = writtenPath;
    ExpandVariables(path, forThePath);
    // A relative path is opened from the current folder: the folder is named as it is there.
    ApplyVariableOverrides(table, {{kConfigurationFolderVariable, ConfigurationFolder(fullPath ? fullPath(path) : path)}});
    ApplyVariableOverrides(table, given);
    return path;
}

std::wstring PathVariableValue(const PathVariables& table, const wchar_t* name)
{
    for (const PathVariable& variable : table)
        if (!variable.environment && variable.name == name)
            return variable.value;
    return std::wstring();
}
