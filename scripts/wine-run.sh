#!/usr/bin/env bash
# Runs a Windows program under Wine: wine-run.sh PROGRAM.exe [ARGUMENTS...]
#
# - A display: the caller's $DISPLAY, or else a virtual one (Xvfb on a free display number)
#   started for this run and stopped afterwards.
# - A private Wine prefix, made once with `wineboot -i` and reused: $VELLIMOR_WINEPREFIX, or
#   else vellimor/wine (with a display) or vellimor/wine-virtual (without) under
#   $XDG_CACHE_HOME (~/.cache when unset). The virtual display has no window manager, so that
#   prefix hands no windows to one; Wine would otherwise wait for it each time a window shows.
# - No Wine debug output (WINEDEBUG=-all); a program that crashes ends instead of waiting in
#   Wine's debugger.
# - Runs on one prefix take turns (a lock beside the prefix), so parallel callers are safe too.
#
# Exits with the program's exit status (modulo 256, as every Unix exit status).
set -uo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM.exe [ARGUMENTS...]" >&2
    exit 2
fi

virtual_display=false
[ -z "${DISPLAY:-}" ] && virtual_display=true

cache=${XDG_CACHE_HOME:-$HOME/.cache}/vellimor
if [ -n "${VELLIMOR_WINEPREFIX:-}" ]; then
    export WINEPREFIX=$VELLIMOR_WINEPREFIX
elif $virtual_display; then
    export WINEPREFIX=$cache/wine-virtual
else
    export WINEPREFIX=$cache/wine
fi
export WINEDEBUG=-all
# Never offer to download the .NET or HTML engines (neither is needed), and let a crashing
# program end instead of waiting in Wine's debugger.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9

xvfb_pid=
interrupted=false
finish() {
    if [ -n "$xvfb_pid" ]; then
        # The prefix's desktop process talks to the display: Wine ends first, then the display.
        if $interrupted; then
            wineserver -k 2>/dev/null || true
        fi
        wineserver -w 2>/dev/null || true
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
trap finish EXIT
trap 'interrupted=true; exit 130' INT
trap 'interrupted=true; exit 143' TERM

# A server still lingering from an earlier run would keep that run's display: wait it out.
wineserver -w 2>/dev/null || true

if $virtual_display; then
    display_file=$(mktemp)
    # -displayfd lets Xvfb pick a free display number and report it once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$display_file" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    number=$(tr -d '[:space:]' <"$display_file")
    rm -f "$display_file"
    if [ -z "$number" ]; then
        echo "$0: the virtual display did not start" >&2
        exit 1
    fi
    export DISPLAY=":$number"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    if $virtual_display; then
        # No window manager runs on the virtual display: Wine draws the frames itself and does
        # not wait for one when a window is shown or hidden.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    fi
    # The caption buttons are drawn with this font; without it they show as letters.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    wineserver -w
fi

# Without a linger time the server ends with the program, so the display can go at once.
if $virtual_display; then
    wineserver -p0 2>/dev/null || true
fi

# In the background, so that a signal is handled at once rather than after the program.
wine "$@" <&0 &
wait $!
exit $?
