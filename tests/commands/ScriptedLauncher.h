// A ProcessLauncher that answers as its script says and writes down each call, so that a test
// of the rules above it can check what was tried; and a run log that keeps its lines.
#pragma once

#include "commands/ProcessLauncher.h"
#include "commands/RunLog.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class ScriptedLauncher : public ProcessLauncher
{
public:
    bool folderExists = true;
    std::vector<std::wstring> missingFolders; // not there, whatever folderExists says
    bool jobOpens = true;
    std::wstring jobLost;           // why what starts cannot join the job
    uint32_t directError = 0;       // 0: the direct start works
    std::wstring verb;              // what OpenVerb gives
    uint32_t verbError = 0;         // 0: the verb's command line starts
    bool shellStarts = true;
    bool shellProcess = true;
    Waited waited = Waited::Ended;
    bool exitKnown = true;
    uint32_t exitCode = 0;
    std::vector<uint32_t> exitCodes; // one per run, the last for every run after; empty: exitCode
    bool endWorks = true;

    std::vector<std::wstring> calls;
    size_t runs = 0;

    bool FolderExists(const std::wstring& path) override
    {
        calls.push_back(L"folder " + path);
        return folderExists && std::find(missingFolders.begin(), missingFolders.end(), path) == missingFolders.end();
    }
    std::wstring CurrentFolder() override { return L"C:\\here"; }
    bool OpenJob(std::wstring& why, std::wstring&) override
    {
        calls.push_back(L"job");
        if (!jobOpens)
            why = L"no job";
        return jobOpens;
    }
    bool StartCommandLine(const std::wstring& commandLine, const std::wstring&, bool hidden, uint32_t& error,
                          std::wstring& lost) override
    {
        calls.push_back(L"start " + commandLine + (hidden ? L" hidden" : L""));
        const bool isVerb = !verb.empty() && commandLine == verb;
        error = isVerb ? verbError : directError;
        if (error == 0 && lost.empty())
            lost = jobLost;
        return error == 0;
    }
    std::wstring OpenVerb(const std::wstring& file, const std::wstring&) override
    {
        calls.push_back(L"verb " + file);
        return verb;
    }
    bool StartThroughShell(const std::wstring& file, const std::wstring&, const std::wstring&, bool, uint32_t& error,
                           bool& process, std::wstring&) override
    {
        calls.push_back(L"shell " + file);
        error = shellStarts ? 0 : 1155;
        process = shellProcess;
        return shellStarts;
    }
    uint32_t ProcessId() override { return 42; }
    Waited Wait(bool tree, bool byParentId, uint32_t milliseconds, uint32_t& error) override
    {
        calls.push_back(L"wait" + std::wstring(tree ? L" tree" : L"") + (byParentId ? L" by parent id" : L"") + L" " +
                        std::to_wstring(milliseconds));
        error = 6;
        return waited;
    }
    bool ExitCode(uint32_t& code, uint32_t& error) override
    {
        code = exitCodes.empty() ? exitCode : exitCodes[std::min(runs, exitCodes.size() - 1)];
        ++runs;
        error = 5;
        return exitKnown;
    }
    bool End(bool tree, bool byParentId, uint32_t& ended, uint32_t& error) override
    {
        calls.push_back(L"end" + std::wstring(tree ? L" tree" : L"") + (byParentId ? L" by parent id" : L""));
        ended = tree ? 3 : 1;
        error = 5;
        return endWorks;
    }
    void Pause(uint32_t milliseconds) override { calls.push_back(L"pause " + std::to_wstring(milliseconds)); }
    void Close() override { calls.push_back(L"close"); }
    std::wstring ErrorText(uint32_t error) override { return L"error " + std::to_wstring(error); }
};

class LinesLog : public RunLog
{
public:
    void Write(const std::wstring& line) override { lines.push_back(line); }
    std::wstring Path() const override { return path; }

    std::wstring path;
    std::vector<std::wstring> lines;
};
