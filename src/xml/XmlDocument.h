// A small, lenient, non-validating XML reader. It keeps the document bytes unchanged and
// indexes element positions in a table of fixed-size records; names, attribute values and
// element text are cut out of the bytes (with the five predefined entities decoded) only
// when asked for. A cursor (parent, current element, current child) walks the elements.
#pragma once

#include "xml/XmlScanner.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One element of the document, in document order: where its start tag begins and the index
// just past its last descendant. Everything else (where its tags end, its parent, children and
// siblings) follows from these two and the text, so a file of tiny elements costs 8 bytes of
// table for each one. While the parser reads an element's content, `subtreeEnd` holds the index
// of the element it lies in.
struct ElementRecord
{
    int32_t startTagBegin; // the '<' that opens the start tag
    int32_t subtreeEnd;    // the first record after the element and everything inside it
};

class XmlDocument
{
public:
    // Offsets are 32-bit, with a margin for the look-ahead arithmetic on positions: the longest
    // text the reader takes.
    static constexpr size_t kMaxDocumentLength = 0x7FFFFFFF - 64;

    XmlDocument();
    virtual ~XmlDocument();

    // Reads the file (binary, byte path) and parses it. False when it cannot be read, is empty,
    // or does not parse; the document is then empty.
    bool LoadFile(const char* path);
    // Replaces the document with the NUL-terminated text (null for none) and parses its first
    // top-level element. True when one was parsed without error.
    bool ParseText(const char* text);
    // The same with text whose bytes the document takes over (it ends at its first NUL).
    bool ParseText(std::string&& text);
    // Message of the most recent parse failure; a successful parse does not clear it. Its
    // element name is the document's bytes (cut to fit): a reader that knows the text's
    // encoding makes the message from LastErrorFormat and LastErrorName instead.
    const std::string& LastError() const { return lastError; }
    // The failure's message with "%s" where the element's name goes (if it names one), and
    // that name's bytes as they stand in the document.
    const char* LastErrorFormat() const { return lastErrorFormat; }
    std::string_view LastErrorName() const
    {
        const auto start = static_cast<size_t>(lastErrorNameStart);
        return start > documentText.size() ? std::string_view()
                                           : std::string_view(documentText).substr(start, static_cast<size_t>(lastErrorNameLength));
    }
    // Where in the text that failure was found (a byte offset).
    int32_t LastErrorOffset() const { return lastErrorOffset; }

    // Line and column (from 1) of a byte offset of the text: columns count characters, UTF-8
    // sequences as one when `utf8` (else bytes). Line starts are indexed on first use.
    struct Position
    {
        int line = 0;
        int column = 0;
    };
    Position PositionOf(int32_t offset, bool utf8) const;
    // The bytes of the line that holds the offset, without its line break.
    std::string_view LineAt(int32_t offset) const;

    // An attribute as it stands in a start tag: its name and value bytes and their offsets.
    struct AttributeSpan
    {
        std::string_view name;
        int32_t nameOffset = 0;
        std::string_view value; // empty (and hasValue false) for a name without '=' and a quoted value
        int32_t valueOffset = 0;
        bool hasValue = false;
    };
    // Every attribute of element `index` in the order written.
    std::vector<AttributeSpan> Attributes(int32_t index) const;
    // The tag name of element `index` (empty for none) and where its '<' is.
    std::string_view ElementName(int32_t index) const;
    int32_t ElementOffset(int32_t index) const { return IsElement(index) ? records[index].startTagBegin : 0; }
    // The element's first child and the child after `child` below `parent` (0: none). Index 0
    // is the document, whose only child is the top-level element.
    int32_t FirstChild(int32_t index) const
    {
        return index >= 0 && index < nextFreeRecord && index + 1 < records[index].subtreeEnd ? index + 1 : 0;
    }
    int32_t NextSibling(int32_t parent, int32_t child) const
    {
        if (parent < 0 || parent >= nextFreeRecord || !IsElement(child))
            return 0;
        const int32_t next = records[child].subtreeEnd;
        return next > child && next < records[parent].subtreeEnd ? next : 0;
    }
    // Byte offsets of an element's tags, read again from the text: the '>' of its start tag,
    // the '<' of its end tag (the '/' of an empty-element tag) and that tag's '>' (for an
    // empty-element tag the start tag's). All 0 for no element.
    struct TagOffsets
    {
        int32_t startTagBegin = 0;
        int32_t startTagEnd = 0;
        int32_t endTagBegin = 0;
        int32_t endTagEnd = 0;
    };
    TagOffsets TagsOf(int32_t index) const;

