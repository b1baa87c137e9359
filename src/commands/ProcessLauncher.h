// The platform's part of running a program: each call is one thing the system does (start a
// command line, look up a document's verb, open through the shell, wait, read the exit code,
// end a program or its tree, pause). The execute command's rules sit above it in
// ExecuteCommand.cpp: which failure goes to the shell, what a time-out means and does, what
// counts as success, when to try again, what the log says. The program runs
// them on the Win32 launcher (ProcessLauncherWin32), the tests on a scripted one.
//
// A launcher runs one program at a time: Close lets go of it before the next.
#pragma once

#include <cstdint>
#include <string>

class ProcessLauncher
{
public:
    enum class Waited
    {
        Ended,    // the program, and the tree where asked for, ended
        TimedOut, // the time ran out first; the program runs on
        Failed,   // the wait itself failed (error says why)
    };

    virtual ~ProcessLauncher() = default;

    // Whether `path` is a folder that is there.
    virtual bool FolderExists(const std::wstring& path) = 0;
    // The current folder, where a program without a working folder runs.
    virtual std::wstring CurrentFolder() = 0;

    // Opens a job for the program's tree. False with `why` when the system gives none. `note`
    // says how the job stands to one the launcher itself runs in (nested, or left), for the log.
    virtual bool OpenJob(std::wstring& why, std::wstring& note) = 0;
    // Starts a command line directly (in the job, when one is open, before it can start
    // anything). False with the system's error code. `lost` says why it could not join the job.
    virtual bool StartCommandLine(const std::wstring& commandLine, const std::wstring& folder, bool hidden,
                                  uint32_t& error, std::wstring& lost) = 0;
    // The command line the registered "open" verb of a document makes; empty when its verb is
    // no command line (DDE, COM) or it has none.
    virtual std::wstring OpenVerb(const std::wstring& file, const std::wstring& parameters) = 0;
    // Opens a document or program through the shell, without a box or a prompt. False with the
    // error code; `process` false when the shell gave no process of its own (a document handed
    // to a program that already runs). What it started joins the job only now (`lost` says why
    // it could not).
    virtual bool StartThroughShell(const std::wstring& file, const std::wstring& parameters, const std::wstring& folder,
                                   bool hidden, uint32_t& error, bool& process, std::wstring& lost) = 0;

    // The started program's process id.
    virtual uint32_t ProcessId() = 0;
    // Waits at most `milliseconds` (0: no limit) for the program to end, and with `tree` for
    // every process it started: through the job, or (`byParentId`) through parent ids where no
    // job could follow them. The thread's messages are answered meanwhile.
    virtual Waited Wait(bool tree, bool byParentId, uint32_t milliseconds, uint32_t& error) = 0;
    // The program's exit code, once it has ended; false with the error code.
    virtual bool ExitCode(uint32_t& code, uint32_t& error) = 0;
    // Ends the program, and with `tree` every process of its tree: the job's, or (`byParentId`)
    // those found by parent id. Returns once they are gone, or after a few seconds. `ended`:
    // how many processes were still running and were ended; false with the error code when the
    // program could not be ended.
    virtual bool End(bool tree, bool byParentId, uint32_t& ended, uint32_t& error) = 0;
    // Waits before a program runs again, answering the thread's messages meanwhile.
    virtual void Pause(uint32_t milliseconds) = 0;
    // Lets go of the program and the job (what still runs in it runs on).
    virtual void Close() = 0;

    // The system's text for an error code: "Access is denied. (error 5)".
    virtual std::wstring ErrorText(uint32_t error) = 0;
};
