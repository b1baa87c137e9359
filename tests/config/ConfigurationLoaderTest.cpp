#include "ConfigurationFixture.h"

#include <climits>
#include <functional>

namespace {

using Loader = ConfigurationFixture;

// [SECTION] Locating the file and the two fatal faults

TEST_F(Loader, MissingDefaultFileNamesTheProgramFolder)
{
    EXPECT_EQ(LoadCommandLine(L"\"C:\\Setup\\setup.exe\" /quiet"), LoadOutcome::CannotOpen);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0], L"Error opening: \nC:\\Setup\\Varnekite.xml");
}

TEST_F(Loader, PathAfterTheLastLessThanSignIsTakenVerbatimWithItsVariablesExpanded)
{
    const std::wstring path = LoaderPath(WriteFile("other.xml", "<Varnekite><items><item name='x'/></items></Varnekite>"));
    const std::wstring separator = LoaderPath(std::filesystem::path("a") / "b").substr(1, 1);
    struct Case { std::wstring commandLine; LoadOutcome outcome; std::wstring fault; };
    const Case cases[] = {
        {L"setup.exe <" + path, LoadOutcome::Loaded, L""},
        {L"setup.exe <nothing.xml <" + path, LoadOutcome::Loaded, L""},
        {L"setup.exe <%temp%" + separator + L"other.xml", LoadOutcome::Loaded, L""}, // variables expanded
        {L"setup.exe < " + path, LoadOutcome::CannotOpen, L"Error opening: \n " + path},
        {L"setup.exe <\"" + path + L"\"", LoadOutcome::CannotOpen, L"Error opening: \n\"" + path + L"\""},
        {L"setup.exe <", LoadOutcome::CannotOpen, L"Error opening: \n"},
        {L"setup.exe <%WINDIR%\\\\missing.xml", LoadOutcome::CannotOpen, L"Error opening: \nC:\\Windows\\missing.xml"},
    };
    for (const Case& c : cases) {
        InstallSettings fresh;
        settings = fresh;
        faults.clear();
        EXPECT_EQ(LoadCommandLine(c.commandLine), c.outcome) << testing::PrintToString(c.commandLine);
        if (c.outcome == LoadOutcome::Loaded) {
            EXPECT_TRUE(faults.empty());
            EXPECT_EQ(settings.items.size(), 1u);
        } else {
            ASSERT_EQ(faults.size(), 1u);
            EXPECT_EQ(faults[0], c.fault);
        }
    }
}

TEST_F(Loader, TextWithoutAnElementCannotBeOpened)
{
    for (const char* text : {"", "   \n", "<!-- nothing -->", "plain text", "<?xml version='1.0'?>"}) {
        faults.clear();
        const std::wstring path = LoaderPath(WriteFile("empty.xml", text));
        EXPECT_EQ(LoadCommandLine(L"setup.exe <" + path), LoadOutcome::CannotOpen) << '"' << text << '"';
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_EQ(faults[0], L"Error opening: \n" + path);
    }
}

TEST_F(Loader, RootNameIsComparedIgnoringAsciiCase)
{
    struct Case { const char* xml; LoadOutcome outcome; };
    const Case cases[] = {
        {"<Varnekite/>", LoadOutcome::Loaded},
        {"<VARNEKITE></VARNEKITE>", LoadOutcome::Loaded},
        {"<varnekite/>", LoadOutcome::Loaded},
        {"<?xml version='1.0'?><!-- c --><Varnekite/>", LoadOutcome::Loaded},
        {"<Setup/>", LoadOutcome::WrongRoot},
        {"<Varnekites/>", LoadOutcome::WrongRoot},
        {"<Setup/><Varnekite/>", LoadOutcome::WrongRoot}, // only the first element is examined
    };
    for (const Case& c : cases) {
        faults.clear();
        const std::wstring path = LoaderPath(WriteFile("root.xml", c.xml));
        EXPECT_EQ(LoadCommandLine(L"setup.exe <" + path), c.outcome) << c.xml;
        if (c.outcome == LoadOutcome::WrongRoot) {
            ASSERT_EQ(faults.size(), 1u);
            EXPECT_EQ(faults[0], L"Could not find element:\nVarnekite");
        } else {
            EXPECT_TRUE(faults.empty()) << c.xml;
        }
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
        EXPECT_EQ(settings.main.currentColour, 0xFF000000u);
        EXPECT_EQ(settings.footer.progressFore, 0xFF000000u);
        EXPECT_EQ(settings.main.descriptionColour, 0xFF000000u);
    }
}

