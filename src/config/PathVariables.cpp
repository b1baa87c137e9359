// The fourteen path variables and the expansion of %NAME% references in configuration paths.
#include "config/PathVariables.h"

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

std::wstring UpperAscii(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return text;
}

// Every pair of consecutive backslashes becomes one, scanning left to right without overlap,
// so a run of k backslashes becomes ceil(k/2). This lets "%VARNEKITE%\file" name a file in
// the program's folder although the variable already ends in a backslash. A text that starts
// with two backslashes is a network path (\\server\share, the program's own folder when it
// runs from a share) and keeps that prefix: collapsed, it would name a folder on the current
// drive and the installer could not even find its configuration.
void CollapseDoubledBackslashes(std::wstring& text)
{
    const size_t networkPrefix = text.compare(0, 2, L"\\\\") == 0 ? 2 : 0;
    std::wstring collapsed = text.substr(0, networkPrefix);
    collapsed.reserve(text.size());
    for (size_t i = networkPrefix; i < text.size(); ++i) {
        collapsed.push_back(text[i]);
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'\\')
            ++i;
    }
    text.swap(collapsed);
}

} // namespace

void BuildPathVariables(PathVariables& table, const PathVariableSource& source)
{
    table.push_back({L"VARNEKITE", FolderOf(source.ModuleFileName())});
    table.push_back({L"SOURCEPATH", source.SourcePath()});
    for (const wchar_t* name : kEnvironmentNames)
        table.push_back({name, source.Environment(name)});
}

void ExpandVariables(std::wstring& text, const PathVariables& table)
{
    // References match on an upper-cased shadow, so %temp% and %Temp% match too; values are
    // inserted into both strings unchanged, keeping the two the same length.
    std::wstring shadow = UpperAscii(text);
    for (const PathVariable& variable : table) {
        const std::wstring key = L"%" + variable.name + L"%";
        // Each variable's search resumes after the value just inserted: a value that holds its
        // own reference (a TEMP containing "%TEMP%") would otherwise be expanded without end.
        size_t searchFrom = 0;
        for (;;) {
            const size_t position = shadow.find(key, searchFrom);
            if (position == std::wstring::npos)
                break;
            text.replace(position, key.size(), variable.value);
            shadow.replace(position, key.size(), variable.value);
            searchFrom = position + variable.value.size();
        }
    }
    CollapseDoubledBackslashes(text);
}
