// The texts the progress window shows, composed without any drawing: byte sizes, the status
// templates with their %1%..%4% placeholders, the item line with its counter, the footer's
// percentage, and which detail line a command kind gets. Numbers are formatted by the program
// itself, so the texts are the same on every platform and in every locale.
#pragma once

#include "config/CommandRegistry.h"
#include "config/InstallCommand.h"

#include <cstdint>
#include <string>
#include <vector>

// `value` with a fixed number of decimals (0 to 3), rounded to nearest with ties to even on
// the exact binary value, as printf's "%.*f" does: FormatFixed(42.5, 0) is "42".
std::string FormatFixed(double value, int decimals);

// A byte count with one decimal and the largest unit that keeps it above 1024 (B, KB, MB, GB,
// TB): 1024 -> "1024.0B", 1025 -> "1.0KB", 2 x 1024^5 -> "2048.0TB".
std::wstring FormatSize(uint64_t bytes);

// The current file as the status templates show it.
struct FileProgressText
{
    std::wstring fileName;
    uint64_t fileBytesDone = 0;
    uint64_t fileBytesTotal = 0;
};

// The current file's percentage as "%4%" shows it: "42%"; "0%" while the size is unknown or
// zero; never above "100%".
std::wstring FilePercentText(uint64_t fileBytesDone, uint64_t fileBytesTotal);

// Replaces every occurrence of `placeholder` in `text`, scanning on after each inserted value.
void ReplaceAll(std::wstring& text, const std::wstring& placeholder, const std::wstring& value);

// The template with "%1%" (file name), "%2%" (bytes done), "%3%" (file size) and "%4%"
// (percentage) replaced in that order, so a file name holding "%2%" is expanded too.
std::wstring ExpandStatusTemplate(const std::wstring& templateText, const FileProgressText& file);

// The running item's line: "<name> (<index + 1>/<itemCount>)".
std::wstring ItemLine(const std::wstring& name, int index, int itemCount);

// The footer's text: the percentage without decimals, "%", a blank and `text`.
std::wstring FooterText(float overallPercent, const std::wstring& text);

// The footer text at its widest, "100% <text>", measured once to fix the percentage's box.
std::wstring FooterMeasureText(const std::wstring& text);


// The running item's bar: the finished commands' share plus the running command's share.
// With no commands (n <= 0) it is the item percentage alone.
float ItemBarPercent(float itemPercent, float commandPercent, int commandCount);

// What the line under the running item shows for a command of that name (ASCII case ignored):
// the kind table's detail, None for a name that is no kind.
DetailKind DetailKindOf(const InstallCommand& command);
