// Loading and parsing of XmlDocument: the document bytes are kept as they are and every
// element gets one small record, in document order.
//
// The parser reads one tag after another without recursion: while an element's content is
// read, its record's `subtreeEnd` links to the element it lies in, so the chain of open
// elements lives in the table itself and a document nested hundreds of thousands of levels
// deep parses in constant stack space. The link becomes the subtree's end when the end tag is
// read.
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
            if (ParseTopLevelElement()) {
                records[0].subtreeEnd = nextFreeRecord;
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

// Finds the next start or end tag from `position` (which it leaves on the tag's '<'),
// stepping over declarations, comments and other markup nodes; `first` is the tag's first
// token. On a failure `problem` says why and `position` where.
XmlDocument::TagKind XmlDocument::FindTag(int32_t& position, TagToken& first, const char*& problem) const
{
    const char* text = documentText.c_str();
    for (;;) {
        if (!ScanToChar(text, position, '<')) {
            problem = "Element tag not found";
            return TagKind::Failed;
        }
        first = TagToken();
        first.text = text;
        first.next = position + 1;
        problem = !ScanToken(first) ? "Abrupt end within tag" : first.quoted ? "Tag starts with quote" : nullptr;
        if (problem != nullptr)
            return TagKind::Failed;
        const char sign = text[first.start];
        if (sign == '/')
            return TagKind::End;
        if (sign != '?' && sign != '!')
            return TagKind::Start;
        first.next = position;
        if (!xmlscan::SkipMarkupNode(first)) {
            problem = "Invalid node";
            return TagKind::Failed;
        }
        position = first.next;
    }
}

bool XmlDocument::Failed(const char* message, int32_t offset)
{
    RecordParseError(message, 0, offset);
    return false;
}

// Parses the first top-level element together with all of its content. False when the first
// tag met is an end tag (no message) or after an error with lastError set.
bool XmlDocument::ParseTopLevelElement()
{
    const char* text = documentText.c_str();
    const auto length = static_cast<int32_t>(documentText.size());
    int32_t position = 0;
    int32_t open = 0; // the element whose content is being read; 0 before the top-level element
    for (;;) {
        TagToken first;
        const char* problem = nullptr;
        const TagKind kind = FindTag(position, first, problem);
        if (kind == TagKind::Failed)
            return Failed(problem, position);
        if (kind == TagKind::End) {
            if (open == 0)
                return false; // an end tag before any element
            const int32_t close = ParseEndTag(open, first);
            if (close < 0)
                return false;
            const int32_t outer = records[open].subtreeEnd;
            records[open].subtreeEnd = nextFreeRecord;
            if (outer == 0)
                return true;
            open = outer;
            position = close + 1;
            continue;
        }
        const int32_t index = AllocateRecord();
        records[index].startTagBegin = position;
        // The tag name; the start tag ends at the first '>' after it, quotes or not.
        const int32_t tagBegin = position;
        position = first.next;
        if (!xmlscan::ScanToCharFar(text, length, position, '>'))
            return Failed("End of tag not found", tagBegin);
        ++position;
        if (text[position - 2] == '/') { // the name lies between '<' and here, so in bounds
            records[index].subtreeEnd = nextFreeRecord;
            if (open == 0)
                return true;
        } else {
            records[index].subtreeEnd = open;
            open = index;
        }
    }
}

// Reads the end tag of `index` whose first token ('/') is `token`. Returns the offset of its
// '>', or -1 after an error with lastError set.
int32_t XmlDocument::ParseEndTag(int32_t index, TagToken token)
{
    const char* text = documentText.c_str();
    const int32_t slash = token.start;
    TagToken name;
    name.text = text;
    name.next = records[index].startTagBegin + 1;
    ScanToken(name);

    for (int32_t number = 2; ScanToken(token); ++number) {
        if (token.quoted)
            continue; // counted, never examined
        if (number == 2) {
            if (!xmlscan::TokenMatchesName(token, text + name.start, name.end - name.start + 1))
                return RecordParseError("End tag does not correspond to %s", index, token.start);
        } else if (TokenIs(token, '>')) {
            return token.start;
        }
    }
    return RecordParseError("End tag not completed for element %s", index, slash);
}

// [SECTION] Tag offsets, read again from the text of a parsed document

int32_t XmlDocument::StartTagEnd(int32_t index) const
{
    TagToken name;
    name.text = documentText.c_str();
    name.next = records[index].startTagBegin + 1;
    ScanToken(name);
    int32_t position = name.next;
    xmlscan::ScanToCharFar(name.text, static_cast<int32_t>(documentText.size()), position, '>');
    return position;
}

// The '<' of the next start or end tag after markup nodes, as the parser found it.
int32_t XmlDocument::NextTagAfter(int32_t position) const
{
    TagToken first;
    const char* problem = nullptr;
    FindTag(position, first, problem);
    return position;
}

// The '>' that closes the end tag at `lessThan`: its first unquoted '>' (after the '/' and
// the name, which never are one).
int32_t XmlDocument::TagClose(int32_t lessThan) const
{
    TagToken token;
    token.text = documentText.c_str();
    token.next = lessThan + 1;
    while (ScanToken(token))
        if (TokenIs(token, '>'))
            return token.start;
    return token.start;
}

XmlDocument::TagOffsets XmlDocument::TagsOf(int32_t index) const
{
    TagOffsets tags;
    if (!IsElement(index))
        return tags;
    // The end tag comes after the last child's; the chain of last children is walked down
    // first and the end tags found on the way back up, without recursion.
    std::vector<int32_t> chain{index};
    for (int32_t child = FirstChild(index); child != 0; child = FirstChild(chain.back())) {
        for (int32_t next = child; next != 0; next = NextSibling(chain.back(), next))
            child = next;
        chain.push_back(child);
    }
    int32_t contentEnd = -1; // the '>' of the end tag of the element below, when there is one
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        tags.startTagBegin = records[*at].startTagBegin;
        tags.startTagEnd = StartTagEnd(*at);
        if (contentEnd < 0 && documentText[static_cast<size_t>(tags.startTagEnd - 1)] == '/') {
            tags.endTagBegin = tags.startTagEnd - 1;
            tags.endTagEnd = tags.startTagEnd;
        } else {
            tags.endTagBegin = NextTagAfter((contentEnd < 0 ? tags.startTagEnd : contentEnd) + 1);
            tags.endTagEnd = TagClose(tags.endTagBegin);
        }
        contentEnd = tags.endTagEnd;
    }
    return tags;
}
