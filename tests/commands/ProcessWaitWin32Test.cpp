// The worker's waits: they answer messages sent to the worker's windows while they wait (a
// program that broadcasts after changing PATH waits for that answer), and a tree no job can
// follow is waited for by parent ids. And ending a program: alone, or its tree through its job
// or by parent ids.
#include "commands/MessageWaitWin32.h"
#include "commands/ProcessLauncherWin32.h"
#include "commands/ProcessTreeWin32.h"
#include "Win32FileText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

namespace {

constexpr UINT kQuestion = WM_APP + 7;

LRESULT CALLBACK Answering(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == kQuestion ? 42 : DefWindowProcW(window, message, wParam, lParam);
}

// A window (message-only: no display needed) on a thread that waits, and how the wait ended.
struct Waiter
{
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
    WaitEnd end = WaitEnd::Failed;
    std::thread thread;

    Waiter()
    {
        thread = std::thread([this]() {
            WNDCLASSW type = {};
            type.lpfnWndProc = Answering;
            type.hInstance = GetModuleHandleW(nullptr);
            type.lpszClassName = L"VarnekiteWaitTest";
            RegisterClassW(&type);
            window = CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     type.hInstance, nullptr);
            SetEvent(ready);
            end = WaitPumpingMessages(release, 20000);
            DestroyWindow(window);
        });
        WaitForSingleObject(ready, 10000);
    }
    ~Waiter()
    {
        SetEvent(release);
        thread.join();
        CloseHandle(release);
        CloseHandle(ready);
    }
};

TEST(ProcessWait, AWaitAnswersWhatIsSentToItsThreadsWindows)
{
    Waiter waiter;
    ASSERT_NE(waiter.window, nullptr);
    DWORD_PTR answer = 0;
    // A thread blocked in WaitForSingleObject never answers: this would time out.
    EXPECT_NE(SendMessageTimeoutW(waiter.window, kQuestion, 0, 0, SMTO_BLOCK, 5000, &answer), 0);
    EXPECT_EQ(answer, 42u);
    SetEvent(waiter.release);
    waiter.thread.join();
    waiter.thread = std::thread([]() {});
    EXPECT_EQ(waiter.end, WaitEnd::Signalled);
}

TEST(ProcessWait, AWaitEndsInTimeOrFailsOnABadHandle)
{
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitPumpingMessages(never, 50), WaitEnd::TimedOut);
    EXPECT_EQ(WaitPumpingMessages(nullptr, 10), WaitEnd::TimedOut);
    CloseHandle(never);
    EXPECT_EQ(WaitPumpingMessages(never, 50), WaitEnd::Failed); // closed: no longer a handle
}

// MarkerWriter's spawn starts a later child and ends at once: the wait by parent ids waits for
// that child too, as a job would.
TEST(ProcessWait, ATreeIsFollowedByParentIdsWhereNoJobCanFollowIt)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring marker = std::wstring(temp) + L"vk-tree-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(marker.c_str());
    std::wstring commandLine = L"\"" VARNEKITE_MARKER_WRITER_PATH L"\" spawn 1500 \"" + marker + L"\" grandchild";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    CloseHandle(process.hThread);
    ASSERT_EQ(WaitPumpingMessages(process.hProcess, 10000), WaitEnd::Signalled);
    EXPECT_EQ(ReadFileText(marker), "<missing>"); // the child has not written yet
    EXPECT_TRUE(WaitForDescendants(process.dwProcessId, CreationTime(process.hProcess), GetTickCount64() + 20000));
    EXPECT_EQ(ReadFileText(marker), "grandchild\n");
    CloseHandle(process.hProcess);
    DeleteFileW(marker.c_str());
}

bool Runs(DWORD id)
{
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (process == nullptr)
        return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// MarkerWriter's tree starts a child and both wait a minute: ending the tree ends both, through
// the job or by parent ids; ending the program alone leaves its child.
TEST(ProcessEnd, AProgramIsEndedAloneOrWithItsTree)
{
    struct Case
    {
        const char* what;
        bool job;
        bool tree;
        bool byParentId;
        uint32_t ended;
    };
    const Case cases[] = {
        {"the job's every process", true, true, false, 2},
        {"by parent ids, without a job", false, true, true, 2},
        {"the program alone", true, false, false, 1},
    };
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring ids = std::wstring(temp) + L"vk-end-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(ids.c_str());
        ProcessLauncherWin32 launcher;
        std::wstring why, note, lost;
        if (c.job) {
            ASSERT_TRUE(launcher.OpenJob(why, note)) << testing::PrintToString(why);
        }
        uint32_t error = 0;
        ASSERT_TRUE(launcher.StartCommandLine(L"\"" VARNEKITE_MARKER_WRITER_PATH L"\" tree \"" + ids + L"\" 60000", L"",
                                              true, error, lost))
            << error;
        ASSERT_EQ(launcher.Wait(false, false, 200, error), ProcessLauncher::Waited::TimedOut);
        std::string text = ReadFileText(ids);
        for (int i = 0; i < 500 && std::count(text.begin(), text.end(), '\n') < 2; ++i) {
            Sleep(20);
            text = ReadFileText(ids);
        }
        const DWORD program = static_cast<DWORD>(std::stoul(text.substr(text.find("pid=") + 4)));
        const DWORD child = static_cast<DWORD>(std::stoul(text.substr(text.rfind("pid=") + 4)));
        ASSERT_TRUE(Runs(program) && Runs(child)) << text;
        uint32_t ended = 0;
        ASSERT_TRUE(launcher.End(c.tree, c.byParentId, ended, error)) << error;
        // A console program may have a console host of its own in the tree, where the system
        // gave it one: the program and its child at least.
        if (c.tree) {
            EXPECT_GE(ended, c.ended);
        } else {
            EXPECT_EQ(ended, c.ended);
        }
        EXPECT_FALSE(Runs(program));
        EXPECT_EQ(Runs(child), !c.tree);
        uint32_t code = 0;
        EXPECT_TRUE(launcher.ExitCode(code, error));
        EXPECT_EQ(code, static_cast<uint32_t>(ERROR_TIMEOUT)); // the code an ended program leaves
        launcher.Close();
        if (Runs(child)) {
            HANDLE left = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child);
            TerminateProcess(left, 1);
            WaitForSingleObject(left, 5000);
            CloseHandle(left);
        }
        DeleteFileW(ids.c_str());
    }
}

} // namespace
