// One `file` element of the configuration, as its command kind's parse callback filled it.
#pragma once

#include <cstddef>
#include <cstdint>
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

struct InstallCommand
{
    const CommandHandler* kind = nullptr; // its kind in the registry it was loaded with
    size_t item = 0;           // the item element it stands in (its index in the item list)
    std::wstring displayName;  // execute and msi: `name`, shown while it runs; empty for other kinds
    std::wstring commandName;  // the `command` attribute as written
    bool hide = false;         // execute: start the program hidden
    uint32_t rule = 0;         // its condition and what its failure does: settings.rules[rule - 1]; 0 for none
    int threads = kMinCopyThreads; // dircopy/dirmove: files copied at once, up to kMaxCopyThreads
    // dircopy/dirmove: source, target; dirdelete: folder; execute: program, arguments; msi: see
    // MsiArgument.
    std::vector<std::wstring> arguments;
    // dircopy/dirmove/dirdelete: a %NAME% in a path that expanded to nothing, which leaves a
    // path on whatever drive is current; the command is refused. Empty when none did.
    std::wstring emptyVariable;

    // execute, and msi (which runs msiexec under the same rules)
    std::wstring directory;             // the program's working folder, expanded; empty: Varnekite's own
    uint32_t timeoutSeconds = 0;        // stop waiting after this long; 0 waits for as long as it runs
    bool endOnTimeout = false;          // once the time is up, end the program (its tree with waitForTree)
    bool waitForTree = false;           // wait until every process it starts has ended too
    std::vector<uint32_t> successCodes; // exit codes that count as success; empty: kDefaultSuccessCodes
    std::vector<uint32_t> retryCodes;   // exit codes that mean "try again later"; empty: it runs once
    int attempts = kDefaultAttempts;    // runs at most while its exit code is in retryCodes
    int retryPauseSeconds = kDefaultRetryPauseSeconds; // the wait before each run again
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
