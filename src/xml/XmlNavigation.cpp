// The cursor of XmlDocument and the reading of values: tag names, attribute values and
// element text are cut out of the document bytes on request, with the five predefined
// entities decoded. Nothing here changes the text or the records.
#include "xml/XmlDocument.h"

#include "xml/AsciiText.h"
#include "xml/XmlScanner.h"

#include <algorithm>
#include <cstring>
#include <string_view>

using xmlscan::ScanToken;
using xmlscan::TokenIs;

namespace {

struct Entity
{
    const char* name; // after the '&', up to and including the ';'
    int32_t length;
    char replacement;
};

// Tried in this order.
constexpr Entity entities[] = {
    {"lt;", 3, '<'}, {"amp;", 4, '&'}, {"gt;", 3, '>'}, {"apos;", 5, '\''}, {"quot;", 5, '"'},
};

bool IsEmptyName(const char* name)
{
    return name == nullptr || name[0] == '\0';
}

} // namespace

// [SECTION] Cursor

void XmlDocument::Rewind()
{
    parentIndex = currentIndex = childIndex = currentKind = 0;
    ancestors.clear();
}

bool XmlDocument::NextElement(const char* name)
{
    if (nextFreeRecord <= 1)
        return false;
    const int32_t found = FindNamedElement(parentIndex, currentIndex, name);
    if (found == 0)
        return false;
    currentIndex = found; // a child of parentIndex, which stays
    childIndex = 0;
    currentKind = 1;
    return true;
}

bool XmlDocument::NextChild(const char* name)
{
    // With no current element, the first element at this level becomes current. When there
    // is none (the parent has no children) there are no children to search either: searching
    // the document root's children instead would offer the top-level element as a child.
    if (currentIndex == 0 && !NextElement(nullptr))
        return false;
    const int32_t found = FindNamedElement(currentIndex, childIndex, name);
    if (found == 0)
        return false;
    childIndex = found;
    currentKind = 1;
    return true;
}

bool XmlDocument::Descend()
{
    if (currentIndex == 0 || currentKind != 1)
        return false;
    ancestors.push_back(parentIndex);
    parentIndex = currentIndex;
    currentIndex = childIndex;
    childIndex = 0;
    currentKind = currentIndex != 0 ? 1 : 0;
    return true;
}

bool XmlDocument::Ascend()
{
    if (parentIndex == 0)
        return false;
    childIndex = currentIndex;
    currentIndex = parentIndex;
    parentIndex = ancestors.empty() ? 0 : ancestors.back();
    if (!ancestors.empty())
        ancestors.pop_back();
    currentKind = 1;
    return true;
}

void XmlDocument::RewindChildren()
{
    childIndex = 0;
    currentKind = currentIndex != 0 ? 1 : 0;
}

// [SECTION] Values at the cursor

std::string XmlDocument::TagName() const
{
    return TagNameAt(currentIndex);
}

std::string XmlDocument::Attribute(const char* name) const
{
    return ElementAttribute(currentIndex, name);
}

std::string_view XmlDocument::RawAttribute(const char* name) const
{
    TagToken token;
    if (!ElementAttributeSpan(currentIndex, name, token) || token.end < token.start)
        return std::string_view();
    return std::string_view(documentText).substr(static_cast<size_t>(token.start),
                                                 static_cast<size_t>(token.end - token.start + 1));
}

std::string XmlDocument::ChildAttribute(const char* name) const
{
    return ElementAttribute(childIndex, name);
}

std::string XmlDocument::ChildText() const
{
    return ElementText(childIndex);
}

std::string XmlDocument::ChildTextByName(const char* name)
{
    if (!NextChild(name))
        return std::string();
    std::string text = ChildText();
    RewindChildren();
    return text;
}

std::string_view XmlDocument::RawChildAttributeByName(const char* elementName, const char* attributeName)
{
    RewindChildren();
    while (NextChild(elementName)) {
        TagToken token;
        if (ElementAttributeSpan(childIndex, attributeName, token) && token.end >= token.start)
            return std::string_view(documentText).substr(static_cast<size_t>(token.start),
                                                         static_cast<size_t>(token.end - token.start + 1));
    }
    return std::string_view();
}

bool XmlDocument::RawChildTextByName(const char* name, std::string_view& text, bool& cdata)
{
    text = std::string_view();
    cdata = false;
    if (!NextChild(name))
        return false;
    const bool readable = ElementTextSpan(childIndex, text, cdata);
    RewindChildren();
    return readable;
}

std::string XmlDocument::ChildAttributeByName(const char* elementName, const char* attributeName)
{
    // Children whose attribute is empty or missing are passed over; the child position stays
    // on the child whose value is returned, or on the last one that matched the name.
    RewindChildren();
    while (NextChild(elementName)) {
        std::string value = ChildAttribute(attributeName);
        if (!value.empty())
            return value;
    }
    return std::string();
}

