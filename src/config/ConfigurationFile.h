// Reads the configuration file into an XML document.
#pragma once

#include <string>

class XmlDocument;

// Loads and parses the file at `path` (already expanded). On failure the document is left
// without elements, which the loader reports as "Error opening".
void LoadConfigurationFile(XmlDocument& document, const std::wstring& path);
