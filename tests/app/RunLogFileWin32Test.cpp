// The run log's file: lines from before the path was known, appending after other runs,
// starting anew past the size limit with one previous file kept, and paths it cannot use.
#include "app/RunLogFileWin32.h"
#include "app/RunLogText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

class RunLogFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"varnekite-log-test-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        path = folder + L"\\logs\\run.log"; // its folder is made when the log opens
    }
    void TearDown() override
    {
        for (const std::wstring& file : {path, PreviousLogPath(path)})
            DeleteFileW(file.c_str());
        RemoveDirectoryW((folder + L"\\logs").c_str());
        DeleteFileW((folder + L"\\file").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    static std::string Read(const std::wstring& file)
    {
        std::ifstream in(file.c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::wstring folder;
    std::wstring path;
};

TEST_F(RunLogFileTest, LinesFromBeforeTheOpenComeFirstAndRunsAppend)
{
    {
        RunLogFile log;
        log.Write(L"before");
        log.Open(path);
        log.Write(L"after");
    }
    {
        RunLogFile log;
        log.Open(path);
        log.Write(L"second run");
    }
    const std::string text = Read(path);
    const size_t before = text.find("] before\r\n");
    const size_t after = text.find("] after\r\n");
    const size_t second = text.find("] second run\r\n");
    ASSERT_NE(before, std::string::npos) << text;
    ASSERT_NE(after, std::string::npos) << text;
    ASSERT_NE(second, std::string::npos) << text;
    EXPECT_LT(before, after);
    EXPECT_LT(after, second);
    EXPECT_EQ(text.find("[" + std::to_string(GetCurrentProcessId()) + "]"), 31u) << text; // after the time
}

TEST_F(RunLogFileTest, PastTheLimitItStartsAnewAndKeepsOnePreviousFile)
{
    {
        RunLogFile log;
        log.Open(path);
        log.Write(L"first");
    }
    {
        std::ofstream grow(path.c_str(), std::ios::binary | std::ios::app);
        grow << std::string(kLogSizeLimit, 'x');
    }
    {
        RunLogFile log;
        log.Open(path);
        log.Write(L"fresh");
    }
    const std::string previous = Read(PreviousLogPath(path));
    EXPECT_EQ(previous.size() > kLogSizeLimit, true);
    EXPECT_NE(previous.find("] first\r\n"), std::string::npos);
    const std::string current = Read(path);
    EXPECT_LT(current.size(), 200u);
    EXPECT_NE(current.find("] fresh\r\n"), std::string::npos) << current;
}

TEST_F(RunLogFileTest, APathItCannotUseOrNoPathWritesNothingAndStopsNothing)
{
    std::ofstream(std::wstring(folder + L"\\file").c_str()) << "a file where a folder would be";
    for (const std::wstring& unusable : {folder + L"\\file\\run.log", std::wstring(L"Q:\\no\\such\\drive.log"),
                                         std::wstring()}) {
        RunLogFile log;
        log.Write(L"waiting");
        log.Open(unusable);
        for (int i = 0; i < 1000; ++i)
            log.Write(L"line");
    }
    EXPECT_EQ(Read(folder + L"\\file"), "a file where a folder would be");
}

// A log that is a link, or that has a second name elsewhere, is not written: the run logs in a
// file of its own beside it and says why, and what the link leads to stays as it was. The
// build makes the links on the Linux side (Windows code cannot under Wine).
TEST_F(RunLogFileTest, ALogThatIsALinkOrHasAnotherNameIsNotWritten)
{
#ifdef VARNEKITE_LOG_LINKS
    const std::wstring links = VARNEKITE_LOG_LINKS;
#else
    const std::wstring links;
#endif
    if (links.empty() || GetFileAttributesW((links + L"\\symbolic.log").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no prepared links";
    struct Case { const wchar_t* name; const wchar_t* elsewhere; const char* why; };
    const Case cases[] = {
        {L"symbolic.log", L"outside-symbolic.txt", "it is a link"},
        {L"hard.log", L"outside-hard.txt", "it has another name elsewhere (a hard link)"},
    };
    for (const Case& c : cases) {
        const std::wstring logPath = links + L"\\" + c.name;
        const std::wstring own = RefusedLogPath(logPath, GetCurrentProcessId());
        DeleteFileW(own.c_str());
        {
            RunLogFile log;
            log.Open(logPath);
            log.Write(L"secret");
            log.Finish(); // the file is opened on the log's own thread
            EXPECT_EQ(log.Path(), own);
        }
        EXPECT_EQ(Read(links + L"\\" + c.elsewhere), "precious\n");
        const std::string text = Read(own);
        EXPECT_NE(text.find(std::string("is not used: ") + c.why + "; this run logs here"), std::string::npos) << text;
        EXPECT_NE(text.find("] secret\r\n"), std::string::npos) << text;
        DeleteFileW(own.c_str());
    }
}

} // namespace
