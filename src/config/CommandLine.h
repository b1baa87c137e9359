// Varnekite.exe's command line: named options in the Windows style (/config PATH, /log PATH,
// /var NAME=VALUE, /quiet, /?, /version) beside the older form, where the text after the last
// '<' is the configuration's path. Arguments are split by the rules of CommandLineToArgvW, so a
// launcher quotes them as it quotes any Windows program's.
#pragma once

#include "config/PathVariables.h"

#include <cstddef>
#include <string>
#include <vector>

// What /? shows.
extern const wchar_t kCommandLineUsage[];
// The first line of the message for a command line that is not understood.
extern const wchar_t kCommandLineErrorText[]; // "Command line not understood:\n"

struct CommandLineArgument
{
    std::wstring text; // quotes and the backslashes before them resolved
    size_t rawStart = 0; // where it starts in the command line
};

// Splits a whole command line, the program's name first, as CommandLineToArgvW does: the name
// ends at its closing quote or at white space; after it, white space outside quotes separates,
// 2n backslashes before a quote are n and the quote opens or closes, 2n+1 are n and a quote,
// and inside quotes "" is a quote.
std::vector<CommandLineArgument> SplitCommandLine(const std::wstring& commandLine);

struct CommandLine
{
    bool configGiven = false;  // by /config or by '<'
    std::wstring configPath;   // as written, its variables not expanded
    bool logGiven = false;
    std::wstring logPath;      // as written; given and empty: no log
    PathVariables variables;   // /var, names upper-cased, in the order given
    bool quiet = false;        // no message box, whatever happens
    bool help = false;
    bool version = false;
    std::wstring error;        // the first argument not understood, and why; empty when all are
};

// Every argument after the program's name. The first one that starts with '<' (quotes before
// it allowed) begins the older form: the configuration is the text after the last '<' of the
// whole line, and nothing after it is an option. Empty arguments are passed over; anything
// else that is no option is an error, and parsing goes on to find a /log for its message.
CommandLine ParseCommandLine(const std::wstring& commandLine);

// The configuration path the run opens, not yet expanded: the one the command line names, else
// Varnekite.xml in the program's folder.
std::wstring ConfigurationPathOf(const CommandLine& line);

// The older form alone: the text after the last '<' without quotes and without the white space
// around it; the default path when the line has no '<'.
std::wstring ConfigurationPathFromCommandLine(const std::wstring& commandLine);

// cmd.exe takes "Varnekite.exe <x.xml" as a redirection of the standard input and starts the
// program without it. With no configuration named and the standard input read from a file
// (`inputFile`, empty when it is none), that is an error naming the file; empty otherwise.
std::wstring RedirectedInputError(const CommandLine& line, const std::wstring& inputFile);

// The message box's text for `error`: the first line, the reason, and how to ask for the usage.
std::wstring CommandLineErrorMessage(const std::wstring& error);
