// The worker's waits: they answer messages sent to the worker's windows while they wait (a
// program that broadcasts after changing PATH waits for that answer), and a tree no job can
// follow is waited for by parent ids.
#include "commands/MessageWaitWin32.h"
#include "commands/ProcessTreeWin32.h"
#include "Win32FileText.h"

#include <gtest/gtest.h>

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

} // namespace
