// End to end: what a run leaves behind for the administrator. The run log with each command's
// outcome, programs that time out, set-up programs that relaunch themselves, the programs'
// working folder, and the exit code deployment tools read.
#include "E2eSupport.h"
#include "VarnekiteRun.h"

#include <gtest/gtest.h>

#include <string>

using namespace e2e;

namespace {

class RunLogE2e : public VarnekiteRun
{
public: // the table-driven tests drive runs of their own
    std::wstring LogPath() const { return folder.File(L"run.log"); }
    std::string LogElement() const { return "<log path='" + Attribute(Narrow(LogPath())) + "'/>"; }
    std::string Program(const std::string& arguments, const std::string& more = "") const
    {
        return "<file command='execute' program='" + Attribute(Narrow(marker)) + "' arguments='" +
               Attribute(arguments) + "' hide='true'" + more + "/>";
    }
    // Runs the configuration to its end; its exit code.
    DWORD RunToEnd(const std::string& config, const std::string& items)
    {
        Start(Document(config, items));
        return ExitCode();
    }
};

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// One run with a success, a failing program, a missing program and a file the copy cannot
// replace: the log names each, and the run still ends with 1 as it always has.
TEST_F(RunLogE2e, TheLogTellsWhatEachCommandDid)
{
    const std::wstring source = folder.File(L"src");
    CreateDirectoryW(source.c_str(), nullptr);
    WriteTextFile(source + L"\\a.txt", "a");
    WriteTextFile(source + L"\\b.txt", "b");
    CreateDirectoryW(folder.File(L"dst").c_str(), nullptr);
    CreateDirectoryW(folder.File(L"dst\\src").c_str(), nullptr);
    const std::wstring locked = folder.File(L"dst\\src\\b.txt");
    WriteTextFile(locked, "old");
    HANDLE held = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const DWORD code = RunToEnd(LogElement(),
                                "<item name='Programs'>" + Append("ok") + Program("exit 1603") +
                                    "<file command='execute' program='" + Attribute(Narrow(folder.File(L"missing.exe"))) +
                                    "'/></item><item name='Files'><file command='dircopy' directory='" +
                                    Attribute(Narrow(source)) + "' target='" +
                                    Attribute(Narrow(folder.File(L"dst"))) + "'/></item>");
    CloseHandle(held);
    EXPECT_EQ(code, 1u);
    const std::string log = ReadTextFile(LogPath());
    for (const char* part : {"==== Varnekite ", "configuration \"", "loaded: 2 item(s), 4 command(s)",
                             "item 1/2 \"Programs\"", "command 1 execute ended after ", ": succeeded: exit code 0",
                             "command 2 execute ended after ", ": failed: exit code 1603", "process ",
                             "command 3 execute ended after ", ": failed: could not start: ", "(error 2)",
                             "command 4 dircopy ended after ", ": failed: 1 file(s) (1 bytes) copied, 1 failed",
                             "  failed: ", "b.txt: ", "==== run ended after "})
        EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
    EXPECT_TRUE(Holds(log, "run ended after ") && Holds(log, ": exit code 1\r\n")) << log;
    EXPECT_EQ(ReadTextFile(MarkerPath()), "ok\n");
}

// A program that outlives its time-out is left running and the list goes on; without the
// time-out the run would wait the 20 seconds the program holds.
TEST_F(RunLogE2e, ATimeoutEndsTheWaitAndTheListGoesOn)
{
    const ULONGLONG started = GetTickCount64();
    Start(Document(LogElement(), "<item name='Slow'>" +
                                     Program("hold \"" + Narrow(folder.File(L"release.txt")) + "\" 20000",
                                             " timeout='2'") +
                                     Append("after") + "</item>"));
    const DWORD code = ExitCode();
    const ULONGLONG seconds = (GetTickCount64() - started) / 1000;
    Release();
    Sleep(300); // the held program sees the release before the folder goes
    EXPECT_EQ(code, 1u);
    EXPECT_LT(seconds, 15u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "after\n");
    EXPECT_TRUE(Holds(ReadTextFile(LogPath()), ": failed: still running after 2 s: no longer waited for"));
}

// A set-up program that starts its real work in another process and ends: with wait="tree" the
// next command waits for that process too; without, it does not.
TEST_F(RunLogE2e, WaitTreeWaitsForWhatTheProgramStarts)
{
    struct Case { const char* wait; const char* markers; };
    for (const Case c : {Case{" wait='tree'", "grandchild\nnext\n"}, Case{"", "next\ngrandchild\n"}}) {
        SCOPED_TRACE(c.wait);
        DeleteFileW(MarkerPath().c_str());
        struct Run : RunLogE2e { void TestBody() override {} } run;
        run.Start(Document("", "<item name='Setup'>" +
                                   run.Program("spawn 1500 \"" + Narrow(run.MarkerPath()) + "\" grandchild", c.wait) +
                                   run.Append("next") + "</item>"));
        EXPECT_EQ(run.ExitCode(), 1u);
        EXPECT_TRUE(WaitUntil([&] { return ReadTextFile(run.MarkerPath()).size() >= 16; }, 10000));
        EXPECT_EQ(ReadTextFile(run.MarkerPath()), c.markers);
    }
}

// `directory` is the program's current folder; without it, the one Varnekite was started in.
TEST_F(RunLogE2e, DirectoryIsTheProgramsCurrentFolder)
{
    const std::wstring work = folder.File(L"work");
    CreateDirectoryW(work.c_str(), nullptr);
    EXPECT_EQ(RunToEnd("", "<item name='Folders'>" +
                               Program("cwd \"" + Narrow(MarkerPath()) + "\"", " directory='" + Attribute(Narrow(work)) + "'") +
                               Program("cwd \"" + Narrow(MarkerPath()) + "\"") + "</item>"),
              1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "cwd=" + Narrow(work) + "\ncwd=" + Narrow(folder.Path()) + "\n");
}

// A working folder that is not there starts nothing, with or without a tree wait: the program
// would otherwise run in Varnekite's own folder. The log says why and the run reports it.
TEST_F(RunLogE2e, AWorkingFolderThatIsNotThereStartsNothing)
{
    const std::string missing = Attribute(Narrow(folder.File(L"missing")));
    EXPECT_EQ(RunToEnd("<exit result='true'/>" + LogElement(),
                       "<item name='Folders'>" + Program("cwd \"" + Narrow(MarkerPath()) + "\"", " directory='" + missing + "'") +
                           Program("cwd \"" + Narrow(MarkerPath()) + "\"", " directory='" + missing + "' wait='tree'") +
                           "</item>"),
              1603u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "");
    const std::string log = ReadTextFile(LogPath());
    EXPECT_TRUE(Holds(log, "command 1 execute ended after")) << log;
    EXPECT_TRUE(Holds(log, "failed: could not start: the working folder \"" + Narrow(folder.File(L"missing")) +
                               "\" is not there")) << log;
    EXPECT_FALSE(Holds(log, "]   process ")) << log; // no process started
}

// The log inside a folder the run deletes stays where it is, with every line of the run, and
// the delete does not fail for it: the rest of the folder goes.
TEST_F(RunLogE2e, TheLogInsideADeletedFolderIsLeftWhereItIs)
{
    const std::wstring logs = folder.File(L"logs");
    CreateDirectoryW(logs.c_str(), nullptr);
    WriteTextFile(logs + L"\\old.txt", "old");
    const std::wstring log = logs + L"\\run.log";
    EXPECT_EQ(RunToEnd("<exit result='true'/><log path='" + Attribute(Narrow(log)) + "'/>",
                       "<item name='Clean'><file command='dirdelete' directory='" + Attribute(Narrow(logs)) +
                           "'/></item>"),
              0u);
    EXPECT_EQ(ReadTextFile(logs + L"\\old.txt"), "");
    const std::string text = ReadTextFile(log);
    EXPECT_TRUE(Holds(text, "passed over: " + Narrow(log) + ": the run's own log: left where it is")) << text;
    EXPECT_TRUE(Holds(text, "succeeded: 1 file(s)")) << text;
    EXPECT_TRUE(Holds(text, "==== run ended after")) << text;
}

// <exit result="true">: 0 when everything succeeded, 3010 when a program asked for a restart,
// 1603 when anything failed, or the codes the configuration names; the log says which command
// decided. Without it: 1, whatever happened.
TEST_F(RunLogE2e, TheExitCodeTellsDeploymentToolsHowTheRunWent)
{
    struct Case { const char* exit; const char* programs; DWORD code; const char* decided; };
    const Case cases[] = {
        {"<exit result='true'/>", "exit 0", 0, "result: exit code 0, every command succeeded"},
        {"<exit result='true'/>", "exit 3010", 3010, "result: exit code 3010, decided by command 1 execute"},
        {"<exit result='true'/>", "exit 1603", 1603, "result: exit code 1603, decided by command 1 execute"},
        {"<exit result='true' success='10' restart='11' failure='12'/>", "exit 3010", 11, "decided by command 1"},
        {"<exit result='true'/>", "exit 5", 1603, "failed: exit code 5"},
        {"", "exit 1603", 1, "run ended after "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.exit) + " " + c.programs);
        struct Run : RunLogE2e { void TestBody() override {} } run;
        EXPECT_EQ(run.RunToEnd(run.LogElement() + c.exit, "<item name='Setup'>" + run.Program(c.programs) +
                                                             run.Program("exit 0") + "</item>"),
                  c.code);
        EXPECT_TRUE(Holds(ReadTextFile(run.LogPath()), c.decided)) << ReadTextFile(run.LogPath());
    }
}

