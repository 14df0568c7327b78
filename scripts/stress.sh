#!/usr/bin/env bash
# Stress runs of Vellimor.exe under Wine (not part of the test run):
#
#   scripts/stress.sh BUILD [CYCLES] [ARMED_SECONDS]
#
# BUILD is a Windows build with VELLIMOR_BUILD_BENCHMARKS=ON (app/Vellimor.exe,
# bench/win32/stress_driver.exe). CYCLES defaults to 100, ARMED_SECONDS to 600.
#
# - Start/close cycles: the router configuration library of the end-to-end tests is the
#   system's mprapi.dll in the prefix, answering after $STRESS_DELAY_MS (3000). Every third cycle
#   closes the window as soon as it shows, while the list is still loading; the others once it
#   has loaded. Each must end with status 0 and leave no process of the program behind (checked
#   from /proc after every cycle, before the next one starts).
# - A planted iphlpapi.dll beside Vellimor.exe during all cycles; its DllMain writes
#   C:\planted-iphlpapi.txt, which must never appear. Wine is told to prefer native files for
#   iphlpapi, and a control program beside the plant, loading it by bare name, must write it.
# - Armed watch, in a second prefix at the same time: the program armed a day ahead, sampled
#   every $STRESS_INTERVAL (30) seconds: VmRSS and open descriptors of its Linux process, the
#   handle count and working set Windows reports for it. The figures must be flat.
#
# Raw lines go to $STRESS_OUT (BUILD/stress/); the summary table to standard output.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

build=${1:?usage: scripts/stress.sh BUILD [CYCLES] [ARMED_SECONDS]}
cycles=${2:-100}
armed_seconds=${3:-600}
delay_ms=${STRESS_DELAY_MS:-3000}
interval=${STRESS_INTERVAL:-30}

build=$(cd "$build" && pwd)
exe=$build/app/Vellimor.exe
driver=$build/bench/win32/stress_driver.exe
mprapi=$build/tests/e2e/system32/mprapi.dll
for file in "$exe" "$driver" "$mprapi"; do
    [ -f "$file" ] || {
        echo "stress.sh: $file is missing (build with -DVELLIMOR_BUILD_BENCHMARKS=ON)" >&2
        exit 1
    }
done
out=${STRESS_OUT:-$build/stress}
mkdir -p "$out"
cycles_prefix=$build/stress-cycles
armed_prefix=$build/stress-armed

# ---- Prefixes -----------------------------------------------------------------------------------

prepare_prefix() {  # prefix
    if [ ! -f "$1/system.reg" ]; then
        # wine-run.sh makes the prefix; the driver without arguments only prints its usage.
        VELLIMOR_WINEPREFIX=$1 scripts/wine-run.sh "$driver" >/dev/null 2>&1
    fi
    mkdir -p "$1/drive_c/app" "$1/drive_c/stress"
    cp "$exe" "$1/drive_c/app/Vellimor.exe"
    cp "$driver" "$1/drive_c/stress/stress_driver.exe"
}

# A library planted as iphlpapi.dll beside the program: loading it leaves a marker file.
planted_dll=$out/iphlpapi.dll
build_planted() {
    local source=$out/planted_iphlpapi.c
    cat >"$source" <<'EOF'
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE file = CreateFileW(L"C:\\planted-iphlpapi.txt", FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, "loaded\r\n", 8, &written, NULL);
            CloseHandle(file);
        }
    }
    return TRUE;
}
EOF
    x86_64-w64-mingw32-gcc -shared -O2 -o "$planted_dll" "$source" -Wl,--kill-at || return 1
    # The control: a program beside the planted library that loads iphlpapi.dll by its bare name.
    cat >"$out/plain_load.c" <<'EOF'
#include <windows.h>
int main(void) { return LoadLibraryW(L"iphlpapi.dll") != NULL ? 0 : 1; }
EOF
    x86_64-w64-mingw32-gcc -O2 -o "$out/plain_load.exe" "$out/plain_load.c"
}

# Wine prefers its own iphlpapi.dll to any file of that name, wherever it lies: the cycles ask for
# files first, so that a plant beside the program would be loaded by a bare-name load.
cycles_overrides="mprapi=n;iphlpapi=n,b"

# ---- /proc --------------------------------------------------------------------------------------

# Linux processes of a prefix whose command line names $2 (Wine names a Windows process after its
# executable).
prefix_processes() {  # prefix pattern
    local dir program entry
    for dir in /proc/[0-9]*; do
        program=''
        read -r -d '' program 2>/dev/null <"$dir/cmdline" || true
        [[ ${program,,} == *$2* ]] || continue
        while IFS= read -r -d '' entry; do
            if [ "$entry" = "WINEPREFIX=$1" ]; then
                echo "${dir#/proc/}"
                break
            fi
        done 2>/dev/null <"$dir/environ"
    done
}

rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
fd_count() { find "/proc/$1/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l; }

# ---- Armed watch (background) -------------------------------------------------------------------

armed_watch() {
    local log=$out/armed.txt line pid=''
    : >"$log"
    while IFS= read -r line; do
        line=${line%$'\r'}
        case $line in
            armed*)
                pid=$(prefix_processes "$armed_prefix" vellimor.exe | head -1)
                echo "$line linux $pid" >>"$log"
                ;;
            sample*)
                # sample k handles ws counting, then VmRSS (KiB) and descriptors of the Linux process
                echo "$line $(rss_kib "$pid") $(fd_count "$pid") $(date -u +%T)" >>"$log"
                ;;
            *) echo "$line" >>"$log" ;;
        esac
    done < <(VELLIMOR_WINEPREFIX=$armed_prefix scripts/wine-run.sh \
        'C:\stress\stress_driver.exe' armed 'C:\app\Vellimor.exe' "$armed_seconds" "$interval" \
        2>"$out/armed-stderr.txt"
        echo "exit $?")
}

# ---- Cycles -------------------------------------------------------------------------------------

cycle_run() {
    local log=$out/cycles.txt drive=$cycles_prefix/drive_c line leftovers status
    : >"$log"
    printf 'delay_ms=%s\r\n' "$delay_ms" >"$drive/mprapi-names.txt"
    cp "$mprapi" "$drive/windows/system32/mprapi.dll"
    cp "$planted_dll" "$drive/app/iphlpapi.dll"
    rm -f "$drive/planted-iphlpapi.txt"
    cp "$out/plain_load.exe" "$drive/app/plain_load.exe"
    VELLIMOR_WINEPREFIX=$cycles_prefix WINEDLLOVERRIDES=$cycles_overrides scripts/wine-run.sh \
        'C:\app\plain_load.exe' >/dev/null 2>&1
    control=0
    [ -s "$drive/planted-iphlpapi.txt" ] && control=1
    echo "control $control" >>"$log"
    rm -f "$drive/planted-iphlpapi.txt" "$drive/app/plain_load.exe"
    coproc DRIVER {
        VELLIMOR_WINEPREFIX=$cycles_prefix WINEDLLOVERRIDES=$cycles_overrides scripts/wine-run.sh \
            'C:\stress\stress_driver.exe' cycles 'C:\app\Vellimor.exe' "$cycles" 3 \
            "$((delay_ms + 500))" 2>"$out/cycles-stderr.txt"
    }
    # shellcheck disable=SC2153  # set by coproc
    local driver_pid=$DRIVER_PID
    while IFS= read -r -u "${DRIVER[0]}" line; do
        line=${line%$'\r'}
        case $line in
            cycle*)
                # The program's process must be gone, and no debugger may have started.
                sleep 0.2
                leftovers=$(prefix_processes "$cycles_prefix" vellimor.exe | wc -l)
                leftovers=$((leftovers + $(prefix_processes "$cycles_prefix" winedbg | wc -l)))
                planted=0
                [ -e "$drive/planted-iphlpapi.txt" ] && planted=1
                echo "$line leftover $leftovers planted $planted" >>"$log"
                echo go >&"${DRIVER[1]}"
                ;;
            *) echo "$line" >>"$log" ;;
        esac
    done
    wait "$driver_pid"
    status=$?
    echo "exit $status" >>"$log"
    # After the run: nothing of the prefix left at all (wine-run.sh waits for its server).
    echo "after $(prefix_processes "$cycles_prefix" '' | wc -l)" >>"$log"
    rm -f "$drive/app/iphlpapi.dll"
}

# ---- Run ----------------------------------------------------------------------------------------

build_planted || exit 1
prepare_prefix "$cycles_prefix"
prepare_prefix "$armed_prefix"
started=$(date +%s)
armed_watch &
armed_job=$!
cycle_run
cycles_done=$(date +%s)
wait "$armed_job"
armed_done=$(date +%s)

# ---- Summary ------------------------------------------------------------------------------------

