// What the run log says of the machine and the run before the list, and after it: the block's
// head (computer, user, Windows, architectures, whether anyone can see the window) and its
// foot (one line per failed command, so "why did this machine fail?" is answered at the bottom).
#pragma once

#include "commands/CommandOutcome.h"

#include <cstdint>
#include <string>
#include <vector>

struct InstallSettings;

struct RunHeadFacts
{
    std::wstring computer;
    std::wstring user;         // DOMAIN\name
    bool elevated = false;     // an administrator's full token
    bool system = false;       // LocalSystem: a service or a deployment agent
    uint32_t session = 0;
    std::wstring windows;      // 10.0.22631; empty when unknown
    bool server = false;
    std::wstring arch;         // the machine's: x64
    std::wstring programArch;  // Varnekite's own build: x86
    bool wow64 = false;        // a 32-bit build on 64-bit Windows
    bool interactive = true;   // someone can see the window and answer a message box
};

std::vector<std::wstring> RunHeadLines(const RunHeadFacts& facts);

// One line per failed command: item, command and reason; nothing when none failed.
std::vector<std::wstring> FailureSummaryLines(const InstallSettings& settings, const std::vector<CommandOutcome>& outcomes);
