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

run_suite native
run_suite asan
run_suite tsan -R 'ConnectionList|Startup'
run_valgrind
run_fuzz
run_suite windows

echo "all suites: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
