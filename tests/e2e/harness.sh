#!/usr/bin/env bash
# Shared helpers of the end-to-end scenarios (and the summon benchmark): a private X display with
# openbox and tint2, a target window that logs what is typed into it, and the real pinstrip.
# Expects PINSTRIP and XTOOL and the private folders of tests/run-isolated.sh. Every process
# started here is stopped by its PID.
set -euo pipefail

E2E_PIDS=()
PINSTRIP_PID=
E2E_DIR=$PINSTRIP_TEST_ROOT
TYPED=$E2E_DIR/typed.txt
SETTINGS=$XDG_CONFIG_HOME/Pinstrip/Pinstrip.conf
TODO=$XDG_DATA_HOME/Pinstrip/todo.json
APP_LOG=$E2E_DIR/pinstrip.log
export QT_QPA_PLATFORM=xcb

e2e_fail() {
    echo "FAIL: $*" >&2
    tail -n 40 "$APP_LOG" "$E2E_DIR/helpers.log" >&2 2>/dev/null || true
    exit 1
}

e2e_wait() { # <seconds> <command...>: polls until the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

e2e_spawn() { # <command...>: in the background, PID in E2E_SPAWNED
    "$@" >>"$E2E_DIR/helpers.log" 2>&1 &
    E2E_SPAWNED=$!
    E2E_PIDS+=("$E2E_SPAWNED")
}

e2e_stop_all() {
    local i
    [ -z "$PINSTRIP_PID" ] || { kill "$PINSTRIP_PID" && wait "$PINSTRIP_PID"; } 2>/dev/null || true
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        { kill "${E2E_PIDS[$i]}" && wait "${E2E_PIDS[$i]}"; } 2>/dev/null || true
    done
    E2E_PIDS=()
}
trap e2e_stop_all EXIT

# Xvfb picks a free display itself, so runs side by side never share one. Should a stranger's
# window manager still turn up on it, the caller starts another.
e2e_start_display_and_wm() {
    : >"$E2E_DIR/display"
    e2e_spawn Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$E2E_DIR/display"
    e2e_wait 20 test -s "$E2E_DIR/display" || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
    e2e_wait 10 xdpyinfo || e2e_fail "display $DISPLAY does not answer"
    e2e_spawn openbox
    e2e_wait 10 sh -c "kill -0 $E2E_SPAWNED &&
        xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" && return 0
    e2e_stop_all
    return 1
}

e2e_start_desktop() {
    e2e_start_display_and_wm || e2e_start_display_and_wm || e2e_fail "openbox did not start"
    e2e_spawn tint2
    e2e_wait 10 sh -c 'xprop -root _NET_WORKAREA | grep -qv "0, 0, 1440, 900"' ||
        e2e_fail "tint2 did not start"
    : >"$TYPED"
    e2e_spawn "$XTOOL" target "$TYPED"
    e2e_wait 10 xdotool search --name '^pinstrip-e2e-target$' || e2e_fail "no target window"
    TARGET=$(xdotool search --name '^pinstrip-e2e-target$' | head -n1)
    e2e_focus_target
}

e2e_focus_target() {
    xdotool windowactivate "$TARGET" 2>/dev/null || true
    e2e_wait 5 e2e_focus_is "$TARGET" || e2e_fail "the target window did not get the keyboard"
}

e2e_start_pinstrip() {
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    e2e_wait 20 e2e_find tray || e2e_fail "no tray icon"
}

# Pinstrip's windows carry its class: the strip is its utility window, a popup menu an
# override-redirect child of the root, and the tray icon the one embedded into the tray host.
e2e_find() { # <strip|menu|tray>: sets STRIP, MENU or TRAY
    local w info
    for w in $(xdotool search --onlyvisible --classname '^pinstrip$' 2>/dev/null); do
        info=$(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null &&
            xwininfo -stats -children -id "$w" 2>/dev/null) || continue
        case $1 in
        strip) grep -q UTILITY <<<"$info" && { STRIP=$w; return 0; } ;;
        menu) grep -q 'Override Redirect State: yes' <<<"$info" &&
            grep -q 'Parent window id: .*(the root window)' <<<"$info" && { MENU=$w; return 0; } ;;
        tray) grep -q -e UTILITY -e 'Parent window id: .*(the root window)' <<<"$info" ||
            { TRAY=$w; return 0; } ;;
        esac
    done
    return 1
}
e2e_strip_shown() { e2e_find strip; }
e2e_strip_hidden() { ! e2e_find strip; }

e2e_strip_geometry() { # "x y width height" of the strip on screen
    e2e_find strip || return 1
    xwininfo -id "$STRIP" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

e2e_strip_corner() { e2e_strip_geometry | awk '{print $1 + $3, $2}'; } # "right top"

e2e_focus_is() { [ "$(xdotool getwindowfocus -f)" -eq $(($1)) ]; }

e2e_keys() { "$XTOOL" inject "$@"; }

e2e_expect_setting() { # <key> <value>
    e2e_wait 5 grep -qx "$1=$2" "$SETTINGS" ||
        e2e_fail "setting $1 is '$(sed -n "s/^$1=//p" "$SETTINGS" 2>/dev/null)', expected '$2'"
}

e2e_click_tray() { # <button>
    e2e_find tray || e2e_fail "no tray icon"
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$TRAY")"
    # The icon reacts only to a pointer that entered it since the last click, and two left
    # clicks closer than the double-click interval would read as one double click.
    xdotool mousemove $((X - 200)) $((Y - 200)) sleep 0.3 \
        mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.2 click "$1"
}
