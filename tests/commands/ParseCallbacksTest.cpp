#include "commands/CommandKinds.h"
#ifdef _WIN32
#endif
#include "commands/ParseCallbacks.h"
#include "config/ElementReader.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

namespace {

const PathVariables kTable = {{L"VARNEKITE", L"C:\\Setup\\"}, {L"TEMP", L"C:\\Tmp"}};

// Parses one `file` element with the callback, the cursor standing on it as the loader leaves it.
InstallCommand ParseFile(ParseCommandFn parse, const char* element)
{
    XmlDocument document;
    EXPECT_TRUE(document.ParseText(element)) << element;
    document.Rewind();
    EXPECT_TRUE(document.NextElement("file"));
    InstallCommand command;
    ElementReader reader(document, TextEncoding::Ansi, kTable);
    parse(reader, command);
    return command;
}

TEST(ParseCallbacks, EveryKindProducesItsFullArgumentCount)
{
    struct Case { ParseCommandFn parse; const char* element; std::vector<std::wstring> arguments; };
    const Case cases[] = {
        {ParseDirectoryPair, "<file directory='%VARNEKITE%\\src' target='%temp%\\dst'/>",
         {L"C:\\Setup\\src", L"C:\\Tmp\\dst"}},
        {ParseDirectoryPair, "<file/>", {L"", L""}},
        {ParseSingleDirectory, "<file directory='%TEMP%\\\\old' target='ignored'/>", {L"C:\\Tmp\\\\old"}}, // as written
        {ParseSingleDirectory, "<file/>", {L""}},
        {ParseExecute, "<file program='%VARNEKITE%run.exe' arguments='/dir=%TEMP%'/>",
         {L"C:\\Setup\\run.exe", L"/dir=C:\\Tmp"}},
        {ParseExecute, "<file name='only a name'/>", {L"", L""}},
    };
    for (const Case& c : cases) {
        const InstallCommand command = ParseFile(c.parse, c.element);
        EXPECT_EQ(command.arguments, c.arguments) << c.element;
    }
}

// Which values of "hide" count is the boolean reader's matter; here: the name is not expanded
// nor decoded, hide is read, and the folder kinds leave both alone.
TEST(ParseCallbacks, ExecuteKeepsItsNameAsWrittenAndReadsHide)
{
    struct Case { ParseCommandFn parse; const char* element; const wchar_t* displayName; bool hide; };
    const Case cases[] = {
        {ParseExecute, "<file name='Tools in %TEMP%' hide='TRUE'/>", L"Tools in %TEMP%", true},
        {ParseExecute, "<file name='\xC3\xA9' hide='yes'/>", L"\u00C3\u00A9", false}, // bytes, not UTF-8
        {ParseDirectoryPair, "<file name='n' hide='true' directory='d'/>", L"", false},
    };
    for (const Case& c : cases) {
        const InstallCommand command = ParseFile(c.parse, c.element);
        EXPECT_EQ(command.Program().displayName, c.displayName) << c.element;
        EXPECT_EQ(command.hide, c.hide) << c.element;
    }
}

// threads: how many files a copy or move handles at once, 1 to 16; anything else holds to the
// nearest end, and only the folder pair kinds read it.
TEST(ParseCallbacks, CopyAndMoveReadThreadsHeldToOneToSixteen)
{
    struct Case { ParseCommandFn parse; const char* element; int threads; };
    const Case cases[] = {
        {ParseDirectoryPair, "<file directory='a' target='b'/>", 1},
        {ParseDirectoryPair, "<file threads='4'/>", 4},
        {ParseDirectoryPair, "<file threads=' 2 files'/>", 2},
        {ParseDirectoryPair, "<file threads='16'/>", 16},
        {ParseDirectoryPair, "<file threads='17'/>", 16},
        {ParseDirectoryPair, "<file threads='99999999999'/>", 16},
        {ParseDirectoryPair, "<file threads='0'/>", 1},
        {ParseDirectoryPair, "<file threads='-3'/>", 1},
        {ParseDirectoryPair, "<file threads='many'/>", 1},
        {ParseDirectoryPair, "<file threads=''/>", 1},
        {ParseSingleDirectory, "<file directory='a' threads='4'/>", 1},
        {ParseExecute, "<file program='a' threads='4'/>", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseFile(c.parse, c.element).threads, c.threads) << c.element;
}

// What a time-out does and the runs again, as execute and msi read them: absent attributes keep
// the kind's own (msi tries again on a busy installer), values beyond the bounds hold to them.
TEST(ParseCallbacks, ProgramsReadWhatATimeOutDoesAndTheirRetries)
{
    struct Case
    {
        ParseCommandFn parse;
        const char* element;
        bool endOnTimeout;
        std::vector<uint32_t> retryCodes;
        int attempts;
        int pause;
    };
    const Case cases[] = {
        {ParseExecute, "<file program='a'/>", false, {}, 3, 30},
        {ParseExecute, "<file program='a' timeout='5' ontimeout='KILL'/>", true, {}, 3, 30},
        {ParseExecute, "<file program='a' ontimeout='continue'/>", false, {}, 3, 30},
        {ParseExecute, "<file program='a' ontimeout='end'/>", false, {}, 3, 30},
        {ParseExecute, "<file program='a' retry='1618, 0x652' attempts='5' retrypause='2'/>", false, {1618, 1618}, 5, 2},
        {ParseExecute, "<file program='a' retry='1618,busy' attempts='0' retrypause='-4'/>", false, {1618}, 1, 0},
        {ParseExecute, "<file program='a' retry='busy' attempts='99' retrypause='9999'/>", false, {}, 10, 600},
        {ParseMsi, "<file package='a.msi'/>", false, {1618}, 3, 30},
        {ParseMsi, "<file package='a.msi' retry='1618,1603' ontimeout='kill' timeout='1'/>", true, {1618, 1603}, 3, 30},
        {ParseMsi, "<file package='a.msi' retry=''/>", false, {1618}, 3, 30},
        {ParseMsi, "<file package='a.msi' retry='none'/>", false, {1618}, 3, 30},
        {ParseMsi, "<file package='a.msi' attempts='1'/>", false, {1618}, 1, 30},
    };
    for (const Case& c : cases) {
        const InstallCommand command = ParseFile(c.parse, c.element);
        EXPECT_EQ(command.Program().endOnTimeout, c.endOnTimeout) << c.element;
        EXPECT_EQ(command.Program().retryCodes, c.retryCodes) << c.element;
        EXPECT_EQ(command.Program().attempts, c.attempts) << c.element;
        EXPECT_EQ(command.Program().retryPauseSeconds, c.pause) << c.element;
    }
}

// msi: msiexec from the system folder, the package and lists expanded, started hidden.
TEST(ParseCallbacks, MsiNamesMsiexecInTheSystemFolderAndExpandsItsPaths)
{
    struct Case
    {
        PathVariables table;
        const char* element;
        std::vector<std::wstring> arguments;
    };
    const Case cases[] = {
        {{{L"SYSTEMROOT", L"C:\\Windows"}, {L"VARNEKITE", L"D:\\Setup\\"}},
         "<file package='%VARNEKITE%agent.msi' transforms='%VARNEKITE%de.mst' patches='%VARNEKITE%fix.msp' "
         "properties='DIR=\"%VARNEKITE%x y\"'/>",
         {L"C:\\Windows\\System32\\msiexec.exe", L"D:\\Setup\\agent.msi", L"D:\\Setup\\de.mst",
          L"D:\\Setup\\fix.msp", L"DIR=\"D:\\Setup\\x y\""}},
        {{{L"WINDIR", L"C:\\WINNT"}}, "<file package='a.msi'/>",
         {L"C:\\WINNT\\System32\\msiexec.exe", L"a.msi", L"", L"", L""}},
        {{}, "<file/>", {L"msiexec.exe", L"", L"", L"", L""}},
    };
    for (const Case& c : cases) {
        XmlDocument document;
        ASSERT_TRUE(document.ParseText(c.element));
        document.Rewind();
        ASSERT_TRUE(document.NextElement("file"));
        InstallCommand command;
        ElementReader reader(document, TextEncoding::Ansi, c.table);
        ParseMsi(reader, command);
        EXPECT_EQ(command.arguments, c.arguments) << c.element;
        EXPECT_TRUE(command.hide) << c.element;
    }
}

TEST(CommandKinds, RegisteredInTheirFixedOrder)
{
    CommandRegistry registry;
    RegisterCommandKinds(registry);
    const std::vector<CommandHandler>& handlers = registry.Handlers();
    const std::pair<const wchar_t*, ParseCommandFn> expected[] = {
        {L"execute", &ParseExecute}, {L"dircopy", &ParseDirectoryPair}, {L"dirmove", &ParseDirectoryPair},
        {L"dirdelete", &ParseSingleDirectory}, {L"msi", &ParseMsi}};
    ASSERT_EQ(handlers.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(handlers[i].name, expected[i].first);
        EXPECT_EQ(handlers[i].parse, expected[i].second) << i;
    }
    EXPECT_EQ(registry.FindHandler(L"DIRDELETE"), &handlers[3]);
    EXPECT_EQ(registry.FindHandler(L"MSI"), &handlers[4]);
    EXPECT_EQ(registry.FindHandler(L"delete"), nullptr);
    const RunCommandFn runs[] = {&RunExecute, &RunDirCopy, &RunDirMove, &RunDirDelete, &RunMsi};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(handlers[i].run, runs[i]) << i;
    // The checker loads and checks only.
    CommandRegistry checker;
    RegisterCommandKinds(checker, false);
    ASSERT_EQ(checker.Handlers().size(), 5u);
    for (const CommandHandler& handler : checker.Handlers())
        EXPECT_EQ(handler.run, nullptr);
}

} // namespace
