// The path variables of one run: the machine's, the configuration's own folder, and the values
// given for the run (Varnekite.exe /var, varnekite-check --var).
#pragma once

#include "config/PathVariables.h"

#include <functional>
#include <string>

// The folder that holds a configuration, with its trailing separator ('\\' or '/'); empty for
// a path without one.
std::wstring ConfigurationFolder(const std::wstring& fullPath);

// Replaces the values of the named variables and marks them given; a name that is no path
// variable sets an environment variable (a new entry when the table has none of that name).
void ApplyVariableOverrides(PathVariables& table, const PathVariables& overrides);

// Makes `table` (the machine's variables) the run's and returns the configuration's path as
// it is opened: `writtenPath` expanded with the machine's variables and `given`, in which
// %VARNEKITECONFIG% is still empty. The path's folder (made whole with `fullPath` where given)
// becomes %VARNEKITECONFIG%, then `given` is applied, so a value given for the run wins.
std::wstring LocateConfiguration(PathVariables& table, const std::wstring& writtenPath, const PathVariables& given,
                                 const std::function<std::wstring(const std::wstring&)>& fullPath);

// The value a table holds for a path variable; empty when it has none.
std::wstring PathVariableValue(const PathVariables& table, const wchar_t* name);
