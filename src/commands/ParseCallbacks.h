// The parse callbacks of the four command kinds: each fills an InstallCommand from the `file`
// element the document's cursor stands on. Missing attributes read as empty text, so every
// kind always produces its full argument count.
#pragma once

#include "config/InstallCommand.h"

class ElementReader;

// execute: arguments = program, arguments (both expanded); displayName = name (not expanded);
// hide = the `hide` attribute equals "true" ignoring ASCII case.
void ParseExecute(ElementReader& reader, InstallCommand& command);

// dircopy and dirmove: arguments = directory, target (both expanded); threads = the `threads`
// integer held to 1..16 (1 when absent or not a number).
void ParseDirectoryPair(ElementReader& reader, InstallCommand& command);

// dirdelete: arguments = directory (expanded).
void ParseSingleDirectory(ElementReader& reader, InstallCommand& command);
