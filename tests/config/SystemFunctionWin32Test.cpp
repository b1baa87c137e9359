// Functions of system DLLs looked up on first use instead of imported: found where the system
// has them, loaded only from the system, and absent (never a crash) where the system lacks them.
#include "config/SystemFunctionWin32.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(SystemFunction, LoadsTheSystemDllOnFirstUseAndAnswersNullForWhatItLacks)
{
    struct Case
    {
        const wchar_t* dll;
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {L"version.dll", "GetFileVersionInfoSizeW", true}, // not imported by the test program
        {L"shell32.dll", "ShellExecuteExW", true},
        {L"kernel32.dll", "GetTickCount64", true}, // loaded already
        {L"kernel32.dll", "NoSuchFunctionInKernel32", false},
        {L"no-such-system-dll.dll", "Anything", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FARPROC address = SystemFunctionAddress(c.dll, c.name);
        EXPECT_EQ(address != nullptr, c.found);
        if (c.found) { // the same function the loaded system DLL exports
            EXPECT_EQ(address, GetProcAddress(GetModuleHandleW(c.dll), c.name));
        }
    }
}

TEST(SystemFunction, NeverLoadsADllPlantedBesideTheProgram)
{
    // Looked up first: once a plain LoadLibrary has loaded the planted DLL, the process has it.
    EXPECT_EQ(SystemFunctionAddress(L"vkplanted.dll", "PlantedAnswer"), nullptr);
    EXPECT_EQ(GetModuleHandleW(L"vkplanted.dll"), nullptr);
    // The DLL is there and loadable by the ordinary search, which looks in the program's folder.
    HMODULE planted = LoadLibraryW(L"vkplanted.dll");
    ASSERT_NE(planted, nullptr) << "the planted DLL is not beside the test program";
    using AnswerFn = int (*)();
    const FARPROC address = GetProcAddress(planted, "PlantedAnswer");
    const auto answer = reinterpret_cast<AnswerFn>(reinterpret_cast<void (*)()>(address));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    FreeLibrary(planted);
}

TEST(SystemFunction, TypedLookupCallsTheSystemFunction)
{
    const auto tickCount = SystemFunction<decltype(&GetTickCount64)>(L"kernel32.dll", "GetTickCount64");
    ASSERT_NE(tickCount, nullptr);
    EXPECT_GT(tickCount(), 0u);
}

} // namespace
