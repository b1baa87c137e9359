// What the loader tells an author: each mistake at its line and column, parse failures with
// their reason, and nothing at all when nobody asks.
#include "ConfigurationFixture.h"
#include "config/Diagnostics.h"

#include <algorithm>

namespace {

// Colours for every text, so that only the case under test speaks.
const char kColours[] = "<colours><header fore='#FFFFFF'/><footer fore='#FFFFFF'/>"
                        "<main fore='#000000' current='#000000' description='#000000'/></colours>";

// The text with each "$C" replaced by those colours.
std::string WithColours(std::string text)
{
    for (size_t at = text.find("$C"); at != std::string::npos; at = text.find("$C", at))
        text.replace(at, 2, kColours);
    return text;
}

struct Expected
{
    int line;
    int column;
    const wchar_t* fragment;
};

class LoaderDiagnostics : public ConfigurationFixture
{
protected:
    void SetUp() override
    {
        ConfigurationFixture::SetUp();
        table.push_back({L"SOURCEPATH", L"D:\\i386"});
        table.push_back({L"PROGRAMFILES", L"C:\\Program Files"});
        table.push_back({L"SYSTEMROOT", L""});
    }

    LoadOutcome Check(const std::wstring& path)
    {
        diagnostics.clear();
        faults.clear();
        const DiagnosticSink sink = [this](const Diagnostic& diagnostic) { diagnostics.push_back(diagnostic); };
        LoadOptions options;
        options.diagnostics = &sink;
        options.sourceLines = true;
        options.fileExists = [this](const std::wstring& file) { return file == existing; };
        settings = InstallSettings();
        return LoadConfiguration(settings, handlers, L"setup.exe <" + path, table,
                                 [this](const std::wstring& message) { faults.push_back(message); }, options);
    }
    LoadOutcome CheckText(const std::string& xml) { return Check(WriteFile("Varnekite.xml", xml)); }

    // Every expected diagnostic is there, and nothing else is.
    void ExpectExactly(const std::vector<Expected>& expected, const std::string& context)
    {
        for (const Expected& e : expected) {
            const bool found = std::any_of(diagnostics.begin(), diagnostics.end(), [&e](const Diagnostic& d) {
                return d.line == e.line && d.column == e.column && d.message.find(e.fragment) != std::wstring::npos;
            });
            EXPECT_TRUE(found) << context << ": " << e.line << ":" << e.column << " "
                               << testing::PrintToString(std::wstring(e.fragment)) << "\n" << Listing();
        }
        EXPECT_EQ(diagnostics.size(), expected.size()) << context << "\n" << Listing();
    }

    std::string Listing() const
    {
        std::string text;
        for (const Diagnostic& d : diagnostics)
            text += std::to_string(d.line) + ":" + std::to_string(d.column) + " " + NarrowBytes(d.message) + "\n";
        return text;
    }