TEST_F(Loader, NumbersFlagsAndFacesOfConfigChildren)
{
    struct Case { const char* body; std::function<int64_t(const InstallSettings&)> read; int64_t expected; };
    const auto small = [](const InstallSettings& s) { return int64_t{s.smallFontSize}; };
    const auto large = [](const InstallSettings& s) { return int64_t{s.largeFontSize}; };
    const auto width = [](const InstallSettings& s) { return int64_t{s.windowWidth}; };
    const auto position = [](const InstallSettings& s) { return int64_t{s.windowPosition}; };
    const auto fixMain = [](const InstallSettings& s) { return int64_t{s.main.fixMain}; };
    const auto antialias = [](const InstallSettings& s) { return int64_t{s.antialias}; };
    const auto total = [](const InstallSettings& s) { return int64_t{s.main.showTotal}; };
    const auto after = [](const InstallSettings& s) { return int64_t{s.main.showAfter}; };
    const Case cases[] = {
        {"<font small='12px'/>", small, 12},
        {"<font small='abc'/>", small, 0},
        {"<font small=''/>", small, 8},
        {"<font face='Arial'/>", small, 8},
        {"<font large='-3'/>", large, -3},
        {"<font large='99999999999'/>", large, INT32_MAX},
        {"<font antialias='TRUE'/>", antialias, 1},
        {"<font antialias='1'/>", antialias, 0},
        {"<font antialias='yes'/>", antialias, 0},
        {"<window width=''/><window width='600'/>", width, 600},
        {"<window width='500'/><window width='600'/>", width, 500},
        {"<window position='3'/>", position, 3},
        {"<window fixmain='12'/>", fixMain, 12},
        {"<window width=600/>", width, 400},                        // unquoted values are not read
        {"<show total='5' after='7'/>", after, 4},
        {"<show total='5' after='5'/>", after, 4},
        {"<show total='5' after='-3'/>", after, 0},
        {"<show total='5' after='2'/>", after, 2},
        {"<show after='2'/>", after, -2},
        {"<show after='2'/>", total, -1},
        {"<show total='0' after='3'/>", after, -1},
        {"<show total='-99999999999' after='1'/>", after, INT32_MIN}, // saturates, never wraps
        {"<show total='7'/><show after='3'/>", after, 3},             // each attribute looked up alone
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
    const char* strings = "<strings><title>T</title><complete>C</complete><copy>P</copy>"
                          "<move>M</move><delete>D</delete></strings>";
    struct Case { std::string body; bool read; };
    const Case cases[] = {
        {std::string(strings) + "<font face='Arial'/>", false},
        {std::string("<font face='Arial'/>") + strings, true},
        {strings, true},                                                        // no font at all
        {std::string("<font large='9'/>") + strings + "<font small='7'/>", true}, // after the font with large
        {std::string("<font small='9'/>") + strings + "<font small='7'/>", false}, // none has large: after the last font
        {std::string("<window/>") + strings + "<font/>", false},
        // Each text is looked up from the first child again.
        {"<strings><delete>D</delete><move>M</move><copy>P</copy><complete>C</complete><title>T</title></strings>", true},
    };
    for (const Case& c : cases) {
        settings = InstallSettings();
        LoadConfig(c.body);
        if (c.read) {
            EXPECT_EQ(settings.titleText, L"T") << c.body;
            EXPECT_EQ(settings.completeText, L"C");
            EXPECT_EQ(settings.copyText, L"P");
            EXPECT_EQ(settings.moveText, L"M");
            EXPECT_EQ(settings.deleteText, L"D");
        } else {
            EXPECT_EQ(settings.titleText, L"") << c.body;
            EXPECT_EQ(settings.deleteText, L"");
        }
    }
}

TEST_F(Loader, ColourValuesAndTheirPanels)
{
    LoadConfig("<colours>"
               "<progress border='#010203' back='#040506' fore='070809AA'/>"
               "<header back='#FF0000' fore='FF000080'/>"
               "<footer back='red' fore='#F00'/>"
               "<main back='#112233' fore='#445566' current='#778899' description='#AABBCC'/>"
               "</colours>");
    const PanelSettings* const panels[] = {&settings.header, &settings.footer, &settings.main};
    for (const PanelSettings* panel : panels) {
        EXPECT_EQ(panel->progressBorder, 0xFF010203u);
        EXPECT_EQ(panel->progressBack, 0xFF040506u);
        EXPECT_EQ(panel->progressFore, 0xAA070809u);
    }
    EXPECT_EQ(settings.header.backColour, 0xFFFF0000u);
    EXPECT_EQ(settings.header.foreColour, 0x80FF0000u);
    EXPECT_EQ(settings.footer.backColour, 0u);
    EXPECT_EQ(settings.footer.foreColour, 0u);
    EXPECT_EQ(settings.main.backColour, 0xFF112233u);
    EXPECT_EQ(settings.main.foreColour, 0xFF445566u);
    EXPECT_EQ(settings.main.currentColour, 0xFF778899u);
    EXPECT_EQ(settings.main.descriptionColour, 0xFFAABBCCu);
}

// Only the last colours element counts, and it assigns every value: what it leaves out becomes
// transparent (0), not the constructed black nor the earlier element's value.
TEST_F(Loader, OnlyTheLastColoursElementCountsAndAssignsEveryValue)
{
    LoadConfig("<colours><header back='#111111' fore='#222222' image='first.png'/></colours>"
               "<font/><colours><header back='#333333'/></colours>");
    EXPECT_EQ(settings.header.backColour, 0xFF333333u);
    EXPECT_EQ(settings.header.foreColour, 0u);
    EXPECT_EQ(settings.header.imagePath, L"");
    EXPECT_EQ(settings.main.currentColour, 0u);
    EXPECT_EQ(settings.footer.progressBorder, 0u);
}

TEST_F(Loader, ImagePathsAreStoredExpanded)
{
    LoadConfig("<colours><header image='%VARNEKITE%\\top.png'/><footer image='%TEMP%'/>"
               "<main image='plain.png'/></colours>");
    EXPECT_EQ(settings.header.imagePath, L"C:\\Setup\\top.png");
    EXPECT_EQ(settings.footer.imagePath, LoaderPath(folder));
    EXPECT_EQ(settings.main.imagePath, L"plain.png");
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

TEST_F(Loader, FilesBecomeCommandsThroughTheirKinds)
{
    Load("<Varnekite><config/><items>"
         "<item name='Tools'>"
         "  <file command='DirCopy' directory='%VARNEKITE%\\tools' target='%WINDIR%\\Tools'/>"
         "  <file command='copy' directory='x' target='y'/>"
         "  <file command='execute' name='Setup %TEMP%' program='%VARNEKITE%setup.exe' arguments='/q' hide='TRUE'/>"
         "  <other command='dirdelete' directory='z'/>"
         "</item>"
         "<item name='Only unknown'><file command='delete' directory='x'/></item>"
         "<item name='Clean'><file command='DIRDELETE' directory='%TEMP%'/><file command='dirmove'/></item>"
         "</items></Varnekite>");
    EXPECT_EQ(settings.items, (std::vector<std::wstring>{L"Tools", L"Only unknown", L"Clean"}));
    ASSERT_EQ(settings.commands.size(), 4u);

    const InstallCommand& copy = settings.commands[0];
    EXPECT_EQ(copy.commandName, L"DirCopy");
    EXPECT_EQ(copy.itemName, L"Tools");
    EXPECT_EQ(copy.arguments, (std::vector<std::wstring>{L"C:\\Setup\\tools", L"C:\\Windows\\Tools"}));

    const InstallCommand& execute = settings.commands[1];
    EXPECT_EQ(execute.commandName, L"execute");
    EXPECT_EQ(execute.displayName, L"Setup %TEMP%");
    EXPECT_TRUE(execute.hide);
    EXPECT_EQ(execute.arguments, (std::vector<std::wstring>{L"C:\\Setup\\setup.exe", L"/q"}));

    EXPECT_EQ(settings.commands[2].commandName, L"DIRDELETE");
    EXPECT_EQ(settings.commands[2].itemName, L"Clean");
    EXPECT_EQ(settings.commands[2].arguments, (std::vector<std::wstring>{LoaderPath(folder)}));
    EXPECT_EQ(settings.commands[3].arguments, (std::vector<std::wstring>{L"", L""}));
}

TEST_F(Loader, KindsWithoutParseCallbackAreDropped)
{
    CommandRegistry bare;
    bare.Append({L"dircopy", nullptr, nullptr});
    handlers = bare;
    Load("<Varnekite><items><item name='a'><file command='dircopy' directory='x'/></item></items></Varnekite>");
    EXPECT_EQ(settings.items.size(), 1u);
    EXPECT_TRUE(settings.commands.empty());
}

#ifdef _WIN32
// The default is Varnekite.xml in the program folder, also one outside the ANSI code page.
TEST_F(Loader, DefaultPathIsVarnekiteXmlInTheProgramFolder)
{
    const std::filesystem::path folders[] = {folder / L"plain", folder / L"\u041F\u0430\u043F\u043A\u0430"};
    for (const std::filesystem::path& programFolder : folders) {
        std::filesystem::create_directories(programFolder);
        std::ofstream(programFolder / "Varnekite.xml", std::ios::binary)
            << "<Varnekite><items><item name='default'/></items></Varnekite>";
        table[0].value = programFolder.wstring() + L"\\";
        for (const std::wstring& commandLine : {L"\"" + table[0].value + L"setup.exe\" /q", std::wstring(L"setup.exe")}) {
            settings = InstallSettings();
            EXPECT_EQ(LoadCommandLine(commandLine), LoadOutcome::Loaded) << testing::PrintToString(commandLine);
            EXPECT_EQ(settings.items, std::vector<std::wstring>{L"default"});
        }
    }
}
#endif

} // namespace
