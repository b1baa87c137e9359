// What the loader has to say about a configuration beyond loading it: its mistakes and the
// things it passes over, each with where in the file it stands. The installer asks for none;
// varnekite-check prints them the way compilers do.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum class Severity
{
    Error,   // the installer cannot use the file
    Warning, // the installer passes it over, or does something the author hardly meant
    Note,    // more about the diagnostic before it
};

struct Diagnostic
{
    Severity severity = Severity::Warning;
    int line = 0;   // from 1; 0 when there is no place in the file
    int column = 0; // from 1, in the file's characters
    std::wstring message;
    std::wstring sourceLine; // the text of that line, for a caret under the column
};

using DiagnosticSink = std::function<void(const Diagnostic&)>;

// The closest of `candidates` to a name written wrongly: the same but for letter case, or at
// most two edits away (and fewer edits than the name is long); empty when none is.
std::string ClosestName(std::string_view name, const std::vector<std::string_view>& candidates);
