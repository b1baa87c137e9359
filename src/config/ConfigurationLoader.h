// Reads Varnekite.xml into the install settings, the item list and the command list.
#pragma once

#include "config/CommandLine.h"
#include "config/CommandRegistry.h"
#include "config/ConfigurationFile.h"
#include "config/Diagnostics.h"
#include "config/PathVariables.h"
#include "config/Settings.h"
#include "config/TextEncoding.h"

#include <functional>
#include <string>

class XmlDocument;

enum class LoadOutcome
{
    Loaded,     // everything the file allows has been assigned
    CannotOpen, // the file cannot be read, the path is empty, or the text yields no element
    WrongRoot,  // the first top-level element is not Varnekite (ASCII case ignored)
    BadCommandLine, // an argument of the command line is not understood: nothing was read
};

// The two fatal faults' texts. The first is followed by the expanded configuration path.
extern const wchar_t kErrorOpeningText[];  // "Error opening: \n"
extern const wchar_t kWrongRootText[];     // "Could not find element:\nVarnekite"

// The installer's handler shows a message box and ends the process; tools and tests record
// the text and let LoadConfiguration return the outcome.
using ConfigurationErrorHandler = std::function<void(const std::wstring& message)>;

// `commandLine` is the whole process command line (CommandLine.h): /config or the text after
// its last '<' names the configuration, otherwise "%VARNEKITE%\Varnekite.xml"; /var and /log
// apply. `handlers` holds the command kinds.
LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers,
                              const std::wstring& commandLine, const PathVariableSource& variables,
                              const ConfigurationErrorHandler& showConfigurationError);

// What else a load may do besides loading: report what it meets (varnekite-check), and check
// that files named through the configuration's folder exist.
struct LoadOptions
{
    const DiagnosticSink* diagnostics = nullptr;
    // Whether diagnostics come with the text of their line (the checker prints it).
    bool sourceLines = false;
    std::function<bool(const std::wstring& path)> fileExists;
    // Makes a path whole from the current folder, for %VARNEKITECONFIG%; without it the folder
    // is taken as the path writes it.
    std::function<std::wstring(const std::wstring& path)> fullPath;
    // The run log the command line names (/log), expanded: it stands for the configuration's.
    bool logGiven = false;
    std::wstring log;
};

// The same with a table that is already built (varnekite-check overrides single variables).
LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers,
                              const std::wstring& commandLine, const PathVariables& table,
                              const ConfigurationErrorHandler& showConfigurationError,
                              const LoadOptions& options = LoadOptions());

// The same with the command line already parsed. `table` holds the machine's variables and
// becomes the run's (LocateConfiguration); `openedPath`, where given, gets the configuration's
// path as it was opened. A command line with an error shows CommandLineErrorMessage.
LoadOutcome LoadConfiguration(InstallSettings& settings, const CommandRegistry& handlers, const CommandLine& line,
                              PathVariables& table, const ConfigurationErrorHandler& showConfigurationError,
                              const LoadOptions& options = LoadOptions(), std::wstring* openedPath = nullptr);

// The configuration at `path`, already expanded, with the run's variables.
LoadOutcome LoadConfigurationAt(InstallSettings& settings, const CommandRegistry& handlers, const std::wstring& path,
                                const PathVariables& table, const ConfigurationErrorHandler& showConfigurationError,
                                const LoadOptions& options = LoadOptions());

// What a file that could not be used says beyond "Error opening: <path>": the reader's message
// and its place for a file that does not parse, the file's problem otherwise; empty for none.
std::wstring WhyItCannotBeOpened(const XmlDocument& document, const ConfigurationFile& file, int& line, int& column);

// Reads a document that is already loaded (or failed to load): the root check and everything
// below it. `expandedPath` only completes the "Error opening" text.
LoadOutcome ReadConfigurationDocument(InstallSettings& settings, const CommandRegistry& handlers,
                                      XmlDocument& document, const ConfigurationFile& file,
                                      const PathVariables& table, const std::wstring& expandedPath,
                                      const ConfigurationErrorHandler& showConfigurationError,
                                      const LoadOptions& options = LoadOptions());
