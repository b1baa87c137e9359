// The fourteen %NAME% variables that configuration paths may use, and their expansion.
#pragma once

#include <string>
#include <vector>

struct PathVariable
{
    std::wstring name;  // upper case, without percent signs
    std::wstring value; // may be empty
};

// Ordered: the order is the order of substitution.
using PathVariables = std::vector<PathVariable>;

// Where the values come from: the platform on Windows, given values in tests and tools.
class PathVariableSource
{
public:
    virtual ~PathVariableSource() = default;
    // Full path of the program's own executable ("" when unknown).
    virtual std::wstring ModuleFileName() const = 0;
    // The machine's setup "SourcePath" registry value, "" when it cannot be read.
    virtual std::wstring SourcePath() const = 0;
    // An environment variable's value, "" when not set.
    virtual std::wstring Environment(const wchar_t* name) const = 0;
};

// Appends the fourteen entries, in their fixed order, to an empty table.
void BuildPathVariables(PathVariables& table, const PathVariableSource& source);

// Replaces %NAME% references (any ASCII case) in place, then collapses doubled backslashes.
void ExpandVariables(std::wstring& text, const PathVariables& table);
