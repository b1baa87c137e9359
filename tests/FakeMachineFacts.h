// A machine described by a test: each fact, file, folder, registry key or value, variable and the
// installed programs answer as set (Missing where nothing was set; FactAnswer::Failed makes any
// of them fail). Paths, keys, value names and variable names match without ASCII case, as on
// Windows. Every question is logged as it was asked, so a test sees which facts a decision
// needed, in what order and how often.
#pragma once

#include "config/MachineFacts.h"
#include "xml/AsciiText.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class FakeMachineFacts : public MachineFacts
{
public:
    FakeMachineFacts& SetMachine(Fact fact, FactAnswer answer) { return Set(MachineQuestion(fact), std::move(answer)); }
    FakeMachineFacts& SetMachine(Fact fact, std::wstring value)
    {
        return SetMachine(fact, FactAnswer::Found(std::move(value)));
    }

    // A file's answer is its version resource ("" for a file without one).
    FakeMachineFacts& SetFile(const std::wstring& path, FactAnswer answer)
    {
        return Set(L"file " + path, std::move(answer));
    }
    FakeMachineFacts& SetFile(const std::wstring& path, std::wstring version = {})
    {
        return SetFile(path, FactAnswer::Found(std::move(version)));
    }
    FakeMachineFacts& SetFolder(const std::wstring& path, FactAnswer answer = FactAnswer::Found({}))
    {
        return Set(L"folder " + path, std::move(answer));
    }

    FakeMachineFacts& SetRegistryKey(const std::wstring& key, FactAnswer answer = FactAnswer::Found({}),
                                     RegistryView view = RegistryView::Native)
    {
        return Set(RegistryQuestion(key, false, {}, view), std::move(answer));
    }
    // A value found makes its key found too, unless the key was given an answer of its own.
    FakeMachineFacts& SetRegistryValue(const std::wstring& key, const std::wstring& name, FactAnswer answer,
                                       RegistryView view = RegistryView::Native)
    {
        const std::wstring keyQuestion = Fold(RegistryQuestion(key, false, {}, view));
        if (answer.status == FactAnswer::Status::Found && answers.count(keyQuestion) == 0)
            answers[keyQuestion] = FactAnswer::Found({});
        return Set(RegistryQuestion(key, true, name, view), std::move(answer));
    }
    FakeMachineFacts& SetRegistryValue(const std::wstring& key, const std::wstring& name, std::wstring data,
                                       RegistryView view = RegistryView::Native)
    {
        return SetRegistryValue(key, name, FactAnswer::Found(std::move(data)), view);
    }

    FakeMachineFacts& AddProgram(std::wstring name, std::wstring version = {})
    {
        std::lock_guard<std::mutex> lock(mutex);
        programs.push_back({std::move(name), std::move(version)});
        return *this;
    }
    FakeMachineFacts& FailPrograms(std::wstring why)
    {
        std::lock_guard<std::mutex> lock(mutex);
        programsFail = true;
        programsFailure = std::move(why);
        return *this;
    }

    FakeMachineFacts& SetEnvironment(const std::wstring& name, FactAnswer answer)
    {
        return Set(L"env " + name, std::move(answer));
    }
    FakeMachineFacts& SetEnvironment(const std::wstring& name, std::wstring value)
    {
        return SetEnvironment(name, FactAnswer::Found(std::move(value)));
    }

    // The questions so far, as asked: "model", "file C:\a.exe", "folder C:\x",
    // "registry HKLM\X" (a key), "registry HKLM\X : Version" (a value), with " (32)" or " (64)"
    // for a view asked for, "programs", "env NAME".
    std::vector<std::wstring> Asked() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return asked;
    }
    size_t TimesAsked(const std::wstring& question) const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<size_t>(std::count(asked.begin(), asked.end(), question));
    }
    size_t TimesAsked(Fact machineFact) const { return TimesAsked(MachineQuestion(machineFact)); }
    void ForgetAsked()
    {
        std::lock_guard<std::mutex> lock(mutex);
        asked.clear();
    }

    FactAnswer Machine(Fact fact) override { return Answer(MachineQuestion(fact)); }
    FactAnswer File(const std::wstring& path) override { return Answer(L"file " + path); }
    FactAnswer Folder(const std::wstring& path) override { return Answer(L"folder " + path); }
    FactAnswer Registry(const std::wstring& key, bool hasName, const std::wstring& name, RegistryView view) override
    {
        return Answer(RegistryQuestion(key, hasName, name, view));
    }
    bool Programs(std::vector<InstalledProgram>& installed, std::wstring& why) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        asked.push_back(L"programs");
        if (programsFail) {
            why = programsFailure;
            return false;
        }
        installed = programs;
        return true;
    }
    FactAnswer Environment(const std::wstring& name) override { return Answer(L"env " + name); }

private:
    static std::wstring MachineQuestion(Fact fact) { return FactName(fact); }

    static std::wstring RegistryQuestion(const std::wstring& key, bool hasName, const std::wstring& name,
                                         RegistryView view)
    {
        std::wstring question = L"registry " + key;
        if (hasName)
            question += L" : " + name;
        if (view != RegistryView::Native)
            question += view == RegistryView::Bits32 ? L" (32)" : L" (64)";
        return question;
    }

    static std::wstring Fold(std::wstring text)
    {
        for (wchar_t& c : text)
            c = FoldAscii(c);
        return text;
    }

    FakeMachineFacts& Set(const std::wstring& question, FactAnswer answer)
    {
        std::lock_guard<std::mutex> lock(mutex);
        answers[Fold(question)] = std::move(answer);
        return *this;
    }

    FactAnswer Answer(const std::wstring& question)
    {
        std::lock_guard<std::mutex> lock(mutex);
        asked.push_back(question);
        const auto found = answers.find(Fold(question));
        return found == answers.end() ? FactAnswer::Missing() : found->second;
    }

    mutable std::mutex mutex;
    std::map<std::wstring, FactAnswer> answers; // by the question, case folded
    std::vector<InstalledProgram> programs;
    bool programsFail = false;
    std::wstring programsFailure;
    std::vector<std::wstring> asked;
};