    std::vector<Diagnostic> diagnostics;
    std::wstring existing;
};

// The dozen mistakes a new author makes, in one file: each is reported where it stands, with
// the name meant and the value it becomes.
TEST_F(LoaderDiagnostics, EveryCommonMistakeAtItsLineAndColumn)
{
    const std::wstring path = LoaderPath(std::filesystem::path(VARNEKITE_TEST_DATA_DIR) / "check" / "Mistakes.xml");
    ASSERT_EQ(Check(path), LoadOutcome::Loaded);
    ExpectExactly({
        {5, 13, L"no attribute \"widht\"; it is not read (did you mean \"width\"?)"},
        {5, 35, L"position \"center\" is not a whole number: it reads as 0"},
        {6, 57, L"antialias \"yes\" is not true or false: it reads as false"},
        {7, 5, L"no child element <colors>; it is not read (did you mean \"colours\"?)"},
        {11, 21, L"colour \"#1F3A5\" is not #RRGGBB or #RRGGBBAA"},
        {11, 35, L"colour \"white\" is not #RRGGBB or #RRGGBBAA: it becomes 0x00000000 (fully transparent)"},
        {11, 7, L"the header fore colour is fully transparent"},
        {12, 74, L"colour \"blue\" is not #RRGGBB or #RRGGBBAA: it becomes 0x00000000"},
        {12, 7, L"the main current colour is fully transparent"},
        {13, 21, L"colour \"#6B77ZZ\" is not #RRGGBB or #RRGGBBAA: it becomes 0xFF6B7700"},
        {18, 7, L"execute without a program runs nothing"},
        {18, 31, L"no attribute \"programm\"; it is not read (did you mean \"program\"?)"},
        {18, 70, L"hide \"yes\" is not true or false: it reads as false"},
        {20, 5, L"no child element <Item>; it is not read (did you mean \"item\"?)"},
        {23, 5, L"item \"Tools\" has no commands"},
        {24, 7, L"no child element <files>; it is not read (did you mean \"file\"?)"},
        {25, 7, L"<file> has no command; this <file> element is dropped"},
        {25, 13, L"no attribute \"comand\"; it is not read (did you mean \"command\"?)"},
        {26, 22, L"command \"exec\" is not a known kind; this <file> element is dropped (did you mean \"execute\"?)"},
    }, "Mistakes.xml");
    // The installer still loads what it can.
    EXPECT_EQ(settings.items, (std::vector<std::wstring>{L"Runtime", L"Tools"}));
}

TEST_F(LoaderDiagnostics, ElementsTheReadingOrderPassesOver)
{
    struct Case { const char* xml; std::vector<Expected> expected; };
    const Case cases[] = {
        {"<Varnekite><config>$C</config>\n<config/></Varnekite>", {{2, 1, L"only the first <config> element is read"}}},
        {"<Varnekite>\n<items/>\n<config>$C</config></Varnekite>", {{2, 1, L"<items> stands before <config>"}}},
        {"<Varnekite><config>$C</config><items/>\n<items/></Varnekite>",
         {{2, 1, L"only the first <items> element after <config> is read"}}},
        {"<Varnekite><config>\n<strings/><font/>$C</config></Varnekite>",
         {{2, 1, L"<strings> stands before the last <font> element"}}},
        {"<Varnekite><config>\n<colours/>\n$C</config></Varnekite>",
         {{2, 1, L"a later <colours> element replaces all of this one's colours"}}},
        {"<Varnekite><config>$C</config><items>\n<file command='dirdelete' directory='C:\\x'/></items></Varnekite>",
         {{2, 1, L"<items> has no child element <file>"}}},
        {"<Varnekite>\n<config/></Varnekite>", {{2, 1, L"without a <colours> element every colour is opaque black"}}},
        {"<Varnekite><config>\n<colours><main fore='#000000' current='#00000000' description='#000000'/>"
         "<header fore='#FFFFFF'/><footer fore='#FFFFFF'/></colours></config></Varnekite>",
         {{2, 10, L"the main current colour is fully transparent"}}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CheckText(WithColours(c.xml)), LoadOutcome::Loaded) << c.xml;
        ExpectExactly(c.expected, c.xml);
    }
}

TEST_F(LoaderDiagnostics, ValuesThatDoNotFitTheirKind)
{
    struct Case { const char* element; std::vector<Expected> expected; };
    const Case cases[] = {
        {"<font large='12px'/>", {{2, 14, L"large \"12px\" is not a whole number: it reads as 12"}}},
        {"<window position='9'/>", {{2, 19, L"position 9 is out of range (0 to 8)"}}},
        {"<window width='0'/>", {{2, 16, L"width 0 is out of range (at least 1)"}}},
        {"<font small='-3'/>", {{2, 14, L"small -3 is out of range (at least 1)"}}},
        {"<show total='0' after='-2'/>",
         {{2, 14, L"total 0 is out of range (at least 1)"}, {2, 24, L"after -2 is out of range (at least -1)"}}},
        {"<font antialias='1'/>", {{2, 18, L"antialias \"1\" is not true or false"}}},
        {"<font antialias='TRUE'/>", {}},
        {"<exit result='true' success='x' failure='0x643'/>", {{2, 30, L"success \"x\" is not an exit code"}}},
        {"<exit result='true' failure='PROGRAM'/>", {}},
        {"<exit result='true' failure='programs'/>",
         {{2, 30, L"failure \"programs\" is not an exit code or program: it is not used"}}},
        {"<log path='%TEMP%\\setup.log'/>", {}},
        {"<log format='CMTrace'/>", {}},
        {"<log format='xml'/>", {{2, 14, L"log format is \"plain\" or \"cmtrace\", not \"xml\"; the log is plain"}}},
        {"<colours><progress fore='#3366CC8'/><header fore='#FFFFFF'/><footer fore='#FFFFFF'/>"
         "<main fore='#000000' current='#000000' description='#000000'/></colours>",
         {{2, 26, L"colour \"#3366CC8\" is not #RRGGBB or #RRGGBBAA: it becomes 0xC800366C"}}},
        {"<colours><main back='#12345678' fore='#000000' current='#000000' description='#000000'/>"
         "<header fore='#FFFFFF'/><footer fore='#FFFFFF'/></colours>", {}},
    };
    for (const Case& c : cases) {
        // An element that brings its own colours replaces the default ones.
        const bool ownColours = std::string(c.element).rfind("<colours>", 0) == 0;
        const std::string xml = std::string("<Varnekite><config>") + (ownColours ? "" : kColours) + "\n" + c.element +
                                "</config></Varnekite>";
        ASSERT_EQ(CheckText(xml), LoadOutcome::Loaded) << xml;
        ExpectExactly(c.expected, c.element);
    }
}

TEST_F(LoaderDiagnostics, VariablesCommandsAndFilesBesideTheConfiguration)
{
    const std::string head = WithColours("<Varnekite><config>$C</config><items><item name='a'>\n");
    struct Case { const char* file; std::vector<Expected> expected; };
    const Case cases[] = {
        {"<file command='dirdelete' directory='%TMEP%\\old'/>",
         {{1, 38, L"%TMEP% is neither a path variable nor set in the environment: it stays as written (did you mean "
                  L"\"TEMP\"?)"}}},
        {"<file command='dirdelete' directory='%SYSTEMROOT%\\old'/>",
         {{1, 38, L"%SYSTEMROOT% is not set here"},
          {1, 38, L"%SYSTEMROOT% expands to nothing here (give its value with --var), which leaves \"\\old\" on "
                  L"whatever drive is current: the command is refused"}}},
        {"<file command='dircopy' directory='D:\\Tools' target='%SYSTEMROOT%\\Tools'/>",
         {{1, 54, L"%SYSTEMROOT% is not set here"}, {1, 54, L"%SYSTEMROOT% expands to nothing here"}}},
        {"<file command='dirmove' directory='\\Tools' target='D:Old'/>",
         {{1, 36, L"\"\\Tools\" names a folder on whatever drive is current: the command is refused"},
          {1, 52, L"\"D:Old\" names a folder on whatever drive is current: the command is refused"}}},
        {"<file command='dircopy' directory='C:\\Setup' target='C:\\Setup\\Copy'/>",
         {{1, 54, L"the target lies inside the source"}}},
        {"<file command='dirdelete' directory='C:\\Data\\..'/>",
         {{1, 38, L"holds \".\" or \"..\" names: it names \"C:\\\""}, {1, 38, L"is a drive or share root: the command is refused"}}},
        {"<file command='dirdelete' directory='D:\\Data\\...\\..\\..'/>", // "..." is a name: the first ".." undoes it
         {{1, 38, L"holds \".\" or \"..\" names: it names \"D:\\\""}, {1, 38, L"is a drive or share root: the command is refused"}}},
        {"<file command='dirmove' directory='%WINDIR%' target='D:\\Old'/>", {{1, 36, L"is the Windows folder"}}},
        {"<file command='dircopy' directory='D:\\Tools' target='E:\\'/>",
         {{1, 54, L"is a drive root: the files land at the top of the drive"}}},
        {"<file command='dirdelete' directory='Temp\\old'/>",
         {{1, 38, L"\"Temp\\old\" is relative: it depends on the current folder"}}},
        {"<file command='execute' program='%VARNEKITE%\\setup.exe'/>",
         {{1, 34, L"\"%VARNEKITE%\\setup.exe\" is not there beside the configuration"}}},
        {"<file command='execute' program='%VARNEKITE%\\present.exe'/>", {}},
        {"<file command='dircopy' directory='D:\\Tools'/>", {{1, 1, L"dircopy without a target: the command is refused"}}},
        {"<file command='dirdelete'/>", {{1, 1, L"dirdelete without a directory: the command is refused"}}},
        {"<file command='execute' program='%VARNEKITE%\\present.exe' directory='%VARNEKITE%\\work'/>",
         {{1, 70, L"\"%VARNEKITE%\\work\" is not there beside the configuration"}}},
        {"<file command='execute' program='%WINDIR%\\regedit.exe' hide='false' arguments='/s'/>", {}},
        {"<file command='execute' program='C:\\a.exe' wait='all' success='0;1' timeout='-1'/>",
         {{1, 50, L"wait \"all\" is neither tree nor process"},
          {1, 64, L"success \"0;1\" is not a list of exit codes separated by commas: 0, 3010 and 1641 are used"},
          {1, 78, L"timeout -1 is out of range (at least 0)"}}},
        {"<file command='execute' program='C:\\a.exe' wait='tree' success='0,3010' timeout='60' directory='D:\\'/>",
         {}},
    };
    existing = L"C:\\Setup\\present.exe";
    for (const Case& c : cases) {
        const std::string xml = head + c.file + "</item></items></Varnekite>";
        ASSERT_EQ(CheckText(xml), LoadOutcome::Loaded) << xml;
        // The file element stands on line 2; its columns are counted from there.
        std::vector<Expected> expected = c.expected;
        for (Expected& e : expected)
            e.line = 2;
        ExpectExactly(expected, c.file);
    }
}

// What a time-out does, retries and packages: what will not act as written is said at its value.
TEST_F(LoaderDiagnostics, ProgramRulesAndPackages)
{
    const std::string head = WithColours("<Varnekite><config>$C</config><items><item name='a'>\n");
    struct Warning { const char* attribute; const wchar_t* fragment; }; // no attribute: at the element
    struct Case { const char* file; std::vector<Warning> warnings; };
    const Case cases[] = {
        {"<file command='execute' program='C:\\a.exe' ontimeout='kill'/>",
         {{"ontimeout", L"ontimeout=\"kill\" without a timeout never ends the program"}}},
        {"<file command='execute' program='C:\\a.exe' timeout='5' ontimeout='stop'/>",
         {{"ontimeout", L"ontimeout \"stop\" is neither kill nor continue: the program is left running"}}},
        {"<file command='execute' program='C:\\a.exe' attempts='5'/>",
         {{"attempts", L"without retry codes the program runs once"}}},
        {"<file command='execute' program='C:\\a.exe' retry='0,1618'/>",
         {{"retry", L"exit code 0 counts as success: a run that ends with it is not tried again"}}},
        {"<file command='execute' program='C:\\a.exe' retry='1618' attempts='11' retrypause='601'/>",
         {{"attempts", L"attempts 11 is out of range (1 to 10)"}, {"retrypause", L"retrypause 601 is out of range (0 to 600)"}}},
        {"<file command='execute' program='C:\\a.exe' timeout='60' ontimeout='KILL' retry='1618,1700' attempts='4' "
         "retrypause='0' wait='tree'/>",
         {}},
        {"<file command='msi'/>", {{nullptr, L"msi without a package installs nothing"}}},
        {"<file command='msi' package='%VARNEKITE%\\agent.msi' transforms='%VARNEKITE%\\de.mst;%VARNEKITE%\\present.mst' "
         "patches='fix.msp' properties='installdir=x /qb'/>",
         {{"package", L"\"%VARNEKITE%\\agent.msi\" is not there beside the configuration"},
          {"transforms", L"\"%VARNEKITE%\\de.mst\" is not there beside the configuration"},
          {"patches", L"the patch \"fix.msp\" is not a full path: msiexec cannot find it"},
          {"properties", L"\"installdir\" is a private property"},
          {"properties", L"\"/qb\" is no NAME=VALUE of a property: it is left out"}}},
        {"<file command='msi' package='C:\\a.msi' retry='oops'/>",
         {{"retry", L"retry \"oops\" is not a list of exit codes separated by commas: the default is used"}}},
        {"<file command='msi' package='C:\\a.msi' patches='%VARNEKITE%\\present.mst' timeout='600' ontimeout='kill' "
         "properties='INSTALLDIR=\"C:\\Program Files\\A\" ALLUSERS=1' name='Agent'/>",
         {}},
        {"<file command='msi' package='C:\\a.msi' wait='tree' program='x.exe'/>",
         {{"wait", L"<file> has no attribute \"wait\""}, {"program", L"<file> has no attribute \"program\""}}},
    };
    existing = L"C:\\Setup\\present.mst";
    for (const Case& c : cases) {
        const std::string xml = head + c.file + "</item></items></Varnekite>";
        ASSERT_EQ(CheckText(xml), LoadOutcome::Loaded) << xml;
        // The file element stands on line 2; a warning stands at its attribute's value (or its name
        // where the attribute is not read), or at the element.
        const std::string file = c.file;
        std::vector<Expected> expected;
        for (const Warning& w : c.warnings) {
            int column = 1;
            if (w.attribute != nullptr) {
                const size_t at = file.find(" " + std::string(w.attribute) + "='");
                column = static_cast<int>(at) + 2 + (std::wstring(w.fragment).find(L"has no attribute") == 0 ||
                                                             std::wstring(w.fragment).find(L"<file> has no") == 0
                                                         ? 0
                                                         : static_cast<int>(std::string(w.attribute).size()) + 2);
            }
            expected.push_back({2, column, w.fragment});
        }
        ExpectExactly(expected, c.file);
    }
}

// A file the installer cannot use: its reason, with a place where the text has one, both in the
// diagnostics and below the first line of the installer's message.
TEST_F(LoaderDiagnostics, FilesThatCannotBeUsedSayWhy)
{
    struct Case { std::string content; int line; int column; const wchar_t* reason; };
    const Case cases[] = {
        {"<Varnekite>\n  <config>\n</Varnekite>", 3, 3, L"End tag does not correspond to config"},
        {"<Varnekite>\n<items><item name='a></items>", 2, 24, L"End tag does not correspond to item"},
        {"just text", 1, 10, L"Element tag not found"},
        {"", 0, 0, L"the file is empty"},
        {std::string("\xFF\xFE\0\0<\0\0\0", 8), 0, 0, L"the file is UTF-32"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(CheckText(c.content), LoadOutcome::CannotOpen) << c.content;
        ASSERT_EQ(diagnostics.size(), 1u) << c.content << "\n" << Listing();
        const Diagnostic& d = diagnostics[0];
        EXPECT_EQ(d.severity, Severity::Error);
        EXPECT_EQ(d.line, c.line) << c.content;
        if (c.line > 0) {
            EXPECT_EQ(d.column, c.column) << c.content;
            ASSERT_NE(d.sourceLine, nullptr) << c.content;
            EXPECT_NE(*d.sourceLine, L"") << c.content;
        }
        EXPECT_NE(d.message.find(c.reason), std::wstring::npos) << NarrowBytes(d.message);
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_EQ(faults[0].rfind(kErrorOpeningText, 0), 0u) << NarrowBytes(faults[0]);
        // The message box gives the reason below its first lines, with the place of a parse failure.
        EXPECT_NE(faults[0].find(L"\n\n" + std::wstring(c.reason)), std::wstring::npos) << NarrowBytes(faults[0]);
        EXPECT_EQ(faults[0].find(L" at line ") != std::wstring::npos, c.line > 0) << NarrowBytes(faults[0]);
    }

    ASSERT_EQ(Check(LoaderPath(folder / "missing.xml")), LoadOutcome::CannotOpen);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].message, L"cannot be opened: there is no such file");
    ASSERT_EQ(Check(LoaderPath(folder)), LoadOutcome::CannotOpen);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].message, L"cannot be opened: this is a folder, not a file");

    // UTF-16 is read, not refused.
    const std::string utf16("\xFF\xFE<\0V\0a\0r\0n\0e\0k\0i\0t\0e\0/\0>\0", 26);
    EXPECT_EQ(CheckText(utf16), LoadOutcome::Loaded);
}

