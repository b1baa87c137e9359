// Fuzzes the XML reader: parses arbitrary bytes, checks that every record points at the
// brackets it claims to, and walks every element with the cursor the way the configuration
// loader does, reading names, attributes and texts.
#include "xml/XmlDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The offsets of every parsed element lie in the text and point at the right bytes.
void CheckRecords(const XmlDocument& document)
{
    const std::string& text = document.DocumentText();
    const auto size = static_cast<int32_t>(text.size());
    const auto& records = document.Records();
    Check(document.NextFreeRecord() >= 1 && static_cast<size_t>(document.NextFreeRecord()) <= records.size());
    const int32_t end = document.NextFreeRecord();
    Check(end == 1 || records[0].subtreeEnd == end);
    for (int32_t i = 1; i < end; ++i) {
        const ElementRecord& r = records[static_cast<size_t>(i)];
        // Subtrees nest: each ends after its element and within the one before that holds it.
        Check(r.subtreeEnd > i && r.subtreeEnd <= end);
        for (int32_t child = document.FirstChild(i); child != 0; child = document.NextSibling(i, child))
            Check(child > i && records[static_cast<size_t>(child)].subtreeEnd <= r.subtreeEnd);
        const XmlDocument::TagOffsets t = document.TagsOf(i);
        Check(t.startTagBegin == r.startTagBegin);
        Check(t.startTagBegin >= 0 && t.startTagBegin < t.startTagEnd && t.startTagEnd < size);
        Check(t.endTagBegin >= t.startTagEnd - 1 && t.endTagBegin <= t.endTagEnd && t.endTagEnd < size);
        Check(text[static_cast<size_t>(t.startTagBegin)] == '<');
        Check(text[static_cast<size_t>(t.startTagEnd)] == '>');
        Check(text[static_cast<size_t>(t.endTagEnd)] == '>');
        const bool empty = t.endTagBegin == t.startTagEnd - 1;
        Check(text[static_cast<size_t>(t.endTagBegin)] == (empty ? '/' : '<'));
    }
}

// Reads what the loader reads at the current element and its children.
size_t ReadValues(XmlDocument& document)
{
    size_t total = document.TagName().size();
    total += document.Attribute("name").size() + document.Attribute("width").size();
    total += document.ChildTextByName("title").size();
    total += document.ChildTextByName("hidewindow").size();
    total += document.ChildAttributeByName("file", "command").size();
    document.RewindChildren();
    while (document.NextChild(nullptr)) {
        total += document.ChildText().size();
        total += document.ChildAttribute("directory").size() + document.ChildAttribute("target").size();
        total += document.ChildAttribute("program").size();
    }
    document.RewindChildren();
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    XmlDocument document;
    const bool parsed = document.ParseText(input.c_str());
    CheckRecords(document);
    if (!parsed) {
        Check(document.NextFreeRecord() == 1);
        Check(!document.NextElement(nullptr));
        return 0;
    }

    // Depth-first walk through the cursor: down into the first child, else on to the next
    // sibling, else up until a level has one.
    int32_t visited = 0;
    volatile size_t sink = 0;
    Check(document.NextElement(nullptr));
    for (;;) {
        ++visited;
        sink = sink + ReadValues(document);
        Check(document.Descend());
        if (document.NextElement(nullptr))
            continue;
        Check(document.Ascend());
        bool moved = false;
        while (!(moved = document.NextElement(nullptr))) {
            if (!document.Ascend())
                break;
        }
        if (!moved)
            break;
    }
    Check(visited == document.NextFreeRecord() - 1);
    return 0;
}
