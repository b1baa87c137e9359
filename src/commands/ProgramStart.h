// How the execute command starts a program, as rules apart from the calls that do it: which
// failures of a direct start hand the program to the shell, and the command line a document's
// registered verb makes, so that a document opened for a tree wait can be started inside its
// job like an executable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Whether the system's failure to start `program` directly (CreateProcessW's error code) means
// it is no executable the system can start itself: a document, a package, a name the shell
// resolves. Every other failure (a missing working folder, a program that asks to be raised,
// no memory) is the command's failure, not a reason to try another way.
bool ShellMayOpenInstead(uint32_t error);

// The command line of a registered verb ("\"C:\\Editor\\edit.exe\" \"%1\" %*") for `file` with
// `parameters`: %1 and %L are the file, %* the parameters, %% a percent sign; other numbered
// placeholders (%2 ...) are empty, as the shell leaves them.
std::wstring VerbCommandLine(std::wstring_view verb, std::wstring_view file, std::wstring_view parameters);
