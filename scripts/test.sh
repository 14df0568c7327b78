#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests on Linux, the same under
# AddressSanitizer, under ThreadSanitizer (the tests with real threads) and under valgrind, a
# short run of each fuzz target, then the Windows build's platform tests and end-to-end tests
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

passed=0
failed=0
run_suite() {  # preset [ctest options...]
    local preset=$1 log
    shift
    log=$(mktemp)
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
    set +e
    ctest --preset "$preset" "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    set -e
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    rm -f "$log"
    if [ -z "$line" ]; then
        echo "test.sh: the $preset suite ran no test" >&2
        failed=$((failed + 1))
        return
    fi
    local total bad
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        failed=$((failed + 1))
    fi
}

# Each fuzz target runs for 20 seconds and counts as one test.
run_fuzz() {
    local log status line good bad
    log=$(mktemp)
    set +e
    scripts/fuzz.sh 20 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    set -e
    line=$(grep -E '^fuzz targets: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1 || true)
    rm -f "$log"
    if [ -z "$line" ]; then
        echo "test.sh: the fuzz suite ran no target" >&2
        failed=$((failed + 1))
        return
    fi
    good=$(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")
    passed=$((passed + good))
    failed=$((failed + bad))
    if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
        failed=$((failed + 1))
    fi
}

# The whole unit test program under memcheck counts as one test.
run_valgrind() {
    if scripts/valgrind.sh; then
        passed=$((passed + 1))
    else
        echo "test.sh: valgrind found errors or leaks in the unit tests" >&2
        failed=$((failed + 1))
    fi
}

# The 32-bit build is always built; its tests run where Wine runs 32-bit programs.
run_windows_x86() {
    if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
        run_suite windows-x86
    else
        cmake --preset windows-x86 >/dev/null
        cmake --build --preset windows-x86 -j "$(nproc)"
        echo "test.sh: this machine cannot run 32-bit Windows programs; windows-x86 is built, its tests not run"
    fi
}

# Each architecture's zip holds Vellimor.exe and the readme.
run_package() {  # preset
    local dir=build/$1 zip
    rm -rf "$dir/packages"
    if (cd "$dir" && cpack >/dev/null) && zip=$(ls "$dir"/packages/Vellimor-*.zip) &&
        [ "$(cmake -E tar tf "$zip" | LC_ALL=C sort | paste -sd' ')" = "Vellimor.exe 读我.txt" ]; then
        echo "test.sh: cpack made $zip"
        passed=$((passed + 1))
    else
        echo "test.sh: cpack in $dir did not make a zip of Vellimor.exe and 读我.txt" >&2
        failed=$((failed + 1))
    fi
}

# Vellimor.exe built twice in different directories must be byte-identical; one test per
# architecture.
run_reproducible() {
    local log line
    log=$(mktemp)
    set +e
    scripts/check_reproducible.sh 2>&1 | tee "$log"
    set -e
    line=$(grep -E '^reproducible builds: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n 1 || true)
    rm -f "$log"
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$line")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")))
}

run_suite native
run_suite asan
run_suite tsan -R 'ConnectionList|Startup'
run_valgrind
run_fuzz
run_suite windows
run_package windows
run_windows_x86
run_package windows-x86
run_reproducible

echo "all suites: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
