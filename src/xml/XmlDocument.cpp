// Loading and parsing of XmlDocument: the document bytes are kept as they are and every
// element gets one fixed-size record with the offsets of its tags and its links.
//
// The parser reads one element after another without recursion: the chain of open elements
// is the chain of `parent` links in the records, so a document nested hundreds of thousands
// of levels deep parses in constant stack space. While an element's content is being read,
// its `endTagBegin` is the scan position and its `endTagEnd` holds its last child so far;
// both get their final values when its end tag is read.
#include "xml/XmlDocument.h"

#include "xml/XmlScanner.h"

#include <cstdio>
#include <cstring>

using xmlscan::ScanToChar;
using xmlscan::ScanToken;
using xmlscan::TokenIs;

XmlDocument::XmlDocument()
{
    ParseText(nullptr);
}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::LoadFile(const char* path)
{
    bool parsed = false;
    FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file != nullptr) {
        if (std::fseek(file, 0, SEEK_END) == 0) {
            const long size = std::ftell(file);
            // An empty file reads nothing and so fails; one too large for 32-bit offsets too.
            if (size > 0 && static_cast<unsigned long>(size) <= kMaxDocumentLength
                && std::fseek(file, 0, SEEK_SET) == 0) {
                std::string buffer(static_cast<size_t>(size), '\0');
                if (std::fread(&buffer[0], static_cast<size_t>(size), 1, file) == 1) {
                    buffer.resize(std::strlen(buffer.c_str())); // the text ends at its first NUL
                    documentText = std::move(buffer);
                    parsed = ParseDocumentText();
                }
            }
        }
        std::fclose(file);
    }
    if (parsed)
        return true;
    ParseText(nullptr);
    return false;
}

bool XmlDocument::ParseText(const char* text)
{
    if (text != nullptr)
        documentText.assign(text);
    else
        documentText.clear();
    return ParseDocumentText();
}

bool XmlDocument::ParseText(std::string&& text)
{
    documentText = std::move(text);
    documentText.resize(std::strlen(documentText.c_str()));
    return ParseDocumentText();
}

bool XmlDocument::ParseDocumentText()
{
    lineStarts.clear();
    nextFreeRecord = 1;
    parentIndex = currentIndex = childIndex = currentKind = 0;

    const size_t length = documentText.size();
    if (length > kMaxDocumentLength) {
        lastError = lastErrorFormat = "Document too large";
        lastErrorNameLength = 0;
    } else {
        // Every element starts with a '<' that no '/', '!' or '?' follows: counting those gives
        // the table its size at once, so it never grows (a growing table briefly holds its old
        // and its new copy) and a file of few long elements gets a small one.
        const size_t wanted = CountPossibleStartTags() + 8;
        if (records.size() < wanted) {
            records = std::vector<ElementRecord>(); // the old table goes before the new one comes
            records.resize(wanted);
        }
        if (length != 0) {
            records[0] = ElementRecord{};
            const int32_t topLevel = ParseElement(0);
            if (topLevel > 0) {
                records[0].firstChild = topLevel;
                return true;
            }
        }
    }
    if (records.empty())
        records.resize(8);
    records[0] = ElementRecord{};
    nextFreeRecord = 1;
    return false;
}

size_t XmlDocument::CountPossibleStartTags() const
{
    size_t count = 0;
    const char* text = documentText.c_str();
    const char* end = text + documentText.size();
    for (const char* open = text; (open = static_cast<const char*>(std::memchr(open, '<', static_cast<size_t>(end - open)))) != nullptr;) {
        ++open;
        if (open == end)
            break;
        if (*open != '/' && *open != '!' && *open != '?')
            ++count;
    }
    return count;
}

int32_t XmlDocument::AllocateRecord()
{
    if (nextFreeRecord == static_cast<int32_t>(records.size())) {
        // Grow by half, and reserve exactly that so the table really grows by half.
        const size_t grown = records.size() + records.size() / 2;
        records.reserve(grown);
        records.resize(grown);
    }
    return nextFreeRecord++;
}

int32_t XmlDocument::RecordParseError(const char* format, int32_t index, int32_t offset)
{
    lastErrorOffset = offset;
    lastErrorFormat = format;
    const std::string_view nameSpan =
        IsElement(index) ? xmlscan::TagNameAt(documentText.c_str(), records[index].startTagBegin) : std::string_view();
    lastErrorNameStart = nameSpan.empty() ? 0 : static_cast<int32_t>(nameSpan.data() - documentText.c_str());
    lastErrorNameLength = static_cast<int32_t>(nameSpan.size());
    // The message buffer is bounded: a very long tag name is cut, never overrun.
    char message[300];
    const std::string name(nameSpan);
    std::snprintf(message, sizeof message, format, name.c_str());
    lastError = message;
    return -1;
}

