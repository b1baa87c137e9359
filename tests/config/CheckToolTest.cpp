#include "CheckArguments.h"
#include "CheckRun.h"
#include "ConfigurationFixture.h"
#include "SettingsJson.h"
#include "xml/XmlDocument.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// A machine with most variables set, so that every expansion shows in the output.
PathVariables MachineTable()
{
    return {{L"VARNEKITE", L"C:\\Setup\\"}, {L"SOURCEPATH", L"D:\\i386"}, {L"USERPROFILE", L""},
            {L"SYSTEMDRIVE", L"C:"}, {L"WINDIR", L"C:\\Windows"}, {L"PROGRAMFILES", L"C:\\Program Files"},
            {L"SYSTEMROOT", L"C:\\Windows"}, {L"ALLUSERSPROFILE", L""}, {L"APPDATA", L""},
            {L"HOMEDRIVE", L""}, {L"HOMEPATH", L""}, {L"HOMESHARE", L""}, {L"TEMP", L"C:\\Temp"},
            {L"TMP", L""}};
}

std::wstring DataFile(const char* name)
{
    return LoaderPath(std::filesystem::path(VARNEKITE_TEST_DATA_DIR) / "config" / name);
}

std::wstring CheckFile(const char* name)
{
    return LoaderPath(std::filesystem::path(VARNEKITE_TEST_DATA_DIR) / "check" / name);
}

const char kEveryElementJson[] = R"({
  "hideWindowTitle": "Program Manager",
  "titleText": "Installing \"Tools\" & more",
  "completeText": "Complete\t%d%%",
  "copyText": "Copying",
  "moveText": "Moving",
  "deleteText": "Deleting",
  "windowWidth": 480,
  "windowPosition": 5,
  "fontFace": "Verdana",
  "smallFontSize": 9,
  "largeFontSize": 14,
  "antialias": true,
  "header": {
    "backColour": "0xFF102030",
    "foreColour": "0xFFFFFFFF",
    "progressBorder": "0xFF000000",
    "progressBack": "0xFFFFFFFF",
    "progressFore": "0x803366CC",
    "imagePath": "C:\\Setup\\top.png"
  },
  "footer": {
    "backColour": "0xFF405060",
    "foreColour": "0xFFEEEEEE",
    "progressBorder": "0xFF000000",
    "progressBack": "0xFFFFFFFF",
    "progressFore": "0x803366CC",
    "imagePath": ""
  },
  "main": {
    "backColour": "0xFFFFFFFF",
    "foreColour": "0xFF000000",
    "progressBorder": "0xFF000000",
    "progressBack": "0xFFFFFFFF",
    "progressFore": "0x803366CC",
    "imagePath": "E:\\Work\\\\side.png",
    "currentColour": "0xFFCC0000",
    "descriptionColour": "0xFF808080",
    "showTotal": 5,
    "showAfter": 2,
    "fixMain": 6
  },
  "items": [
    "Tools",
    "Drivers",
    "Clean up",
    ""
  ],
  "commands": [
    {
      "commandName": "dircopy",
      "itemName": "Tools",
      "displayName": "",
      "hide": false,
      "arguments": [
        "C:\\Setup\\tools",
        "C:\\Program Files\\Tools"
      ]
    },
    {
      "commandName": "execute",
      "itemName": "Tools",
      "displayName": "Registering %TEMP%",
      "hide": true,
      "arguments": [
        "C:\\Windows\\regedit.exe",
        "/s \"C:\\Setup\\tools.reg\""
      ]
    },
    {
      "commandName": "DirMove",
      "itemName": "Drivers",
      "displayName": "",
      "hide": false,
      "arguments": [
        "D:\\i386\\drivers",
        "C:\\Windows\\Drivers"
      ]
    },
    {
      "commandName": "dirdelete",
      "itemName": "Clean up",
      "displayName": "",
      "hide": false,
      "arguments": [
        "E:\\Work\\setup"
      ]
    }
  ]
}
)";

