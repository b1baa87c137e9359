// The parse callbacks of the five command kinds: each fills an InstallCommand from the `file`
// element the document's cursor stands on. Missing attributes read as empty text, so every
// kind always produces its full argument count.
#pragma once

#include "config/InstallCommand.h"

class ElementReader;

// execute: arguments = program, arguments (both expanded); displayName = name (not expanded);
// hide = the `hide` attribute equals "true" ignoring ASCII case; directory, timeout, wait,
// success and the program rules below.
void ParseExecute(ElementReader& reader, InstallCommand& command);

// msi: arguments as MsiArgument lists them (msiexec from %SYSTEMROOT%, then package, transforms,
// patches and properties, expanded); displayName = name; started hidden; timeout and the program
// rules below, retrying on Windows Installer's busy code unless `retry` names others.
void ParseMsi(ElementReader& reader, InstallCommand& command);

// The rules of a program's run that execute and msi share: ontimeout ("kill" ends it), retry
// (exit codes; an empty or unreadable list keeps what the command had), attempts (held to
// kMinAttempts..kMaxAttempts) and retrypause (seconds, held to 0..kMaxRetryPauseSeconds), each
// left as the command had it when absent.
void ParseProgramRules(ElementReader& reader, InstallCommand& command);

// dircopy and dirmove: arguments = directory, target (both expanded); threads = the `threads`
// integer held to 1..16 (1 when absent or not a number).
void ParseDirectoryPair(ElementReader& reader, InstallCommand& command);

// dirdelete: arguments = directory (expanded).
void ParseSingleDirectory(ElementReader& reader, InstallCommand& command);
