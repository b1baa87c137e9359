// The fifteen path variables and the expansion of %NAME% references in configuration paths.
#include "config/PathVariables.h"

#include "xml/AsciiText.h"

#include <algorithm>
#include <unordered_map>
#include <cstddef>
#include <vector>

namespace {

// Environment variables a configuration may reference, in substitution order.
const wchar_t* const kEnvironmentNames[] = {
    L"USERPROFILE", L"SYSTEMDRIVE", L"WINDIR",   L"PROGRAMFILES", L"SYSTEMROOT", L"ALLUSERSPROFILE",
    L"APPDATA",     L"HOMEDRIVE",   L"HOMEPATH", L"HOMESHARE",    L"TEMP",       L"TMP",
};

// The module path up to and including its last backslash; empty when it has none.
std::wstring FolderOf(const std::wstring& modulePath)
{
    const size_t lastBackslash = modulePath.rfind(L'\\');
    if (lastBackslash == std::wstring::npos)
        return std::wstring();
    return modulePath.substr(0, lastBackslash + 1);
}

// The text being expanded, and which of its characters a value brought in. References in the
// configuration's own text match in any ASCII case; inside an inserted value they match only
// as the table writes them (upper case).
struct Expansion
{
    std::wstring text;
    std::vector<bool> fromValue; // empty until a value is inserted
    std::wstring emptyName;      // the first variable referenced whose value is empty

    // Whether the configuration itself wrote a backslash at `at` (no value brought it).
    bool WrittenBackslash(size_t at) const
    {
        return at < text.size() && text[at] == L'\\' && (fromValue.empty() || !fromValue[at]);
    }

    bool Matches(size_t at, wchar_t wanted) const
    {
        const wchar_t c = text[at];
        if (!fromValue.empty() && fromValue[at])
            return c == wanted;
        return UpperAsciiLetter(c) == wanted;
    }

    // The first "%NAME%" at or after `from`.
    size_t Find(const std::wstring& name, size_t from) const
    {
        for (size_t percent = text.find(L'%', from); percent != std::wstring::npos;
             percent = text.find(L'%', percent + 1)) {
            const size_t close = percent + 1 + name.size();
            if (close >= text.size())
                return std::wstring::npos;
            if (text[close] != L'%')
                continue;
            size_t i = 0;
            while (i < name.size() && Matches(percent + 1 + i, name[i]))
                ++i;
            if (i == name.size())
                return percent;
        }
        return std::wstring::npos;
    }

    // Whether `value`, inserted before `at`, ends in a backslash where the configuration wrote
    // one at `at`: the two are one separator.
    bool JoinsWrittenBackslash(const std::wstring& value, size_t at) const
    {
        return !value.empty() && value.back() == L'\\' && WrittenBackslash(at);
    }