TEST(CheckTool, DumpsEverySettingOfAFullConfiguration)
{
    std::string out;
    std::string err;
    const int status = RunCheck({L"--var", L"temp=E:\\Work", L"--var", L"VARNEKITE=C:\\Setup\\", L"--dump", DataFile("EveryElement.xml")},
                                MachineTable(), out, err);
    EXPECT_EQ(status, kCheckExitLoaded) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(out, kEveryElementJson);
}

TEST(CheckTool, EmptyListsDumpAsEmptyArrays)
{
    const std::string json = SettingsToJson(InstallSettings());
    EXPECT_NE(json.find("\"items\": [],\n"), std::string::npos);
    EXPECT_NE(json.find("\"commands\": []\n}\n"), std::string::npos);
}

TEST(CheckTool, SummaryListsItemsCommandsAndWarnings)
{
    std::string out;
    std::string err;
    EXPECT_EQ(RunCheck({DataFile("EveryElement.xml")}, MachineTable(), out, err), kCheckExitLoaded);
    EXPECT_NE(out.find("loads with 3 warning(s).\n"), std::string::npos) << out;
    EXPECT_NE(out.find("4 item(s), 4 command(s)\n"), std::string::npos) << out;
    // Paths as Windows writes them, not as JSON escapes them.
    EXPECT_NE(out.find("  2. \"Drivers\"\n     DirMove \"D:\\i386\\drivers\" \"C:\\Windows\\Drivers\" (arrives in "
                       "\"C:\\Windows\\Drivers\\drivers\")\n"),
              std::string::npos) << out;
    // The files land one folder deeper than the target's name suggests.
    EXPECT_NE(err.find("warning: the files arrive in \"C:\\Windows\\Drivers\\drivers\""), std::string::npos) << err;
    EXPECT_NE(err.find("EveryElement.xml:30:22: warning: command \"copy\" is not a known kind"), std::string::npos)
        << err;
    // --strict fails on that warning.
    out.clear();
    err.clear();
    EXPECT_EQ(RunCheck({L"--strict", DataFile("EveryElement.xml")}, MachineTable(), out, err), kCheckExitWarnings);
    out.clear();
    EXPECT_EQ(RunCheck({L"--strict", CheckFile("Clean.xml")}, MachineTable(), out, err), kCheckExitLoaded) << err;
}

TEST(CheckTool, DiagnosticsLookLikeACompilers)
{
    const auto line = [](const wchar_t* text) { return std::make_shared<const std::wstring>(text); };
    Diagnostic warning{Severity::Warning, 4, 13, L"<window> has no attribute \"widht\"", line(L"    <window widht=\"420\"/>")};
    EXPECT_EQ(FormatDiagnostic(L"C:\\Setup\\Varnekite.xml", warning),
              "C:\\Setup\\Varnekite.xml:4:13: warning: <window> has no attribute \"widht\"\n");
    Diagnostic error{Severity::Error, 2, 4, L"End tag does not correspond", line(L"\t<a></b>")};
    EXPECT_EQ(FormatDiagnostic(L"a.xml", error), "a.xml:2:4: error: End tag does not correspond\n\t<a></b>\n\t  ^\n");
    Diagnostic unplaced{Severity::Error, 0, 0, L"cannot be opened: there is no such file", nullptr};
    EXPECT_EQ(FormatDiagnostic(L"a.xml", unplaced), "a.xml: error: cannot be opened: there is no such file\n");
    EXPECT_EQ(ConfigurationFolder(L"C:\\Setup\\Varnekite.xml"), L"C:\\Setup\\");
    EXPECT_EQ(ConfigurationFolder(L"/media/setup/Varnekite.xml"), L"/media/setup/");
}

