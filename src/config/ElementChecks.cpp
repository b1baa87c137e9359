// The reader's checks: names the loader does not read and values that do not fit their kind,
// reported where they stand. Nothing here changes what is loaded.
#include "config/ElementReader.h"

#include "config/InstallCommand.h"
#include "config/ValueFormats.h"
#include "xml/AsciiText.h"
#include "xml/WideBytes.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

namespace {

std::wstring Hex(uint32_t colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(colour));
    return WidenBytes(text);
}

} // namespace

std::wstring ElementReader::Quote(std::string_view bytes) const
{
    return L"\"" + MessageText(bytes, encoding) + L"\"";
}

void ElementReader::WarnAt(int32_t index, const std::wstring& message) const
{
    report.At(document.ElementOffset(index), Severity::Warning, message);
}

namespace {

int32_t OffsetIn(const XmlDocument& document, int32_t index, const char* attribute)
{
    for (const XmlDocument::AttributeSpan& span : document.Attributes(index))
        if (span.name == attribute)
            return span.hasValue ? span.valueOffset : span.nameOffset;
    return document.ElementOffset(index);
}

} // namespace

int32_t ElementReader::AttributeOffset(const char* attribute) const
{
    return OffsetIn(document, document.CurrentIndex(), attribute);
}

int32_t ElementReader::ChildAttributeOffset(const char* attribute) const
{
    return OffsetIn(document, document.ChildIndex(), attribute);
}

int32_t ElementReader::AttributeOffsetAt(const char* attribute, size_t index) const
{
    return AttributeOffset(attribute) +
           static_cast<int32_t>(RawIndexOfDecoded(document.RawAttribute(attribute), encoding, index));
}

void ElementReader::CheckBesideConfiguration(const std::wstring& written, const std::wstring& expanded,
                                             int32_t offset) const
{
    if (!report.On() || !report.fileExists || expanded.empty() ||
        !(StartsWithIgnoreAsciiCase(std::wstring_view(written), std::wstring_view(L"%VARNEKITE%")) ||
          StartsWithIgnoreAsciiCase(std::wstring_view(written), std::wstring_view(L"%VARNEKITECONFIG%"))))
        return;
    if (!report.fileExists(expanded))
        report.At(offset, Severity::Warning, L"\"" + written + L"\" is not there beside the configuration");
}

void ElementReader::CheckAttributes(int32_t index, const std::vector<SchemaAttribute>& known) const
{
    if (!report.On())
        return;
    const std::wstring element = WidenBytes(document.ElementName(index));
    std::vector<std::string_view> names;
    for (const SchemaAttribute& attribute : known)
        names.push_back(attribute.name);
    for (const XmlDocument::AttributeSpan& span : document.Attributes(index)) {
        const SchemaAttribute* match = nullptr;
        for (const SchemaAttribute& attribute : known)
            if (attribute.name == span.name)
                match = &attribute;
        if (match == nullptr) {
            report.At(span.nameOffset, Severity::Warning,
                      L"<" + element + L"> has no attribute " + Quote(span.name) + L"; it is not read" +
                          DidYouMean(ClosestName(span.name, names)));
        } else if (!span.hasValue) {
            report.At(span.nameOffset, Severity::Warning,
                      L"attribute " + Quote(span.name) + L" has no quoted value; it is not read");
        } else {
            // Checked as the installer reads it: paths as written (their variables sit at
            // offsets), every other kind with its references decoded.
            CheckValue(*match, match->kind == ValueKind::Path ? std::string(span.value) : XmlDocument::DecodeValue(span.value),
                       span.valueOffset);
        }
    }
}

void ElementReader::CheckChildren(int32_t index, const std::vector<std::string_view>& known) const
{
    if (!report.On() || index <= 0)
        return;
    const std::wstring parent = WidenBytes(document.ElementName(index));
    for (int32_t child = document.FirstChild(index); child != 0; child = document.NextSibling(index, child)) {
        const std::string_view name = document.ElementName(child);
        bool read = false;
        for (std::string_view candidate : known)
            read = read || candidate == name;
        if (!read)
            WarnAt(child, L"<" + parent + L"> has no child element <" + MessageText(name, encoding) +
                              L">; it is not read" + DidYouMean(ClosestName(name, known)));
    }
}

