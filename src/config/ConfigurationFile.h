// Reads the configuration file into an XML document.
#pragma once

#include "config/TextEncoding.h"

#include <string>

class XmlDocument;

// Why a file gave the reader nothing to read.
enum class FileProblem
{
    None,
    Missing,    // no such file
    Folder,     // a folder of that name
    Unreadable, // there, but it could not be read
    Empty,
    TooLarge,   // beyond the reader's 2 GB
    NotEightBit // UTF-32: neither 8-bit nor UTF-16 text
};

struct ConfigurationFile
{
    TextEncoding encoding = TextEncoding::Ansi; // how the texts are decoded (UTF-16 is read as UTF-8)
    FileProblem problem = FileProblem::None;
    // For the checker: a single-byte encoding the declaration names over bytes that are UTF-8.
    std::string declaredOverUtf8;
};

// Loads and parses the file at `path` (already expanded). On failure the document is left
// without elements, which the loader reports as "Error opening".
ConfigurationFile LoadConfigurationFile(XmlDocument& document, const std::wstring& path);
