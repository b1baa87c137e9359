// Reads the configuration's values the way the loader and the command kinds take them, from the
// element the document's cursor stands on: texts decoded in the file's encoding (entities and
// character references included), paths expanded with the path variables, flags as "true".
#pragma once

#include "config/ConfigurationSchema.h"
#include "config/LoadReport.h"
#include "config/PathVariables.h"
#include "config/TextEncoding.h"

#include <cstdint>
#include <string>
#include <vector>

class XmlDocument;

class ElementReader
{
public:
    ElementReader(XmlDocument& document, TextEncoding encoding, const PathVariables& variables,
                  const LoadReport& report = SilentReport())
        : document(document), encoding(encoding), variables(variables), report(report)
    {
    }

    XmlDocument& Document() { return document; }
    const XmlDocument& Document() const { return document; }
    TextEncoding Encoding() const { return encoding; }
    const PathVariables& Variables() const { return variables; }
    const LoadReport& Report() const { return report; }

    // [checks] Only with the report on (ElementChecks.cpp).
    // The attributes of element `index`: names it does not know (with the closest it knows)
    // and values that do not fit their kind (integers, flags, colours, path variables).
    void CheckAttributes(int32_t index, const std::vector<SchemaAttribute>& known) const;
    // The children of element `index` the loader never reads for their name.
    void CheckChildren(int32_t index, const std::vector<std::string_view>& known) const;
    // A warning at the start of element `index`.
    void WarnAt(int32_t index, const std::wstring& message) const;
    // The offset of the value of the current element's attribute (of its name when it has none);
    // ChildAttributeOffset: of the current child's.
    int32_t AttributeOffset(const char* attribute) const;
    int32_t ChildAttributeOffset(const char* attribute) const;
    // The offset of the character at `index` of the current element's decoded attribute value.
    int32_t AttributeOffsetAt(const char* attribute, size_t index) const;
    // A path written through %VARNEKITE% or %VARNEKITECONFIG% names something beside the
    // configuration: warn at `offset` when it is not there (only where the report can look, see
    // LoadReport::fileExists).
    void CheckBesideConfiguration(const std::wstring& written, const std::wstring& expanded, int32_t offset) const;

    // The current element's attribute as text; empty when missing.
    std::wstring Text(const char* attribute) const;
    // The same, expanded as a path; `emptyVariable` as ExpandVariables says.
    std::wstring Path(const char* attribute, std::wstring* emptyVariable = nullptr) const;
    // True for "true" in any ASCII case.
    bool Flag(const char* attribute) const;

    // The text of the first child of that name (a CDATA section as its bytes); empty when missing.
    std::wstring ChildText(const char* element);
    // The attribute of the first child of that name that has it not empty; empty when none has.
    std::wstring ChildAttributeText(const char* element, const char* attribute);
    // The same, expanded as a path.
    std::wstring ChildAttributePath(const char* element, const char* attribute);

private:
    // A report that says nothing, for readers that only read; it outlives every reader.
    static const LoadReport& SilentReport()
    {
        static const LoadReport silent;
        return silent;
    }

    void CheckValue(const SchemaAttribute& attribute, std::string_view value, int32_t offset) const;
    void CheckPathVariables(std::string_view value, int32_t offset) const;
    std::wstring Quote(std::string_view bytes) const;

    XmlDocument& document;
    const TextEncoding encoding;
    const PathVariables& variables;
    const LoadReport& report;
};