    // Cursor: a parent, a current element below it and a current child below that. Names are
    // NUL-terminated and matched by TokenMatches; null or empty means any element.
    void Rewind();                        // before the top-level element
    bool NextElement(const char* name);   // next matching element after the current one
    bool NextChild(const char* name);     // next matching child of the current element (the
                                          // first element at this level becomes current if none is)
    bool Descend();                       // the current child becomes the current element
    bool Ascend();                        // the current element becomes the current child
    void RewindChildren();                // before the current element's first child

    // Values; missing ones read as empty strings. Values and texts come with the predefined
    // entities and the references to ASCII characters (&#49; &#x31;) decoded, for the values
    // that are ASCII by nature (numbers, flags, colours); a reference to any other character
    // stays as written here, for the text decoding above the reader to take.
    std::string TagName() const;
    std::string Attribute(const char* name) const;
    // The attribute's bytes as they stand in the document, entities not decoded; empty when
    // missing. Valid until the document is parsed again or destroyed.
    std::string_view RawAttribute(const char* name) const;
    std::string ChildAttribute(const char* name) const;
    std::string ChildText() const;
    std::string ChildTextByName(const char* name);
    // The first child of that name's text as it stands in the document: entities not decoded,
    // `cdata` telling a CDATA section's raw bytes. False (and nothing) when there is no such child
    // or its text cannot be read. Valid until the document is parsed again or destroyed.
    bool RawChildTextByName(const char* name, std::string_view& text, bool& cdata);
    std::string ChildAttributeByName(const char* elementName, const char* attributeName);
    // ChildAttributeByName's value as it stands in the document, entities not decoded.
    std::string_view RawChildAttributeByName(const char* elementName, const char* attributeName);

    // Bytes of the document as Attribute decodes them.
    static std::string DecodeValue(std::string_view raw);

    // Read access to the index, for tests and tools.
    const std::string& DocumentText() const { return documentText; }
    const std::vector<ElementRecord>& Records() const { return records; }
    int32_t NextFreeRecord() const { return nextFreeRecord; }
    int32_t ParentIndex() const { return parentIndex; }
    int32_t CurrentIndex() const { return currentIndex; }
    int32_t ChildIndex() const { return childIndex; }
    int32_t CurrentKind() const { return currentKind; }

private:
    // Parsing (XmlDocument.cpp).
    bool ParseDocumentText();
    bool ParseTopLevelElement();
    enum class TagKind { Start, End, Failed };
    TagKind FindTag(int32_t& position, TagToken& first, const char*& problem) const;
    bool Failed(const char* message, int32_t offset);
    int32_t ParseEndTag(int32_t index, TagToken token);
    int32_t StartTagEnd(int32_t index) const;
    size_t CountPossibleStartTags() const;
    int32_t AllocateRecord();
    int32_t RecordParseError(const char* format, int32_t index, int32_t offset);
    int32_t NextTagAfter(int32_t position) const;
    int32_t TagClose(int32_t lessThan) const;

    // Reading values (XmlNavigation.cpp).
    int32_t FindNamedElement(int32_t parent, int32_t after, const char* name) const;
    bool FindAttributeValue(TagToken& token, const char* name) const;
    std::string ElementAttribute(int32_t index, const char* name) const;
    bool ElementAttributeSpan(int32_t index, const char* name, TagToken& token) const;
    std::string ElementText(int32_t index) const;
    bool ElementTextSpan(int32_t index, std::string_view& text, bool& cdata) const;
    std::string TagNameAt(int32_t index) const;
    std::string DecodeText(int32_t first, int32_t last) const;
    bool IsElement(int32_t index) const { return index > 0 && index < nextFreeRecord; }

    std::string documentText;
    std::string lastError;
    int32_t lastErrorOffset = 0;
    const char* lastErrorFormat = "";
    int32_t lastErrorNameStart = 0;
    int32_t lastErrorNameLength = 0;
    mutable std::vector<int32_t> lineStarts; // built by PositionOf
    // PositionOf's last answer: offsets asked in order along one long line cost one pass.
    mutable int32_t lastPositionOffset = -1;
    mutable Position lastPosition;
    mutable bool lastPositionUtf8 = false;
    std::vector<ElementRecord> records;
    int32_t nextFreeRecord = 1;
    int32_t parentIndex = 0;
    int32_t currentIndex = 0;
    int32_t childIndex = 0;
    int32_t currentKind = 0;
    std::vector<int32_t> ancestors; // the cursor's parents above parentIndex, outermost first
};
