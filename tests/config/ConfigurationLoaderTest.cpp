#include "ConfigurationFixture.h"
#include "config/AnsiText.h"
#include "config/RunVariables.h"

#include <climits>
#include <functional>
#include <string_view>

namespace {

using Loader = ConfigurationFixture;

std::wstring TextFixture(const char* name)
{
    return LoaderPath(std::filesystem::path(VARNEKITE_TEST_DATA_DIR) / "text" / name);
}

// Windows-1251's Cyrillic letters, the machine's ANSI code page for one case.
std::wstring DecodeCyrillic1251(std::string_view bytes)
{
    std::wstring text;
    for (unsigned char byte : bytes)
        text.push_back(byte >= 0xC0 ? static_cast<wchar_t>(0x0410 + byte - 0xC0) : static_cast<wchar_t>(byte));
    return text;
}

// [SECTION] Locating the file and the two fatal faults

// Launchers quote an argument with spaces ("<C:\My Setup\x.xml"): quotes, which no Windows
// file name holds, and the white space around the path are not part of it.
TEST_F(Loader, PathAfterTheLastLessThanSignWithoutQuotesAndSurroundingSpaceAndItsVariablesExpanded)
{
    const std::wstring path = WriteFile("other.xml", "<Varnekite><items><item name='x'/></items></Varnekite>");
    const std::wstring separator = LoaderPath(std::filesystem::path("a") / "b").substr(1, 1);
    const std::wstring missing = L"\n\nthere is no such file"; // the reason, below the first lines
    struct Case { std::wstring commandLine; std::wstring fault; }; // no fault: loaded
    const Case cases[] = {
        {L"\"C:\\Setup\\setup.exe\" /quiet", L"Error opening: \nC:\\Setup\\Varnekite.xml" + missing}, // the default
        {L"setup.exe <nothing.xml <" + path, L""},
        {L"setup.exe <%temp%" + separator + L"other.xml", L""},
        {L"setup.exe < " + path, L""},
        {L"setup.exe <\"" + path + L"\"", L""},
        {L"\"setup.exe\" \"<" + path + L"\"", L""},
        {L"setup.exe \t<\t" + path + L"  \t", L""},
        {L"setup.exe <\"nothing here\" ", L"Error opening: \nnothing here" + missing},
        {L"setup.exe <", L"Error opening: \n" + missing},
        {L"setup.exe <\"\"", L"Error opening: \n" + missing},
        {L"setup.exe <%WINDIR%\\\\missing.xml", L"Error opening: \nC:\\Windows\\\\missing.xml" + missing}, // written twice, kept
    };
    for (const Case& c : cases) {
        settings = InstallSettings();
        faults.clear();
        const LoadOutcome outcome = LoadCommandLine(c.commandLine);
        EXPECT_EQ(outcome, c.fault.empty() ? LoadOutcome::Loaded : LoadOutcome::CannotOpen)
            << testing::PrintToString(c.commandLine);
        EXPECT_EQ(faults, c.fault.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.fault});
        EXPECT_EQ(settings.items.size(), c.fault.empty() ? 1u : 0u);
    }
}