// [SECTION] Lookup and decoding

int32_t XmlDocument::FindNamedElement(int32_t parent, int32_t after, const char* name) const
{
    int32_t candidate = after != 0 ? NextSibling(parent, after) : FirstChild(parent);
    if (IsEmptyName(name))
        return candidate;
    TagToken token;
    token.text = documentText.c_str();
    for (; candidate != 0; candidate = NextSibling(parent, candidate)) {
        token.next = records[candidate].startTagBegin + 1;
        if (ScanToken(token) && TokenMatches(token, name))
            return candidate;
    }
    return 0;
}

std::string XmlDocument::TagNameAt(int32_t index) const
{
    if (!IsElement(index))
        return std::string();
    return std::string(xmlscan::TagNameAt(documentText.c_str(), records[index].startTagBegin));
}

// Tokens of the start tag are numbered from 0 (the tag name). The value is the quoted token
// two after the first attribute name that matches: name="v", name = 'v'. An unquoted value is
// never found.
bool XmlDocument::FindAttributeValue(TagToken& token, const char* name) const
{
    int32_t matched = -1;
    for (int32_t number = 0; ScanToken(token); ++number) {
        if (token.quoted) {
            if (matched >= 0 && number == matched + 2)
                return true;
            continue;
        }
        if (TokenIs(token, '>') || TokenIs(token, '/'))
            return false;
        if (TokenIs(token, '='))
            continue;
        if (number >= 1 && matched < 0 && TokenMatches(token, name))
            matched = number;
    }
    return false;
}

bool XmlDocument::ElementAttributeSpan(int32_t index, const char* name, TagToken& token) const
{
    // The cursor's kind decides, even when a child's attribute is asked for.
    if (!IsElement(index) || currentKind != 1 || IsEmptyName(name))
        return false;
    token.text = documentText.c_str();
    token.next = records[index].startTagBegin + 1;
    return FindAttributeValue(token, name);
}

std::string XmlDocument::ElementAttribute(int32_t index, const char* name) const
{
    TagToken token;
    if (!ElementAttributeSpan(index, name, token))
        return std::string();
    return DecodeText(token.start, token.end);
}

// Only the text of an element without child elements is readable. Content that starts with
// a CDATA section reads as the section's raw bytes; anything else is decoded as it stands,
// white space, comments and all.
bool XmlDocument::ElementTextSpan(int32_t index, std::string_view& text, bool& cdata) const
{
    text = std::string_view();
    cdata = false;
    if (!IsElement(index))
        return false;
    if (FirstChild(index) != 0)
        return false;
    const int32_t startTagEnd = StartTagEnd(index);
    const char* bytes = documentText.c_str();
    if (bytes[startTagEnd - 1] == '/')
        return false; // an empty-element tag
    const int32_t endTagBegin = NextTagAfter(startTagEnd + 1);

    int32_t position = startTagEnd + 1;
    xmlscan::SkipSpaces(bytes, position); // stops at the end tag's '<' at the latest
    constexpr std::string_view cdataOpen = "<![CDATA[";
    constexpr std::string_view cdataClose = "]]>";
    const auto room = static_cast<int32_t>(cdataOpen.size() + cdataClose.size());
    if (bytes[position] == '<' && position + room <= endTagBegin
        && std::memcmp(bytes + position, cdataOpen.data(), cdataOpen.size()) == 0) {
        const int32_t first = position + static_cast<int32_t>(cdataOpen.size());
        // Search only inside the element, never beyond its end tag.
        const std::string_view content(bytes + first, static_cast<size_t>(endTagBegin - first));
        const size_t close = content.find(cdataClose);
        if (close != std::string_view::npos) {
            text = content.substr(0, close);
            cdata = true;
            return true;
        }
    }
    const int32_t first = startTagEnd + 1;
    text = std::string_view(bytes + first, static_cast<size_t>(endTagBegin - first));
    return true;
}

std::string XmlDocument::ElementText(int32_t index) const
{
    std::string_view text;
    bool cdata = false;
    if (!ElementTextSpan(index, text, cdata) || text.empty())
        return std::string();
    if (cdata)
        return std::string(text);
    const auto first = static_cast<int32_t>(text.data() - documentText.c_str());
    return DecodeText(first, first + static_cast<int32_t>(text.size()) - 1);
}

std::string XmlDocument::DecodeText(int32_t first, int32_t last) const
{
    if (last < first)
        return std::string();
    return DecodeValue(std::string_view(documentText).substr(static_cast<size_t>(first),
                                                              static_cast<size_t>(last - first + 1)));
}

