// The machine varnekite-check decides conditions for: described on its command line, one
// --fact NAME=VALUE each ("model=Latitude 7440", "arch=x86", "file('C:\App\app.exe')=5.2.0.1",
// "folder('C:\Dock')=true", "registry('HKLM\SOFTWARE\Contoso', 'Version')=5",
// "program('Contoso Agent')=5.1", "env('SITE')=Berlin"). What a condition asks and no --fact
// answers is assumed: a machine fact is not decided, anything else is not there; each
// assumption is listed once, in the order first needed.
#pragma once

#include "config/MachineFacts.h"

#include <map>
#include <string>
#include <vector>

class DescribedMachine : public MachineFacts
{
public:
    // One --fact's text; false with why it cannot be read.
    bool Add(const std::wstring& assignment, std::wstring& error);
    bool Empty() const { return answers.empty() && !programsGiven; }

    FactAnswer Machine(Fact fact) override;
    FactAnswer File(const std::wstring& path) override;
    FactAnswer Folder(const std::wstring& path) override;
    FactAnswer Registry(const std::wstring& key, bool hasName, const std::wstring& name, RegistryView view) override;
    bool Programs(std::vector<InstalledProgram>& programs, std::wstring& why) override;
    FactAnswer Environment(const std::wstring& name) override;

    // "model (not given: conditions on it are not decided)", "file 'C:\x.exe' is not there".
    const std::vector<std::wstring>& Assumed() const { return assumed; }

private:
    // The answer given for `question` (as KeyOf writes it), or the assumption made for it.
    FactAnswer Answer(const std::wstring& question, const std::wstring& assumption, FactAnswer assumedAnswer);
    void Assume(const std::wstring& assumption);

    std::map<std::wstring, FactAnswer> answers;
    std::vector<InstalledProgram> programs;
    bool programsGiven = false;
    std::vector<std::wstring> assumed;
};
