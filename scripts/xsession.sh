#!/usr/bin/env bash
# A throw-away X11 desktop for tests, screenshots and benchmarks: Xvfb on a free display,
# openbox, and optionally a tray host (tint2) and a compositor (xcompmgr).
# Use:  source scripts/xsession.sh; xsession_start [--tray] [--compositor]; ...; xsession_stop
# Every process started here is recorded and stopped by PID.

XSESSION_PIDS=()

xsession_wait() { # <seconds> <command...>: polls until the command succeeds
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.05
    done
}

xsession_start() {
    local tray=0 compositor=0
    for arg in "$@"; do
        case $arg in
            --tray) tray=1 ;;
            --compositor) compositor=1 ;;
        esac
    done
    # Xvfb picks a free display itself and writes its number to fd 3: no race with other runs.
    local numfile
    numfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    XSESSION_PIDS+=($!)
    xsession_wait 20 test -s "$numfile" || { rm -f "$numfile"; echo "xsession: Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$numfile")"
    rm -f "$numfile"
    xsession_wait 10 xdpyinfo || { echo "xsession: no display" >&2; return 1; }
    openbox >/dev/null 2>&1 &
    XSESSION_PIDS+=($!)
    xsession_wait 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        { echo "xsession: openbox did not start" >&2; return 1; }
    if [ $compositor -eq 1 ]; then
        xcompmgr >/dev/null 2>&1 &
        XSESSION_PIDS+=($!)
        sleep 0.3 # xcompmgr owns _NET_WM_CM_S0 shortly after it starts
    fi
    if [ $tray -eq 1 ]; then
        tint2 >/dev/null 2>&1 &
        XSESSION_PIDS+=($!)
        xsession_wait 10 sh -c 'xprop -root _NET_WORKAREA | grep -qv "0, 0, 1440, 900"' ||
            { echo "xsession: tint2 did not start" >&2; return 1; }
    fi
}

xsession_stop() {
    local i
    for ((i = ${#XSESSION_PIDS[@]} - 1; i >= 0; i--)); do
        # Under set -e a failed kill or the non-zero status wait reports would end the loop early.
        kill "${XSESSION_PIDS[$i]}" 2>/dev/null || true
        wait "${XSESSION_PIDS[$i]}" 2>/dev/null || true
    done
    XSESSION_PIDS=()
}