namespace {

// A reference to an ASCII character at text[at] ("&#49;", "&#x31;"): the character and the
// length of the reference; 0 when there is none.
size_t AsciiReference(std::string_view text, size_t at, char& c)
{
    unsigned long long value = 0;
    const size_t length = CharacterReferenceAt(text, at, value);
    if (length == 0 || value == 0 || value >= 0x80)
        return 0;
    c = static_cast<char>(value);
    return length;
}

} // namespace

std::string XmlDocument::DecodeValue(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t position = 0;
    while (position < text.size()) {
        const size_t ampersand = text.find('&', position);
        if (ampersand == std::string_view::npos) {
            out.append(text.substr(position));
            break;
        }
        out.append(text.substr(position, ampersand - position));
        position = ampersand + 1;
        char replacement = '&';
        if (const size_t length = AsciiReference(text, ampersand, replacement)) {
            position = ampersand + length;
        } else {
            for (const Entity& entity : entities) {
                // The whole name, ';' included, must lie inside the text.
                if (text.compare(ampersand + 1, static_cast<size_t>(entity.length), entity.name) == 0) {
                    replacement = entity.replacement;
                    position = ampersand + static_cast<size_t>(entity.length) + 1;
                    break;
                }
            }
        }
        out += replacement;
    }
    return out;
}

// [SECTION] Positions and attributes, for diagnostics

XmlDocument::Position XmlDocument::PositionOf(int32_t offset, bool utf8) const
{
    if (lineStarts.empty()) {
        lastPositionOffset = -1;
        lineStarts.push_back(0);
        for (size_t i = 0; i < documentText.size(); ++i)
            if (documentText[i] == '\n')
                lineStarts.push_back(static_cast<int32_t>(i + 1));
    }
    if (offset < 0)
        offset = 0;
    if (static_cast<size_t>(offset) > documentText.size())
        offset = static_cast<int32_t>(documentText.size());
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const auto line = static_cast<int>(after - lineStarts.begin());
    int32_t start = *(after - 1);
    int column = 1;
    // Further along the line of the last answer: count on from there.
    if (lastPositionOffset >= start && lastPositionOffset <= offset && lastPosition.line == line && lastPositionUtf8 == utf8) {
        start = lastPositionOffset;
        column = lastPosition.column;
    }
    for (int32_t i = start; i < offset; ++i)
        if (!utf8 || (static_cast<unsigned char>(documentText[static_cast<size_t>(i)]) & 0xC0) != 0x80)
            ++column;
    lastPositionOffset = offset;
    lastPosition = {line, column};
    lastPositionUtf8 = utf8;
    return {line, column};
}

std::string_view XmlDocument::LineAt(int32_t offset) const
{
    const std::string_view text(documentText);
    const size_t at = std::min(static_cast<size_t>(std::max(offset, 0)), text.size());
    const size_t newline = at == 0 ? std::string_view::npos : text.rfind('\n', at - 1);
    const size_t start = newline == std::string_view::npos ? 0 : newline + 1;
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos)
        end = text.size();
    if (end > start && text[end - 1] == '\r')
        --end;
    return text.substr(start, end - start);
}

std::string_view XmlDocument::ElementName(int32_t index) const
{
    if (!IsElement(index))
        return std::string_view();
    return xmlscan::TagNameAt(documentText.c_str(), records[index].startTagBegin);
}

std::vector<XmlDocument::AttributeSpan> XmlDocument::Attributes(int32_t index) const
{
    // The tokens the value lookup reads: a name, '=', then the quoted value (see
    // FindAttributeValue), up to the '>' or '/' that ends the tag.
    std::vector<AttributeSpan> found;
    if (!IsElement(index))
        return found;
    TagToken token;
    token.text = documentText.c_str();
    token.next = records[index].startTagBegin + 1;
    if (!ScanToken(token))
        return found;
    int step = 0; // 1: a name was read; 2: and its '='
    while (ScanToken(token)) {
        const std::string_view bytes(token.text + token.start, static_cast<size_t>(token.end - token.start + 1));
        if (token.quoted) {
            if (step == 2) {
                found.back().value = token.end >= token.start ? bytes : std::string_view();
                found.back().valueOffset = token.start;
                found.back().hasValue = true;
            }
            step = 0;
            continue;
        }
        if (TokenIs(token, '>') || TokenIs(token, '/'))
            break;
        if (TokenIs(token, '=')) {
            step = step == 1 ? 2 : 0;
            continue;
        }
        AttributeSpan span;
        span.name = bytes;
        span.nameOffset = token.start;
        found.push_back(span);
        step = 1;
    }
    return found;
}
