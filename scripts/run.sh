#!/usr/bin/env bash
# Builds Vellimor.exe and starts it under Wine. Without a display it runs in a virtual one,
# saves a screenshot of the window to build/vellimor.png and closes it again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vellimor e2e_driver
exe=build/windows/app/Vellimor.exe
echo "built $exe ($(stat -c %s "$exe") bytes)"

if [ -n "${DISPLAY:-}" ]; then
    exec scripts/wine-run.sh "$exe"
fi
exec scripts/wine-run.sh build/windows/tests/e2e/e2e_driver.exe show "$exe" build/vellimor.png
