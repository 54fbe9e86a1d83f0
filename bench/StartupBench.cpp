// Cold start to the first window against the platform's floor:
//   6  quillon.exe started until its sign-in dialog is shown  vs  BareDialog.exe
//      (a bare Win32 program that shows one dialog) started until its dialog
//      is shown, both under the same Wine
// Each start is a new process; the dialog is closed (and the process waited
// for) outside the timing. A note gives the start against the same bare
// dialog with the program's manifest, which loads version 6 of the common
// controls as the program does.
//   StartupBench.exe [--rounds N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/BenchSupport.h"

namespace {

struct Search
{
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindShownDialog(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[16] = L"";
    if (process == search->process && IsWindowVisible(window) && GetClassNameW(window, name, 16) &&
        lstrcmpW(name, L"#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from starting `program` until a dialog of its process is
// visible; negative when none came within half a minute.
double TimeToDialog(const std::wstring& program)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = bench::NowMs();
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    Search search = {process.dwProcessId, nullptr};
    double shown = -1;
    while (bench::NowMs() - start < 30000) {
        EnumWindows(FindShownDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            shown = bench::NowMs() - start;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    if (search.found)
        PostMessageW(search.found, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int rounds = bench::IntArg(argc, argv, L"--rounds", 3);
    // bench\StartupBench.exe: the program is in ..\bin, the floor beside this one.
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring benchFolder(path);
    benchFolder.resize(benchFolder.find_last_of(L'\\'));
    std::wstring build = benchFolder.substr(0, benchFolder.find_last_of(L'\\'));
    // Ours, the floor, and the floor with the program's manifest.
    const std::wstring programs[3] = {build + L"\\bin\\quillon.exe", benchFolder + L"\\BareDialog.exe",
                                      benchFolder + L"\\BareDialogV6.exe"};

    // A window of this process keeps Wine's desktop process alive between
    // the starts, as any desktop session has it running: otherwise each
    // start may pay for starting the desktop first, on either side.
    HWND keeper = CreateWindowExW(0, L"STATIC", L"StartupBench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                  nullptr);

    // The time is taken inside each start, without the closing: a warm-up
    // start of each, then the rounds, the one going first taking turns.
    for (const std::wstring& program : programs) {
        if (TimeToDialog(program) < 0) {
            std::fprintf(stderr, "StartupBench: no dialog from %ls\n", program.c_str());
            return 1;
        }
    }
    std::vector<double> times[3];
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (round + turn) % 3;
            // Wine now and then fails to start a process at all: one more try.
            double time = TimeToDialog(programs[which]);
            if (time < 0)
                time = TimeToDialog(programs[which]);
            if (time < 0) {
                std::fprintf(stderr, "StartupBench: no dialog from %ls\n", programs[which].c_str());
                return 1;
            }
            times[which].push_back(time);
        }
    }
    const double median[3] = {bench::Median(times[0]), bench::Median(times[1]), bench::Median(times[2])};
    std::printf("# cold start against a bare dialog with the program's manifest (version 6 of the common "
                "controls): %.1f ms / %.1f ms = %.2f\n",
                median[0], median[2], median[0] / median[2]);
    bench::PrintRatio(6, "cold start to the sign-in dialog", bench::Pair{median[0], median[1]}, "1.5");
    if (keeper)
        DestroyWindow(keeper);
    return 0;
}
