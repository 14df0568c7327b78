// stress_driver.exe: start/close cycles and a long armed watch of Vellimor.exe, for
// scripts/stress.sh.
//
//   stress_driver.exe cycles <Vellimor.exe> <cycles> <early every> <settle ms>
//       Starts and closes the program <cycles> times. Every <early every>-th cycle closes the
//       window (WM_CLOSE) as soon as it is visible, while the list may still be loading; the
//       others wait <settle ms> first. After each cycle one line, then the driver reads one line
//       from standard input before the next cycle (the script checks for leftover processes):
//           cycle <k> <early|settled> <ms to window> <ms whole cycle> <exit status hex> <loading>
//                 <ms from window to WM_CLOSE>
//       <loading> is 1 when C:\mprapi-connects.txt existed and 组合框1 was still empty at the
//       moment of closing. An early close waits (at most 3 s) for that file: the loader is then
//       inside the slow library.
//
//   stress_driver.exe armed <Vellimor.exe> <seconds> <interval seconds>
//       Starts Vellimor.exe, sets both times a day and two days ahead, presses 按钮3, then every
//       <interval> seconds prints what Windows reports of the process:
//           armed <process id>
//           sample <k> <handle count, or -error> <working set bytes> <标签4 starts with 断网剩余:
//           1|0> done <exit status hex>
//
// A line starting with "error" tells why a run could not go on; the exit status is then
// non-zero.
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

int runCycles(const std::wstring& vellimor, int cycles, int earlyEvery, DWORD settleMs) {
    for (int k = 0; k < cycles; ++k) {
        const bool early = earlyEvery > 0 && k % earlyEvery == 0;
        DeleteFileW(L"C:\\mprapi-connects.txt");
        const double started = e2e::millisecondsNow();
        auto program = e2e::Program::start(vellimor, directoryOf(vellimor));
        if (!program) {
            return fail("cannot start Vellimor");
        }
        HWND window = program->waitForWindow(30000);
        const double shown = e2e::millisecondsNow();
        if (window == nullptr) {
            return fail("cycle " + std::to_string(k) + ": no window within 30 s");
        }
        // An early close waits only until the loader is inside the slow library, so that the
        // window closes while the inventory is still running.
        const double until = e2e::millisecondsNow() + (early ? 3000.0 : settleMs);
        bool connecting = false;
        while (e2e::millisecondsNow() < until) {
            connecting = GetFileAttributesW(L"C:\\mprapi-connects.txt") != INVALID_FILE_ATTRIBUTES;
            if (early && connecting) {
                break;
            }
            Sleep(early ? 1 : 50);
        }
        const double closing = e2e::millisecondsNow();
        const HWND list = findControls(window).组合框1;
        const bool loading = connecting && list != nullptr && e2e::itemCount(list) == 0;
        PostMessageW(window, WM_CLOSE, 0, 0);
        const auto status = program->waitForExit(15000);
        const double ended = e2e::millisecondsNow();
        line("cycle %d %s %.1f %.1f 0x%08lX %d %.1f", k, early ? "early" : "settled",
             shown - started, ended - started,
             static_cast<unsigned long>(status.value_or(0xDEADDEADUL)), loading ? 1 : 0,
             closing - shown);
        if (!status) {
            return fail("cycle " + std::to_string(k) + ": the program did not end after WM_CLOSE");
        }
        char go[16];
        if (std::fgets(go, sizeof go, stdin) == nullptr) {
            return fail("standard input closed");
        }
    }
    return 0;
}

int runArmed(const std::wstring& vellimor, int seconds, int interval) {
    auto program = e2e::Program::start(vellimor, directoryOf(vellimor));
    if (!program) {
        return fail("cannot start Vellimor");
    }
    HWND window = program->waitForWindow(30000);
    if (window == nullptr) {
        return fail("Vellimor showed no window within 30 s");
    }
    Sleep(1000);  // the list loads
    Controls controls;
    if (const std::string why = armFarAhead(*program, window, controls); !why.empty()) {
        return fail(why);
    }
    Sleep(1000);
    line("armed %lu", static_cast<unsigned long>(GetProcessId(program->process())));
    const int samples = seconds / interval;
    for (int k = 0; k <= samples; ++k) {
        if (k > 0) {
            Sleep(static_cast<DWORD>(interval) * 1000);
        }
        DWORD handles = 0;
        const long handleCount = GetProcessHandleCount(program->process(), &handles)
                                     ? static_cast<long>(handles)
                                     : -static_cast<long>(GetLastError());
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        K32GetProcessMemoryInfo(program->process(), &counters, sizeof counters);
        const bool counting =
            e2e::textOf(controls.标签4).value_or(L"").rfind(countdownPrefix, 0) == 0;
        line("sample %d %ld %llu %d", k, handleCount,
             static_cast<unsigned long long>(counters.WorkingSetSize), counting ? 1 : 0);
    }
    // The script reads the last sample's /proc figures before the program is closed.
    Sleep(2000);
    PostMessageW(window, WM_CLOSE, 0, 0);
    const auto status = program->waitForExit(15000);
    line("done 0x%08lX", static_cast<unsigned long>(status.value_or(0xDEADDEADUL)));
    return status ? 0 : fail("the program did not end after WM_CLOSE");
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);
    if (args.size() == 6 && args[1] == L"cycles") {
        return runCycles(fullPath(args[2]), std::stoi(args[3]), std::stoi(args[4]),
                         static_cast<DWORD>(std::stoul(args[5])));
    }
    if (args.size() == 5 && args[1] == L"armed") {
        return runArmed(fullPath(args[2]), std::stoi(args[3]), std::stoi(args[4]));
    }
    std::fputs(
        "usage: stress_driver.exe cycles <Vellimor.exe> <cycles> <early every> <settle ms>\n"
        "       stress_driver.exe armed <Vellimor.exe> <seconds> <interval seconds>\n",
        stderr);
    return 2;
}
