#include "SchemaXsd.h"

#include "commands/CommandKinds.h"
#include "config/ConfigurationSchema.h"
#include "xml/AsciiText.h"
#include "xml/WideBytes.h"

#include <algorithm>

namespace {

// A single exit code, as ParseExitCode reads it.
constexpr char kExitCodePattern[] = "-?[0-9]{1,10}|0[xX][0-9A-Fa-f]{1,8}";

std::string Escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Documentation(std::string_view text, const std::string& indent)
{
    return indent + "<xs:annotation><xs:documentation>" + Escaped(text) + "</xs:documentation></xs:annotation>\n";
}

// A pattern that takes the word in any ASCII letter case, as the loader compares names.
std::string AnyCase(std::string_view word)
{
    std::string pattern;
    for (char c : word) {
        const char lower = FoldAscii(c);
        const char upper = UpperAsciiLetter(c);
        pattern += lower != upper ? std::string("[") + upper + lower + "]" : std::string(1, c);
    }
    return pattern;
}

std::string IntegerType(const SchemaAttribute& attribute)
{
    const bool bounded = attribute.minimum != SchemaAttribute().minimum || attribute.maximum != SchemaAttribute().maximum;
    if (!bounded)
        return "xs:int";
    std::string type = "\n        <xs:simpleType><xs:restriction base=\"xs:int\">";
    if (attribute.minimum != SchemaAttribute().minimum)
        type += "<xs:minInclusive value=\"" + std::to_string(attribute.minimum) + "\"/>";
    if (attribute.maximum != SchemaAttribute().maximum)
        type += "<xs:maxInclusive value=\"" + std::to_string(attribute.maximum) + "\"/>";
    return type + "</xs:restriction></xs:simpleType>\n      ";
}

// A text that may be one of a few words, in any ASCII letter case, or match `alternative`.
std::string ChoiceType(std::string_view choices, const std::string& alternative = std::string())
{
    std::string pattern = alternative;
    for (size_t start = 0; start <= choices.size();) {
        size_t end = choices.find('|', start);
        if (end == std::string_view::npos)
            end = choices.size();
        pattern += (pattern.empty() ? "" : "|") + AnyCase(choices.substr(start, end - start));
        start = end + 1;
    }
    return "\n        <xs:simpleType><xs:restriction base=\"xs:string\"><xs:pattern value=\"" + pattern +
           "\"/></xs:restriction></xs:simpleType>\n      ";
}

// The XML Schema type of a value: named types for the shared formats, an inline restriction
// for integers with bounds and for choices ("" when the type is inline).
std::string TypeOf(const SchemaAttribute& attribute)
{
    if (!attribute.choices.empty() && attribute.kind == ValueKind::ExitCode)
        return ChoiceType(attribute.choices, "\\s*(" + std::string(kExitCodePattern) + ")\\s*");
    if (!attribute.choices.empty())
        return ChoiceType(attribute.choices);
    switch (attribute.kind) {
    case ValueKind::Text: return "xs:string";
    case ValueKind::Path: return "path";
    case ValueKind::Boolean: return "boolean";
    case ValueKind::Colour: return "colour";
    case ValueKind::Integer: return IntegerType(attribute);
    case ValueKind::ExitCode: return "exitCode";
    case ValueKind::ExitCodes: return "exitCodes";
    }
    return "xs:string";
}

void WriteAttribute(std::string& out, const SchemaAttribute& attribute)
{
    // The namespace attributes editors use are XML Schema's own and not declared.
    if (attribute.name.rfind("xmlns", 0) == 0 || attribute.name.rfind("xsi:", 0) == 0)
        return;
    const std::string type = TypeOf(attribute);
    out += "      <xs:attribute name=\"" + std::string(attribute.name) + "\"";
    if (type.front() != '\n') {
        out += " type=\"" + type + "\">\n" + Documentation(attribute.documentation, "        ");
        out += "      </xs:attribute>\n";
        return;
    }
    out += ">\n" + Documentation(attribute.documentation, "        ") + type.substr(1) + "</xs:attribute>\n";
}

// Every attribute a `file` element may carry: the command, then each kind's once.
std::vector<SchemaAttribute> FileAttributes(const SchemaElement& file)
{
    std::vector<SchemaAttribute> attributes;
    for (const CommandKind& kind : kCommandKinds) {
        for (const SchemaAttribute& attribute : kind.attributes()) {
            const bool known = std::any_of(attributes.begin(), attributes.end(),
                                           [&attribute](const SchemaAttribute& a) { return a.name == attribute.name; });
            if (!known)
                attributes.push_back(attribute);
        }
    }
    std::vector<SchemaAttribute> all;
    for (const SchemaAttribute& attribute : file.attributes)
        if (attribute.name != "command")
            all.push_back(attribute);
    all.insert(all.end(), attributes.begin(), attributes.end());
    return all;
}

std::string CommandType()
{
    std::string kinds;
    std::string pattern;
    for (const CommandKind& kind : kCommandKinds) {
        const std::string name = NarrowBytes(kind.name);
        kinds += (kinds.empty() ? "" : ", ") + name;
        pattern += (pattern.empty() ? "" : "|") + AnyCase(name);
    }
    return "  <xs:simpleType name=\"command\">\n" +
           Documentation("The command kind: " + kinds + " (letter case does not matter).", "    ") +
           "    <xs:restriction base=\"xs:string\"><xs:pattern value=\"" + pattern +
           "\"/></xs:restriction>\n  </xs:simpleType>\n";
}

void WriteElement(std::string& out, const SchemaElement& element)
{
    const std::string typeName = element.parent.empty() ? std::string(element.name) : std::string(element.parent) + "-" + std::string(element.name);
    out += "  <xs:complexType name=\"" + typeName + "\">\n";
    out += Documentation(element.documentation, "    ");
    if (element.text) {
        out += "    <xs:simpleContent><xs:extension base=\"xs:string\"/></xs:simpleContent>\n";
    } else {
        // Children in any order and number: what the reading order passes over is the
        // checker's to tell, with its reason.
        if (!element.children.empty()) {
            out += "    <xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">\n";
            for (std::string_view child : element.children)
                out += "      <xs:element name=\"" + std::string(child) + "\" type=\"" + std::string(element.name) + "-" +
                       std::string(child) + "\"/>\n";
            out += "    </xs:choice>\n";
        }
        std::vector<SchemaAttribute> attributes = element.attributes;
        if (element.name == "file") {
            out += "      <xs:attribute name=\"command\" type=\"command\" use=\"required\">\n" +
                   Documentation("The command kind.", "        ") + "      </xs:attribute>\n";
            attributes = FileAttributes(element);
        }
        for (const SchemaAttribute& attribute : attributes)
            WriteAttribute(out, attribute);
    }
    out += "  </xs:complexType>\n";
}

} // namespace

