#!/usr/bin/env bash
# The whole-process figures of Vellimor.exe under Wine, as the rows of a Markdown table:
#
#   bench/whole_process.sh BUILD [BUILD_X86]
#
# BUILD is a Windows x64 build with VELLIMOR_BUILD_BENCHMARKS=ON (it holds app/Vellimor.exe,
# bench/win32/bare_window.exe, bench/win32/controls_window.exe and
# bench/win32/process_driver.exe); BUILD_X86, when given, a
# 32-bit build whose Vellimor.exe is sized too. Environment: BENCH_RUNS, the start-ups of each
# program (20); BENCH_ARMED_SECONDS, how long the armed program is watched (60).
#
# - Start to visible window: process_driver.exe starts Vellimor.exe, bare_window.exe (one
#   empty window of the same frame and size) and controls_window.exe (that window with
#   Vellimor's controls in it and nothing else) in turns and times each from process creation
#   to its visible top-level window; medians, and their ratios, from the same run. The controls
#   window splits what Vellimor.exe costs over the bare window into what its controls cost on
#   this system and what the program itself adds.
# - Peak working set: what Windows reports for each of those runs, read 0.5 s after the window
#   showed; under Wine it is the peak resident size (VmHWM) of the program's Linux process.
# - CPU while armed: the driver arms Vellimor.exe (both times a day ahead) and announces ten
#   equal windows of the watch; at each announcement this script reads the CPU time of the
#   program's Linux process, of the prefix's Wine server (which carries every timer message)
#   and of the virtual display, from /proc (Wine reports no CPU time for another process).
#   The program's figure is the median of the ten windows; the whole watch is given for all
#   three.
# - Size and imported DLLs of Vellimor.exe, from the file itself.
#
# Runs use a private Wine prefix kept in BUILD, so nothing else waits for the prefix lock.
# The raw lines are kept in BUILD/whole_process.log.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:?usage: bench/whole_process.sh BUILD [BUILD_X86]}
build32=${2:-}
runs=${BENCH_RUNS:-20}
armed_seconds=${BENCH_ARMED_SECONDS:-60}
windows=10
settle_ms=500

build=$(cd "$build" && pwd)
exe=$build/app/Vellimor.exe
bare=$build/bench/win32/bare_window.exe
controls=$build/bench/win32/controls_window.exe
driver=$build/bench/win32/process_driver.exe
for file in "$exe" "$bare" "$controls" "$driver"; do
    [ -f "$file" ] || {
        echo "whole_process.sh: $file is missing (build with -DVELLIMOR_BUILD_BENCHMARKS=ON)" >&2
        exit 1
    }
done
export VELLIMOR_WINEPREFIX=$build/bench-prefix
log=$build/whole_process.log
: >"$log"

# ---- Reading /proc ----------------------------------------------------------------------------

