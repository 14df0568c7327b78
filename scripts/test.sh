#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests on Linux, then the Windows
# build's platform tests and end-to-end tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

passed=0
failed=0
run_suite() {  # preset
    local preset=$1 log
    log=$(mktemp)
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
    set +e
    ctest --preset "$preset" 2>&1 | tee "$log"
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

run_suite native
run_suite windows

echo "all suites: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
