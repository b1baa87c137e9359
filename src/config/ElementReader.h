// Reads the configuration's values the way the loader and the command kinds take them, from the
// element the document's cursor stands on: texts decoded in the file's encoding (entities and
// character references included), paths expanded with the path variables, flags as "true".
#pragma once

#include "config/PathVariables.h"
#include "config/TextEncoding.h"

#include <string>

class XmlDocument;

class ElementReader
{
public:
    ElementReader(XmlDocument& document, TextEncoding encoding, const PathVariables& variables)
        : document(document), encoding(encoding), variables(variables)
    {
    }

    XmlDocument& Document() { return document; }
    TextEncoding Encoding() const { return encoding; }

    // The current element's attribute as text; empty when missing.
    std::wstring Text(const char* attribute) const;
    // The same, expanded as a path.
    std::wstring Path(const char* attribute) const;
    // True for "true" in any ASCII case.
    bool Flag(const char* attribute) const;

    // The text of the first child of that name (a CDATA section as its bytes); empty when missing.
    std::wstring ChildText(const char* element);
    // The attribute of the first child of that name that has it not empty; empty when none has.
    std::wstring ChildAttributeText(const char* element, const char* attribute);
    // The same, expanded as a path.
    std::wstring ChildAttributePath(const char* element, const char* attribute);

private:
    XmlDocument& document;
    const TextEncoding encoding;
    const PathVariables& variables;
};
