// Display texts in the configuration are bytes in the ANSI code page of the machine that
// runs the installer; WidenAnsi turns them into wide text.
#pragma once

#include <string>

// The whole byte string in the current thread's ANSI code page; empty bytes give empty text.
// Builds without Windows decode Windows-1252, the code page of most Western installations.
std::wstring WidenAnsi(const std::string& bytes);
