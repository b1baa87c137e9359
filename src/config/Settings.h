// Everything LoadConfiguration reads from Varnekite.xml, as plain records. The main window,
// its panels and the worker read these; nothing changes them after loading.
#pragma once

#include "config/Condition.h"
#include "config/InstallCommand.h"
#include "config/ItemCommands.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// What a setting is when the configuration leaves it out.
namespace defaults {
constexpr int32_t kShowTotal = -1; // every item
constexpr int32_t kShowAfter = -1;
constexpr int32_t kWindowWidth = 400;
constexpr int32_t kWindowPosition = 8; // bottom right
constexpr int32_t kFixMain = 0;
constexpr wchar_t kFontFace[] = L"Tahoma";
constexpr int32_t kFontSize = 8; // both sizes
// The exit codes deployment tools read, where `exit result` asks for them.
constexpr uint32_t kExitSuccess = 0;
constexpr uint32_t kExitRestart = 3010; // a program asked for a restart
constexpr uint32_t kExitFailure = 1603;
} // namespace defaults

// Colours (32-bit ARGB, alpha in the top byte) and picture of one panel.
struct PanelSettings
{
    uint32_t backColour = kOpaqueBlack;
    uint32_t foreColour = kOpaqueBlack;
    uint32_t progressBorder = kOpaqueBlack;
    uint32_t progressBack = kOpaqueBlack;
    uint32_t progressFore = kOpaqueBlack;
    std::wstring imagePath; // expanded; empty means no picture
};

struct MainPanelSettings : PanelSettings
{
    uint32_t currentColour = kOpaqueBlack;
    uint32_t descriptionColour = kOpaqueBlack;
    bool failedColourGiven = false; // without it an item that failed is drawn like any other
    uint32_t failedColour = kOpaqueBlack;
    int32_t showTotal = defaults::kShowTotal; // item rows shown; negative or more than the items: all
    int32_t showAfter = defaults::kShowAfter; // rows after the current item, clamped against showTotal
    int32_t fixMain = defaults::kFixMain;     // extra pixels below the rows
};

// The run log: a file the run appends to, by default Varnekite.log in the temporary folder.
struct LogSettings
{
    bool pathGiven = false; // a `log` element with a `path` attribute
    std::wstring path;      // expanded; given and empty: no log
    bool viewerFormat = false; // format="cmtrace": records the configuration-manager log viewer reads
};

// The exit code after a list that ran to its end, whatever happened, when the configuration
// does not ask for another.
constexpr uint32_t kListRanExitCode = 1;

// The `failure` value that passes a failed program's own exit code through.
constexpr char kFailureFromProgram[] = "program";

// The process's exit code once the list has run: kListRanExitCode always, unless `fromOutcomes`
// asks for one that tells deployment tools how the run went.
struct ExitSettings
{
    bool given = false; // an `exit` element was read
    bool fromOutcomes = false;
    // failure="program": a failed program's own exit code is the run's (RunResult.h), `failure`
    // where the failure has no code of its own or one that would read as success.
    bool failureFromProgram = false;
    uint32_t success = defaults::kExitSuccess;
    uint32_t restart = defaults::kExitRestart;
    uint32_t failure = defaults::kExitFailure;
};

// When an item or a command runs, and what its failure does (its `if` and `onfailure`
// attributes). Only elements that have either get one.
struct RunRule
{
    Condition condition;          // empty: it always applies
    std::wstring conditionText;   // as written, for the checker's summary
    std::wstring conditionProblem; // the condition could not be read (why): it never applies
    bool stopOnFailure = false;   // a failure passes over the rest of the list
    bool decided = false;         // the condition asked only about the machine and was decided before the run
};

struct InstallSettings
{
    std::wstring hideWindowTitle;
    std::wstring titleText;
    std::wstring completeText;
    std::wstring copyText;
    std::wstring moveText;
    std::wstring deleteText;

    std::vector<std::wstring> items;      // item names, in file order
    std::vector<InstallCommand> commands; // every accepted command, in file order
    ItemCommands itemCommands;            // which commands each item runs; made once the lists are complete
    std::vector<RunRule> rules;           // of the items and commands that have one
    std::vector<uint32_t> itemRules;      // per item, as InstallCommand::rule; empty when no item has one

    int32_t windowWidth = defaults::kWindowWidth;
    int32_t windowPosition = defaults::kWindowPosition;
    std::wstring fontFace; // defaults::kFontFace when `config` exists without a face; empty without `config`
    int32_t smallFontSize = defaults::kFontSize;
    int32_t largeFontSize = defaults::kFontSize;
    bool antialias = false;

    PanelSettings header;
    PanelSettings footer;
    MainPanelSettings main;

    LogSettings log;
    ExitSettings exit;

    // The rule of an item or a command; nullptr for none.
    const RunRule* ItemRule(size_t item) const
    {
        return item < itemRules.size() && itemRules[item] != 0 ? &rules[itemRules[item] - 1] : nullptr;
    }
    const RunRule* CommandRule(const InstallCommand& command) const
    {
        return command.rule != 0 ? &rules[command.rule - 1] : nullptr;
    }
};
