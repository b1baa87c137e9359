// The settings the loader produced, as JSON: varnekite-check --dump prints this.
#pragma once

#include "config/Settings.h"

#include <string>

// A JSON string literal with its quotes, escaping quotes, backslashes and control characters.
std::string JsonString(const std::wstring& text);

// Colours read "0xAARRGGBB".
std::string ColourText(uint32_t colour);

// Every setting, keyed by member name, pretty-printed with two-space indents and a final newline.
std::string SettingsToJson(const InstallSettings& settings);
