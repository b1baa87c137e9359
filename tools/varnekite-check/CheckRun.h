// varnekite-check without its platform: loads a configuration exactly as the installer does,
// runs nothing, and describes the result.
#pragma once

#include "config/PathVariables.h"
#include "config/Settings.h"

#include <string>
#include <vector>

class CommandRegistry;
class XmlDocument;

constexpr int kCheckExitLoaded = 0;
constexpr int kCheckExitFatal = 2;  // "Error opening" or "Could not find element"
constexpr int kCheckExitUsage = 64;

// `arguments` follow the program name; `machineTable` holds this machine's path variables,
// which --var overrides. Output goes to `out` and `err` as UTF-8; the result is the exit code.
int RunCheck(const std::vector<std::wstring>& arguments, const PathVariables& machineTable,
             std::string& out, std::string& err);

// Things the loader passes over silently that a configuration author wants to know: commands
// of unknown kinds, `strings` or `items` elements that the reading order does not reach.
// The document must hold a configuration that loaded.
std::vector<std::wstring> FindConfigurationWarnings(XmlDocument& document, const CommandRegistry& handlers);

// Folder command paths whose meaning is not what they seem: relative ones (they depend on the
// current folder, which the installer does not choose), ones with "." or ".." segments (shown
// in the form the commands use), and drive or share roots that delete and move refuse.
std::vector<std::wstring> FindFolderPathWarnings(const InstallSettings& settings);

// A short human-readable account of the settings, items and commands.
std::string DescribeSettings(const InstallSettings& settings);
