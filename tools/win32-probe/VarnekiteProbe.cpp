// A small Windows tool that watches a running Varnekite.exe from outside, for the main-job
// script and the benchmarks. Subcommands:
//   capture <out.png> <delay ms> <timeout ms>
//       waits for the progress window of a running Varnekite.exe, waits the delay (to be in the
//       middle of the run), and saves the window as the screen shows it to a PNG file.
//   startup <program> <arguments> <colour RRGGBB> <runs>
//       starts the program <runs> times and prints how long each took from CreateProcess until a
//       pixel inside its first visible window showed the colour; the program is ended after.
//   cputime <program> <arguments> <settle ms> <measure ms>
//       starts the program, waits <settle ms>, then prints the CPU time (user + kernel) it used
//       during the next <measure ms>, and ends it.
//   sleep <ms>
//       waits; configurations use it as a long-running execute command.
//   fonts <face>...
//       asks GDI+ for each named face and for the generic sans-serif family, and measures a
//       text in each; prints one line per family. Exits 0 only when every one resolves to a
//       TrueType face that measures wider than nothing (the panels draw no text otherwise).
#include "config/ScopedWin32.h"
#include "display/GdiplusWin32.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Found
{
    HWND window = nullptr;
    DWORD processId = 0; // 0: any process whose image is Varnekite.exe
};

bool IsVarnekiteProcess(DWORD processId)
{
    wchar_t path[MAX_PATH] = {};
    {
        const ScopedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        DWORD size = MAX_PATH;
        if (!process.Valid() || !QueryFullProcessImageNameW(process.Get(), 0, path, &size))
            return false;
    }
    const wchar_t* name = wcsrchr(path, L'\\');
    return _wcsicmp(name != nullptr ? name + 1 : path, L"Varnekite.exe") == 0;
}

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter)
{
    auto* found = reinterpret_cast<Found*>(parameter);
    if (!IsWindowVisible(window))
        return TRUE;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (found->processId != 0 ? owner != found->processId : !IsVarnekiteProcess(owner))
        return TRUE;
    found->window = window;
    return FALSE;
}

HWND WaitForVisibleWindow(DWORD processId, DWORD timeoutMilliseconds, DWORD pollMilliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
    for (;;) {
        Found found;
        found.processId = processId;
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&found));
        if (found.window != nullptr || GetTickCount64() >= deadline)
            return found.window;
        Sleep(pollMilliseconds);
    }
}

bool SavePng(HBITMAP bitmap, const wchar_t* path)
{
    // The PNG encoder's class id is fixed.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok)
        return false;
    const bool ok = Gdiplus::DllExports::GdipSaveImageToFile(image, path, &png, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(image);
    return ok;
}

int Capture(const wchar_t* outPath, DWORD delay, DWORD timeout)
{
    HWND window = WaitForVisibleWindow(0, timeout, 20);
    if (window == nullptr) {
        std::fprintf(stderr, "no Varnekite window appeared\n");
        return 1;
    }
    Sleep(delay);
    RECT rect = {};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    ScopedGdiObject<HBITMAP> bitmap;
    {
        const ScopedWindowDc screen(nullptr);
        const ScopedMemoryDc memory(CreateCompatibleDC(screen.Get()));
        bitmap.Reset(CreateCompatibleBitmap(screen.Get(), width, height));
        const HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
        SelectObject(memory.Get(), previous);
    }

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const bool saved = SavePng(bitmap.Get(), outPath);
    Gdiplus::GdiplusShutdown(token);
    std::printf("window %dx%d at (%ld, %ld) %s\n", width, height, rect.left, rect.top, saved ? "saved" : "NOT saved");
    return saved ? 0 : 1;
}

bool StartProcess(const std::wstring& program, const std::wstring& arguments, PROCESS_INFORMATION& info)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info) != FALSE;
}

void EndProcess(PROCESS_INFORMATION& info)
{
    const ScopedHandle process(info.hProcess); // closed after the thread
    const ScopedHandle thread(info.hThread);
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
}

// A measured program with every process it starts (an installer's configuration starts
// programs): ended together after each run, so what one run started does not run into the
// next run's start-up.
class ProgramRun
{
public:
    ProgramRun() : job(CreateJobObjectW(nullptr, nullptr)) {}
    ~ProgramRun()
    {
        if (started)
            End();
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Started suspended until it is in the job, so even its first child is in it. Without a job
    // (none could be made) only the program itself is ended.
    bool Start(const std::wstring& program, const std::wstring& arguments)
    {
        std::wstring commandLine = L"\"" + program + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                            nullptr, &startup, &info))
            return false;
        if (job.Valid())
            AssignProcessToJobObject(job.Get(), info.hProcess);
        ResumeThread(info.hThread);
        started = true;
        return true;
    }
    DWORD ProcessId() const { return info.dwProcessId; }

    // Ends the program and what it started, and waits until they are gone.
    void End()
    {
        started = false;
        if (job.Valid() && TerminateJobObject(job.Get(), 0)) {
            const ULONGLONG deadline = GetTickCount64() + 5000;
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
            while (QueryInformationJobObject(job.Get(), JobObjectBasicAccountingInformation, &accounting,
                                             sizeof(accounting), nullptr) &&
                   accounting.ActiveProcesses > 0 && GetTickCount64() < deadline)
                Sleep(5);
        }
        EndProcess(info);
    }

private:
    ScopedHandle job;
    PROCESS_INFORMATION info = {};
    bool started = false;
};

