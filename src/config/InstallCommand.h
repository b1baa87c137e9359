// One `file` element of the configuration, as its command kind's parse callback filled it.
#pragma once

#include "config/CommandTexts.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// How many files one dircopy or dirmove copies at once (its `threads` attribute): the fewest is
// also what it copies when the attribute is left out.
constexpr int kMinCopyThreads = 1;
constexpr int kMaxCopyThreads = 16;

// How often a program runs at most when its exit code asks to try again (`attempts`), and the
// wait between two runs in seconds (`retrypause`): held to these bounds, so that a busy
// installer cannot keep the list waiting for hours.
constexpr int kMinAttempts = 1;
constexpr int kMaxAttempts = 10;
constexpr int kDefaultAttempts = 3;
constexpr int kMaxRetryPauseSeconds = 600;
constexpr int kDefaultRetryPauseSeconds = 30;
// Windows Installer's "another installation is in progress": what an msi command tries again
// on unless its `retry` says otherwise.
constexpr uint32_t kInstallerBusyCode = 1618;

struct CommandHandler;

// How an execute or msi command runs its program. Only those commands carry one: a configuration
// of thousands of folder commands keeps no room for it.
struct ProgramRules
{
    std::wstring displayName;           // `name`, shown while it runs
    std::wstring directory;             // the program's working folder, expanded; empty: Varnekite's own
    uint32_t timeoutSeconds = 0;        // stop waiting after this long; 0 waits for as long as it runs
    bool endOnTimeout = false;          // once the time is up, end the program (its tree with waitForTree)
    bool waitForTree = false;           // wait until every process it starts has ended too
    std::vector<uint32_t> successCodes; // exit codes that count as success; empty: kDefaultSuccessCodes
    std::vector<uint32_t> retryCodes;   // exit codes that mean "try again later"; empty: it runs once
    int attempts = kDefaultAttempts;    // runs at most while its exit code is in retryCodes
    int retryPauseSeconds = kDefaultRetryPauseSeconds; // the wait before each run again
};

// Holds a command's ProgramRules on the heap once written, and copies them with the command.
class ProgramRulesBox
{
public:
    ProgramRulesBox() = default;
    ProgramRulesBox(const ProgramRulesBox& other) : rules(Copy(other)) {}
    ProgramRulesBox(ProgramRulesBox&&) noexcept = default;
    ProgramRulesBox& operator=(const ProgramRulesBox& other)
    {
        if (this != &other)
            rules = Copy(other);
        return *this;
    }
    ProgramRulesBox& operator=(ProgramRulesBox&&) noexcept = default;

    bool Empty() const { return rules == nullptr; }
    // The defaults while nothing was written.
    const ProgramRules& Get() const;
    ProgramRules& Get()
    {
        if (rules == nullptr)
            rules = std::make_unique<ProgramRules>();
        return *rules;
    }

private:
    static std::unique_ptr<ProgramRules> Copy(const ProgramRulesBox& other)
    {
        return other.rules != nullptr ? std::make_unique<ProgramRules>(*other.rules) : nullptr;
    }

    std::unique_ptr<ProgramRules> rules;
};

struct InstallCommand
{
    const CommandHandler* kind = nullptr; // its kind in the registry it was loaded with
    size_t item = 0;           // the item element it stands in (its index in the item list)
    uint32_t rule = 0;         // its condition and what its failure does: settings.rules[rule - 1]; 0 for none
    int16_t threads = kMinCopyThreads; // dircopy/dirmove: files copied at once, up to kMaxCopyThreads
    bool hide = false;         // execute: start the program hidden
    // dircopy/dirmove: source, target; dirdelete: folder; execute: program, arguments; msi: see
    // MsiArgument. With the command's name and its empty variable, in one block.
    CommandTexts arguments;
    ProgramRulesBox program; // execute and msi

    // The `command` attribute as written. Held only where it differs from the kind's name, as
    // in "DirCopy": most commands write the name as the kind spells it.
    std::wstring_view CommandName() const;
    void SetCommandName(std::wstring_view name) { arguments.SetName(name); }
    // dircopy/dirmove/dirdelete: a %NAME% in a path that expanded to nothing, which leaves a
    // path on whatever drive is current; the command is refused. Empty when none did.
    std::wstring_view EmptyVariable() const { return arguments.EmptyVariable(); }
    void SetEmptyVariable(std::wstring_view name) { arguments.SetEmptyVariable(name); }

    const ProgramRules& Program() const { return program.Get(); }
    ProgramRules& Program() { return program.Get(); }
};

// The msi command's arguments, in this order.
enum MsiArgument : size_t
{
    kMsiexec,       // msiexec.exe in the Windows system folder
    kMsiPackage,    // the .msi, expanded
    kMsiTransforms, // .mst files separated by semicolons, expanded
    kMsiPatches,    // .msp files separated by semicolons, expanded
    kMsiProperties, // NAME=VALUE pairs, expanded, as ParseMsiProperties reads them
    kMsiArgumentCount,
};

// The exit codes a program succeeds with unless its `success` attribute says otherwise; the
// last two also ask for a restart.
constexpr uint32_t kDefaultSuccessCodes[] = {0, 3010, 1641};
constexpr uint32_t kRestartCodes[] = {3010, 1641};
