// End to end: the command line as deployment tools and people write it. /config with spaces and
// quotes from another folder, /var and /log for one run, /quiet on a configuration that is not
// there, the configuration's folder with the program elsewhere, the usage and version written
// to a redirected output, and what the program says about a command line it does not understand.
#include "E2eSupport.h"
#include "VarnekiteRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace e2e;

namespace {

class CommandLineE2e : public VarnekiteRun
{
public: // the table-driven test drives runs of its own
    // A folder with a space in its name, beside the run's current folder's files.
    std::wstring SpacedFolder() const
    {
        const std::wstring spaced = folder.File(L"My Setup");
        CreateDirectoryW(spaced.c_str(), nullptr);
        return spaced;
    }
    std::wstring LogPath() const { return folder.File(L"run.log"); }
    void StartWith(const std::wstring& arguments, HANDLE input = nullptr, HANDLE output = nullptr)
    {
        ASSERT_TRUE(child.Start(exe, arguments, folder.Path(), input, output)) << "cannot start " << Narrow(exe);
    }
    std::wstring ErrorBoxText()
    {
        HWND box = WaitForErrorBox();
        if (box == nullptr)
            return L"(no Configuration Error box)";
        const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return text;
    }
};

bool Holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// An inheritable handle for a child's standard input or output.
HANDLE InheritableFile(const std::wstring& path, bool write)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(CommandLineE2e, ConfigNamesAPathWithSpacesAndQuotesFromAnotherFolder)
{
    const std::wstring config = SpacedFolder() + L"\\other config.xml";
    WriteTextFile(config, Document("", "<item name='a'>" + Append("ran") + "</item>"));
    const std::wstring forms[] = {
        L"/config \"" + config + L"\"",
        L"\"/Config:" + config + L"\"",
        L"/CONFIG:\"" + config + L"\" /quiet",
    };
    std::string expected;
    for (const std::wstring& arguments : forms) {
        SCOPED_TRACE(Narrow(arguments));
        ChildProcess run;
        ASSERT_TRUE(run.Start(exe, arguments, folder.Path()));
        DWORD code = 0;
        EXPECT_TRUE(run.WaitForExit(kExitTimeout, code));
        EXPECT_EQ(code, 1u);
        expected += "ran\n";
        EXPECT_EQ(ReadTextFile(MarkerPath()), expected);
    }
}

// /var sets a variable for this run's paths: one the environment lacks, with spaces in its value.
TEST_F(CommandLineE2e, VarGivesTheRunsPathsTheirValues)
{
    const std::wstring out = folder.File(L"out file.txt");
    WriteTextFile(ConfigPath(),
                  Document("", "<item name='a'>" + Append("%SITE%") + Execute("append \"%OUT%\" written") + "</item>"));
    StartWith(L"/var SITE=Berlin /var \"OUT=" + out + L"\" /config \"" + ConfigPath() + L"\"");
    EXPECT_EQ(ExitCode(), 1u);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "Berlin\n");
    EXPECT_EQ(ReadTextFile(out), "written\n");
}

// /log wins over the configuration's log, and its folder is made.
TEST_F(CommandLineE2e, LogNamesTheRunLogOverTheConfigurations)
{
    const std::wstring configured = folder.File(L"configured.log");
    const std::wstring given = folder.File(L"my logs\\run.log");
    WriteTextFile(ConfigPath(), Document("<log path='" + Attribute(Narrow(configured)) + "'/>",
                                         "<item name='a'>" + Append("ran") + "</item>"));
    StartWith(L"/log \"" + given + L"\" /config:\"" + ConfigPath() + L"\"");
    EXPECT_EQ(ExitCode(), 1u);
    const std::string log = ReadTextFile(given);
    EXPECT_TRUE(Holds(log, "==== Varnekite ") && Holds(log, "loaded: 1 item(s), 1 command(s)")) << log;
    EXPECT_EQ(GetFileAttributesW(configured.c_str()), INVALID_FILE_ATTRIBUTES) << "the configuration's log was written";
}

