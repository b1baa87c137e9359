// One `file` element of the configuration, as its command kind's parse callback filled it.
#pragma once

#include <string>
#include <vector>

struct InstallCommand
{
    std::wstring itemName;     // `name` of the enclosing item; groups commands into items
    std::wstring displayName;  // execute: `name`, shown while it runs; empty for other kinds
    std::wstring commandName;  // the `command` attribute as written
    bool hide = false;         // execute: start the program hidden
    std::vector<std::wstring> arguments; // dircopy/dirmove: source, target; dirdelete: folder; execute: program, arguments
};