std::string SchemaXsd()
{
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- The elements and attributes Varnekite reads from Varnekite.xml, for editors that complete\n"
        "     names, show their documentation and underline mistakes. Written by varnekite-check from the\n"
        "     installer's own list; a test keeps the two the same. -->\n"
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n";
    out += "  <xs:element name=\"Varnekite\" type=\"Varnekite\"/>\n";
    out += "  <xs:simpleType name=\"path\">\n" +
           Documentation("Text in which %NAME% names a path variable or an environment variable.", "    ") +
           "    <xs:restriction base=\"xs:string\"/>\n  </xs:simpleType>\n";
    out += "  <xs:simpleType name=\"boolean\">\n" +
           Documentation("true or false, in any letter case; anything else reads as false.", "    ") +
           "    <xs:restriction base=\"xs:string\"><xs:pattern value=\"" + AnyCase("true") + "|" + AnyCase("false") +
           "\"/></xs:restriction>\n  </xs:simpleType>\n";
    out += "  <xs:simpleType name=\"colour\">\n" +
           Documentation("#RRGGBB, or #RRGGBBAA with an alpha value (00 transparent, FF opaque).", "    ") +
           "    <xs:restriction base=\"xs:string\"><xs:pattern value=\"#[0-9A-Fa-f]{6}([0-9A-Fa-f]{2})?\"/>"
           "</xs:restriction>\n  </xs:simpleType>\n";
    const std::string code = kExitCodePattern;
    out += "  <xs:simpleType name=\"exitCode\">\n" +
           Documentation("A process exit code: decimal (-1 is 4294967295) or hexadecimal after 0x.", "    ") +
           "    <xs:restriction base=\"xs:string\"><xs:pattern value=\"\\s*(" + code +
           ")\\s*\"/></xs:restriction>\n  </xs:simpleType>\n";
    out += "  <xs:simpleType name=\"exitCodes\">\n" +
           Documentation("Exit codes separated by commas, e.g. 0,3010,1641.", "    ") +
           "    <xs:restriction base=\"xs:string\"><xs:pattern value=\"\\s*(" + code + ")\\s*(,\\s*(" + code +
           ")\\s*)*\"/></xs:restriction>\n  </xs:simpleType>\n";
    out += CommandType();
    for (const SchemaElement& element : ConfigurationSchema())
        WriteElement(out, element);
    out += "</xs:schema>\n";
    return out;
}