// /quiet: a configuration that is not there shows no box; the log says why and the exit code is
// the configuration error's, at once.
TEST_F(CommandLineE2e, QuietOnAMissingConfigurationShowsNoBox)
{
    const std::wstring missing = folder.File(L"missing.xml");
    StartWith(L"/quiet /log \"" + LogPath() + L"\" /config \"" + missing + L"\"");
    bool boxSeen = false;
    WaitUntil([&]() {
        for (HWND window : TopLevelWindows(child.Id()))
            if (WindowText(window) == L"Configuration Error")
                boxSeen = true;
        return boxSeen || !child.Running();
    }, kExitTimeout);
    EXPECT_FALSE(boxSeen);
    EXPECT_EQ(ExitCode(), 0xFFFFFFFFu);
    const std::string log = ReadTextFile(LogPath());
    const std::vector<std::string> parts = {"configuration error: Error opening: ", Narrow(missing),
                                            "there is no such file", "no message box: /quiet",
                                            "run ended: exit code 4294967295"};
    for (const std::string& part : parts)
        EXPECT_TRUE(Holds(log, part)) << "no \"" << part << "\" in the log:\n" << log;
}

// %VARNEKITECONFIG% is the configuration's folder, %VARNEKITE% still the program's.
TEST_F(CommandLineE2e, TheConfigurationsFolderWithTheProgramElsewhere)
{
    const std::wstring spaced = SpacedFolder();
    CreateDirectoryW((spaced + L"\\payload").c_str(), nullptr);
    WriteTextFile(spaced + L"\\payload\\a.txt", "a");
    const std::wstring config = spaced + L"\\Varnekite.xml";
    const std::string markers = Narrow(MarkerPath());
    WriteTextFile(config, Document("", "<item name='a'>" + Execute("append \"" + markers + "\" \"%VARNEKITECONFIG%x\"") +
                                           Execute("append \"" + markers + "\" \"%VARNEKITE%x\"") +
                                           "<file command='dircopy' directory='%VARNEKITECONFIG%payload' target='" +
                                           Attribute(Narrow(folder.File(L"dst"))) + "'/></item>"));
    StartWith(L"\"<" + config + L"\"");
    EXPECT_EQ(ExitCode(), 1u);
    const std::wstring programFolder = exe.substr(0, exe.rfind(L'\\') + 1);
    EXPECT_EQ(ReadTextFile(MarkerPath()), Narrow(spaced) + "\\x\n" + Narrow(programFolder) + "x\n");
    EXPECT_EQ(ReadTextFile(folder.File(L"dst\\payload\\a.txt")), "a");
}

// A command line that is not understood is a configuration error that names what it did not
// understand: never a silent run of the default configuration.
TEST_F(CommandLineE2e, WhatIsNotUnderstoodShowsAnErrorBoxNamingIt)
{
    struct Case { std::wstring arguments; std::wstring said; };
    const Case cases[] = {
        {L"/bogus /log \"" + LogPath() + L"\"", L"unknown option \"/bogus\""},
        {L"\"" + folder.File(L"x.xml") + L"\"",
         L"\"" + folder.File(L"x.xml") + L"\" is not an option (/config \"" + folder.File(L"x.xml") +
             L"\" names a configuration)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        struct Run : CommandLineE2e { void TestBody() override {} } run;
        run.StartWith(c.arguments);
        EXPECT_EQ(run.ErrorBoxText(),
                  L"Command line not understood:\n" + c.said + L"\n\nVarnekite.exe /? lists the options.");
        EXPECT_EQ(run.ExitCode(), 0xFFFFFFFFu);
    }
    const std::string log = ReadTextFile(LogPath());
    EXPECT_TRUE(Holds(log, "configuration error: Command line not understood:") && Holds(log, "unknown option \"/bogus\""))
        << log;
}

// "cmd /c Varnekite.exe <x.xml": cmd.exe makes x.xml the standard input and drops it from the
// command line. The program names the file instead of running the default configuration.
TEST_F(CommandLineE2e, AStandardInputFromAFileWithoutAConfigurationIsNamed)
{
    const std::wstring config = SpacedFolder() + L"\\taken by cmd.xml";
    WriteTextFile(config, Document("", "<item name='a'>" + Append("ran") + "</item>"));
    HANDLE input = InheritableFile(config, false);
    ASSERT_NE(input, INVALID_HANDLE_VALUE);
    StartWith(L"", input);
    CloseHandle(input);
    const std::wstring text = ErrorBoxText();
    EXPECT_NE(text.find(L"and the standard input is the file \""), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"My Setup\\taken by cmd.xml\": cmd.exe took \"<\" for itself."), std::wstring::npos)
        << Narrow(text);
    EXPECT_EQ(ExitCode(), 0xFFFFFFFFu);
    EXPECT_EQ(ReadTextFile(MarkerPath()), "");
}