TEST(CheckTool, FatalFaultsExitWithTheirReasonAndTheInstallersText)
{
    std::string out;
    std::string err;
    EXPECT_EQ(RunCheck({L"--var", L"TEMP=C:\\Nowhere\\", L"%TEMP%\\Varnekite.xml"}, MachineTable(), out, err),
              kCheckExitFatal);
    EXPECT_EQ(err, "C:\\Nowhere\\Varnekite.xml: error: cannot be opened: there is no such file\n"
                   "C:\\Nowhere\\Varnekite.xml: note: the installer stops with this message:\n"
                   "    Error opening: \n"
                   "    C:\\Nowhere\\Varnekite.xml\n"
                   "\n"
                   "    there is no such file\n");
    EXPECT_EQ(out, "");

    err.clear();
    EXPECT_EQ(RunCheck({DataFile("WrongRoot.xml")}, MachineTable(), out, err), kCheckExitFatal);
    EXPECT_NE(err.find(": error: the root element is <"), std::string::npos) << err;
    EXPECT_NE(err.find("    Could not find element:\n    Varnekite\n"), std::string::npos) << err;
}

// %VARNEKITECONFIG% is the configuration's folder, as for the installer; %VARNEKITE% is the
// program's, which the checker assumes beside the configuration unless --var gives it, and says so.
TEST(CheckTool, TheConfigurationsFolderAndTheAssumedProgramFolder)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "varnekite-check-folders";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "Varnekite.xml";
    std::ofstream(path, std::ios::binary)
        << "<Varnekite><items><item name='a'><file command='execute' program='%VARNEKITE%tool.exe' "
           "arguments='%VARNEKITECONFIG%x.ini'/></item></items></Varnekite>";
    const std::string configFolder = NarrowBytes(ConfigurationFolder(LoaderPath(path)));
    struct Case { std::vector<std::wstring> arguments; std::string program; bool assumed; };
    const Case cases[] = {
        {{LoaderPath(path)}, configFolder + "tool.exe", true},
        {{L"--var", L"VARNEKITE=C:\\Program\\", LoaderPath(path)}, "C:\\Program\\tool.exe", false},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(RunCheck(c.arguments, MachineTable(), out, err), kCheckExitLoaded) << err;
        EXPECT_NE(out.find("execute \"" + c.program + "\" \"" + configFolder + "x.ini\""), std::string::npos) << out;
        const std::string assumption = "Assumed %VARNEKITE% = \"" + configFolder +
                                       "\": the configuration's folder, as when Varnekite.exe sits beside it (give "
                                       "--var VARNEKITE=... otherwise).\n";
        EXPECT_EQ(out.find(assumption) != std::string::npos, c.assumed) << out;
        EXPECT_EQ(out.find("Assumed %VARNEKITE%") != std::string::npos, c.assumed) << out;
    }
    std::filesystem::remove_all(folder);
}

// Without <exit> the run ends with 1 whatever happened: a note, not a warning, so --strict
// still passes such a configuration.
TEST(CheckTool, NotesAConfigurationWithoutAnExitElement)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-check-exit.xml";
    const std::string note = ": note: there is no <exit> element: Varnekite exits with 1 whatever happened, which "
                             "deployment tools read as failure";
    const std::string colours = "<colours><header fore='#FFFFFF'/><footer fore='#FFFFFF'/>"
                                "<main fore='#000000' current='#000000' description='#000000'/></colours>";
    struct Case { std::string config; bool noted; };
    const Case cases[] = {
        {"", true},
        {"<config>" + colours + "</config>", true},
        {"<config>" + colours + "<exit result='false'/></config>", false},
        {"<config>" + colours + "<exit result='true'/></config>", false},
    };
    for (const Case& c : cases) {
        std::ofstream(path, std::ios::binary) << "<Varnekite>" << c.config << "<items/></Varnekite>";
        std::string out, err;
        EXPECT_EQ(RunCheck({L"--strict", LoaderPath(path)}, MachineTable(), out, err), kCheckExitLoaded) << err;
        EXPECT_EQ(err.find(note) != std::string::npos, c.noted) << c.config << "\n" << err;
        EXPECT_NE(out.find("loads.\n"), std::string::npos) << out; // no warning counted
    }
    std::filesystem::remove(path);
}