// Reads the next tag in the content of `parent`, from the parent's scan position, into record
// `index`: declarations, comments and other markup nodes are stepped over. On an end tag the
// parent's content ends; the tag's first token (the '/') is left in `endTag`.
XmlDocument::NextTag XmlDocument::ReadTag(int32_t parent, int32_t index, TagToken& endTag)
{
    const char* text = documentText.c_str();
    const auto length = static_cast<int32_t>(documentText.size());
    int32_t position = records[parent].endTagBegin;
    for (;;) {
        if (!ScanToChar(text, position, '<'))
            return Failed("Element tag not found", position);
        records[index].startTagBegin = position;
        records[parent].endTagBegin = position;

        TagToken token;
        token.text = text;
        token.next = position + 1;
        if (!ScanToken(token))
            return Failed("Abrupt end within tag", position);
        if (token.quoted)
            return Failed("Tag starts with quote", position);
        const char first = text[token.start];
        if (first == '?' || first == '!') {
            token.next = position;
            if (!xmlscan::SkipMarkupNode(token))
                return Failed("Invalid node", position);
            position = token.next;
            continue;
        }
        if (first == '/') {
            endTag = token;
            return NextTag::ParentEnds;
        }
        // The tag name; the start tag ends at the first '>' after it, quotes or not.
        position = token.next;
        if (!xmlscan::ScanToCharFar(text, length, position, '>'))
            return Failed("End of tag not found", records[index].startTagBegin);
        ElementRecord& record = records[index];
        record.startTagEnd = position;
        if (text[position - 1] == '/') { // the name lies between '<' and here, so in bounds
            record.endTagBegin = position - 1;
            record.endTagEnd = position;
            return NextTag::EmptyElement;
        }
        record.endTagBegin = position + 1; // the scan position in its content
        record.endTagEnd = 0;              // no child yet
        return NextTag::ElementWithContent;
    }
}

XmlDocument::NextTag XmlDocument::Failed(const char* message, int32_t offset)
{
    RecordParseError(message, 0, offset);
    return NextTag::Failed;
}

// Parses the element that starts at the scan position of `topParent` together with all of its
// content. Returns its index, 0 when the first tag met is an end tag (the end of the parent's
// content), or -1 after an error with lastError set.
int32_t XmlDocument::ParseElement(int32_t topParent)
{
    int32_t parent = topParent;
    for (;;) {
        // One tag below `parent`.
        const int32_t index = AllocateRecord();
        {
            ElementRecord& record = records[index];
            record.startTagBegin = records[parent].endTagBegin;
            record.parent = parent;
            record.firstChild = 0;
            record.nextSibling = 0;
        }
        TagToken endTag;
        const NextTag tag = ReadTag(parent, index, endTag);
        if (tag == NextTag::Failed)
            return -1;
        if (tag == NextTag::ElementWithContent) {
            parent = index; // read its content
            continue;
        }
        int32_t result = index;
        if (tag == NextTag::ParentEnds) {
            --nextFreeRecord; // the end of the parent's content, not an element
            result = 0;
        }

        // Hand the result to the open element; every end tag met closes one more level.
        for (;;) {
            if (parent == topParent)
                return result;
            ElementRecord& open = records[parent];
            if (result > 0) {
                if (open.endTagEnd == 0)
                    open.firstChild = result;
                else
                    records[open.endTagEnd].nextSibling = result;
                open.endTagEnd = result;
                open.endTagBegin = records[result].endTagEnd + 1;
                break; // the next child of the same element
            }
            const int32_t endTagEnd = ParseEndTag(parent, endTag);
            if (endTagEnd < 0)
                return -1;
            records[parent].endTagEnd = endTagEnd;
            result = parent;
            parent = records[parent].parent;
        }
    }
}

// Reads the end tag of `index` from its scan position. `slash` is the end tag's first token
// when the caller has already read it (its end is -1 otherwise). Returns the offset of the
// '>', or -1 after an error with lastError set.
int32_t XmlDocument::ParseEndTag(int32_t index, const TagToken& slash)
{
    const char* text = documentText.c_str();
    TagToken token = slash;
    bool haveToken = token.end >= 0;
    if (!haveToken) {
        int32_t position = records[index].endTagBegin;
        if (!ScanToChar(text, position, '<'))
            return RecordParseError("End tag of %s element not found", index, records[index].startTagBegin);
        token.text = text;
        token.next = position + 1;
    }

    TagToken name;
    name.text = text;
    name.next = records[index].startTagBegin + 1;
    ScanToken(name);

    for (int32_t number = 1; haveToken || ScanToken(token); ++number) {
        haveToken = false;
        if (token.quoted)
            continue; // counted, never examined
        if (number == 1) {
            if (!TokenIs(token, '/'))
                return RecordParseError("Expecting end tag of element %s", index, token.start);
        } else if (number == 2) {
            if (!xmlscan::TokenMatchesName(token, text + name.start, name.end - name.start + 1))
                return RecordParseError("End tag does not correspond to %s", index, token.start);
        } else if (TokenIs(token, '>')) {
            return token.start;
        }
    }
    return RecordParseError("End tag not completed for element %s", index, slash.end >= 0 ? slash.start : records[index].endTagBegin);
}