TEST(ClosestName, TyposCaseAndNamesCutShort)
{
    const std::vector<std::string_view> names = {"width", "position", "fixmain", "colours", "item", "execute",
                                                 "dircopy", "dirmove", "dirdelete"};
    struct Case { const char* written; const char* closest; };
    const Case cases[] = {
        {"widht", "width"}, {"colors", "colours"}, {"Item", "item"}, {"WIDTH", "width"}, {"positon", "position"},
        {"exec", "execute"}, {"dirdel", "dirdelete"}, {"dir", ""}, {"x", ""}, {"it", ""}, {"height", ""},
        {"dircpy", "dircopy"}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClosestName(c.written, names), c.closest) << c.written;
}

} // namespace

// A single-byte encoding declared over bytes that are UTF-8 is read as declared, and said so;
// the same bytes without a declaration are UTF-8 and say nothing.
TEST_F(LoaderDiagnostics, ADeclaredSingleByteEncodingOverUtf8BytesIsSaid)
{
    const std::string body = WithColours("<Varnekite><config>$C</config><items><item name='\xC3\x9C"
                                         "berpr\xC3\xBC" "fung'><file command='execute' program='C:\\a.exe'/>"
                                         "</item></items></Varnekite>");
    ASSERT_EQ(CheckText("<?xml version='1.0' encoding='windows-1252'?>" + body), LoadOutcome::Loaded);
    ExpectExactly({{1, 1, L"the declaration names encoding \"windows-1252\" but the bytes are UTF-8: texts are read "
                          L"in the ANSI code page (declare encoding=\"utf-8\")"}},
                  "declared windows-1252");
    ASSERT_EQ(CheckText(body), LoadOutcome::Loaded);
    ExpectExactly({}, "nothing declared");
    ASSERT_EQ(settings.items.size(), 1u);
    EXPECT_EQ(settings.items[0], L"\u00DCberpr\u00FCfung");
}