// The named options: /config with spaces and quotes, /var for the configuration's paths and its
// own, /log over the configuration's log; the configuration's folder in its paths.
TEST_F(Loader, NamedOptionsNameTheConfigurationTheRunsVariablesAndTheLog)
{
    const std::filesystem::path spaced = folder / "My Setup";
    std::filesystem::create_directories(spaced);
    std::ofstream(spaced / "other.xml", std::ios::binary)
        << "<Varnekite><config><log path='%VARNEKITECONFIG%run.log'/></config><items><item name='a'>"
           "<file command='execute' program='%VARNEKITECONFIG%setup.exe' arguments='/site:%SITE%'/>"
           "</item></items></Varnekite>";
    const std::wstring path = LoaderPath(spaced / "other.xml");
    const std::wstring separator = LoaderPath(std::filesystem::path("a") / "b").substr(1, 1);
    const std::wstring ownLog = LoaderPath(spaced / "run.log");
    struct Case { std::wstring commandLine; std::wstring log; std::wstring arguments; };
    const Case cases[] = {
        {L"setup.exe /config \"" + path + L"\"", ownLog, L"/site:%SITE%"},
        {L"setup.exe /var site=Berlin \"/CONFIG:" + path + L"\"", ownLog, L"/site:Berlin"},
        {L"setup.exe /log %TEMP%" + separator + L"cmd.log /config:\"" + path + L"\"",
         LoaderPath(folder / "cmd.log"), L"/site:%SITE%"},
        {L"setup.exe /log %VARNEKITECONFIG%cmd.log \"<" + path + L"\"", LoaderPath(spaced / "cmd.log"), L"/site:%SITE%"},
        {L"setup.exe /log \"\" <" + path, L"", L"/site:%SITE%"}, // the log turned off
        {L"setup.exe /var \"TEMP=" + LoaderPath(spaced) + L"\" /config %temp%" + separator + L"other.xml", ownLog,
         L"/site:%SITE%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.commandLine));
        settings = InstallSettings();
        faults.clear();
        ASSERT_EQ(LoadCommandLine(c.commandLine), LoadOutcome::Loaded) << testing::PrintToString(faults);
        EXPECT_TRUE(settings.log.pathGiven);
        EXPECT_EQ(settings.log.path, c.log);
        ASSERT_EQ(settings.commands.size(), 1u);
        EXPECT_EQ(settings.commands[0].arguments,
                  (std::vector<std::wstring>{LoaderPath(spaced / "setup.exe"), c.arguments}));
    }

    // What the command line cannot mean reads nothing and says what it is.
    settings = InstallSettings();
    faults.clear();
    EXPECT_EQ(LoadCommandLine(L"setup.exe /q <" + path), LoadOutcome::BadCommandLine);
    EXPECT_EQ(faults, std::vector<std::wstring>{L"Command line not understood:\nunknown option \"/q\"\n\n"
                                                L"Varnekite.exe /? lists the options."});
    EXPECT_TRUE(settings.items.empty());
}

// The run's table for the conditions: the configuration's folder, made whole from the current
// folder, and the values given for the run.
TEST_F(Loader, TheRunsTableHoldsTheConfigurationsFolderAndTheGivenValues)
{
    const std::wstring path = WriteFile("relative.xml", "<Varnekite/>");
    LoadOptions options;
    options.fullPath = [&](const std::wstring& written) { return written == L"relative.xml" ? path : written; };
    PathVariables run = table;
    std::wstring opened;
    const CommandLine line = ParseCommandLine(L"setup.exe /config relative.xml /var SITE=Berlin");
    // Not opened from this folder: "relative.xml" is missing here, yet its folder is named.
    EXPECT_EQ(LoadConfiguration(settings, handlers, line, run, [this](const std::wstring& m) { faults.push_back(m); },
                                options, &opened),
              LoadOutcome::CannotOpen);
    EXPECT_EQ(opened, L"relative.xml");
    EXPECT_EQ(PathVariableValue(run, kConfigurationFolderVariable), ConfigurationFolder(path));
    std::wstring site = L"%SITE%";
    ExpandVariables(site, run);
    EXPECT_EQ(site, L"Berlin");
}

TEST_F(Loader, TextWithoutAnElementCannotBeOpenedAndTheRootNameIgnoresAsciiCase)
{
    // A file that does not parse says why under the fault's own first lines.
    struct Case { const char* xml; LoadOutcome outcome; const wchar_t* why; };
    const Case cases[] = {
        {"", LoadOutcome::CannotOpen, L"\n\nthe file is empty"},
        {"<!-- nothing -->", LoadOutcome::CannotOpen, L"\n\nElement tag not found at line 1, column 17"},
        {"plain text", LoadOutcome::CannotOpen, L"\n\nElement tag not found at line 1, column 11"},
        {"<Varnekite>\n  <config>\n</Varnekite>", LoadOutcome::CannotOpen,
         L"\n\nEnd tag does not correspond to config at line 3, column 3"},
        // The element's name decoded as the file's texts are, not byte by byte.
        {"<Varnekite><\xD0\x9F\xD0\xB0>x</Varnekite>", LoadOutcome::CannotOpen,
         L"\n\nEnd tag does not correspond to \u041F\u0430 at line 1, column 19"},
        {"<VARNEKITE></VARNEKITE>", LoadOutcome::Loaded, L""},
        {"<?xml version='1.0'?><!-- c --><varnekite/>", LoadOutcome::Loaded, L""},
        {"<Varnekites/>", LoadOutcome::WrongRoot, L""},
        {"<Setup/><Varnekite/>", LoadOutcome::WrongRoot, L""}, // only the first element is examined
    };
    for (const Case& c : cases) {
        faults.clear();
        const std::wstring path = WriteFile("root.xml", c.xml);
        EXPECT_EQ(LoadCommandLine(L"setup.exe <" + path), c.outcome) << c.xml;
        const std::vector<std::wstring> expected[] = {{}, {L"Error opening: \n" + path + c.why}, // by outcome
                                                      {L"Could not find element:\nVarnekite"}};
        EXPECT_EQ(faults, expected[static_cast<int>(c.outcome)]) << c.xml;
    }
}

// [SECTION] Settings and their defaults

// Without config the constructed values stay; an empty config gives the defaults, which differ
// only in the face and in showAfter. Without `colours` every panel colour stays opaque black.
TEST_F(Loader, DefaultsWithAndWithoutConfig)
{
    struct Case { const char* xml; const wchar_t* face; int showAfter; };
    const Case cases[] = {{"<Varnekite><items/></Varnekite>", L"", -1}, {"<Varnekite><config/></Varnekite>", L"Tahoma", -2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        settings = InstallSettings();
        Load(c.xml);
        EXPECT_EQ(settings.fontFace, c.face);
        EXPECT_EQ(settings.main.showAfter, c.showAfter);
        EXPECT_EQ(settings.windowWidth, 400);
        EXPECT_EQ(settings.windowPosition, 8);
        EXPECT_EQ(settings.main.fixMain, 0);
        EXPECT_FALSE(settings.antialias);
        EXPECT_EQ(settings.smallFontSize, 8);
        EXPECT_EQ(settings.largeFontSize, 8);
        EXPECT_EQ(settings.main.showTotal, -1);
        EXPECT_EQ(settings.hideWindowTitle, L"");
        EXPECT_EQ(settings.header.backColour, 0xFF000000u);
        EXPECT_EQ(settings.footer.progressFore, 0xFF000000u);
    }
}

// Value formats have their own tests; here what the loader adds: empty values fall back to
// the default, the first non-empty attribute counts, and "after" is clamped against "total".
TEST_F(Loader, NumbersOfConfigChildren)
{
    struct Case { const char* body; std::function<int64_t(const InstallSettings&)> read; int64_t expected; };
    const auto small = [](const InstallSettings& s) { return int64_t{s.smallFontSize}; };
    const auto width = [](const InstallSettings& s) { return int64_t{s.windowWidth}; };
    const auto after = [](const InstallSettings& s) { return int64_t{s.main.showAfter}; };
    const Case cases[] = {
        {"<font small='abc'/>", small, 0},
        {"<font small=''/>", small, 8},
        {"<font face='Arial'/><font small='9'/>", small, 9},
        {"<window width=''/><window width='600'/>", width, 600},
        {"<window width='500'/><window width='600'/>", width, 500},
        {"<window width=600/>", width, 400},                        // unquoted values are not read
        {"<show total='5' after='5'/>", after, 4},
        {"<show total='5' after='-3'/>", after, 0},
        {"<show total='5' after='2'/>", after, 2},
        {"<show total='0' after='3'/>", after, -1},
        {"<show total='-99999999999' after='1'/>", after, INT32_MIN}, // saturates, never wraps
        {"<show total='7'/><show after='3'/>", after, 3},             // each attribute looked up alone
        {"<window width='&#54;&#x30;0'/>", width, 600},               // references in numbers too
    };
    for (const Case& c : cases) {
        settings = InstallSettings();
        LoadConfig(c.body);
        EXPECT_EQ(c.read(settings), c.expected) << c.body;
    }
}

TEST_F(Loader, FontFaceIsTakenByteForByte)
{
    LoadConfig("<font face=''/><font face='Caf\xE9 Sans'/>");
    EXPECT_EQ(settings.fontFace, std::wstring(L"Caf") + static_cast<wchar_t>(0xE9) + L" Sans");
}

TEST_F(Loader, DisplayTextsUseTheAnsiCodePage)
{
    LoadConfig("<hidewindow>Setup &amp; more</hidewindow><strings><title>Installing \x80 5</title></strings>");
    EXPECT_EQ(settings.hideWindowTitle, L"Setup & more");
#ifndef _WIN32
    EXPECT_EQ(settings.titleText, L"Installing \u20AC 5"); // Windows-1252
#endif
}

// [SECTION] Reading order: which elements the cursor finds

TEST_F(Loader, StringsAreFoundOnlyAfterTheFontWhereTheLastLookupStopped)
{
    const std::string strings = "<strings><title>T</title><complete>C</complete></strings>";
    struct Case { std::string body; bool read; };
    const Case cases[] = {
        {strings + "<font face='Arial'/>", false},
        {"<font face='Arial'/>" + strings, true},
        {"<font large='9'/>" + strings + "<font small='7'/>", true},  // after the font with large
        {"<font small='9'/>" + strings + "<font small='7'/>", false}, // none has large: after the last font
        // Each text is looked up from the first child again.
        {"<strings><complete>C</complete><title>T</title></strings>", true},
    };
    for (const Case& c : cases) {
        settings = InstallSettings();
        LoadConfig(c.body);
        EXPECT_EQ(settings.titleText + settings.completeText, c.read ? L"TC" : L"") << c.body;
    }
}

// Every colours element is read, from the first child on, and assigns every value: the last
// one counts, and what it leaves out becomes transparent (0), not the constructed black nor the
// earlier element's value.
TEST_F(Loader, OnlyTheLastColoursElementCountsAndAssignsEveryValue)
{
    LoadConfig("<colours><header back='#111111' fore='#222222' image='first.png'/></colours>"
               "<colours><header back='#333333'/></colours><font/>");
    EXPECT_EQ(settings.header.backColour, 0xFF333333u);
    EXPECT_EQ(settings.header.foreColour, 0u);
    EXPECT_EQ(settings.header.imagePath, L"");
    EXPECT_EQ(settings.main.currentColour, 0u);
    EXPECT_EQ(settings.footer.progressBorder, 0u);
}

// Character references work in every value: numbers, flags and colours read as if written out.
TEST_F(Loader, CharacterReferencesDecodeInNumbersFlagsAndColours)
{
    LoadConfig("<window position='&#49;'/><font antialias='&#116;rue'/>"
               "<colours><header back='&#35;112233' fore='&#x23;FFFFFF'/></colours><exit result='&#x74;rue' "
               "failure='&#49;&#54;&#48;&#51;'/>");
    EXPECT_EQ(settings.windowPosition, 1);
    EXPECT_TRUE(settings.antialias);
    EXPECT_EQ(settings.header.backColour, 0xFF112233u);
    EXPECT_EQ(settings.header.foreColour, 0xFFFFFFFFu);
    EXPECT_TRUE(settings.exit.fromOutcomes);
    EXPECT_EQ(settings.exit.failure, 1603u);
}

// [SECTION] Items and commands

TEST_F(Loader, ItemsAreReadFromTheFirstItemsAfterConfig)
{
    struct Case { const char* xml; std::vector<std::wstring> items; const wchar_t* face; };
    const Case cases[] = {
        {"<Varnekite><items><item name='a'/></items><config/></Varnekite>", {}, L"Tahoma"},
        {"<Varnekite><items><item name='before'/></items><config/>"
         "<items><item name='first'/></items><items><item name='second'/></items></Varnekite>", {L"first"}, L"Tahoma"},
        {"<Varnekite><other/><items><item name='a'/><item/><note/><item name='c'/></items></Varnekite>",
         {L"a", L"", L"c"}, L""}, // without config, the first items
    };
    for (const Case& c : cases) {
        settings = InstallSettings();
        Load(c.xml);
        EXPECT_EQ(settings.items, c.items) << c.xml;
        EXPECT_EQ(settings.fontFace, c.face) << c.xml; // config is read wherever it stands
    }
}

// The full mapping of every element is pinned by varnekite-check's dump of EveryElement.xml;
// here the rules it does not show: only `file` elements count, an item whose files are all
// unknown is still listed, and a kind without a parse callback makes no command.
TEST_F(Loader, OnlyFilesOfKindsWithAParseCallbackBecomeCommands)
{
    const char* xml = "<Varnekite><items><item name='a'><other command='dirdelete' directory='z'/>"
                      "<file command='delete' directory='x'/></item>"
                      "<item name='b'><file command='DirCopy' directory='x'/></item></items></Varnekite>";
    Load(xml);
    EXPECT_EQ(settings.items, (std::vector<std::wstring>{L"a", L"b"}));
    ASSERT_EQ(settings.commands.size(), 1u);
    EXPECT_EQ(settings.commands[0].item, 1u);
    const ItemCommands::List ofB = settings.itemCommands.Of(1);
    EXPECT_EQ(std::vector<uint32_t>(ofB.begin(), ofB.end()), std::vector<uint32_t>{0});
    EXPECT_EQ(settings.itemCommands.Of(0).size(), 0u);

    CommandRegistry bare;
    bare.Append({L"dircopy", nullptr, nullptr});
    handlers = bare;
    settings = InstallSettings();
    Load(xml);
    EXPECT_EQ(settings.items.size(), 2u);
    EXPECT_TRUE(settings.commands.empty());
}

#ifdef _WIN32
// The default is Varnekite.xml in the program folder, here one whose name lies outside the
// ANSI code page: the file must be opened by its wide path.
TEST_F(Loader, DefaultPathIsVarnekiteXmlInTheProgramFolder)
{
    const std::filesystem::path programFolder = folder / L"\u041F\u0430\u043F\u043A\u0430";
    std::filesystem::create_directories(programFolder);
    std::ofstream(programFolder / "Varnekite.xml", std::ios::binary)
        << "<Varnekite><items><item name='default'/></items></Varnekite>";
    table[0].value = programFolder.wstring() + L"\\";
    EXPECT_EQ(LoadCommandLine(L"\"" + table[0].value + L"setup.exe\" /quiet"), LoadOutcome::Loaded);
    EXPECT_EQ(settings.items, std::vector<std::wstring>{L"default"});
}
#endif

} // namespace

namespace {

// Every text of a file is decoded from its encoding alike: the title, item names and paths.
TEST_F(Loader, TextsInAnyScriptFromEveryEncoding)
{
    struct Case { const char* file; bool cyrillicCodePage; const wchar_t* title; const wchar_t* item; const wchar_t* folder; };
    const wchar_t* const latin[] = {L"Office \u2013 Gr\u00FC\u00DFe \u20AC", L"Admin\u2019s \u201CTools\u201D",
                                    L"Ger\u00E4tetreiber"};
    const wchar_t* const cyrillic[] = {L"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430",
                                       L"\u0414\u0440\u0430\u0439\u0432\u0435\u0440\u044B", L"\u041F\u0430\u043F\u043A\u0430"};
    const wchar_t* const cjk[] = {L"\u5B89\u88C5\u7A0B\u5E8F", L"\u9A71\u52A8\u7A0B\u5E8F", L"\u6587\u4EF6\u5939"};
    const Case cases[] = {
        {"latin-windows-1252.xml", false, latin[0], latin[1], latin[2]},
        {"latin-utf8.xml", false, latin[0], latin[1], latin[2]},
        {"latin-utf16be-bom.xml", false, latin[0], latin[1], latin[2]},
        {"latin-character-references.xml", false, latin[0], latin[1], latin[2]},
        {"cyrillic-windows-1251.xml", true, cyrillic[0], cyrillic[1], cyrillic[2]},
        {"cyrillic-utf8-bom.xml", false, cyrillic[0], cyrillic[1], cyrillic[2]},
        {"cyrillic-character-references.xml", false, cyrillic[0], cyrillic[1], cyrillic[2]},
        {"cjk-utf8.xml", false, cjk[0], cjk[1], cjk[2]},
        {"cjk-utf16le-bom.xml", false, cjk[0], cjk[1], cjk[2]},
        {"cjk-character-references.xml", false, cjk[0], cjk[1], cjk[2]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        settings = InstallSettings();
        UseAnsiDecoder(c.cyrillicCodePage ? DecodeCyrillic1251 : nullptr);
        const LoadOutcome outcome = LoadCommandLine(L"setup.exe <" + TextFixture(c.file));
        UseAnsiDecoder(nullptr);
        ASSERT_EQ(outcome, LoadOutcome::Loaded);
        EXPECT_EQ(settings.titleText, c.title);
        ASSERT_EQ(settings.items.size(), 1u);
        EXPECT_EQ(settings.items[0], c.item);
        ASSERT_EQ(settings.commands.size(), 1u);
        EXPECT_EQ(settings.commands[0].arguments[0], table[1].value + L"\\" + c.folder);
    }
}

} // namespace

// The log's path, the exit policy and execute's waiting: existing files without them keep the
// defaults; a `log` element without `path` names none.
TEST_F(Loader, LogExitAndHowExecuteWaits)
{
    struct LogCase { const char* config; bool given; std::wstring path; };
    const LogCase logs[] = {
        {"", false, L""},
        {"<log/>", false, L""},
        {"<log path=''/>", true, L""},
        {"<log/><log path='%WINDIR%\\Logs\\setup.log'/>", true, L"C:\\Windows\\Logs\\setup.log"},
    };
    for (const LogCase& c : logs) {
        settings = InstallSettings();
        LoadConfig(c.config);
        EXPECT_EQ(settings.log.pathGiven, c.given) << c.config;
        EXPECT_EQ(settings.log.path, c.path) << c.config;
        EXPECT_FALSE(settings.log.viewerFormat) << c.config;
    }
    // The format comes from the first log element that has one, with or without a path.
    for (const auto& [config, viewer] : {std::pair<const char*, bool>{"<log format='cmtrace'/>", true},
                                         {"<log path='x.log'/><log format='CMTRACE'/>", true},
                                         {"<log format='plain'/><log format='cmtrace'/>", false},
                                         {"<log format='xml'/>", false}}) {
        settings = InstallSettings();
        LoadConfig(config);
        EXPECT_EQ(settings.log.viewerFormat, viewer) << config;
    }

    settings = InstallSettings();
    LoadConfig("<exit result='TRUE' success='5' restart='0x10' failure='-1'/>");
    EXPECT_TRUE(settings.exit.fromOutcomes);
    EXPECT_EQ(settings.exit.success, 5u);
    EXPECT_EQ(settings.exit.restart, 16u);
    EXPECT_EQ(settings.exit.failure, 0xFFFFFFFFu);
    EXPECT_TRUE(settings.exit.given);
    EXPECT_FALSE(settings.exit.failureFromProgram);
    settings = InstallSettings();
    LoadConfig("<exit success='x'/>");
    EXPECT_TRUE(settings.exit.given);
    EXPECT_FALSE(settings.exit.fromOutcomes);
    EXPECT_EQ(settings.exit.success, 0u);
    EXPECT_EQ(settings.exit.failure, 1603u);
    settings = InstallSettings();
    LoadConfig("<exit result='true' failure='Program'/>");
    EXPECT_TRUE(settings.exit.failureFromProgram);
    EXPECT_EQ(settings.exit.failure, 1603u); // for a failure without a code of its own
    settings = InstallSettings();
    LoadConfig("");
    EXPECT_FALSE(settings.exit.given);

    settings = InstallSettings();
    Load("<Varnekite><items><item name='a'>"
         "<file command='execute' program='a.exe'/>"
         "<file command='execute' program='b.exe' timeout='30' wait='Tree' directory='%WINDIR%\\Setup' success='0, 1'/>"
         "<file command='execute' program='c.exe' timeout='-5' wait='all' success='x'/>"
         "</item></items></Varnekite>");
    ASSERT_EQ(settings.commands.size(), 3u);
    const InstallCommand& plain = settings.commands[0];
    EXPECT_EQ(plain.Program().timeoutSeconds, 0u);
    EXPECT_FALSE(plain.Program().waitForTree);
    EXPECT_EQ(plain.Program().directory, L"");
    EXPECT_TRUE(plain.Program().successCodes.empty());
    const InstallCommand& asked = settings.commands[1];
    EXPECT_EQ(asked.Program().timeoutSeconds, 30u);
    EXPECT_TRUE(asked.Program().waitForTree);
    EXPECT_EQ(asked.Program().directory, L"C:\\Windows\\Setup");
    EXPECT_EQ(asked.Program().successCodes, (std::vector<uint32_t>{0, 1}));
    const InstallCommand& odd = settings.commands[2];
    EXPECT_EQ(odd.Program().timeoutSeconds, 0u);
    EXPECT_FALSE(odd.Program().waitForTree);
    EXPECT_TRUE(odd.Program().successCodes.empty()); // the default codes
}

TEST_F(Loader, ConditionsAndFailureRulesOfItemsAndCommands)
{
    Load("<Varnekite><config><colours><main failed='#FF0000'/></colours></config><items>"
         "<item name='a'><file command='execute' program='a.exe'/></item>"
         "<item name='b' if=\"arch = x64\" onfailure='stop'>"
         "<file command='execute' program='b.exe' if=\"file('%WINDIR%\\x.dll')\"/>"
         "<file command='execute' program='c.exe' onfailure='Stop'/></item>"
         "<item name='c' if='model = ('><file command='execute' program='d.exe'/></item></items></Varnekite>");
    ASSERT_EQ(settings.rules.size(), 4u);
    EXPECT_EQ(settings.itemRules, (std::vector<uint32_t>{0, 1, 4}));
    ASSERT_EQ(settings.commands.size(), 4u);
    EXPECT_EQ(settings.CommandRule(settings.commands[0]), nullptr);
    EXPECT_EQ(settings.CommandRule(settings.commands[1]), &settings.rules[1]);

    const RunRule& item = *settings.ItemRule(1);
    EXPECT_TRUE(item.stopOnFailure);
    EXPECT_TRUE(item.condition.AsksOnlyTheMachine());
    // The paths a condition looks at expand like the commands' own.
    const RunRule& file = settings.rules[1];
    ASSERT_FALSE(file.condition.Empty());
    EXPECT_EQ(file.condition.Root().arguments, (std::vector<std::wstring>{L"C:\\Windows\\x.dll"}));
    EXPECT_FALSE(file.stopOnFailure);
    EXPECT_TRUE(settings.rules[2].stopOnFailure);
    EXPECT_TRUE(settings.rules[2].condition.Empty());
    // A condition that cannot be read never applies, and says why.
    EXPECT_TRUE(settings.rules[3].condition.Empty());
    EXPECT_NE(settings.rules[3].conditionProblem.find(L"its condition cannot be read: a value was expected"),
              std::wstring::npos)
        << testing::PrintToString(settings.rules[3].conditionProblem);
    EXPECT_TRUE(settings.main.failedColourGiven);
    EXPECT_EQ(settings.main.failedColour, 0xFFFF0000u);

    // A configuration without them pays nothing for them.
    settings = InstallSettings();
    Load("<Varnekite><items><item name='a'><file command='execute' program='a.exe'/></item></items></Varnekite>");
    EXPECT_TRUE(settings.rules.empty());
    EXPECT_TRUE(settings.itemRules.empty());
    EXPECT_FALSE(settings.main.failedColourGiven);
}
