// What the loader has to say about a configuration beyond loading it: its mistakes and the
// things it passes over, each with where in the file it stands. The installer asks for none;
// varnekite-check prints them the way compilers do.
#pragma once

#include <functional>
#include <memory>
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
    // The text of that line, for a caret under an error's column, where the reader asked for
    // it (LoadOptions::sourceLines); the errors on one line share it.
    std::shared_ptr<const std::wstring> sourceLine;
};

using DiagnosticSink = std::function<void(const Diagnostic&)>;

// The first diagnostics of a load and how many more there were: what the run log keeps of a
// configuration that repeats one mistake a million times.
class KeptDiagnostics
{
public:
    static constexpr size_t kKept = 100;

    void Add(const Diagnostic& diagnostic)
    {
        if (kept.size() < kKept)
            kept.push_back(diagnostic);
        else
            ++more;
    }
    const std::vector<Diagnostic>& Kept() const { return kept; }
    size_t More() const { return more; }

private:
    std::vector<Diagnostic> kept;
    size_t more = 0;
};

// The closest of `candidates` to a name written wrongly: the same but for letter case, or at
// most two edits away (and fewer edits than the name is long); empty when none is.
std::string ClosestName(std::string_view name, const std::vector<std::string_view>& candidates);

// How a diagnostic offers ClosestName's answer: ` (did you mean "width"?)`; nothing without one.
std::wstring DidYouMean(const std::string& closest);
