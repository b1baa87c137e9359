#include "commands/Msiexec.h"

#include "commands/FolderPaths.h"

namespace {

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

bool IsAsciiLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

// A Windows Installer identifier: a letter or underscore, then letters, digits, underscores and
// periods.
bool IsPropertyName(std::wstring_view name)
{
    if (name.empty() || !(IsAsciiLetter(name[0]) || name[0] == L'_'))
        return false;
    for (wchar_t c : name)
        if (!(IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'_' || c == L'.'))
            return false;
    return true;
}

std::wstring WithoutQuotes(std::wstring_view text)
{
    std::wstring out;
    for (wchar_t c : text)
        if (c != L'"')
            out.push_back(c);
    return out;
}

std::wstring_view Trimmed(std::wstring_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::wstring Quoted(std::wstring_view path)
{
    return L"\"" + WithoutQuotes(path) + L"\"";
}

std::wstring JoinedList(const std::vector<std::wstring>& files)
{
    std::wstring list;
    for (const std::wstring& file : files)
        list += (list.empty() ? L"" : L";") + WithoutQuotes(file);
    return list;
}

} // namespace

bool IsPublicProperty(std::wstring_view name)
{
    for (wchar_t c : name)
        if (c >= L'a' && c <= L'z')
            return false;
    return true;
}

MsiProperties ParseMsiProperties(std::wstring_view text)
{
    MsiProperties read;
    size_t i = 0;
    while (i < text.size()) {
        if (IsSpace(text[i])) {
            ++i;
            continue;
        }
        // One token: plain and quoted parts up to white space outside quotes.
        const size_t start = i;
        std::wstring token;
        bool quoted = false;
        for (; i < text.size() && (quoted || !IsSpace(text[i])); ++i) {
            if (text[i] != L'"') {
                token.push_back(text[i]);
            } else if (quoted && i + 1 < text.size() && text[i + 1] == L'"') {
                token.push_back(L'"');
                ++i;
            } else {
                quoted = !quoted;
            }
        }
        const std::wstring written(text.substr(start, i - start));
        if (quoted)
            read.problems.push_back(L"a quote is not closed in \"" + written + L"\": the value runs to the end");
        const size_t equals = token.find(L'=');
        // The name is what stands before the first '=' as written: a quoted name is none.
        const size_t writtenEquals = written.find(L'=');
        const std::wstring name = writtenEquals == std::wstring::npos ? std::wstring()
                                                                      : written.substr(0, writtenEquals);
        if (equals == std::wstring::npos || !IsPropertyName(name)) {
            read.problems.push_back(L"\"" + written + L"\" is no NAME=VALUE of a property: it is left out");
            continue;
        }
        if (!IsPublicProperty(name))
            read.problems.push_back(L"\"" + name +
                                    L"\" is a private property (it has lower-case letters): "
                                    L"Windows Installer takes only public ones from the command line");
        read.properties.push_back({name, token.substr(equals + 1)});
    }
    return read;
}

std::vector<std::wstring> SplitFileList(std::wstring_view list)
{
    std::vector<std::wstring> files;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L';', start);
        if (end == std::wstring_view::npos)
            end = list.size();
        const std::wstring file = WithoutQuotes(Trimmed(list.substr(start, end - start)));
        const std::wstring_view trimmed = Trimmed(file);
        if (!trimmed.empty())
            files.emplace_back(trimmed);
        start = end + 1;
    }
    return files;
}

std::wstring PropertyArgument(const MsiProperty& property)
{
    bool quote = property.value.empty();
    for (wchar_t c : property.value)
        quote = quote || IsSpace(c) || c == L'"';
    if (!quote)
        return property.name + L"=" + property.value;
    std::wstring argument = property.name + L"=\"";
    for (wchar_t c : property.value) {
        argument.push_back(c);
        if (c == L'"')
            argument.push_back(L'"');
    }
    return argument + L"\"";
}

std::wstring MsiexecArguments(const MsiInstall& install)
{
    std::wstring arguments = L"/i " + Quoted(install.package) + L" /qn /norestart";
    if (!install.log.empty())
        arguments += L" /l*v " + Quoted(install.log);
    if (!install.transforms.empty())
        arguments += L" TRANSFORMS=\"" + JoinedList(install.transforms) + L"\"";
    if (!install.patches.empty())
        arguments += L" PATCH=\"" + JoinedList(install.patches) + L"\"";
    for (const MsiProperty& property : install.properties)
        arguments += L" " + PropertyArgument(property);
    return arguments;
}

std::wstring MsiLogPath(std::wstring_view runLog, std::wstring_view package)
{
    const std::wstring name = WithoutQuotes(LastPathPart(WithoutTrailingSeparators(package)));
    if (runLog.empty() || name.empty())
        return std::wstring();
    return std::wstring(FolderPart(runLog)) + name + L".log";
}

std::wstring MsiexecProgram(std::wstring_view windows)
{
    if (windows.empty())
        return L"msiexec.exe";
    return JoinPath(windows, L"System32\\msiexec.exe");
}
