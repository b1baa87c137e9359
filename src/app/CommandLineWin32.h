// Where the command line meets the process: what its standard input is (cmd.exe takes "<x.xml"
// for a redirection), and where /? and /version write their text.
#pragma once

#include <string>

// What /version shows: "Varnekite <version>".
extern const wchar_t kVersionText[];

// The file the standard input reads, as Windows names it; empty when it is none (no handle, a
// console, a pipe, the NUL device).
std::wstring StandardInputFile();

// Writes `text` where whoever started the program sees it: into the standard output when it is
// redirected to a file or a pipe (`Varnekite.exe /? > usage.txt`, a script that reads it), else
// on the console of the program that started it (a cmd.exe or PowerShell window), else in a
// message box captioned "Varnekite" where someone can answer it and `quiet` allows it.
void ShowText(const std::wstring& text, bool quiet);