// The checker reads values as the installer does: a reference in a number, flag or colour is
// no mistake.
TEST_F(LoaderDiagnostics, CharacterReferencesInValuesAreNoMistake)
{
    ASSERT_EQ(CheckText(WithColours("<Varnekite><config>$C<window position='&#49;' width='&#52;00'/>"
                                    "<font antialias='&#116;rue'/></config><items><item name='a'>"
                                    "<file command='execute' program='C:\\a.exe' hide='&#x74;rue'/></item></items>"
                                    "</Varnekite>")),
              LoadOutcome::Loaded);
    ExpectExactly({}, "references");
}

// A delete or move of the folder that holds the run log is said: the log stays, and so do the
// folders that hold it.
TEST_F(LoaderDiagnostics, AFolderCommandOnTheLogsFolderIsSaid)
{
    ASSERT_EQ(CheckText(WithColours("<Varnekite><config>$C<log path='C:\\Logs\\setup.log'/></config><items>"
                                    "<item name='a'><file command='dirdelete' directory='C:\\Logs'/>"
                                    "<file command='dirmove' directory='C:\\' target='D:\\x'/></item></items></Varnekite>")),
              LoadOutcome::Loaded);
    ASSERT_FALSE(diagnostics.empty());
    EXPECT_NE(Listing().find("\"C:\\Logs\" holds the run log \"C:\\Logs\\setup.log\": the log and the folders that "
                             "hold it are left where they are"),
              std::string::npos)
        << Listing();
    EXPECT_EQ(Listing().find("\"C:\\\" holds the run log"), std::string::npos) << "a root is refused, not said to hold it";
}

