#!/usr/bin/env bash
# Helpers of the end-to-end scenarios and the summon benchmark: a private desktop, a target
# window logging what is typed, the real pinstrip. Expects PINSTRIP, XTOOL, TARGET_APP,
# tests/run-isolated.sh.
set -euo pipefail
# shellcheck source=scripts/xsession.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xsession.sh"

PINSTRIP_PID=
E2E_DIR=$PINSTRIP_TEST_ROOT
XSESSION_LOG=$E2E_DIR/helpers.log
TYPED=$E2E_DIR/typed.txt
SETTINGS=$XDG_CONFIG_HOME/Pinstrip/Pinstrip.conf
TODO=$XDG_DATA_HOME/Pinstrip/todo.json
APP_LOG=$E2E_DIR/pinstrip.log
export QT_QPA_PLATFORM=xcb

e2e_fail() {
    echo "FAIL: $*" >&2
    tail -n 40 "$APP_LOG" "$XSESSION_LOG" >&2 2>/dev/null || true
    exit 1
}

e2e_stop_pinstrip() {
    [ -z "$PINSTRIP_PID" ] || { kill "$PINSTRIP_PID" && wait "$PINSTRIP_PID"; } 2>/dev/null || true
    PINSTRIP_PID=
}
trap 'e2e_stop_pinstrip; xsession_stop' EXIT

E2E_DESKTOP=openbox
e2e_start_desktop() { # [xfce]: openbox with tint2 unless told otherwise
    if [ "${1:-}" = xfce ]; then E2E_DESKTOP=xfce && set -- --desktop xfce; else set -- --tray "$@"; fi
    xsession_start "$@" || e2e_fail "the desktop did not start"
    e2e_start_target
}

e2e_start_target() { # a window that logs what is typed into it, with the keyboard
    : >"$TYPED"
    xsession_spawn "$TARGET_APP" "$TYPED"
    xsession_wait 10 xdotool search --name '^pinstrip-e2e-target$' || e2e_fail "no target window"
    TARGET=$(xdotool search --name '^pinstrip-e2e-target$' | head -n1)
    e2e_focus_target
}

e2e_focus_target() {
    xdotool windowactivate "$TARGET" 2>/dev/null || true
    xsession_wait 5 xsession_focus_is "$TARGET" || e2e_fail "the target window did not get the keyboard"
}

e2e_start_pinstrip() { # ready once its tray icon, or the window E2E_READY names, is there
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    xsession_wait 20 e2e_find "${E2E_READY:-tray}" || e2e_fail "no ${E2E_READY:-tray} window"
}

# Besides the strip, a popup menu is the child of the root among Pinstrip's windows, the tray
# icon the one embedded into tint2; Xfce's panel holds it as a StatusNotifierItem.
e2e_find() { # <strip|menu|tray>: sets STRIP, MENU or TRAY (and TRAY_AT "x y", the icon's centre)
    local w info
    [ "$1" != strip ] || { xsession_strip; return; }
    [ "$1" != tray ] || [ "$E2E_DESKTOP" != xfce ] || { SNI=$(xsession_sni_service "$PINSTRIP_PID"); return; }
    for w in $(xsession_pinstrip_windows); do
        info=$(xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null &&
            xwininfo -stats -children -id "$w" 2>/dev/null) || continue
        case $1 in
        menu) grep -q 'Override Redirect State: yes' <<<"$info" &&
            grep -q 'Parent window id: .*(the root window)' <<<"$info" && { MENU=$w; return 0; } ;;
        tray) grep -q -e UTILITY -e 'Parent window id: .*(the root window)' <<<"$info" || {
            TRAY=$w
            TRAY_AT=$(xdotool getwindowgeometry --shell "$w" | awk -F= '{ v[$1] = $2 }
                END { print v["X"] + int(v["WIDTH"] / 2), v["Y"] + int(v["HEIGHT"] / 2) }') && return 0
        } ;;
        esac
    done
    return 1
}
e2e_strip_hidden() { ! xsession_strip; }