TEST(CheckTool, BadUsageExitsWith64)
{
    const std::vector<std::vector<std::wstring>> cases = {
        {L"--var"}, {L"--var", L"=x"}, {L"--bogus"}, {L"a.xml", L"b.xml"}, {L"a<b.xml"},
    };
    for (const std::vector<std::wstring>& arguments : cases) {
        std::string out;
        std::string err;
        EXPECT_EQ(RunCheck(arguments, MachineTable(), out, err), kCheckExitUsage) << testing::PrintToString(arguments);
        EXPECT_NE(err.find("usage: varnekite-check"), std::string::npos);
    }
}

// Upper-cased names and --dump show in the dump test; here the rest of the command line.
TEST(CheckArguments, OptionsAndTheConfigurationPath)
{
    CheckOptions options;
    std::wstring error;
    ASSERT_TRUE(ParseCheckArguments({}, options, error));
    EXPECT_EQ(options.configPath, L"Varnekite.xml");

    ASSERT_TRUE(ParseCheckArguments({L"--var", L"TEMP=C:\\a=b", L"--var=WinDir=", L"--", L"-odd.xml"}, options, error));
    EXPECT_EQ(options.configPath, L"-odd.xml");
    ASSERT_EQ(options.overrides.size(), 2u);
    EXPECT_EQ(options.overrides[0].value, L"C:\\a=b");
    EXPECT_EQ(options.overrides[1].name + L"=" + options.overrides[1].value, L"WINDIR=");
}

TEST(SettingsJson, TextBecomesEscapedUtf8)
{
    struct Case { std::wstring text; const char* json; };
    const Case cases[] = {
        {L"q\"b\\s/", "\"q\\\"b\\\\s/\""},
        {L"\n\r\t\b\f", "\"\\n\\r\\t\\b\\f\""},
        {std::wstring(1, L'\0') + L"\x1F", "\"\\u0000\\u001F\""},
        {L"\u00E9\u20AC", "\"\xC3\xA9\xE2\x82\xAC\""},
        {L"\U0001F600", "\"\xF0\x9F\x98\x80\""}, // a surrogate pair on Windows, one unit elsewhere
        {std::wstring(1, static_cast<wchar_t>(0xD800)) + L"x", "\"\xEF\xBF\xBDx\""},
        {std::wstring(1, static_cast<wchar_t>(0xDC00)), "\"\xEF\xBF\xBD\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JsonString(c.text), c.json) << testing::PrintToString(c.text);
    EXPECT_EQ(ColourText(0x0000000Fu), "0x0000000F");
}

#ifndef _WIN32
// The tool itself: exit codes and streams as a script sees them.
int RunTool(const std::string& arguments, std::string& out)
{
    const std::string command = std::string(VARNEKITE_CHECK_EXE) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        out.append(buffer, count);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CheckTool, ProgramExitCodes)
{
    const std::string data = std::string(VARNEKITE_TEST_DATA_DIR) + "/config/";
    std::string out;
    EXPECT_EQ(RunTool("--var TEMP=E:\\\\Work --var VARNEKITE='C:\\Setup\\' --var SOURCEPATH='D:\\i386' "
                      "--var PROGRAMFILES='C:\\Program Files' --var WINDIR='C:\\Windows' "
                      "--var SYSTEMROOT='C:\\Windows' --dump " + data + "EveryElement.xml", out), 0);
    EXPECT_EQ(out, kEveryElementJson);
    out.clear();
    EXPECT_EQ(RunTool(data + "WrongRoot.xml", out), 2);
    EXPECT_EQ(RunTool(data + "missing.xml", out), 2);
    EXPECT_EQ(RunTool("--frobnicate", out), 64);
    EXPECT_EQ(out, "");
}
#endif

} // namespace

// Items and commands are grouped once: a list of a hundred thousand items loads and is
// described in linear time. (Matching every command against every item takes minutes here.)
TEST(CheckTool, ALongListIsCheckedInLinearTime)
{
    std::string xml = "<Varnekite><config/><items>";
    for (int i = 0; i < 100000; ++i)
        xml += "<item name='Item " + std::to_string(i % 50000) + "'><file command='dirdelete' directory='C:\\x'/></item>";
    xml += "</items></Varnekite>";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-long-list.xml";
    std::ofstream(path, std::ios::binary) << xml;
    std::string out;
    std::string err;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunCheck({LoaderPath(path)}, MachineTable(), out, err), kCheckExitLoaded);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(path);
    EXPECT_LT(seconds, 30.0); // a hang guard, not a speed target
    // Items 0 and 50000 share a name, but each lists only the command of its own element.
    EXPECT_NE(out.find("100000 item(s), 100000 command(s)"), std::string::npos);
    const size_t first = out.find("  1. \"Item 0\"\n     dirdelete \"C:\\x\"\n  2.");
    EXPECT_NE(first, std::string::npos);
}