// A log that cannot be written (its folder is a file) changes nothing about the run.
TEST_F(RunLogE2e, ALogThatCannotBeWrittenDoesNotChangeTheRun)
{
    WriteTextFile(folder.File(L"file"), "not a folder");
    const std::string unwritable = "<log path='" + Attribute(Narrow(folder.File(L"file\\run.log"))) + "'/>";
    EXPECT_EQ(RunToEnd(unwritable, "<item name='a'>" + Append("one") + Append("two") + "</item>"), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "one\ntwo\n");
    EXPECT_EQ(ReadTextFile(folder.File(L"file")), "not a folder");
}

} // namespace

namespace {

// format='cmtrace': every line of the file is one viewer record, a failure is an error record,
// and the lines written before the configuration named the format are in it too.
TEST_F(RunLogE2e, TheViewerFormatWritesOneRecordPerLine)
{
    const DWORD code = RunToEnd("<log path='" + Attribute(Narrow(LogPath())) + "' format='cmtrace'/>",
                                "<item name='Setup'>" + Program("exit 1603") + "</item>");
    EXPECT_EQ(code, 1u);
    const std::string log = ReadTextFile(LogPath());
    size_t records = 0;
    bool failedAsError = false;
    bool headFirst = false;
    for (size_t start = 0, end = log.find('\n'); end != std::string::npos; start = end + 1, end = log.find('\n', start)) {
        const std::string line = log.substr(start, end - start);
        EXPECT_EQ(line.rfind("<![LOG[", 0), 0u) << line;
        EXPECT_TRUE(Holds(line, "]LOG]!><time=\"") && Holds(line, "\" component=\"Varnekite\" context=\"\" type=\"") &&
                    Holds(line, "\" file=\"\">\r"))
            << line;
        headFirst = headFirst || (records == 0 && Holds(line, "==== Varnekite "));
        failedAsError = failedAsError || (Holds(line, "failed: item 1 \"Setup\", command 1 execute: exit code 1603 (a "
                                                      "fatal error during installation)") &&
                                          Holds(line, "type=\"3\""));
        ++records;
    }
    EXPECT_GT(records, 5u) << log;
    EXPECT_TRUE(headFirst) << log;
    EXPECT_TRUE(failedAsError) << log;
}

} // namespace
