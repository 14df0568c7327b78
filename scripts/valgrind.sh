#!/usr/bin/env bash
# Runs the unit test program under valgrind's memcheck: any invalid read or write, use of an
# uninitialised value, or block definitely or indirectly lost makes it fail. Builds the native
# preset first (or reuses its build).
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target unit_tests

valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --show-leak-kinds=definite,indirect --track-origins=yes --num-callers=30 \
    build/native/tests/unit/unit_tests --gtest_brief=1
echo "valgrind: the unit tests ran clean"