// threads shows where a copy or move sets it, as the installer will use it (1 to 16); the
// default of 1 shows nothing, so configurations without it print and dump as before.
TEST(CheckTool, ThreadsShowWhereACopyOrMoveSetsThem)
{
    const std::string xml = "<Varnekite><items><item name='a'>"
                            "<file command='dircopy' directory='C:\\s' target='C:\\t' threads='4'/>"
                            "<file command='dirmove' directory='C:\\s' target='C:\\t' threads='40'/>"
                            "<file command='dircopy' directory='C:\\s' target='C:\\t'/>"
                            "</item></items></Varnekite>";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-check-threads.xml";
    std::ofstream(path, std::ios::binary) << xml;
    std::string out, err, json, jsonErr;
    EXPECT_EQ(RunCheck({LoaderPath(path)}, MachineTable(), out, err), kCheckExitLoaded) << err;
    EXPECT_EQ(RunCheck({L"--dump", LoaderPath(path)}, MachineTable(), json, jsonErr), kCheckExitLoaded) << jsonErr;
    std::filesystem::remove(path);
    EXPECT_NE(out.find("dircopy \"C:\\s\" \"C:\\t\" (arrives in \"C:\\t\\s\") (4 files at once)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("dirmove \"C:\\s\" \"C:\\t\" (arrives in \"C:\\t\\s\") (16 files at once)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("dircopy \"C:\\s\" \"C:\\t\" (arrives in \"C:\\t\\s\")\n"), std::string::npos) << out;
    EXPECT_NE(json.find("\"hide\": false,\n      \"threads\": 4,\n"), std::string::npos) << json;
    EXPECT_NE(json.find("\"threads\": 16,"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"threads\": 1,"), std::string::npos) << json;
}

// The log, the exit codes and how programs are waited for show where a configuration sets them.
TEST(CheckTool, SummaryShowsTheLogTheExitCodesAndHowProgramsAreWaitedFor)
{
    const std::string xml = "<Varnekite><config><log path='%TEMP%\\setup.log'/><exit result='true' restart='0'/></config>"
                            "<items><item name='a'><file command='execute' program='C:\\s.exe' directory='C:\\s' "
                            "timeout='30' wait='tree' success='0,1'/><file command='execute' program='C:\\t.exe'/>"
                            "</item></items></Varnekite>";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-check-outcomes.xml";
    std::ofstream(path, std::ios::binary) << xml;
    std::string out, err;
    EXPECT_EQ(RunCheck({LoaderPath(path)}, MachineTable(), out, err), kCheckExitLoaded) << err;
    std::filesystem::remove(path);
    EXPECT_NE(out.find("Log: \"C:\\Temp\\setup.log\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Exit codes: 0 success, 0 restart needed, 1603 failure\n"), std::string::npos) << out;
    EXPECT_NE(out.find("execute \"C:\\s.exe\" \"\" (in \"C:\\s\") (waits at most 30 s) (waits for every process it "
                       "starts) (succeeds with 0,1)\n"),
              std::string::npos) << out;
    EXPECT_NE(out.find("execute \"C:\\t.exe\" \"\"\n"), std::string::npos) << out;
}

