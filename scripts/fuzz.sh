#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset: clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a while.
#
#   scripts/fuzz.sh [seconds] [target...]     default: 20 seconds each, every target
#
# Each target starts from its committed seeds (fuzz/corpus/<target>) and keeps what it finds
# new in build/fuzz/corpus/<target>, so later runs go on from there. An input that crashes,
# leaks, runs out of memory (2 GB) or hangs (10 s) is saved under build/fuzz/findings/ and makes
# the script fail. The last line is "fuzz targets: N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

build=build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in fuzz/*_fuzz.cpp; do
        name=$(basename "$source" .cpp)
        targets+=("${name%_fuzz}")
    done
fi

passed=0
failed=0
for target in "${targets[@]}"; do
    program=$build/fuzz/${target}_fuzz
    corpus=$build/corpus/$target
    findings=$build/findings/$target
    mkdir -p "$corpus" "$findings"
    log=$(mktemp)
    set +e
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
        "$program" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "fuzz/corpus/$target" \
        >"$log" 2>&1
    status=$?
    set -e
    runs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}' || true)
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "fuzz: $target passed (${runs:-?} runs in ${seconds} s)"
    else
        failed=$((failed + 1))
        grep -E 'ERROR|SUMMARY|broken invariant|runtime error' "$log" | head -n 20 >&2 || true
        cp "$log" "$findings/last-run.log"
        echo "fuzz: $target FAILED (exit $status); the input and the log are in $findings/" >&2
    fi
    rm -f "$log"
done

echo "fuzz targets: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