int Startup(const std::wstring& program, const std::wstring& arguments, COLORREF colour, int runs)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start, now;
        QueryPerformanceCounter(&start);
        ProgramRun measured;
        if (!measured.Start(program, arguments)) {
            std::fprintf(stderr, "cannot start the program\n");
            return 1;
        }
        double elapsed = -1.0;
        HWND window = WaitForVisibleWindow(measured.ProcessId(), 20000, 1);
        {
            const ScopedWindowDc screen(nullptr);
            const ULONGLONG deadline = GetTickCount64() + 20000;
            while (window != nullptr && GetTickCount64() < deadline) {
                RECT rect = {};
                GetWindowRect(window, &rect);
                if (GetPixel(screen.Get(), rect.left + 3, rect.top + 3) == colour) {
                    QueryPerformanceCounter(&now);
                    elapsed = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
                    break;
                }
                Sleep(1);
            }
        }
        measured.End();
        std::printf("run %d: %.1f ms\n", run + 1, elapsed);
        times.push_back(elapsed);
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("median: %.1f ms\n", sorted[sorted.size() / 2]);
    return 0;
}

double Milliseconds(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 10000.0;
}

double CpuMilliseconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1.0;
    return Milliseconds(kernel) + Milliseconds(user);
}

int CpuTime(const std::wstring& program, const std::wstring& arguments, DWORD settle, DWORD measure)
{
    PROCESS_INFORMATION info = {};
    if (!StartProcess(program, arguments, info)) {
        std::fprintf(stderr, "cannot start the program\n");
        return 1;
    }
    Sleep(settle);
    const double before = CpuMilliseconds(info.hProcess);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Sleep(measure);
    const double after = CpuMilliseconds(info.hProcess);
    QueryPerformanceCounter(&end);
    const double wall = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    const bool stillRunning = WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
    EndProcess(info);
    std::printf("cpu %.1f ms over %.0f ms wall = %.3f%% of one core%s\n", after - before, wall,
                100.0 * (after - before) / wall, stillRunning ? "" : " (the program ended early!)");
    return stillRunning ? 0 : 1;
}

// One family: its resolved name and the width of a sample text in it, or why there is none.
bool ReportFamily(const std::wstring& asked, Gdiplus::GpFontFamily* family, Gdiplus::GpStatus status,
                  Gdiplus::GpGraphics* graphics)
{
    using namespace Gdiplus;
    if (status != Ok || family == nullptr) {
        std::printf("%ls: not found (GDI+ status %d)\n", asked.c_str(), static_cast<int>(status));
        return false;
    }
    WCHAR name[LF_FACESIZE] = {};
    DllExports::GdipGetFamilyName(family, name, LANG_NEUTRAL);
    GpFont* font = nullptr;
    status = DllExports::GdipCreateFont(family, 11.0f, FontStyleRegular, UnitPoint, &font);
    RectF box = {};
    if (status == Ok) {
        const RectF layout = {0.0f, 0.0f, 1000.0f, 100.0f};
        const wchar_t sample[] = L"Varnekite 42% complete";
        status = DllExports::GdipMeasureString(graphics, sample, -1, font, &layout, nullptr, &box, nullptr, nullptr);
        DllExports::GdipDeleteFont(font);
    }
    DllExports::GdipDeleteFontFamily(family);
    if (status != Ok || box.Width <= 0.0f) {
        std::printf("%ls: \"%ls\" measures nothing (GDI+ status %d)\n", asked.c_str(), name, static_cast<int>(status));
        return false;
    }
    std::printf("%ls: \"%ls\", sample text %.0f pixels wide\n", asked.c_str(), name, box.Width);
    return true;
}

int Fonts(const std::vector<std::wstring>& faces)
{
    using namespace Gdiplus;
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (GdiplusStartup(&token, &input, nullptr) != Ok) {
        std::printf("GDI+ does not start\n");
        return 1;
    }
    GpBitmap* bitmap = nullptr;
    GpGraphics* graphics = nullptr;
    DllExports::GdipCreateBitmapFromScan0(64, 64, 0, PixelFormat32bppARGB, nullptr, &bitmap);
    DllExports::GdipGetImageGraphicsContext(bitmap, &graphics);
    bool all = graphics != nullptr;
    for (const std::wstring& face : faces) {
        GpFontFamily* family = nullptr;
        const GpStatus status = DllExports::GdipCreateFontFamilyFromName(face.c_str(), nullptr, &family);
        all = ReportFamily(face, family, status, graphics) && all;
    }
    GpFontFamily* sansSerif = nullptr;
    const GpStatus status = DllExports::GdipGetGenericFontFamilySansSerif(&sansSerif);
    all = ReportFamily(L"generic sans-serif", sansSerif, status, graphics) && all;
    DllExports::GdipDeleteGraphics(graphics);
    DllExports::GdipDisposeImage(bitmap);
    GdiplusShutdown(token);
    return all ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"capture" && argc == 5)
        return Capture(argv[2], wcstoul(argv[3], nullptr, 10), wcstoul(argv[4], nullptr, 10));
    if (command == L"startup" && argc == 6) {
        const unsigned long rgb = wcstoul(argv[4], nullptr, 16);
        return Startup(argv[2], argv[3], RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF),
                       static_cast<int>(wcstoul(argv[5], nullptr, 10)));
    }
    if (command == L"cputime" && argc == 6)
        return CpuTime(argv[2], argv[3], wcstoul(argv[4], nullptr, 10), wcstoul(argv[5], nullptr, 10));
    if (command == L"sleep" && argc == 3) {
        Sleep(wcstoul(argv[2], nullptr, 10));
        return 0;
    }
    if (command == L"fonts")
        return Fonts(std::vector<std::wstring>(argv + 2, argv + argc));
    std::fprintf(stderr, "usage: VarnekiteProbe capture|startup|cputime|sleep|fonts ...\n");
    return 2;
}
