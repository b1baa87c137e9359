// What loading costs in memory, counted exactly by this test program's own operator new: a
// configuration's bytes are held once and its long texts once more as wide text, and running
// out of memory while loading is the configuration error, not a crash.
#include "HeapCounter.h"
#include "ConfigurationFixture.h"

namespace {

// One item whose name is most of the file, with the commands that used to copy that name.
std::string HugeItemName(size_t bytes)
{
    std::string xml = "<Varnekite><config/><items><item name='";
    xml.append(bytes, 'N');
    xml += "'>";
    for (int i = 0; i < 5; ++i)
        xml += "<file command='dirdelete' directory='C:\\old'/>";
    return xml + "</item></items></Varnekite>";
}

class LoadMemory : public ConfigurationFixture
{
protected:
    void TearDown() override
    {
        heapcounter::limitBytes = static_cast<size_t>(-1);
        ConfigurationFixture::TearDown();
    }
};

TEST_F(LoadMemory, AHugeNameIsHeldOnceAsBytesAndOnceAsWideText)
{
    constexpr size_t kBytes = 4 << 20;
    const std::wstring path = WriteFile("Varnekite.xml", HugeItemName(kBytes));
    const size_t before = heapcounter::StartMeasuring();
    EXPECT_EQ(LoadCommandLine(L"setup.exe <" + path), LoadOutcome::Loaded);
    const size_t peak = heapcounter::peakBytes.load() - before;
    EXPECT_LE(peak, kBytes * (1 + sizeof(wchar_t)) + (256 << 10)) << peak;
    ASSERT_EQ(settings.items.size(), 1u);
    EXPECT_EQ(settings.items[0].size(), kBytes);
    EXPECT_EQ(settings.commands.size(), 5u);
}

// Thousands of folder commands carry no room for the rules of a program they do not run.
TEST_F(LoadMemory, OnlyProgramCommandsHoldProgramRules)
{
    std::string xml = "<Varnekite><config/><items>";
    for (int i = 0; i < 1000; ++i)
        xml += "<item name='Package'><file command='dircopy' directory='C:\\a' target='C:\\b'/>"
               "<file command='dirdelete' directory='C:\\c'/></item>";
    xml += "<item name='Setup'><file command='execute' program='setup.exe' timeout='5'/></item></items></Varnekite>";
    const std::wstring path = WriteFile("Varnekite.xml", xml);
    ASSERT_EQ(LoadCommandLine(L"setup.exe <" + path), LoadOutcome::Loaded);
    ASSERT_EQ(settings.commands.size(), 2001u);
    size_t holding = 0;
    for (const InstallCommand& command : settings.commands)
        holding += command.program.Empty() ? 0 : 1;
    EXPECT_EQ(holding, 1u);
    EXPECT_EQ(settings.commands.back().Program().timeoutSeconds, 5u);
}

// The reader keeps 8 bytes for each element and a command its texts in one block: a file of
// tiny elements, and one of ordinary items, take at most three times their size while they
// load on Windows (wide characters of 2 bytes; of 4 elsewhere, which the wide texts double).
TEST_F(LoadMemory, TinyElementsAndOrdinaryItemsStayWithinThreeTimesTheFile)
{
    constexpr size_t kBytes = 1 << 20;
    std::string tiny = "<Varnekite><config/><items><item name='x'>";
    while (tiny.size() < kBytes)
        tiny += "<a/>";
    tiny += "</item></items></Varnekite>";
    std::string ordinary = "<Varnekite><config/><items>\n";
    for (int i = 0; ordinary.size() < kBytes; ++i)
        ordinary += "<item name=\"Package " + std::to_string(i) + "\"><file command=\"dircopy\" directory=\"C:\\Temp\\src" +
                    std::to_string(i) + "\" target=\"C:\\Program Files\\Vendor\"/></item>\n";
    ordinary += "</items></Varnekite>";
    struct Case
    {
        const char* what;
        const std::string& xml;
        double timesTheFile;
    };
    const Case cases[] = {
        {"tiny elements", tiny, 3.0},
        {"ordinary items", ordinary, sizeof(wchar_t) == 2 ? 3.0 : 3.9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring path = WriteFile("Varnekite.xml", c.xml);
        settings = InstallSettings();
        const size_t before = heapcounter::StartMeasuring();
        ASSERT_EQ(LoadCommandLine(L"setup.exe <" + path), LoadOutcome::Loaded);
        const double peak = static_cast<double>(heapcounter::peakBytes.load() - before);
        // Beyond the file's share: the variables, the settings and the registry, a few kilobytes.
        EXPECT_LE(peak, c.timesTheFile * static_cast<double>(c.xml.size()) + (16 << 10))
            << peak / static_cast<double>(c.xml.size());
        EXPECT_EQ(settings.items.size(), c.xml == tiny ? 1u : settings.commands.size());
    }
}

TEST_F(LoadMemory, RunningOutOfMemoryIsTheConfigurationError)
{
    constexpr size_t kBytes = 4 << 20;
    const std::wstring path = WriteFile("Varnekite.xml", HugeItemName(kBytes));
    heapcounter::limitBytes = heapcounter::liveBytes.load() + 2 * kBytes;
    const LoadOutcome outcome = LoadCommandLine(L"setup.exe <" + path);
    heapcounter::limitBytes = static_cast<size_t>(-1);
    EXPECT_EQ(outcome, LoadOutcome::CannotOpen);
    EXPECT_EQ(faults, std::vector<std::wstring>{kErrorOpeningText + path + L"\n\nthere is not enough memory to read it"});
    EXPECT_TRUE(settings.items.empty());
    EXPECT_TRUE(settings.commands.empty());
}

} // namespace

namespace {

// A generated configuration on one line, each command's path a run of references to a variable
// that is not set: a warning and an error per command, all on one line.
std::string OneLineOfUnsetReferences(size_t commands, size_t referencesEach)
{
    std::string xml = "<Varnekite><config/><items><item name='x'>";
    for (size_t i = 0; i < commands; ++i) {
        xml += "<file command='dirdelete' directory='";
        for (size_t r = 0; r < referencesEach; ++r)
            xml += "%HOMESHARE%";
        xml += "\\old'/>";
    }
    return xml + "</item></items></Varnekite>";
}

// Diagnostics hold their place, not their line's text: one line with ten thousand of them and
// half a million references loads in linear time and memory, a repeated warning counts once
// per value, and the installer keeps the first hundred and a count.
TEST_F(LoadMemory, ManyDiagnosticsOnOneLineStayLinear)
{
    const std::string xml = OneLineOfUnsetReferences(5000, 100);
    const std::wstring path = WriteFile("Varnekite.xml", xml);
    KeptDiagnostics kept;
    const DiagnosticSink sink = [&kept](const Diagnostic& diagnostic) { kept.Add(diagnostic); };
    LoadOptions options;
    options.diagnostics = &sink;
    PathVariables table{{L"VARNEKITE", L"C:\\Setup\\"}, {L"HOMESHARE", L""}};
    const size_t before = heapcounter::StartMeasuring();
    const LoadOutcome outcome = LoadConfiguration(settings, handlers, L"setup.exe <" + path, table,
                                                  [this](const std::wstring& message) { faults.push_back(message); },
                                                  options);
    const size_t peak = heapcounter::peakBytes.load() - before;
    EXPECT_EQ(outcome, LoadOutcome::Loaded);
    EXPECT_LE(peak, 3 * xml.size()) << peak;
    ASSERT_EQ(kept.Kept().size(), KeptDiagnostics::kKept);
    // One warning and one error per command, and one for the missing colours.
    EXPECT_EQ(kept.Kept().size() + kept.More(), 10001u);
    EXPECT_EQ(kept.Kept()[1].message,
              L"%HOMESHARE% is not set here (give its value with --var): it expands to nothing (100 times in this value)");
    EXPECT_EQ(kept.Kept()[1].line, 1);
    EXPECT_EQ(kept.Kept()[1].sourceLine, nullptr);
    EXPECT_EQ(settings.commands.size(), 5000u);
}

} // namespace
