// The loader's diagnostics as it walks the document: each placed at a byte offset of the text,
// which becomes a line and a column. Without a sink nothing is reported and nothing is checked,
// so the installer's load costs what it always did.
#pragma once

#include "config/Diagnostics.h"
#include "config/TextEncoding.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class XmlDocument;

class LoadReport
{
public:
    LoadReport() = default;
    LoadReport(const DiagnosticSink* sink, const XmlDocument* document, TextEncoding encoding,
               bool sourceLines = false)
        : sink(sink != nullptr && *sink ? sink : nullptr), document(document), encoding(encoding),
          sourceLines(sourceLines)
    {
    }

    // Whether anything is reported (and so worth checking).
    bool On() const { return sink != nullptr; }
    void At(int32_t offset, Severity severity, const std::wstring& message) const;
    void Unplaced(Severity severity, const std::wstring& message) const;

    // Whether a path (as Windows writes it) names something on this machine; set by the checker
    // for the files named through the configuration's own folder.
    std::function<bool(const std::wstring& path)> fileExists;
    // The run log's file as the configuration makes it (empty when off), once it is known.
    std::wstring logPath;

private:
    const DiagnosticSink* sink = nullptr;
    const XmlDocument* document = nullptr;
    TextEncoding encoding = TextEncoding::Ansi;
    bool sourceLines = false;
    // The line last decoded for a diagnostic: a line with many diagnostics is decoded once.
    mutable int sourceLineNumber = 0;
    mutable std::shared_ptr<const std::wstring> sourceLine;
};

// Bytes of the configuration (names, values) as text for a message.
std::wstring MessageText(std::string_view bytes, TextEncoding encoding);
