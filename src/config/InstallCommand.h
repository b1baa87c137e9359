// One `file` element of the configuration, as its command kind's parse callback filled it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The most files one dircopy or dirmove copies at once (its `threads` attribute).
constexpr int kMaxCopyThreads = 16;

struct InstallCommand
{
    size_t item = 0;           // the item element it stands in (its index in the item list)
    std::wstring displayName;  // execute: `name`, shown while it runs; empty for other kinds
    std::wstring commandName;  // the `command` attribute as written
    bool hide = false;         // execute: start the program hidden
    int threads = 1;           // dircopy/dirmove: files copied at once, 1 to 16
    std::vector<std::wstring> arguments; // dircopy/dirmove: source, target; dirdelete: folder; execute: program, arguments
};
