// How the configuration's attribute values and texts become settings: integers, "true" flags,
// colours and exit codes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// The parsers read every text as the installer always has, and where asked (`exact`) also say
// whether the text was written as a value of its kind, nothing around it: what varnekite-check
// warns about.

// strtol with base 10: leading white space, a sign, then digits up to the first other byte.
// No leading digits give 0; values beyond the signed 32-bit range saturate. Exact: a sign or
// none, then digits only ("+5", "-7"; not " 12" or "12px"), however large the number.
int32_t ParseInteger(const std::string& value, bool* exact = nullptr);

// True exactly when the value equals "true" with ASCII letters folded (TRUE, True); "1",
// "yes" and "true " are false. Exact: "true" or "false", in any letter case.
bool ParseBoolean(const std::string& value, bool* exact = nullptr);

// Six hex digits RRGGBB, or eight RRGGBBAA, optionally after one character of any kind (usually
// '#'). Returns ARGB with alpha in the top byte, 0xFF when not given. Any other length gives 0.
// Exact: '#' and six or eight hex digits.
uint32_t ParseColour(const std::string& value, bool* exact = nullptr);

// A process exit code: decimal with an optional '-' (-1 is 4294967295, as Windows shows it), or
// hexadecimal after "0x", white space around it allowed. False for anything else: an exit code
// is taken only when exact.
bool ParseExitCode(std::string_view text, uint32_t& code);
// Exit codes separated by commas ("0,3010,1641"). False when any entry is no exit code; the
// valid ones are in `codes` still.
bool ParseExitCodeList(std::string_view text, std::vector<uint32_t>& codes);

// Exit codes as a list attribute writes them: "0,3010,1641".
template <typename ExitCodes>
std::string ExitCodeListText(const ExitCodes& codes)
{
    std::string text;
    for (uint32_t code : codes)
        text += (text.empty() ? "" : ",") + std::to_string(code);
    return text;
}

// Exit codes as a sentence names them: "0, 3010 and 1641".
template <typename ExitCodes>
std::string ExitCodesInWords(const ExitCodes& codes)
{
    std::string text;
    size_t left = std::size(codes);
    for (uint32_t code : codes) {
        --left;
        text += std::to_string(code) + (left > 1 ? ", " : left == 1 ? " and " : "");
    }
    return text;
}
