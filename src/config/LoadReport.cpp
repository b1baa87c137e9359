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
        if (sourceLines && severity == Severity::Error) {
            if (sourceLine == nullptr || sourceLineNumber != position.line) {
                sourceLine = std::make_shared<const std::wstring>(DecodeBytes(document->LineAt(offset), encoding));
                sourceLineNumber = position.line;
            }
            diagnostic.sourceLine = sourceLine;
        }
    }
    diagnostic.message = message;
    (*sink)(diagnostic);
}

void LoadReport::Unplaced(Severity severity, const std::wstring& message) const
{
    if (sink == nullptr)
        return;
    (*sink)(Diagnostic{severity, 0, 0, message, nullptr});
}

std::wstring MessageText(std::string_view bytes, TextEncoding encoding)
{
    return DecodeBytes(bytes, encoding);
}
