#!/usr/bin/env bash
# Runs every benchmark and prints their figures as one Markdown report, which it also writes,
# with the date and the machine, to docs/performance.md:
#
#   bench/run.sh [--no-write]
#
# - The Google Benchmark figures of the logic (bench/*_bench.cpp): the native preset's build with
#   optimisation (Release, in build/bench-native; the preset itself builds for debugging).
# - The whole-process figures of Vellimor.exe under Wine (bench/whole_process.sh), from the
#   windows preset's build with the benchmark programs (build/bench-windows), and the size of
#   the 32-bit build (build/bench-windows-x86) when its compiler is installed.
#
# Takes about five minutes once built; the figures are for people to read, nothing here fails
# on a figure. Run it on a quiet machine: the report gives the load average before and after.
set -euo pipefail
cd "$(dirname "$0")/.."

write=true
[ "${1:-}" = --no-write ] && write=false

scripts/setup.sh
jobs=$(nproc)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- Builds -------------------------------------------------------------------------------------

# Build output goes to standard error: standard output is the report.
{
    cmake --preset native -B build/bench-native -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/bench-native -j "$jobs" --target vellimor_bench
    cmake --preset windows -B build/bench-windows -DVELLIMOR_BUILD_TESTS=OFF \
        -DVELLIMOR_BUILD_BENCHMARKS=ON >/dev/null
    cmake --build build/bench-windows -j "$jobs" --target Vellimor bare_window controls_window process_driver
} >&2
build32=
if command -v i686-w64-mingw32-g++-posix >/dev/null; then
    {
        cmake -S . -B build/bench-windows-x86 -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-i686.cmake" \
            -DCMAKE_BUILD_TYPE=MinSizeRel -DVELLIMOR_BUILD_TESTS=OFF >/dev/null
        cmake --build build/bench-windows-x86 -j "$jobs" --target Vellimor
    } >&2
    build32=build/bench-windows-x86
fi

# ---- Figures ------------------------------------------------------------------------------------

echo "bench: the logic's benchmarks" >&2
csv=build/bench-native/vellimor_bench.csv
build/bench-native/bench/vellimor_bench --benchmark_out="$csv" --benchmark_out_format=csv \
    >build/bench-native/vellimor_bench.txt 2>&1
logic=$(awk -F, '
    # A duration in nanoseconds, with three significant digits in a fitting unit.
    function duration(ns) {
        if (ns >= 1e6) return sprintf("%.3g ms", ns / 1e6)
        if (ns >= 1e3) return sprintf("%.3g us", ns / 1e3)
        return sprintf("%.3g ns", ns)
    }
    /^name,/ { started = 1; next }
    started {
        name = $1; gsub(/"/, "", name)
        scale = $5 == "ms" ? 1e6 : $5 == "us" ? 1e3 : $5 == "s" ? 1e9 : 1
        per = $11 != "" ? duration($11 * 1e9) : ""
        printf "| `%s` | %s | %s | %d | %s |\n", name, duration($3 * scale), duration($4 * scale),
            $2, per
    }' "$csv")

echo "bench: the whole process under Wine (about three minutes)" >&2
whole=$(bench/whole_process.sh build/bench-windows ${build32:+"$build32"})
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- Report -------------------------------------------------------------------------------------

cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
memory=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
exe_hash=$(sha256sum build/bench-windows/app/Vellimor.exe | cut -c1-16)
revision=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
# The report itself does not count: it is what this run rewrites.
if [ -n "$(git status --porcelain --untracked-files=no -- . ':!docs/performance.md' 2>/dev/null)" ]; then
    revision="$revision with local changes"
fi

report=$(
    cat <<EOF
# Performance

Measured by \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), at commit $revision.
Machine: $cpu, $(nproc) cores, $memory; $(uname -sr); $(wine --version 2>/dev/null || echo "Wine ?").
Load average before: $load_before; after: $load_after.

## The whole program under Wine

\`Vellimor.exe\` of the \`windows\` preset (MinSizeRel, x64; sha256 $exe_hash…) against
\`bare_window.exe\`, a program that only creates and shows one empty window of the same frame and
size, and against \`controls_window.exe\`, that window with Vellimor's ten control windows in it,
created as Vellimor creates them, and nothing else (both from bench/bare_window.cpp). What the
controls window costs over the bare window is what those controls cost on this system; what
Vellimor.exe costs over the controls window is the program's own share. The programs start in
turns in one run, after one warm-up start each; the ratios compare figures of that run. See
\`bench/whole_process.sh\` for how each figure is taken.

$whole

## The logic (Google Benchmark)

\`vellimor_bench\` of the \`native\` preset, built with optimisation (Release), over the platform
substitutes. Time is wall-clock per iteration, CPU the process's CPU time per iteration;
per item is the time per adapter or interface (the inventory's \`per_n\` counter).$(
        grep -q 'Library was built as DEBUG' build/bench-native/vellimor_bench.txt &&
            printf '\n%s' "Google Benchmark's library, as the distribution builds it, warns that it" \
                "was built without NDEBUG: its own checks run, the code measured is optimised."
    )

| benchmark | time | CPU | iterations | per item |
|---|---|---|---|---|
$logic
EOF
)

echo "$report"
if $write; then
    printf '%s\n' "$report" >docs/performance.md
    echo "bench: written to docs/performance.md" >&2
fi
