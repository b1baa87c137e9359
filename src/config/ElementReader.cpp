#include "config/ElementReader.h"

#include "config/ValueFormats.h"
#include "xml/XmlDocument.h"

std::wstring ElementReader::Text(const char* attribute) const
{
    return DecodeMarkup(document.RawAttribute(attribute), encoding);
}

std::wstring ElementReader::Path(const char* attribute, std::wstring* emptyVariable) const
{
    std::wstring path = Text(attribute);
    ExpandVariables(path, variables, emptyVariable);
    return path;
}

bool ElementReader::Flag(const char* attribute) const
{
    return ParseBoolean(document.Attribute(attribute));
}

std::wstring ElementReader::ChildText(const char* element)
{
    std::string_view text;
    bool cdata = false;
    if (!document.RawChildTextByName(element, text, cdata))
        return std::wstring();
    return cdata ? DecodeBytes(text, encoding) : DecodeMarkup(text, encoding);
}

std::wstring ElementReader::ChildAttributeText(const char* element, const char* attribute)
{
    return DecodeMarkup(document.RawChildAttributeByName(element, attribute), encoding);
}

std::wstring ElementReader::ChildAttributePath(const char* element, const char* attribute)
{
    std::wstring path = ChildAttributeText(element, attribute);
    if (!path.empty())
        ExpandVariables(path, variables);
    return path;
}
