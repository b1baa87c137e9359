// The path variables' values on Windows: the module path, the setup registry value (from the
// 64-bit view of the registry, where the 32-bit build would otherwise read a copy of its own)
// and the process environment.
#pragma once

#include "config/PathVariables.h"

// The full path of the program's own executable, however long; empty when unknown.
std::wstring ProgramPath();

class Win32PathVariableSource : public PathVariableSource
{
public:
    std::wstring ModuleFileName() const override;
    std::wstring SourcePath() const override;
    std::wstring Environment(const wchar_t* name) const override;
    std::vector<std::pair<std::wstring, std::wstring>> EnvironmentBlock() const override;
};