// A package shows the msiexec command line it runs; programs show what a time-out does and
// their runs again.
TEST(CheckTool, SummaryShowsPackagesAsMsiexecRunsThemAndRetries)
{
    const std::string xml =
        "<Varnekite><items><item name='a'>"
        "<file command='msi' name='Agent' package='%VARNEKITE%My Agent.msi' transforms='%VARNEKITE%de.mst' "
        "properties='INSTALLDIR=\"%PROGRAMFILES%\\Agent\" /qb ALLUSERS=1' timeout='600' ontimeout='kill'/>"
        "<file command='execute' program='C:\\s.exe' timeout='30' ontimeout='kill' retry='1618' attempts='5' "
        "retrypause='10'/>"
        "</item></items></Varnekite>";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-check-msi.xml";
    std::ofstream(path, std::ios::binary) << xml;
    std::string out, err;
    EXPECT_EQ(RunCheck({L"--var", L"VARNEKITE=D:\\Setup\\", LoaderPath(path)}, MachineTable(), out, err),
              kCheckExitLoaded)
        << err;
    std::filesystem::remove(path);
    EXPECT_NE(out.find("msi \"Agent\" \"D:\\Setup\\My Agent.msi\" (runs \"C:\\Windows\\System32\\msiexec.exe\" /i "
                       "\"D:\\Setup\\My Agent.msi\" /qn /norestart TRANSFORMS=\"D:\\Setup\\de.mst\" "
                       "INSTALLDIR=\"C:\\Program Files\\Agent\" ALLUSERS=1) (waits at most 600 s, then ends it) "
                       "(tries again on 1618: 3 attempts at most, 30 s apart)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("execute \"C:\\s.exe\" \"\" (waits at most 30 s, then ends it) (tries again on 1618: 5 "
                       "attempts at most, 10 s apart)\n"),
              std::string::npos)
        << out;
    EXPECT_NE(err.find("\"/qb\" is no NAME=VALUE of a property: it is left out"), std::string::npos) << err;
}

// A folder command the installer refuses is an error: the check fails without --strict, and a
// value given for the empty variable clears it.
TEST(CheckTool, AFolderCommandTheInstallerRefusesIsAnError)
{
    const std::string xml = "<Varnekite><items><item name='a'>"
                            "<file command='dirdelete' directory='%HOMESHARE%\\tmp\\victim'/>"
                            "</item></items></Varnekite>";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-check-refused.xml";
    std::ofstream(path, std::ios::binary) << xml;
    std::string out, err;
    EXPECT_EQ(RunCheck({LoaderPath(path)}, MachineTable(), out, err), kCheckExitWarnings);
    EXPECT_NE(err.find(":1:71: error: %HOMESHARE% expands to nothing here"), std::string::npos) << err;
    EXPECT_NE(out.find("loads with 1 error(s) and 1 warning(s).\n"), std::string::npos) << out;
    // The summary marks what the installer will refuse.
    EXPECT_NE(out.find("dirdelete \"\\tmp\\victim\" (refused: %HOMESHARE% expanded to nothing"), std::string::npos) << out;
    out.clear();
    err.clear();
    EXPECT_EQ(RunCheck({L"--var", L"HOMESHARE=\\\\srv\\home", LoaderPath(path)}, MachineTable(), out, err),
              kCheckExitLoaded)
        << err;
    EXPECT_EQ(err.find("error"), std::string::npos) << err;
    std::filesystem::remove(path);
}

