// Reads the configuration file into an XML document.
#pragma once

#include "config/TextEncoding.h"

#include <string>

class XmlDocument;

// Loads and parses the file at `path` (already expanded) and says how its texts are decoded
// (a UTF-16 file is read as UTF-8). On failure the document is left without elements, which
// the loader reports as "Error opening".
TextEncoding LoadConfigurationFile(XmlDocument& document, const std::wstring& path);
