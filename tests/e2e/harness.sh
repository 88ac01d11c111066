#!/usr/bin/env bash
# Shared helpers of the end-to-end scenarios: a private X display with a window manager and a
# tray host, a target window that logs what is typed into it, and the real pinstrip executable.
# Expects PINSTRIP and XTOOL (paths to the executables) and the private folders that
# tests/run-isolated.sh sets up. Every process started here is stopped by its PID.

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
    [ -s "$APP_LOG" ] && { echo "--- pinstrip output:" >&2; tail -n 40 "$APP_LOG" >&2; }
    [ -s "$E2E_DIR/helpers.log" ] && { echo "--- helpers:" >&2; tail -n 20 "$E2E_DIR/helpers.log" >&2; }
    exit 1
}

# Polls a command until it succeeds; <seconds> <command...>
e2e_wait() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

e2e_spawn() { # <command...>: runs in the background and records the PID in E2E_SPAWNED
    "$@" >>"$E2E_DIR/helpers.log" 2>&1 &
    E2E_SPAWNED=$!
    E2E_PIDS+=("$E2E_SPAWNED")
}

e2e_stop_all() {
    local i
    if [ -n "$PINSTRIP_PID" ]; then
        kill "$PINSTRIP_PID" 2>/dev/null || true
        wait "$PINSTRIP_PID" 2>/dev/null || true
    fi
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        kill "${E2E_PIDS[$i]}" 2>/dev/null || true
        wait "${E2E_PIDS[$i]}" 2>/dev/null || true
    done
    E2E_PIDS=()
}
trap e2e_stop_all EXIT

# Xvfb chooses a free display itself and reports its number, so tests running side by side
# never race for the same display. Should a stranger's window manager still turn up on it, the
# display is dropped and another one started.
e2e_start_display_and_wm() {
    local number_file=$E2E_DIR/display
    : >"$number_file"
    Xvfb -displayfd 3 -screen 0 1440x900x24 -nolisten tcp 3>"$number_file" \
        >>"$E2E_DIR/helpers.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 20 test -s "$number_file" || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$number_file")"
    e2e_wait 10 xdpyinfo || e2e_fail "display $DISPLAY does not answer"
    e2e_spawn openbox
    e2e_wait 10 sh -c "kill -0 $E2E_SPAWNED && xprop -root _NET_SUPPORTING_WM_CHECK |
        grep -q 'window id'" && return 0
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

# Puts the pointer in the middle of the target window (the window manager chose its place).
e2e_pointer_to_target() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$TARGET")"
    "$XTOOL" inject "move:$((X + WIDTH / 2)),$((Y + HEIGHT / 2))"
}

# The work area as "x y width height".
e2e_workarea() {
    xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}'
}

e2e_start_pinstrip() {
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    e2e_wait 20 e2e_find_tray_icon || e2e_fail "no tray icon"
}

# Pinstrip ends on its own (after Quit): <seconds>
e2e_wait_pinstrip_exit() {
    e2e_wait "$1" sh -c "! kill -0 $PINSTRIP_PID" || return 1
    wait "$PINSTRIP_PID" 2>/dev/null || true
    PINSTRIP_PID=
}

e2e_restart_pinstrip() {
    kill "$PINSTRIP_PID"
    wait "$PINSTRIP_PID" 2>/dev/null || true
    PINSTRIP_PID=
    e2e_start_pinstrip
}

# Pinstrip's windows carry its class. The tray icon is the one embedded into the tray host:
# not a utility window (the strip), and not a child of the root window (a popup menu).
e2e_find_tray_icon() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^pinstrip$' 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY && continue
        xwininfo -children -id "$w" 2>/dev/null | grep -q 'Parent window id: .*(the root window)' &&
            continue
        TRAY=$w
        return 0
    done
    return 1
}

# The strip: the mapped utility window of pinstrip.
e2e_find_strip() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^pinstrip$' 2>/dev/null); do
        if xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY; then
            STRIP=$w
            return 0
        fi
    done
    return 1
}

e2e_strip_shown() { e2e_find_strip; }
e2e_strip_hidden() { ! e2e_find_strip; }

# The strip's outer geometry on screen as "x y width height".
e2e_strip_geometry() {
    e2e_find_strip || return 1
    xwininfo -id "$STRIP" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

# The top-right corner of the strip, in X coordinates: "right top".
e2e_strip_corner() {
    e2e_strip_geometry | awk '{print $1 + $3, $2}'
}

e2e_focus_is() { # <window id>
    [ $(($("$XTOOL" focus))) -eq $(($1)) ]
}

e2e_strip_has_focus() {
    e2e_find_strip && e2e_focus_is "$STRIP"
}

e2e_keys() { "$XTOOL" inject "$@"; }

# Two quick taps of the left Alt key, well inside the limits.
e2e_double_tap() {
    e2e_keys +Alt_L sleep:60 -Alt_L sleep:120 +Alt_L sleep:60 -Alt_L
}

# Lets a previous key sequence age beyond every double-tap limit.
e2e_settle() { sleep 0.9; }

e2e_setting() { # <key>: prints the stored value, nothing when absent
    [ -f "$SETTINGS" ] || return 0
    sed -n "s/^$1=//p" "$SETTINGS"
}

e2e_expect_setting() { # <key> <value>
    e2e_wait 5 sh -c "grep -qx '$1=$2' '$SETTINGS'" ||
        e2e_fail "setting $1 is '$(e2e_setting "$1")', expected '$2'"
}

e2e_click_tray() { # <button>
    e2e_find_tray_icon || e2e_fail "no tray icon"
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$TRAY")"
    # The icon reacts only to a pointer that entered it since the last click, and two left
    # clicks closer than the double-click interval would read as one double click.
    xdotool mousemove $((X - 200)) $((Y - 200))
    sleep 0.3
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.2
    xdotool click "$1"
}

# The open tray menu: a mapped override-redirect window of pinstrip.
e2e_find_menu() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^pinstrip$' 2>/dev/null); do
        if xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes'; then
            MENU=$w
            return 0
        fi
    done
    return 1
}

e2e_todo_has() { # <title>
    [ -f "$TODO" ] && grep -q "\"title\": *\"$1\"" "$TODO"
}