c=$out/cycles.txt
a=$out/armed.txt
verdict() { if [ "$1" = 1 ]; then echo pass; else echo "**FAIL**"; fi; }
stats() {  # column of numbers on stdin -> first last min max
    awk 'NR == 1 {f = $1; mn = $1; mx = $1} {l = $1; if ($1 < mn) mn = $1; if ($1 > mx) mx = $1}
         END {printf "first %s, last %s, min %s, max %s", f, l, mn, mx}'
}
ran=$(grep -c '^cycle ' "$c")
early=$(grep -c '^cycle [0-9]* early' "$c")
early_loading=$(awk '$1 == "cycle" && $3 == "early" && $7 == 1' "$c" | wc -l)
bad_status=$(awk '$1 == "cycle" && $6 != "0x00000000"' "$c" | wc -l)
leftover=$(awk '$1 == "cycle" && $10 != 0' "$c" | wc -l)
planted=$(awk '$1 == "cycle" && $12 != 0' "$c" | wc -l)
close_after=$(awk '$1 == "cycle" && $3 == "early" {print $8}' "$c" | sort -g | sed -n '1p;$p' | paste -sd-)
times_early=$(awk '$1 == "cycle" && $3 == "early" {print $5}' "$c" | sort -g |
    awk '{v[NR] = $1} END {if (NR) printf "min %.0f, median %.0f, max %.0f ms", v[1], v[int((NR + 1) / 2)], v[NR]}')
times_settled=$(awk '$1 == "cycle" && $3 == "settled" {print $5}' "$c" | sort -g |
    awk '{v[NR] = $1} END {if (NR) printf "min %.0f, median %.0f, max %.0f ms", v[1], v[int((NR + 1) / 2)], v[NR]}')
shown=$(awk '$1 == "cycle" {print $4}' "$c" | sort -g |
    awk '{v[NR] = $1} END {if (NR) printf "min %.0f, median %.0f, max %.0f ms", v[1], v[int((NR + 1) / 2)], v[NR]}')
samples=$(grep -c '^sample ' "$a")
counting=$(awk '$1 == "sample" && $5 != 1' "$a" | wc -l)
flat() {  # column: max - min within $2 (absolute) ?
    awk -v col="$1" -v tol="$2" '$1 == "sample" && NR > 0 {if (n++ == 0) {mn = $col; mx = $col}
        if ($col < mn) mn = $col; if ($col > mx) mx = $col} END {print (n > 0 && mx - mn <= tol) ? 1 : 0}' "$a"
}

echo "| check | what was tried | result |"
echo "|---|---|---|"
echo "| cycles run | $cycles start/close cycles, mprapi answering after $delay_ms ms | $ran of $cycles; driver $(tail -2 "$c" | head -1); $((cycles_done - started)) s |"
echo "| closed while loading | every third cycle: WM_CLOSE as soon as the window shows and the loader is inside the slow library | $early early closes ($close_after ms after the window showed), $early_loading of them with the inventory provably still waiting: $(verdict $((early > 0 && early_loading == early))) |"
echo "| exit status 0 | every cycle's status from GetExitCodeProcess | $bad_status non-zero: $(verdict $((ran == cycles && bad_status == 0))) |"
echo "| nothing left behind | /proc after each cycle: Vellimor.exe or winedbg of the prefix | $leftover cycles with leftovers; after the run $(awk '$1 == "after" {print $2}' "$c") processes of the prefix: $(verdict $((leftover == 0)) ) |"
echo "| cycle times | start to visible window; whole cycle early / settled | window: $shown; early: $times_early; settled: $times_settled |"
echo "| planted iphlpapi.dll | DLL beside Vellimor.exe in every cycle, DllMain writes C:\\planted-iphlpapi.txt | control (a program beside it loading iphlpapi.dll by bare name, Wine told to prefer files) wrote the marker: $(awk '$1 == "control" {print ($2 ? "yes" : "NO")}' "$c"); marker seen after $planted cycles: $(verdict $((planted == 0 && ran > 0 && $(awk '$1 == "control" {print $2}' "$c")))) |"
echo "| armed watch | armed a day ahead, $armed_seconds s, sampled every $interval s ($samples samples), countdown running | $(grep '^done\|^error\|^exit' "$a" | paste -sd' '); samples without countdown: $counting; $((armed_done - started)) s |"
echo "| VmRSS (KiB, Linux process) | /proc/PID/status | $(awk '$1 == "sample" {print $6}' "$a" | stats): flat within 1 MiB $(verdict "$(flat 6 1024)") |"
echo "| handle count (GetProcessHandleCount) | from the driver under Wine | $(awk '$1 == "sample" {print $3}' "$a" | stats)$(awk '$1 == "sample" && $3 != 0 {n++} END {if (!n) print " (Wine reports no handle count: not a figure)"}' "$a") |"
echo "| open descriptors (Linux process) | /proc/PID/fd | $(awk '$1 == "sample" {print $7}' "$a" | stats): flat $(verdict "$(flat 7 0)") |"
echo "| working set (bytes, as Wine reports) | K32GetProcessMemoryInfo | $(awk '$1 == "sample" {print $4}' "$a" | stats) |"
