// The path variables' values on Windows: the module path, the setup registry value and the
// process environment.
#pragma once

#include "config/PathVariables.h"

class Win32PathVariableSource : public PathVariableSource
{
public:
    std::wstring ModuleFileName() const override;
    std::wstring SourcePath() const override;
    std::wstring Environment(const wchar_t* name) const override;
    std::vector<std::pair<std::wstring, std::wstring>> EnvironmentBlock() const override;
};
