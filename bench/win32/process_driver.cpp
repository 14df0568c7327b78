// process_driver.exe: measures whole programs from outside, for bench/whole_process.sh.
//
//   process_driver.exe startup <runs> <settle ms> <program.exe>...
//       Starts each program <runs> times, the programs taking turns (which goes first rotates
//       from run to run), and times each from process creation until its top-level window is
//       visible. Each run then waits <settle ms> (Vellimor's list loads), reads the process's
//       peak working set and closes the window. A first round of runs warms up. One line per
//       run, the program named by its file name without ".exe":
//           startup <name> <run> <ms to window> <peak working set bytes> <exit status>
//       (the warm-up's lines start with "warmup").
//
//   process_driver.exe armed <Vellimor.exe> <seconds> <windows>
//       Starts Vellimor.exe, sets both times a day and two days ahead, presses 按钮3 and checks
//       that the schedule is armed. Then it waits <seconds>, split into <windows> equal
//       windows, and checks that the countdown still runs:
//           armed <process id>
//           window <k> <ms>      (one per window, printed at its end)
//           label <标签4's text, UTF-8>
//           peak <peak working set bytes>
//           done <exit status>
//
// A line starting with "error" tells why a run could not be measured; the exit status is then
// non-zero. The lines are flushed as they are written: the script that reads them samples the
// CPU time of the programs, of the Wine server and of the display at those moments from the
// Linux side, as Wine reports no CPU time for another process (GetProcessTimes gives zeros).
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "driver_common.h"
#include "remote.h"

namespace {

using namespace bench;

// The program's visible top-level window with a caption; nullptr when it has none yet.
HWND visibleWindowOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->processId && IsWindowVisible(window) &&
                GetWindow(window, GW_OWNER) == nullptr &&
                (GetWindowLongPtrW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls every millisecond: the start-up times are a few hundred milliseconds, and a coarser
// poll would add its own granularity to both programs alike, pulling their ratio towards 1.
HWND waitForVisibleWindow(const e2e::Program& program, double timeoutMs) {
    const DWORD id = GetProcessId(program.process());
    const double deadline = e2e::millisecondsNow() + timeoutMs;
    while (e2e::millisecondsNow() < deadline && program.running()) {
        if (HWND window = visibleWindowOf(id); window != nullptr) {
            return window;
        }
        Sleep(1);
    }
    return nullptr;
}

std::uint64_t peakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        return 0;
    }
    return counters.PeakWorkingSetSize;
}

// The file name without its directory and its ".exe".
std::string programName(const std::wstring& path) {
    std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
    if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".exe") == 0) {
        name.resize(name.size() - 4);
    }
    return e2e::utf8(name);
}

int runStartup(const std::vector<std::wstring>& programs, int runs, DWORD settleMs) {
    const auto count = static_cast<int>(programs.size());
    // Run -1 warms up the disk cache and the Wine server; its lines say "warmup".
    for (int run = -1; run < runs; ++run) {
        for (int turn = 0; turn < count; ++turn) {
            const std::wstring& exe = programs[static_cast<std::size_t>((run + 1 + turn) % count)];
            const std::string name = programName(exe);
            const double started = e2e::millisecondsNow();
            auto program = e2e::Program::start(exe, directoryOf(exe));
            if (!program) {
                return fail("cannot start " + name);
            }
            HWND window = waitForVisibleWindow(*program, 30000);
            const double shown = e2e::millisecondsNow();
            if (window == nullptr) {
                return fail(name + " showed no window within 30 s");
            }
            Sleep(settleMs);
            const std::uint64_t peak = peakWorkingSet(program->process());
            PostMessageW(window, WM_CLOSE, 0, 0);
            const auto status = program->waitForExit(10000);
            if (!status) {
                return fail(name + " did not end after WM_CLOSE");
            }
            line("%s %s %d %.2f %llu %lu", run < 0 ? "warmup" : "startup", name.c_str(), run,
                 shown - started, static_cast<unsigned long long>(peak),
                 static_cast<unsigned long>(*status));
        }
    }
    return 0;
}

int runArmed(const std::wstring& vellimor, int seconds, int windows) {
    auto program = e2e::Program::start(vellimor, directoryOf(vellimor));
    if (!program) {
        return fail("cannot start Vellimor");
    }
    HWND window = waitForVisibleWindow(*program, 30000);
    if (window == nullptr) {
        return fail("Vellimor showed no window within 30 s");
    }
    Sleep(1000);  // the list loads
    Controls controls;
    if (const std::string why = armFarAhead(*program, window, controls); !why.empty()) {
        return fail(why);
    }
    Sleep(1000);  // the first ticks write the countdown
    line("armed %lu", static_cast<unsigned long>(GetProcessId(program->process())));
    const auto windowMs = static_cast<DWORD>(1000.0 * seconds / windows);
    double wall = e2e::millisecondsNow();
    for (int k = 0; k < windows; ++k) {
        Sleep(windowMs);
        const double wallNow = e2e::millisecondsNow();
        line("window %d %.3f", k, wallNow - wall);
        wall = wallNow;
    }
    const std::wstring label = e2e::textOf(controls.标签4).value_or(L"");
    line("label %s", e2e::utf8(label).c_str());
    line("peak %llu", static_cast<unsigned long long>(peakWorkingSet(program->process())));
    PostMessageW(window, WM_CLOSE, 0, 0);
    const auto status = program->waitForExit(10000);
    line("done %lu", static_cast<unsigned long>(status.value_or(999)));
    if (label.rfind(countdownPrefix, 0) != 0 || !status) {
        return fail("the countdown stopped or the program did not end");
    }
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);
    if (args.size() >= 5 && args[1] == L"startup") {
        std::vector<std::wstring> programs;
        for (std::size_t i = 4; i < args.size(); ++i) {
            programs.push_back(fullPath(args[i]));
        }
        return runStartup(programs, std::stoi(args[2]), static_cast<DWORD>(std::stoul(args[3])));
    }
    if (args.size() == 5 && args[1] == L"armed") {
        return runArmed(fullPath(args[2]), std::stoi(args[3]), std::stoi(args[4]));
    }
    std::fputs(
        "usage: process_driver.exe startup <runs> <settle ms> <program.exe>...\n"
        "       process_driver.exe armed <Vellimor.exe> <seconds> <windows>\n",
        stderr);
    return 2;
}
