#include "config/LoadReport.h"

#include "xml/XmlDocument.h"

void LoadReport::At(int32_t offset, Severity severity, const std::wstring& message) const
{
    if (sink == nullptr)
        return;
    Diagnostic diagnostic;
    diagnostic.severity = severity;
    if (document != nullptr) {
        const XmlDocument::Position position = document->PositionOf(offset, encoding == TextEncoding::Utf8);
        diagnostic.line = position.line;
        diagnostic.column = position.column;
        diagnostic.sourceLine = DecodeBytes(document->LineAt(offset), encoding);
    }
    diagnostic.message = message;
    (*sink)(diagnostic);
}

void LoadReport::Unplaced(Severity severity, const std::wstring& message) const
{
    if (sink == nullptr)
        return;
    (*sink)(Diagnostic{severity, 0, 0, message, std::wstring()});
}

std::wstring MessageText(std::string_view bytes, TextEncoding encoding)
{
    return DecodeBytes(bytes, encoding);
}