// /? and /version into a redirected output, as a script reads them; nothing else starts.
TEST_F(CommandLineE2e, UsageAndVersionGoToARedirectedOutput)
{
    struct Case { const wchar_t* arguments; std::string start; };
    const Case cases[] = {
        {L"/?", "Varnekite.exe [/config PATH] [/log PATH] [/var NAME=VALUE]... [/quiet]\r\n"},
        {L"/VERSION", std::string("Varnekite ") + VARNEKITE_VERSION + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        const std::wstring text = folder.File(L"usage.txt");
        HANDLE output = InheritableFile(text, true);
        ASSERT_NE(output, INVALID_HANDLE_VALUE);
        ChildProcess run;
        ASSERT_TRUE(run.Start(exe, c.arguments, folder.Path(), nullptr, output));
        CloseHandle(output);
        DWORD code = 1;
        EXPECT_TRUE(run.WaitForExit(kExitTimeout, code));
        EXPECT_EQ(code, 0u);
        const std::string written = ReadTextFile(text);
        EXPECT_EQ(written.compare(0, c.start.size(), c.start), 0) << written;
        EXPECT_TRUE(TopLevelWindows(run.Id()).empty());
    }
}

// Started by a program without a console (a setup program, Explorer), /? shows the usage in a
// message box; with /quiet it shows nothing. MarkerWriter, detached from every console, starts
// it and appends its exit code.
TEST_F(CommandLineE2e, UsageInAMessageBoxWhereThereIsNoConsole)
{
    struct Case { const wchar_t* arguments; bool box; };
    const Case cases[] = {{L"/?", true}, {L"/? /quiet", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        DeleteFileW(MarkerPath().c_str());
        ChildProcess starter;
        ASSERT_TRUE(starter.Start(marker, L"parent starter \"" + MarkerPath() + L"\" \"\\\"" + exe + L"\\\" " +
                                              c.arguments + L"\"",
                                  folder.Path(), nullptr, nullptr, DETACHED_PROCESS));
        HWND box = nullptr;
        WaitUntil([&]() {
            box = FindWindowW(L"#32770", L"Varnekite");
            return box != nullptr || !starter.Running();
        }, c.box ? kWindowTimeout : 2000);
        EXPECT_EQ(box != nullptr, c.box);
        if (box != nullptr) {
            EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)).rfind(L"Varnekite.exe [/config PATH]", 0), 0u)
                << Narrow(WindowText(GetDlgItem(box, 0xFFFF)));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        DWORD code = 1;
        EXPECT_TRUE(starter.WaitForExit(kExitTimeout, code));
        EXPECT_EQ(ReadTextFile(MarkerPath()), "exit=0\n");
    }
}

// The codes a deployment tool reads: a program's 1641 as it is, and with failure="program" the
// failed program's own code, never one that reads as success.
TEST_F(CommandLineE2e, AProgramsOwnCodesReachTheDeploymentTool)
{
    struct Case { const char* exit; std::string items; DWORD code; };
    const Case cases[] = {
        {"<exit result='true'/>", Execute("exit 0") + Execute("exit 1641"), 1641},
        {"<exit result='true' restart='0'/>", Execute("exit 3010"), 0},
        {"<exit result='true' failure='program'/>", Execute("exit 0") + Execute("exit 1618") + Execute("exit 5"), 1618},
        {"<exit result='true' failure='program'/>",
         "<file command='execute' program='" + Attribute(Narrow(marker)) + "' arguments='exit 0' success='1'/>", 1603},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exit + c.items);
        struct Run : CommandLineE2e { void TestBody() override {} } run;
        WriteTextFile(run.ConfigPath(), Document(c.exit, "<item name='a'>" + c.items + "</item>"));
        run.StartWith(L"/config \"" + run.ConfigPath() + L"\"");
        EXPECT_EQ(run.ExitCode(), c.code);
    }
}

} // namespace

