// Windows Installer packages, installed through msiexec: the command line an msi command makes,
// its public properties as the configuration writes them, and the verbose log's name. Rules
// only; the msi command runs the result like any program (its exit codes' meanings are
// ExitCodeMeaning's, which every program's log line shows).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct MsiProperty
{
    std::wstring name;
    std::wstring value;
};

struct MsiProperties
{
    std::vector<MsiProperty> properties;
    // What was left out or will not do what it seems to, one sentence each, for the checker
    // and the run log.
    std::vector<std::wstring> problems;
};

// Reads public properties as msiexec's own command line writes them: NAME=VALUE pairs apart by
// white space, a value in double quotes where it holds white space, "" for a quote inside
// quotes (INSTALLDIR="C:\Program Files\Contoso" GREETING="say ""hi"""). Quoted and plain parts
// of a value join. What is no NAME=VALUE with a property's name (a switch such as /x, say) is
// left out: the properties can set properties and nothing else.
MsiProperties ParseMsiProperties(std::wstring_view text);

// Whether msiexec takes the property from its command line: a public property's name has no
// lower-case letters.
bool IsPublicProperty(std::wstring_view name);

// A list of files apart by semicolons (transforms, patches): each without the white space and
// quotes around it, empty entries left out.
std::vector<std::wstring> SplitFileList(std::wstring_view list);

struct MsiInstall
{
    std::wstring package;
    std::vector<std::wstring> transforms;
    std::vector<std::wstring> patches;
    std::vector<MsiProperty> properties;
    std::wstring log; // msiexec's verbose log; empty: none
};

// msiexec's arguments for the install: /i "package" /qn /norestart, then /l*v "log",
// TRANSFORMS="a.mst;b.mst", PATCH="a.msp;b.msp" and the properties, each where given. Patches go
// in through PATCH, which applies them as the package installs (/update would need the product
// installed first).
std::wstring MsiexecArguments(const MsiInstall& install);

// One property as msiexec reads it: NAME=VALUE, the value quoted (and its quotes doubled) where
// it is empty or holds white space or a quote.
std::wstring PropertyArgument(const MsiProperty& property);

// Where msiexec writes its verbose log: beside the run log, named after the package
// ("C:\Logs\agent.msi.log" for the run log "C:\Logs\Varnekite.log"). Empty without a run log.
std::wstring MsiLogPath(std::wstring_view runLog, std::wstring_view package);

// msiexec.exe in the Windows folder's System32 (`windows`: %SYSTEMROOT%, with or without a
// trailing backslash), so that no msiexec.exe beside Varnekite or in its current folder runs
// instead; the bare name where the Windows folder is not known.
std::wstring MsiexecProgram(std::wstring_view windows);