    // Replaces every reference to `variable`, left to right, without searching the values it
    // inserts. In place when the text does not grow; the cost is linear in the text either way.
    void Replace(const PathVariable& variable)
    {
        const size_t keyLength = variable.name.size() + 2;
        size_t found = Find(variable.name, 0);
        if (found == std::wstring::npos)
            return;
        const std::wstring& value = variable.value;
        if (value.empty() && emptyName.empty())
            emptyName = variable.name;
        if (fromValue.empty() && !value.empty())
            fromValue.assign(text.size(), false);
        const bool inPlace = value.size() <= keyLength;
        std::wstring grown;
        std::vector<bool> grownFromValue;
        std::wstring& out = inPlace ? text : grown;
        std::vector<bool>& outFromValue = inPlace ? fromValue : grownFromValue;
        if (!inPlace)
            grownFromValue.reserve(fromValue.size());
        size_t read = 0;
        size_t write = 0;
        const auto keep = [&](size_t end) { // text[read, end) stays as it is
            if (inPlace) {
                std::copy(text.begin() + static_cast<std::ptrdiff_t>(read), text.begin() + static_cast<std::ptrdiff_t>(end),
                          text.begin() + static_cast<std::ptrdiff_t>(write));
            } else {
                grown.append(text, read, end - read);
            }
            for (size_t i = read; i < end && !fromValue.empty(); ++i) {
                if (inPlace)
                    fromValue[write + i - read] = fromValue[i];
                else
                    grownFromValue.push_back(fromValue[i]);
            }
            write += end - read;
        };
        while (found != std::wstring::npos) {
            keep(found);
            // "%VARNEKITE%\\file": a value ending in a backslash meets one written after it.
            const size_t length = JoinsWrittenBackslash(value, found + keyLength) ? value.size() - 1 : value.size();
            if (inPlace)
                std::copy(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(length),
                          text.begin() + static_cast<std::ptrdiff_t>(write));
            else
                grown.append(value, 0, length);
            for (size_t i = 0; i < length; ++i) {
                if (inPlace)
                    fromValue[write + i] = true;
                else
                    grownFromValue.push_back(true);
            }
            write += length;
            read = found + keyLength;
            found = Find(variable.name, read); // reads only at or after `read`, never below `write`
        }
        keep(text.size());
        if (inPlace) {
            text.resize(write);
            if (!fromValue.empty())
                fromValue.resize(write);
        } else {
            text.swap(out);
            fromValue.swap(outFromValue);
        }
    }
};

// Any other %NAME% that names an environment entry, in one pass over the text: a value is not
// searched again, and a name that is not set stays as written (its closing '%' may open the
// next reference).
void ExpandEnvironment(Expansion& expansion, const PathVariables& table)
{
    const std::wstring& text = expansion.text;
    if (text.find(L'%') == std::wstring::npos)
        return;
    std::unordered_map<std::wstring, const std::wstring*> values;
    for (const PathVariable& variable : table)
        if (variable.environment)
            values.emplace(variable.name, &variable.value); // the first of a name counts
    std::wstring expanded;
    std::wstring name;
    size_t copied = 0;
    for (size_t open = text.find(L'%'); open != std::wstring::npos;) {
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos)
            break;
        name.assign(text, open + 1, close - open - 1);
        for (wchar_t& c : name)
            c = UpperAsciiLetter(c);
        const auto found = name.empty() ? values.end() : values.find(name);
        if (found == values.end()) {
            open = close;
            continue;
        }
        const std::wstring& value = *found->second;
        if (value.empty() && expansion.emptyName.empty())
            expansion.emptyName = found->first;
        if (expanded.empty())
            expanded.reserve(text.size());
        expanded.append(text, copied, open - copied);
        expanded.append(value, 0, expansion.JoinsWrittenBackslash(value, close + 1) ? value.size() - 1 : value.size());
        copied = close + 1;
        open = text.find(L'%', copied);
    }
    if (copied == 0)
        return;
    expanded.append(text, copied, std::wstring::npos);
    expansion.text.swap(expanded);
}

} // namespace

bool IsPathVariableName(const std::wstring& name)
{
    if (name == L"VARNEKITE" || name == L"SOURCEPATH" || name == kConfigurationFolderVariable)
        return true;
    for (const wchar_t* known : kEnvironmentNames)
        if (name == known)
            return true;
    return false;
}

void BuildPathVariables(PathVariables& table, const PathVariableSource& source)
{
    table.push_back({L"VARNEKITE", FolderOf(source.ModuleFileName())});
    table.push_back({L"SOURCEPATH", source.SourcePath()});
    for (const wchar_t* name : kEnvironmentNames)
        table.push_back({name, source.Environment(name)});
    table.push_back({kConfigurationFolderVariable, std::wstring()});
    for (auto& [name, value] : source.EnvironmentBlock()) {
        std::wstring upper = name;
        for (wchar_t& c : upper)
            c = UpperAsciiLetter(c);
        if (!upper.empty() && !IsPathVariableName(upper))
            table.push_back({std::move(upper), std::move(value), true});
    }
}

void ExpandVariables(std::wstring& text, const PathVariables& table, std::wstring* emptyVariable)
{
    // Variable by variable in table order, each over the text as the earlier ones left it: a
    // later variable's reference inside an earlier value expands too.
    Expansion expansion;
    expansion.text.swap(text);
    bool environment = false;
    for (const PathVariable& variable : table) {
        if (variable.environment)
            environment = true;
        else
            expansion.Replace(variable);
    }
    if (environment)
        ExpandEnvironment(expansion, table);
    text.swap(expansion.text);
    // References that expanded to nothing shrink the text in place: a command keeps its path,
    // not the room its references took.
    if (text.capacity() > 2 * text.size() + 64)
        text.shrink_to_fit();
    if (emptyVariable != nullptr && !expansion.emptyName.empty())
        *emptyVariable = expansion.emptyName;
}