# CPU time of a Linux process in nanoseconds: the run times of its threads (schedstat), or else
# user + system time in clock ticks.
cpu_ns() {
    local pid=$1 total=0 run task
    for task in /proc/"$pid"/task/*/schedstat; do
        read -r run _ <"$task" 2>/dev/null || continue
        total=$((total + run))
    done
    if [ "$total" -eq 0 ] && [ -r /proc/"$pid"/stat ]; then
        local fields
        read -r -a fields < <(sed 's/.*) //' /proc/"$pid"/stat)
        total=$(((fields[11] + fields[12]) * 1000000000 / $(getconf CLK_TCK)))
    fi
    echo "$total"
}

# The Linux process of this prefix whose program name ends in $1 (Wine names a Windows process
# after its executable). Reads with shell built-ins only: it runs while the watch has begun.
wine_process() {
    local name=$1 dir program entry
    for dir in /proc/[0-9]*; do
        program=''
        read -r -d '' program 2>/dev/null <"$dir/cmdline" || true
        [[ $program == *"$name" ]] || continue
        while IFS= read -r -d '' entry; do
            if [ "$entry" = "WINEPREFIX=$VELLIMOR_WINEPREFIX" ]; then
                echo "${dir#/proc/}"
                return
            fi
        done 2>/dev/null <"$dir/environ"
    done
}

# The virtual display that wine-run.sh started for the run with process id $1.
display_process() {
    local parent=$1 dir comm stat ppid
    for dir in /proc/[0-9]*; do
        comm=''
        read -r comm 2>/dev/null <"$dir/comm" || true
        [ "$comm" = Xvfb ] || continue
        read -r stat <"$dir/stat"
        stat=${stat##*) }
        read -r _ ppid _ <<<"$stat"
        if [ "$ppid" = "$parent" ]; then
            echo "${dir#/proc/}"
            return
        fi
    done
}

lowest() { sort -g | head -n 1; }  # numbers on standard input

median() {  # numbers on standard input
    sort -g | awk '{v[NR] = $1} END {
        if (NR == 0) { print "nan"; exit }
        print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo "**not met**"; fi; }

# ---- Start to visible window, peak working set --------------------------------------------------

# Wine's console ends the driver's lines with CR LF.
scripts/wine-run.sh "$driver" startup "$runs" "$settle_ms" "$exe" "$bare" "$controls" | tr -d '\r' |
    tee -a "$log" >"$build/startup.txt"
grep -q '^startup ' "$build/startup.txt" || {
    echo "whole_process.sh: the start-up runs failed:" >&2
    cat "$build/startup.txt" >&2
    exit 1
}
if grep -q '^error' "$build/startup.txt"; then
    grep '^error' "$build/startup.txt" >&2
    exit 1
fi
field() { awk -v n="$1" -v f="$2" '$1 == "startup" && $2 == n {print $f}' "$build/startup.txt"; }
bad_exit=$(awk '$1 == "startup" && $6 != 0' "$build/startup.txt" | wc -l)
start_v=$(field Vellimor 4 | median)
start_b=$(field bare_window 4 | median)
start_c=$(field controls_window 4 | median)
# The fastest start of each: the least disturbed by whatever else the machine was doing.
low_v=$(field Vellimor 4 | lowest)
low_b=$(field bare_window 4 | lowest)
low_c=$(field controls_window 4 | lowest)
peak_v=$(field Vellimor 5 | median)
peak_b=$(field bare_window 5 | median)
peak_c=$(field controls_window 5 | median)
count=$(field Vellimor 4 | wc -l)

# ---- CPU while armed ----------------------------------------------------------------------------

armed_log=$build/armed.txt
: >"$armed_log"
exec {from_driver}< <(exec scripts/wine-run.sh "$driver" armed "$exe" "$armed_seconds" "$windows")
runner=$!
program_pid='' server_pid='' display_pid=''
declare -a window_percent=()
first_program=0 first_server=0 first_display=0 first_wall=0
last_program=0 last_server=0 last_display=0 last_wall=0
label='' peak_armed=0
sample() {  # sets now_program, now_server, now_display, now_wall
    now_wall=$(date +%s%N)
    now_program=$(cpu_ns "$program_pid")
    now_server=0
    [ -n "$server_pid" ] && now_server=$(cpu_ns "$server_pid")
    now_display=0
    [ -n "$display_pid" ] && now_display=$(cpu_ns "$display_pid")
}
while IFS= read -r -u "$from_driver" line; do
    line=${line%$'\r'}
    echo "$line" >>"$armed_log"
    case $line in
        armed*)
            program_pid=$(wine_process Vellimor.exe)
            server_pid=$(wine_process wineserver64)
            [ -n "$server_pid" ] || server_pid=$(wine_process wineserver)
            display_pid=$(display_process "$runner")
            [ -n "$program_pid" ] || {
                echo "whole_process.sh: Vellimor.exe's Linux process was not found" >&2
                break
            }
            sample
            first_program=$now_program first_server=$now_server first_display=$now_display
            first_wall=$now_wall
            last_program=$now_program last_wall=$now_wall
            ;;
        window*)
            sample
            window_percent+=("$(awk -v c=$((now_program - last_program)) -v w=$((now_wall - last_wall)) \
                'BEGIN { printf "%.4f", 100 * c / w }')")
            last_program=$now_program last_server=$now_server last_display=$now_display
            last_wall=$now_wall
            ;;
        label*) label=${line#label } ;;
        peak*) peak_armed=${line#peak } ;;
    esac
done
exec {from_driver}<&-
armed_status=0
wait "$runner" || armed_status=$?
cat "$armed_log" >>"$log"
if [ "$armed_status" -ne 0 ] || [ ${#window_percent[@]} -ne "$windows" ]; then
    echo "whole_process.sh: the armed run failed (status $armed_status):" >&2
    cat "$armed_log" >&2
    exit 1
fi
watched=$((last_wall - first_wall))
percent() { awk -v c="$1" -v w="$watched" 'BEGIN { printf "%.3f", 100 * c / w }'; }
cpu_v=$(printf '%s\n' "${window_percent[@]}" | median)
whole_v=$(percent $((last_program - first_program)))
whole_s=$(percent $((last_server - first_server)))
whole_d=$([ -n "$display_pid" ] && percent $((last_display - first_display)) || echo "n/a")
cpu_range=$(printf '%s\n' "${window_percent[@]}" | sort -g | sed -n '1p;$p' |
    awk '{printf "%s%.3f", (NR > 1 ? ", " : ""), $1}')

# ---- Size and imports ---------------------------------------------------------------------------

imports() {  # the DLLs a program imports, comma-separated
    local objdump=x86_64-w64-mingw32-objdump
    command -v "$objdump" >/dev/null || objdump=objdump
    "$objdump" -p "$1" | awk '/DLL Name:/ {print $3}' | paste -sd, | sed 's/,/, /g'
}
# Windows' own: the system's libraries, msvcrt.dll included; none of the compiler's runtimes.
foreign_imports() {
    imports "$1" | tr -d ' ' | tr ',' '\n' | grep -viE \
        '^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|oleaut32|msvcrt|ws2_32|iphlpapi|mprapi|ntdll|shlwapi|version|uxtheme)\.dll$|^api-ms-win-' || true
}
size_row() {  # label exe
    local bytes foreign met=met
    bytes=$(stat -c %s "$2")
    foreign=$(foreign_imports "$2" | paste -sd' ')
    if [ "$bytes" -ge 400000 ] || [ -n "$foreign" ]; then
        met="**not met**${foreign:+ (imports $foreign)}"
    fi
    # shellcheck disable=SC2016  # the backquotes are Markdown's
    printf '| `Vellimor.exe` size, %s; DLLs it imports | %s bytes (%.1f KiB); %s | | | | | under 400 KB, only Windows'"'"' own DLLs: %s |\n' \
        "$1" "$bytes" "$(awk -v b="$bytes" 'BEGIN { print b / 1024 }')" "$(imports "$2")" "$met"
}

# ---- The rows -----------------------------------------------------------------------------------

# Ratios to the bare window, then the controls window's own and Vellimor.exe's to it.
echo "| figure | Vellimor.exe | bare window | ratio | controls window (ratio to bare) | Vellimor.exe / controls window | goal |"
echo "|---|---|---|---|---|---|---|"
printf '| start to visible window (median of %s) | %.0f ms | %.0f ms | %s | %.0f ms (%s) | %s | ratio at most 1.10: %s |\n' \
    "$count" "$start_v" "$start_b" "$(ratio "$start_v" "$start_b")" \
    "$start_c" "$(ratio "$start_c" "$start_b")" "$(ratio "$start_v" "$start_c")" \
    "$(verdict "$start_v / $start_b <= 1.10")"
printf '| start to visible window, fastest of %s | %.0f ms | %.0f ms | %s | %.0f ms (%s) | %s | |\n' \
    "$count" "$low_v" "$low_b" "$(ratio "$low_v" "$low_b")" \
    "$low_c" "$(ratio "$low_c" "$low_b")" "$(ratio "$low_v" "$low_c")"
printf '| peak working set, %s ms after the window shows (median of %s) | %s | %s | %s | %s (%s) | %s | |\n' \
    "$settle_ms" "$count" "$(mib "$peak_v")" "$(mib "$peak_b")" "$(ratio "$peak_v" "$peak_b")" \
    "$(mib "$peak_c")" "$(ratio "$peak_c" "$peak_b")" "$(ratio "$peak_v" "$peak_c")"
printf '| CPU while armed, median of %s windows of %s s (lowest, highest) | %.3f %% of one core (%s) | | | | | under 0.5 %%: %s |\n' \
    "$windows" "$((armed_seconds / windows))" "$cpu_v" "$cpu_range" \
    "$(verdict "$cpu_v < 0.5")"
printf '| CPU over the whole %.0f s armed: program; Wine server; virtual display | %s %%; %s %%; %s %% | | | | | |\n' \
    "$(awk -v w="$watched" 'BEGIN { print w / 1e9 }')" "$whole_v" "$whole_s" "$whole_d"
printf '| peak working set after %s s armed | %s | | | | | |\n' "$armed_seconds" "$(mib "$peak_armed")"
size_row x64 "$exe"
if [ -n "$build32" ] && [ -f "$build32/app/Vellimor.exe" ]; then
    size_row x86 "$build32/app/Vellimor.exe"
fi
echo
echo "Countdown at the end of the watch: $label. Start-ups with a non-zero exit status: $bad_exit."
