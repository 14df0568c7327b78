#!/usr/bin/env bash
# Runs one step of the end-to-end tests under Wine:
#
#   run_e2e.sh prefix             creates the test prefix (once per test run)
#   run_e2e.sh CASE LOCALE        runs e2e_driver.exe CASE (window, schedule, connections)
#                                 with LANG=LOCALE
#
# The paths come from the environment (set by CTest): E2E_PREFIX, E2E_OUT, E2E_VELLIMOR,
# E2E_DRIVER, E2E_NETSH, E2E_PLANTED_RECORDER, E2E_MPRAPI, E2E_PLANTED_MPRAPI.
#
# Where user namespaces are allowed, each step runs in a network namespace of its own with
# three made-up interfaces: the connections the program lists are then the same on every
# machine, and no real connection could be switched even by mistake.
set -euo pipefail

step=${1:?usage: run_e2e.sh prefix | CASE LOCALE}
locale=${2:-en_US.UTF-8}
: "${E2E_PREFIX:?}" "${E2E_OUT:?}" "${E2E_VELLIMOR:?}" "${E2E_DRIVER:?}"

# ---- The network namespace ----------------------------------------------------------------
if [ -z "${E2E_NAMESPACE:-}" ]; then
    if command -v ip >/dev/null && unshare --map-root-user --net true 2>/dev/null; then
        E2E_UID=$(id -u)
        E2E_GID=$(id -g)
        export E2E_NAMESPACE=outer E2E_UID E2E_GID
        exec unshare --map-root-user --net bash "$0" "$@"
    fi
    export E2E_NAMESPACE=none
    echo "run_e2e: no network namespace available; using this machine's interfaces"
fi
if [ "$E2E_NAMESPACE" = outer ]; then
    ip link set lo up
    ip link add e2e0 type veth peer name e2e1
    ip link add e2e2 type bridge
    ip addr add 192.0.2.10/24 dev e2e0
    ip addr add 198.51.100.10/24 dev e2e1
    ip addr add 203.0.113.10/24 dev e2e2
    for link in e2e0 e2e1 e2e2; do ip link set "$link" up; done
    export E2E_NAMESPACE=inner
    # Wine wants to run as the owner of the prefix: map back to the real user.
    if [ "$E2E_UID" != 0 ]; then
        exec unshare --user --map-user="$E2E_UID" --map-group="$E2E_GID" bash "$0" "$@"
    fi
fi

# ---- Display and Wine ---------------------------------------------------------------------
export WINEPREFIX=$E2E_PREFIX
export WINEDEBUG=-all
# The recording network shell and the test's router configuration library are native files in
# the system directory; .NET and HTML engines are never offered; a crash ends the program.
export WINEDLLOVERRIDES="netsh.exe=n;mprapi=n;mscoree=;mshtml=;winedbg.exe=d"
export LANG=$locale LC_ALL=$locale
unset DISPLAY

work=$(mktemp -d)
xvfb_pid=
# shellcheck disable=SC2317  # run by the trap
finish() {
    # Let the prefix's processes end with the last program, then take the display away.
    timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT

# -displayfd lets Xvfb pick a free display number and report it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
number=$(tr -d '[:space:]' <"$work/display")
if [ -z "$number" ]; then
    echo "run_e2e: the virtual display did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number"

drive=$WINEPREFIX/drive_c

if [ "$step" = prefix ]; then
    : "${E2E_NETSH:?}" "${E2E_PLANTED_RECORDER:?}" "${E2E_MPRAPI:?}" "${E2E_PLANTED_MPRAPI:?}"
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")" "$E2E_OUT"
    wineboot -i >"$E2E_OUT/wineboot.log" 2>&1
    # No window manager runs on the virtual display: Wine draws the frames itself, and hiding a
    # window does not wait for a window manager to withdraw it.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    # The caption buttons' glyphs come from this font.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$drive/windows/Fonts/"
    fi

    cp "$E2E_NETSH" "$drive/windows/system32/netsh.exe"
    cp "$E2E_MPRAPI" "$drive/windows/system32/mprapi.dll"
    mkdir -p "$drive/app" "$drive/work" "$drive/e2e"
    # Programs and a library where the program must never take them from: beside it and in its
    # working directory.
    for dir in app work; do
        cp "$E2E_PLANTED_RECORDER" "$drive/$dir/cmd.exe"
        cp "$E2E_PLANTED_RECORDER" "$drive/$dir/netsh.exe"
    done
    cp "$E2E_PLANTED_MPRAPI" "$drive/app/mprapi.dll"
    echo "run_e2e: prefix ready at $WINEPREFIX"
    exit 0
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run_e2e: no test prefix; run the e2e_prefix test first" >&2
    exit 1
fi
mkdir -p "$E2E_OUT"
cp "$E2E_VELLIMOR" "$drive/app/Vellimor.exe"
cp "$E2E_DRIVER" "$drive/e2e/e2e_driver.exe"
rm -f "$drive/netsh-log.txt" "$drive/planted-log.txt" "$drive/mprapi-names.txt" \
    "$drive/mprapi-connects.txt" "$drive/e2e/"*.png

wineserver -p0
arguments=("$step" 'C:\app\Vellimor.exe' 'C:\work')
# Pictures of the window as a Chinese system shows it: at start, and with the connections listed.
if [ "$step" != schedule ] && [ "${locale%%.*}" = zh_CN ]; then
    arguments+=('C:\e2e\screenshot.png')
fi
tag=$step-${locale%%.*}
started=$(date +%s%N)
set +e
wine 'C:\e2e\e2e_driver.exe' "${arguments[@]}" 2>"$work/stderr" | tee "$E2E_OUT/$tag.log"
status=${PIPESTATUS[0]}
set -e
elapsed=$((($(date +%s%N) - started) / 1000000))
printf 'run_e2e: %s took %d.%03d s, network namespace: %s\n' "$tag" $((elapsed / 1000)) \
    $((elapsed % 1000)) "$E2E_NAMESPACE" |
    tee -a "$E2E_OUT/$tag.log"
if [ -s "$work/stderr" ]; then
    sed 's/^/stderr: /' "$work/stderr" | grep -v -e wine32 -e multiarch -e 'dpkg --add' -e 'apt-get install' || true
fi
for log in netsh-log.txt planted-log.txt mprapi-names.txt; do
    if [ -f "$drive/$log" ]; then
        cp "$drive/$log" "$E2E_OUT/$tag-$log"
    fi
done
if [ -f "$drive/e2e/screenshot.png" ]; then
    cp "$drive/e2e/screenshot.png" "$E2E_OUT/screenshot-$tag.png"
fi
exit "$status"
