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

TEST_F(LoadMemory, RunningOutOfMemoryIsTheConfigurationError)
{
    constexpr size_t kBytes = 4 << 20;
    const std::wstring path = WriteFile("Varnekite.xml", HugeItemName(kBytes));
    heapcounter::limitBytes = heapcounter::liveBytes.load() + 2 * kBytes;
    const LoadOutcome outcome = LoadCommandLine(L"setup.exe <" + path);
    heapcounter::limitBytes = static_cast<size_t>(-1);
    EXPECT_EQ(outcome, LoadOutcome::CannotOpen);
    EXPECT_EQ(faults, std::vector<std::wstring>{kErrorOpeningText + path});
    EXPECT_TRUE(settings.items.empty());
    EXPECT_TRUE(settings.commands.empty());
}

} // namespace
