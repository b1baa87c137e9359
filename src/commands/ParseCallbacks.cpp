// The parse callbacks: texts decoded in the file's encoding, paths expanded, through the reader.
#include "commands/ParseCallbacks.h"

#include "config/ElementReader.h"

void ParseExecute(ElementReader& reader, InstallCommand& command)
{
    command.arguments.push_back(reader.Path("program"));
    command.arguments.push_back(reader.Path("arguments"));
    command.displayName = reader.Text("name");
    command.hide = reader.Flag("hide");
}

void ParseDirectoryPair(ElementReader& reader, InstallCommand& command)
{
    command.arguments.push_back(reader.Path("directory"));
    command.arguments.push_back(reader.Path("target"));
}

void ParseSingleDirectory(ElementReader& reader, InstallCommand& command)
{
    command.arguments.push_back(reader.Path("directory"));
}
