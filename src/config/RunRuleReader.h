// An item's or a command's `if` and `onfailure` attributes, read into a run rule.
#pragma once

#include <cstdint>

class ElementReader;
struct InstallSettings;

// Reads the current element's `if` and `onfailure`; when it has either, appends its rule to
// settings.rules and returns its number (1-based), else 0. A condition that cannot be read
// makes a rule that never applies, with the reason, and an error at its place in the text.
uint32_t ReadRunRule(ElementReader& reader, InstallSettings& settings);
