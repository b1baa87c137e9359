// Path variable values given by a test.
#pragma once

#include "config/PathVariables.h"

#include <map>
#include <string>

class FakePathVariableSource : public PathVariableSource
{
public:
    std::wstring modulePath;
    std::wstring sourcePath;
    std::map<std::wstring, std::wstring> environment;

    std::wstring ModuleFileName() const override { return modulePath; }
    std::wstring SourcePath() const override { return sourcePath; }
    std::wstring Environment(const wchar_t* name) const override
    {
        const auto found = environment.find(name);
        return found == environment.end() ? std::wstring() : found->second;
    }
};