void ElementReader::CheckValue(const SchemaAttribute& attribute, std::string_view value, int32_t offset) const
{
    const std::wstring name = WidenBytes(attribute.name);
    const std::string bytes(value);
    switch (attribute.kind) {
    case ValueKind::Integer: {
        if (value.empty())
            return;
        bool exact = false;
        const int32_t number = ParseInteger(bytes, &exact);
        if (!exact)
            report.At(offset, Severity::Warning,
                      name + L" " + Quote(value) + L" is not a whole number: it reads as " + std::to_wstring(number));
        else if (number < attribute.minimum || number > attribute.maximum)
            report.At(offset, Severity::Warning,
                      name + L" " + std::to_wstring(number) + L" is out of range (" +
                          (attribute.maximum == 2147483647 ? L"at least " + std::to_wstring(attribute.minimum)
                                                           : std::to_wstring(attribute.minimum) + L" to " +
                                                                 std::to_wstring(attribute.maximum)) +
                          L")");
        return;
    }
    case ValueKind::Boolean: {
        bool exact = false;
        ParseBoolean(bytes, &exact);
        if (!exact)
            report.At(offset, Severity::Warning,
                      name + L" " + Quote(value) + L" is not true or false: it reads as false");
        return;
    }
    case ValueKind::Colour: {
        if (value.empty())
            return;
        bool exact = false;
        const uint32_t colour = ParseColour(bytes, &exact);
        if (!exact)
            report.At(offset, Severity::Warning,
                      L"colour " + Quote(value) + L" is not #RRGGBB or #RRGGBBAA: it becomes " + Hex(colour) +
                          ((colour >> 24) == 0 ? L" (fully transparent)" : L""));
        return;
    }
    case ValueKind::ExitCode: {
        uint32_t code = 0;
        if (ParseExitCode(value, code))
            return;
        // A word it may be instead ("program"), in any letter case.
        for (size_t start = 0; !attribute.choices.empty() && start <= attribute.choices.size();) {
            const size_t end = std::min(attribute.choices.find('|', start), attribute.choices.size());
            if (EqualsIgnoreAsciiCase(value, attribute.choices.substr(start, end - start)))
                return;
            start = end + 1;
        }
        report.At(offset, Severity::Warning,
                  name + L" " + Quote(value) + L" is not an exit code" +
                      (attribute.choices.empty() ? std::wstring() : L" or " + WidenBytes(attribute.choices)) +
                      L": it is not used");
        return;
    }
    case ValueKind::ExitCodes: {
        std::vector<uint32_t> codes;
        if (!ParseExitCodeList(value, codes))
            report.At(offset, Severity::Warning,
                      name + L" " + Quote(value) + L" is not a list of exit codes separated by commas" +
                          (!codes.empty()          ? std::wstring(L": the others are left out")
                           : attribute.name == "success" ? L": " + WidenBytes(ExitCodesInWords(kDefaultSuccessCodes)) + L" are used"
                                                       : std::wstring(L": the default is used")));
        return;
    }
    case ValueKind::Path:
        CheckPathVariables(value, offset);
        return;
    case ValueKind::Text:
        return;
    }
}

void ElementReader::CheckPathVariables(std::string_view value, int32_t offset) const
{
    // Each variable's warning is said once per value, at its first reference, with how often it
    // stood there: a value that repeats one reference a hundred thousand times gives one line.
    struct Seen
    {
        int32_t offset;
        std::string_view name; // as written
        const PathVariable* variable; // null: no such variable
        size_t count;
    };
    std::vector<Seen> seen;
    std::unordered_map<std::wstring, size_t> byName;
    for (size_t open = value.find('%'); open != std::string_view::npos;) {
        const size_t close = value.find('%', open + 1);
        if (close == std::string_view::npos)
            break;
        const std::string_view name = value.substr(open + 1, close - open - 1);
        if (name.empty() || name.find_first_of(" \t\\/") != std::string_view::npos) {
            open = close; // not a reference; its closing '%' may open one
            continue;
        }
        std::wstring upper = WidenBytes(name);
        for (wchar_t& c : upper)
            c = UpperAsciiLetter(c);
        const auto known = byName.find(upper);
        const PathVariable* found = nullptr;
        if (known != byName.end()) {
            ++seen[known->second].count;
            found = seen[known->second].variable;
        } else {
            for (const PathVariable& variable : variables)
                if (found == nullptr && variable.name == upper)
                    found = &variable;
            byName.emplace(upper, seen.size());
            seen.push_back({offset + static_cast<int32_t>(open), name, found, 1});
        }
        // An unknown name's closing '%' may open the next reference.
        open = found == nullptr ? close : value.find('%', close + 1);
    }
    if (seen.empty())
        return;

    // The path variables' names (ASCII), for a suggestion.
    std::vector<std::string> narrowNames;
    for (const PathVariable& variable : variables)
        if (!variable.environment)
            narrowNames.push_back(NarrowBytes(variable.name));
    const std::vector<std::string_view> pathNames(narrowNames.begin(), narrowNames.end());
    for (const Seen& reference : seen) {
        std::wstring message;
        if (reference.variable == nullptr)
            message = L"%" + MessageText(reference.name, encoding) +
                      L"% is neither a path variable nor set in the environment: it stays as written" +
                      DidYouMean(ClosestName(reference.name, pathNames));
        else if (!reference.variable->environment && reference.variable->value.empty())
            message = L"%" + reference.variable->name + L"% is not set here (give its value with --var): it expands to nothing";
        else
            continue;
        if (reference.count > 1)
            message += L" (" + std::to_wstring(reference.count) + L" times in this value)";
        report.At(reference.offset, Severity::Warning, message);
    }
}
