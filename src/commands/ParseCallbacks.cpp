// Attribute values are taken byte for byte (WidenBytes); only path-like values are expanded.
#include "commands/ParseCallbacks.h"

#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"

#include <algorithm>

namespace {

std::wstring ExpandedAttribute(const PathVariables& variables, XmlDocument& document, const char* name)
{
    std::wstring value = WidenedAttribute(document, name);
    ExpandVariables(value, variables);
    return value;
}

} // namespace

void ParseExecute(const PathVariables& variables, XmlDocument& document, InstallCommand& command)
{
    command.arguments.push_back(ExpandedAttribute(variables, document, "program"));
    command.arguments.push_back(ExpandedAttribute(variables, document, "arguments"));
    command.displayName = WidenedAttribute(document, "name");
    command.hide = ParseBoolean(document.Attribute("hide"));
}

void ParseDirectoryPair(const PathVariables& variables, XmlDocument& document, InstallCommand& command)
{
    command.arguments.push_back(ExpandedAttribute(variables, document, "directory"));
    command.arguments.push_back(ExpandedAttribute(variables, document, "target"));
    command.threads = std::clamp(ParseInteger(document.Attribute("threads")), 1, kMaxCopyThreads);
}

void ParseSingleDirectory(const PathVariables& variables, XmlDocument& document, InstallCommand& command)
{
    command.arguments.push_back(ExpandedAttribute(variables, document, "directory"));
}