e2e_strip_corner() { xsession_strip_geometry | awk '{print $1 + $3, $2}'; } # "right top"
e2e_strip_at() { [ "$(xsession_strip_geometry)" = "$1" ]; } # <"x y width height">
e2e_expect_corner() { # <right top> <when>
    local want=$1
    xsession_wait 10 eval '[ "$(e2e_strip_corner)" = "$want" ]' ||
        e2e_fail "$2: the strip's corner is at $(e2e_strip_corner), not $1"
}
e2e_strip_has_focus() { xsession_strip && xsession_focus_is "$STRIP"; }
e2e_control_alt_t() { xsession_keys +Control_L +Alt_L t -Alt_L -Control_L; }
e2e_double_alt() { xsession_keys +Alt_L sleep:60 -Alt_L sleep:120 +Alt_L sleep:60 -Alt_L; }
e2e_summoned() { xsession_wait 5 e2e_strip_has_focus || e2e_fail "$1 did not give the strip the keyboard"; }
e2e_dismiss() { # Escape closes the input row and hands the keyboard back
    xsession_keys Escape
    xsession_wait 5 xsession_focus_is "$TARGET" || e2e_fail "Escape did not hand the keyboard back"
}

# After a click into the target window, <command...> summons and the typing reaches the list only.
e2e_summons() { # <title to type> <command...>
    xdotool mousemove --window "$TARGET" 250 150 click 1
    e2e_focus_target
    "${@:2}"
    e2e_summoned "$1: ${*:2}"
    xdotool type "$1"
    xsession_keys Return
    e2e_dismiss
    xsession_wait 5 grep -q "\"title\": *\"$1\"" "$TODO" || e2e_fail "'$1' typed into the strip was lost"
    ! grep -q "$1" "$TYPED" || e2e_fail "'$1' went into the other window"
}

e2e_clean_stderr() { # anything but our own enabled log lines is a fault, so is an X error
    ! grep -v '^pinstrip.summon: ' "$APP_LOG" || e2e_fail "pinstrip wrote the lines above"
    ! grep 'XCB error' "$XSESSION_LOG" || e2e_fail "the desktop met the X error above"
}

# A drag by the header in fine steps moves the strip with the pointer, and no further. KWin warps
# the pointer to where the move starts, so a step taken meanwhile is lost to both: the test is
# that the pointer ends on the spot of the strip it pressed.
e2e_drag_strip() { # <dx> <dy>, multiples of 20
    local x y w h px py want
    read -r x y w h < <(xsession_strip_geometry)
    xsession_keys at:$((x + w / 2)),$((y + 9)) sleep:100 mousedown:1 by:$(($1 / 20)),$(($2 / 20)),20 sleep:300 mouseup:1
    read -r px py < <(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
    want="$((px - w / 2)) $((py - 9)) $w $h"
    [ $(((px - x - w / 2) * $1)) -gt $(($1 * $1 * 3 / 4)) ] || e2e_fail "the pointer did not travel $1,$2"
    xsession_wait 3 e2e_strip_at "$want" || e2e_fail "a drag by $1,$2 from $x,$y: the strip is at $(xsession_strip_geometry), not $want"
    xsession_keys sleep:200 by:4,4,10 sleep:300
    e2e_strip_at "$want" || e2e_fail "the strip follows the pointer after the release"
}

e2e_expect_setting() { # <key> <value>
    xsession_wait 5 grep -qx "$1=$2" "$SETTINGS" ||
        e2e_fail "setting $1 is '$(sed -n "s/^$1=//p" "$SETTINGS" 2>/dev/null)', expected '$2'"
}

# The stored place: the monitor, and the offset of the strip's top-right corner from that of the
# monitor's work area (y upwards).
e2e_expect_place() { # <monitor> <the right edge of its work area>
    local right top wy
    read -r right top < <(e2e_strip_corner)
    wy=$(xprop -root _NET_WORKAREA | awk -F'[=,] *' '{ print $3 }')
    e2e_expect_setting pinstrip.place "\"{$((right - $2)), $((wy - top))} $1\""
}

e2e_click_tray() { # <button>
    e2e_find tray || e2e_fail "no tray icon"
    # Xfce's panel sends this for a left click.
    [ "$E2E_DESKTOP" != xfce ] || { dbus-send --session --type=method_call --dest="$SNI" /StatusNotifierItem org.kde.StatusNotifierItem.Activate int32:0 int32:0; return; }
    local x y
    read -r x y <<<"$TRAY_AT"
    # The icon reacts only to a pointer that entered it since the last click, and two left
    # clicks closer than the double-click interval would read as one double click.
    xdotool mousemove $((x < 200 ? x + 200 : x - 200)) $((y < 200 ? y + 200 : y - 200)) sleep 0.3 \
        mousemove "$x" "$y" sleep 0.2 click "$1"
}
