// Where a condition's facts come from: the Win32 sources in the program (firmware, registry,
// version resources), a described machine in the checker, a fake in the tests.
#pragma once

#include "config/Condition.h"

#include <string>
#include <vector>

// What a source says of one fact.
struct FactAnswer
{
    enum class Status
    {
        Found,
        Missing, // not there: a file, key, value, variable or program that does not exist
        Failed,  // could not be read: the condition cannot be decided
    };
    Status status = Status::Missing;
    std::wstring value; // Found: the value; empty where there is none (a key, a file without version)
    std::wstring why;   // Failed: the reason, for the log

    static FactAnswer Found(std::wstring value) { return {Status::Found, std::move(value), {}}; }
    static FactAnswer Missing() { return {}; }
    static FactAnswer Failed(std::wstring why) { return {Status::Failed, {}, std::move(why)}; }
};

struct InstalledProgram
{
    std::wstring name;    // its display name
    std::wstring version; // its display version; empty when it gives none
};

enum class RegistryView
{
    Native, // the machine's own: the 64-bit view on 64-bit Windows, whatever Varnekite's build
    Bits32,
    Bits64,
};

class MachineFacts
{
public:
    virtual ~MachineFacts() = default;
    // arch, programarch (x86, x64, arm64), windows (major.minor.build), server ("true" or
    // "false"), manufacturer, model, language (en-US).
    virtual FactAnswer Machine(Fact fact) = 0;
    // Found with the file's version resource (empty without one) when a file is there.
    virtual FactAnswer File(const std::wstring& path) = 0;
    virtual FactAnswer Folder(const std::wstring& path) = 0;
    // The key (no `name`) or the value (its data as text: strings as they are, numbers in
    // decimal). `hasName` false asks for the key; an empty name is the key's default value.
    virtual FactAnswer Registry(const std::wstring& key, bool hasName, const std::wstring& name,
                                RegistryView view) = 0;
    // The programs of the uninstall keys of both views; false with `why` when they cannot be read.
    virtual bool Programs(std::vector<InstalledProgram>& programs, std::wstring& why) = 0;
    virtual FactAnswer Environment(const std::wstring& name) = 0;
};
