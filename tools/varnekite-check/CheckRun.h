// varnekite-check without its platform: loads a configuration exactly as the installer does,
// runs nothing, and reports what the loader met the way compilers do.
#pragma once

#include "config/Diagnostics.h"
#include "config/PathVariables.h"
#include "config/RunVariables.h"
#include "config/Settings.h"

#include <functional>
#include <string>
#include <vector>

constexpr int kCheckExitLoaded = 0;
constexpr int kCheckExitWarnings = 1; // an error (a command the installer refuses), or with --strict a warning
constexpr int kCheckExitFatal = 2;    // "Error opening" or "Could not find element"
constexpr int kCheckExitUsage = 64;

// What the tool asks of the system it runs on. Members left empty are not available there.
struct CheckHost
{
    // The path made absolute (from the current folder); as it is when that cannot be done.
    std::function<std::wstring(const std::wstring& path)> fullPath;
    // Whether a path (written the Windows way) names a file or folder.
    std::function<bool(const std::wstring& path)> exists;
    // Draws the window for the settings into a PNG file (Windows only); false with a reason.
    std::function<bool(const InstallSettings& settings, const std::wstring& pngPath, int percent,
                       std::wstring& error)>
        preview;
    // This machine's facts, name and value, for --facts (Windows only).
    std::function<std::vector<std::pair<std::wstring, std::wstring>>()> machineFacts;
};

// `arguments` follow the program name; `machineTable` holds this machine's path variables,
// which --var overrides. The summary goes to `out`, diagnostics to `err`, both UTF-8; the
// result is the exit code.
int RunCheck(const std::vector<std::wstring>& arguments, const PathVariables& machineTable, const CheckHost& host,
             std::string& out, std::string& err);
int RunCheck(const std::vector<std::wstring>& arguments, const PathVariables& machineTable, std::string& out,
             std::string& err);

// One diagnostic as compilers print it: "FILE:LINE:COLUMN: severity: message", and for errors
// the source line with a caret under the column.
std::string FormatDiagnostic(const std::wstring& file, const Diagnostic& diagnostic);


class MachineFacts;

// A short human-readable account of the settings, items and commands; with `facts`, whether
// each condition holds on that machine.
std::string DescribeSettings(const InstallSettings& settings, MachineFacts* facts = nullptr);

// "--fact model=\"Latitude 7440\"": a fact as the option that gives it.
std::string FactOption(const std::wstring& name, const std::wstring& value);