// Conditions are decided for the machine --fact describes, each item and command marked with
// whether it runs there and why; what no --fact gives is assumed and listed.
TEST(CheckTool, ConditionsAreDecidedForTheDescribedMachine)
{
    const std::string xml =
        "<Varnekite><items>"
        "<item name='Runtime' onfailure='stop'><file command='execute' program='C:\\r.exe'/></item>"
        "<item name='Latitude drivers' if=\"model like 'Latitude 7*' and arch = x64\">"
        "<file command='execute' program='C:\\d.exe'/></item>"
        "<item name='Agent'><file command='execute' program='C:\\a.exe' "
        "if=\"not program('Contoso Agent*') or program('Contoso Agent*') lt 5.2\"/></item>"
        "</items></Varnekite>";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "varnekite-check-conditions.xml";
    std::ofstream(path, std::ios::binary) << xml;
    struct Case
    {
        std::vector<std::wstring> facts;
        std::vector<const char*> said;
        bool assumes;
    };
    const Case cases[] = {
        {{},
         {"     a failure stops the list\n",
          "     if model like 'Latitude 7*' and arch = x64: not decided: model cannot be read: not given\n",
          "       if not program('Contoso Agent*') or program('Contoso Agent*') lt 5.2: runs here (decided when "
          "reached): program 'Contoso Agent*' is not installed\n",
          "Assumed for the conditions (describe the machine with --fact):\n  model (not given",
          "  no program is installed (give --fact program('name')=version)\n"},
         true},
        {{L"--fact", L"model=Latitude 7440", L"--fact=ARCH=x64", L"--fact", L"program('Contoso Agent')=5.2.1"},
         {"     if model like 'Latitude 7*' and arch = x64: listed and runs here: model \"Latitude 7440\" is like "
          "\"Latitude 7*\" and arch \"x64\" is \"x64\"\n",
          "passed over here (decided when reached): program \"Contoso Agent\" is installed and program \"Contoso "
          "Agent\" version \"5.2.1\" is not below \"5.2\"\n"},
         false},
        {{L"--fact", L"model=OptiPlex 7010", L"--fact", L"arch=x64"},
         {"     if model like 'Latitude 7*' and arch = x64: not listed here: model \"OptiPlex 7010\" is not like "
          "\"Latitude 7*\"\n",
          "Assumed for the conditions (describe the machine with --fact):\n  no program is installed"},
         true},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> arguments = c.facts;
        arguments.push_back(LoaderPath(path));
        std::string out, err;
        EXPECT_EQ(RunCheck(arguments, MachineTable(), out, err), kCheckExitLoaded) << err;
        for (const char* said : c.said)
            EXPECT_NE(out.find(said), std::string::npos) << said << "\n" << out;
        EXPECT_EQ(out.find("Assumed for the conditions") != std::string::npos, c.assumes) << out;
    }
    // A condition that cannot be read is an error: the installer never runs that element.
    std::ofstream(path, std::ios::binary) << "<Varnekite><items><item name='a' if='arch = x65'>"
                                             "<file command='execute' program='C:\\r.exe'/></item></items></Varnekite>";
    std::string out, err;
    EXPECT_EQ(RunCheck({LoaderPath(path)}, MachineTable(), out, err), kCheckExitWarnings);
    EXPECT_NE(err.find(":1:45: error: condition: \"x65\" is no architecture"), std::string::npos) << err;
    EXPECT_NE(out.find("if arch = x65: never runs: its condition cannot be read"), std::string::npos) << out;
    std::filesystem::remove(path);

    // Facts that cannot be facts are bad usage, said with what is wrong.
    const std::vector<std::pair<std::wstring, const char*>> wrong = {
        {L"modle=x", "unknown fact \"modle\" (did you mean \"model\"?)"},
        {L"arch=amd64", "--fact arch is x86, x64 or arm64"},
        {L"windows=eleven", "--fact windows is a version"},
        {L"folder('C:\\x')=yes", "is true or false"},
        {L"model", "--fact needs NAME=VALUE"},
        {L"not model=x", "does not name a fact"},
    };
    for (const auto& [fact, said] : wrong) {
        std::string usageOut, usageErr;
        EXPECT_EQ(RunCheck({L"--fact", fact, L"x.xml"}, MachineTable(), usageOut, usageErr), kCheckExitUsage);
        EXPECT_NE(usageErr.find(said), std::string::npos) << usageErr;
    }
    std::string factsOut, factsErr;
    EXPECT_EQ(RunCheck({L"--facts"}, MachineTable(), factsOut, factsErr), kCheckExitUsage);
    EXPECT_NE(factsErr.find("--facts needs the Windows build"), std::string::npos) << factsErr;
}
