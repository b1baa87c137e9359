// The elements and attributes the loader reads, in one list: the loader's name checks use it,
// and a test holds schema/Varnekite.xsd to it. Attributes of `file` beyond `command` belong to
// the command kinds (their table says which kind reads which).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The kind of value an attribute or a text holds.
enum class ValueKind
{
    Text,
    Path,    // text with path variables
    Integer,
    Boolean, // true or false
    Colour,  // #RRGGBB or #RRGGBBAA
    ExitCode,  // a process exit code: decimal, negative, or 0x hexadecimal
    ExitCodes, // exit codes separated by commas
};

struct SchemaAttribute
{
    std::string_view name;
    ValueKind kind;
    std::string documentation; // its defaults written from the constants the program uses
    int minimum = -2147483647 - 1; // integers: the values that make sense
    int maximum = 2147483647;
    std::string_view choices = {}; // text: the words it may be ("tree|process"), any letter case
};

struct SchemaElement
{
    std::string_view name;
    std::string_view parent; // empty for the root
    std::vector<SchemaAttribute> attributes;
    std::vector<std::string_view> children;
    bool text;               // the element's text is read
    std::string_view documentation;
};

// Every element the loader reads, the root first.
const std::vector<SchemaElement>& ConfigurationSchema();

// The element of that name under that parent; null when the loader reads none.
const SchemaElement* FindSchemaElement(std::string_view name, std::string_view parent);