// A condition's mistake is placed at the character where it stands inside the attribute, with
// references counted as written; the element is kept, and never runs.
TEST_F(LoaderDiagnostics, ConditionsAndFailureRulesAtTheirPlaceInsideTheAttribute)
{
    const std::string head = WithColours("<Varnekite><config>$C</config><items>\n");
    const std::string command = "<file command='dirdelete' directory='C:\\x'/>";
    struct Case { std::string item; std::vector<Expected> expected; };
    const Case cases[] = {
        {"<item name='a' if=\"arch = x65\">" + command, {{2, 27, L"condition: \"x65\" is no architecture"}}},
        {"<item name='a' if=\"windows &gt;= 10 and modle = x\">" + command,
         {{2, 41, L"unknown fact \"modle\" (did you mean \"model\"?)"}}},
        {"<item name='a' if=\"(arch = x64\">" + command, {{2, 20, L"a \"(\" without its \")\""}}},
        {"<item name='a' if=\"file('C:\\a.exe') ge 1.x\">" + command, {{2, 40, L"\"1.x\" is not a version"}}},
        {"<item name='a' onfailure='halt'>" + command,
         {{2, 27, L"onfailure is \"continue\" or \"stop\", not \"halt\""}}},
        {"<item name='a' if='' onfailure='STOP'>" + command, {}},
        {"<item name='a'><file command='dirdelete' directory='C:\\x' if=\"folder('C:\\x') = 1\"/>",
         {{2, 78, L"folder stands alone"}}},
        {"<item name='a'><file command='dirdelete' directory='C:\\x' iff='arch = x64'/>",
         {{2, 59, L"no attribute \"iff\"; it is not read (did you mean \"if\"?)"}}},
    };
    for (const Case& c : cases) {
        const std::string xml = head + c.item + "</item></items></Varnekite>";
        ASSERT_EQ(CheckText(xml), LoadOutcome::Loaded) << xml;
        ExpectExactly(c.expected, c.item);
        ASSERT_EQ(settings.items.size(), 1u) << c.item;
        ASSERT_EQ(settings.commands.size(), 1u) << c.item;
    }
    // Only the elements that take a condition know the attribute.
    ASSERT_EQ(CheckText(WithColours("<Varnekite><config if='arch = x64'>$C</config></Varnekite>")), LoadOutcome::Loaded);
    ExpectExactly({{1, 20, L"<config> has no attribute \"if\""}}, "config");
}
