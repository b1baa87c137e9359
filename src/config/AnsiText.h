// Display texts in the configuration are bytes in the ANSI code page of the machine that runs
// the installer; WidenAnsi turns them into wide text. The portable core decodes Windows-1252,
// the code page of most Western installations; the installer and the Windows checker install
// the platform's own conversion (AnsiTextWin32.h) once, at start, before any other thread runs.
#pragma once

#include <string>
#include <string_view>

using AnsiDecoder = std::wstring (*)(std::string_view bytes);

// The whole byte string through the installed decoder; empty bytes give empty text.
std::wstring WidenAnsi(std::string_view bytes);

// Windows-1252: what WidenAnsi does until another decoder is installed.
std::wstring DecodeWindows1252(std::string_view bytes);

// Installs the decoder WidenAnsi uses from now on; null goes back to Windows-1252.
void UseAnsiDecoder(AnsiDecoder decoder);
