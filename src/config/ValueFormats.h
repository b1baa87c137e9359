// How the configuration's attribute values and texts become settings: integers, "true" flags,
// colours, and the byte-for-byte conversions between the file's bytes and wide text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// strtol with base 10: leading white space, a sign, then digits up to the first other byte.
// No leading digits give 0; values beyond the signed 32-bit range saturate.
int32_t ParseInteger(const std::string& value);

// True exactly when the value equals "true" with ASCII letters folded (TRUE, True); "1",
// "yes" and "true " are false.
bool ParseBoolean(const std::string& value);

// Six hex digits RRGGBB, or eight RRGGBBAA, optionally after one character of any kind (usually
// '#'). Returns ARGB with alpha in the top byte, 0xFF when not given. Any other length gives 0.
uint32_t ParseColour(const std::string& value);

// Each byte b becomes the wide character b (0-255); multi-byte sequences are never combined.
std::wstring WidenBytes(std::string_view bytes);


// Each wide character becomes the byte of its low 8 bits.
std::string NarrowBytes(const std::wstring& text);
