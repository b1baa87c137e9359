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

struct CommandHandler;

struct InstallCommand
{
    const CommandHandler* kind = nullptr; // its kind in the registry it was loaded with
    size_t item = 0;           // the item element it stands in (its index in the item list)
    std::wstring displayName;  // execute: `name`, shown while it runs; empty for other kinds
    std::wstring commandName;  // the `command` attribute as written
    bool hide = false;         // execute: start the program hidden
    uint32_t rule = 0;         // its condition and what its failure does: settings.rules[rule - 1]; 0 for none
    int threads = kMinCopyThreads; // dircopy/dirmove: files copied at once, up to kMaxCopyThreads
    std::vector<std::wstring> arguments; // dircopy/dirmove: source, target; dirdelete: folder; execute: program, arguments
    // dircopy/dirmove/dirdelete: a %NAME% in a path that expanded to nothing, which leaves a
    // path on whatever drive is current; the command is refused. Empty when none did.
    std::wstring emptyVariable;

    // execute only
    std::wstring directory;             // the program's working folder, expanded; empty: Varnekite's own
    uint32_t timeoutSeconds = 0;        // stop waiting after this long; 0 waits for as long as it runs
    bool waitForTree = false;           // wait until every process it starts has ended too
    std::vector<uint32_t> successCodes; // exit codes that count as success; empty: kDefaultSuccessCodes
};

// The exit codes a program succeeds with unless its `success` attribute says otherwise; the
// last two also ask for a restart.
constexpr uint32_t kDefaultSuccessCodes[] = {0, 3010, 1641};
constexpr uint32_t kRestartCodes[] = {3010, 1641};
