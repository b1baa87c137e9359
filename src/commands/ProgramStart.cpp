#include "commands/ProgramStart.h"

bool ShellMayOpenInstead(uint32_t error)
{
    constexpr uint32_t kFileNotFound = 2;       // the shell may know the name (App Paths)
    constexpr uint32_t kPathNotFound = 3;
    constexpr uint32_t kBadExeFormat = 193;     // a document or a package
    constexpr uint32_t kMachineMismatch = 216;  // an executable for another machine
    return error == kFileNotFound || error == kPathNotFound || error == kBadExeFormat || error == kMachineMismatch;
}

std::wstring VerbCommandLine(std::wstring_view verb, std::wstring_view file, std::wstring_view parameters)
{
    std::wstring line;
    line.reserve(verb.size() + file.size() + parameters.size());
    for (size_t i = 0; i < verb.size(); ++i) {
        if (verb[i] != L'%' || i + 1 >= verb.size()) {
            line.push_back(verb[i]);
            continue;
        }
        const wchar_t code = verb[++i];
        if (code == L'1' || code == L'L' || code == L'l')
            line.append(file);
        else if (code == L'*')
            line.append(parameters);
        else if (code == L'%')
            line.push_back(L'%');
        else if (!(code >= L'2' && code <= L'9'))
            line.append({L'%', code}); // not a placeholder: as written
    }
    return line;
}
