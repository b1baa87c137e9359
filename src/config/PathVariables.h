// The %NAME% variables that configuration paths may use, and their expansion: fifteen path
// variables first, in their fixed order, then any other variable of the environment.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PathVariable
{
    std::wstring name;  // upper case, without percent signs
    std::wstring value; // may be empty
    // Any other environment variable: these expand after all the others, together, in one pass.
    bool environment = false;
    // Set for this run (/var, ApplyVariableOverrides), not read from the machine.
    bool given = false;
};

// Ordered: the order is the order of substitution.
using PathVariables = std::vector<PathVariable>;

// The configuration's own folder, with its trailing backslash: known once the configuration's
// path is (RunVariables.h), so empty in that path itself. Last of the path variables, so that
// the fourteen before it keep their order.
constexpr wchar_t kConfigurationFolderVariable[] = L"VARNEKITECONFIG";

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
    // Every set environment variable, name and value (none where there is no environment).
    virtual std::vector<std::pair<std::wstring, std::wstring>> EnvironmentBlock() const { return {}; }
};

// Appends the fifteen entries, in their fixed order, to an empty table (the configuration's
// folder still empty), then every other set environment variable (names upper-cased) as an
// environment entry.
void BuildPathVariables(PathVariables& table, const PathVariableSource& source);

// Whether `name` (upper case) is one of the fifteen path variables.
bool IsPathVariableName(const std::wstring& name);

// Replaces %NAME% references in place. The path variables go one after the other in table
// order, their names in any ASCII case; then every other %NAME% whose name is an environment
// entry (in any ASCII case) expands in one pass, its value not searched again; the rest stays
// as written. Where a value ending in a backslash meets a backslash the text writes right after
// the reference ("%VARNEKITE%\\setup.exe", the program's folder ending in one), the two are one;
// every other backslash stays as written, so "/source:\\\\srv\\dist" keeps its network path.
// `emptyVariable`, where given, gets the name of the first reference that expanded to nothing
// (an unset path variable, or an environment variable set to an empty value); it is left
// as it is when none did.
void ExpandVariables(std::wstring& text, const PathVariables& table, std::wstring* emptyVariable = nullptr);
