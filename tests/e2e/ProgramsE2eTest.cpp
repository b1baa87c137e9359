// End to end: programs that must not hold the machine. A program that hangs is ended when its
// time-out passes (with what it started, where the tree is waited for), a program that reports
// a busy installer runs again, and a Windows Installer package is installed by msiexec with
// its verbose log beside the run log.
#include "E2eSupport.h"
#include "VarnekiteRun.h"
#include "Win32UnderWine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

class ProgramsE2e : public VarnekiteRun
{
public: // the table-driven tests drive runs of their own
    std::wstring LogPath() const { return folder.File(L"run.log"); }
    std::string Config() const { return "<exit result='true'/><log path='" + Attribute(Narrow(LogPath())) + "'/>"; }
    std::string Program(const std::string& arguments, const std::string& more) const
    {
        return "<file command='execute' program='" + Attribute(Narrow(marker)) + "' arguments='" +
               Attribute(arguments) + "' hide='true'" + more + "/>";
    }
};

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The process ids a MarkerWriter "tree" wrote: its own, then its child's.
std::vector<DWORD> Ids(const std::string& text)
{
    std::vector<DWORD> ids;
    for (size_t at = text.find("pid="); at != std::string::npos; at = text.find("pid=", at + 4))
        ids.push_back(static_cast<DWORD>(std::stoul(text.substr(at + 4))));
    return ids;
}

bool Runs(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr)
        return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void End(DWORD id)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

// A program that hangs, with a child that hangs too: ontimeout="kill" ends the program when its
// time is up, and with wait="tree" its child as well; the list goes on at once, and the log and
// the exit code say the command failed.
TEST_F(ProgramsE2e, ATimeOutWithKillEndsTheProgramAndWithTheTreeWhatItStarted)
{
    struct Case
    {
        const char* wait;
        bool childEnded;
        const char* ended;
    };
    // The tree's count depends on whether the system gave the console program a console host of
    // its own in the job; the program alone is one.
    for (const Case c : {Case{" wait='tree'", true, "still running after 2 s: ended ("},
                         Case{"", false, "still running after 2 s: ended (1 process)"}}) {
        SCOPED_TRACE(c.wait);
        struct Run : ProgramsE2e { void TestBody() override {} } run;
        const std::wstring ids = run.folder.File(L"ids.txt");
        const ULONGLONG started = GetTickCount64();
        run.Start(Document(run.Config(), "<item name='Hangs'>" +
                                             run.Program("tree \"" + Narrow(ids) + "\" 60000",
                                                         std::string(" timeout='2' ontimeout='kill'") + c.wait) +
                                             run.Append("after") + "</item>"));
        EXPECT_EQ(run.ExitCode(), 1603u);
        EXPECT_LT(GetTickCount64() - started, 20000u);
        const std::vector<DWORD> family = Ids(ReadTextFile(ids));
        ASSERT_EQ(family.size(), 2u) << ReadTextFile(ids);
        EXPECT_FALSE(Runs(family[0])) << "the program still runs";
        EXPECT_EQ(Runs(family[1]), !c.childEnded) << "its child";
        End(family[1]);
        EXPECT_EQ(ReadTextFile(run.MarkerPath()), "after\n");
        const std::string log = ReadTextFile(run.LogPath());
        EXPECT_TRUE(Holds(log, c.ended)) << log;
        EXPECT_EQ(Holds(log, "ended (1 process)"), !c.childEnded) << log;
        EXPECT_TRUE(Holds(log, "waits at most 2 s, then ends it")) << log;
    }
}

// A program that reports a busy installer (1618) twice, then succeeds: with retry it runs three
// times, each run and pause in the log, and the command succeeds.
TEST_F(ProgramsE2e, AProgramThatReportsABusyInstallerRunsAgain)
{
    const std::wstring runs = folder.File(L"runs.txt");
    Start(Document(Config(), "<item name='Busy'>" +
                                 Program("countdown \"" + Narrow(runs) + "\" 1618,1618,0",
                                         " retry='1618' retrypause='1'") +
                                 "</item>"));
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(ReadTextFile(runs), "run\nrun\nrun\n");
    const std::string log = ReadTextFile(LogPath());
    for (const char* part : {"tries again on exit code 1618 (3 attempts at most, 1 s apart)",
                             "attempt 1 of 3: exit code 1618 (another installation is already in progress): trying "
                             "again in 1 s",
                             "attempt 2 of 3: exit code 1618", ": succeeded: exit code 0, on attempt 3 of 3"})
        EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
}

#ifdef VARNEKITE_TEST_PACKAGE_PATH
// msiexec with the package's path, as the test runs it itself (to leave the machine as it was).
DWORD Msiexec(const std::wstring& arguments)
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    ChildProcess msiexec;
    DWORD code = 0xFFFFFFFF;
    if (msiexec.Start(std::wstring(windows) + L"\\System32\\msiexec.exe", arguments, windows))
        msiexec.WaitForExit(120000, code);
    return code;
}
#endif

// A package built by the test build (tests/e2e/test-package, with wixl) installed by the msi
// command into a folder with spaces its INSTALLDIR property names; msiexec's verbose log lies
// beside the run log, named after the package.
TEST_F(ProgramsE2e, APackageIsInstalledByMsiexecWithItsLogBesideTheRunLog)
{
#ifndef VARNEKITE_TEST_PACKAGE_PATH
    GTEST_SKIP() << "no test package: the build found no wixl to make one (Debian: apt-get install wixl)";
#else
    const std::wstring package = WindowsPath(VARNEKITE_TEST_PACKAGE_PATH);
    Msiexec(L"/x \"" + package + L"\" /qn"); // left installed by an earlier run that stopped halfway
    const std::wstring target = folder.File(L"Program Files\\Test Package") + L"\\";
    Start(Document(Config(), "<item name='Package'><file command='msi' name='Test package' package='" +
                                 Attribute(Narrow(package)) + "' properties='INSTALLDIR=\"" +
                                 Attribute(Narrow(target)) + "\" GREETING=\"say \"\"hi\"\"\"' timeout='120'/></item>"));
    EXPECT_EQ(ExitCode(), 0u);
    EXPECT_EQ(ReadTextFile(target + L"payload.txt"), "payload\n");
    const std::string log = ReadTextFile(LogPath());
    const std::wstring msiLog = folder.File(L"Varnekite Test.msi.log");
    for (const std::string& part :
         {std::string("command 1 msi started"), "msiexec's log: \"" + Narrow(msiLog) + "\"",
          "/i \"" + Narrow(package) + "\" /qn /norestart /l*v \"" + Narrow(msiLog) + "\" INSTALLDIR=\"" +
              Narrow(target) + "\" GREETING=\"say \"\"hi\"\"\"",
          std::string(": succeeded: exit code 0")})
        EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
    // The properties arrived as written: the folder with its spaces and, on Windows, the quotes
    // (Wine's msiexec drops a doubled quote inside a quoted value instead of keeping one).
    const std::string msiText = ReadTextFile(msiLog);
    EXPECT_TRUE(Holds(msiText, "INSTALLDIR = " + Narrow(target) + "\r\n") || Holds(msiText, "INSTALLDIR = " + Narrow(target) + "\n"))
        << "msiexec's log:\n" << msiText;
    EXPECT_TRUE(Holds(msiText, UnderWine() ? "GREETING = say hi" : "GREETING = say \"hi\"")) << "msiexec's log:\n" << msiText;
    EXPECT_EQ(Msiexec(L"/x \"" + package + L"\" /qn"), 0u);
#endif
}

} // namespace
