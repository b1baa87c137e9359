// How a condition compares what it finds: versions part by part, texts without ASCII case,
// names with the wildcards * and ?.
#pragma once

#include <string_view>

// x86, x64 or arm64, in any ASCII case.
bool IsArchitectureName(std::wstring_view text);

// Numbers between dots ("10", "10.0.22631", "5.2.0.1"); a number is a version of one part.
bool IsVersionText(std::wstring_view text);

// -1, 0 or 1 as `a` is below, equal to or above `b`, part by part, missing parts as 0 (so 10.0
// equals 10.0.0). Both must be versions (IsVersionText).
int CompareVersions(std::wstring_view a, std::wstring_view b);

// Whether `text` is like `pattern`: * any run of characters, ? any one, ASCII case ignored.
// Without recursion, in time at most the product of the sizes.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view text);
