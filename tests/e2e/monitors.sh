#!/usr/bin/env bash
# End-to-end scenarios with two RandR monitors side by side on one Xvfb screen: monitors.sh <name>
export XSESSION_WIDTH=2880 XSESSION_XVFB_OPTIONS=-noreset # the monitors outlive their client
source "$(dirname "$0")/harness.sh"

LEFT="LEFT 1440x900+0+0"
RIGHT="RIGHT 1440x900+1440+0"

# "right top" of the strip at the default corner of the monitor that starts at x = $1 (the
# panels' work area spans both monitors).
default_corner() {
    echo "$(($1 + 1440 - 16)) $(($(xprop -root _NET_WORKAREA | awk -F'[=,] *' '{ print $3 }') + 54))"
}

corner_is() { e2e_strip_shown && [ "$(e2e_strip_corner)" = "$1" ]; }
expect_corner() { # <right top> <when>
    e2e_wait 5 corner_is "$1" || e2e_fail "$2: the strip's corner is at $(e2e_strip_corner), not $1"
}

restart_pinstrip() {
    e2e_stop_pinstrip
    e2e_start_pinstrip
}

strip_has_focus() { e2e_find strip && e2e_focus_is "$STRIP"; }
summon() {
    e2e_keys +Control_L +Alt_L t -Alt_L -Control_L
    e2e_wait 5 strip_has_focus || e2e_fail "Ctrl+Alt+T did not summon the strip"
}
dismiss() {
    e2e_keys Escape
    e2e_wait 5 e2e_focus_is "$TARGET" || e2e_fail "Escape did not hand the keyboard back"
}

toggle_twice() {
    "$PINSTRIP" --toggle
    e2e_wait 5 e2e_strip_hidden || e2e_fail "--toggle did not hide the strip"
    "$PINSTRIP" --toggle
}

# First starts on either primary; a strip at the default corner follows the primary. Dragged
# onto the other monitor after a summon, the strip stays there through a restart, a hide and a
# show, a summon and a changed primary; with that monitor unplugged it shows on the primary
# and goes back when the monitor does.
scenario_monitors_place() {
    e2e_start_desktop
    xsession_monitors "$LEFT" "$RIGHT*"
    e2e_start_pinstrip
    expect_corner "$(default_corner 1440)" "first start with the right monitor primary"
    e2e_stop_pinstrip
    xsession_monitors "$LEFT*" "$RIGHT"
    e2e_start_pinstrip
    expect_corner "$(default_corner 0)" "first start with the left monitor primary"
    xsession_monitors "$LEFT" "$RIGHT*"
    expect_corner "$(default_corner 1440)" "the default corner after the primary changed"
    xsession_monitors "$LEFT*" "$RIGHT"
    expect_corner "$(default_corner 0)" "the default corner after the primary changed back"
    ! grep -q '^pinstrip.place' "$SETTINGS" || e2e_fail "a place was stored without a move"

    summon
    e2e_drag_strip 700 200
    dismiss
    local placed right top
    placed=$(e2e_strip_corner)
    read -r right top <<<"$placed"
    e2e_expect_place RIGHT 2880
    restart_pinstrip
    expect_corner "$placed" "after a restart"
    toggle_twice
    expect_corner "$placed" "after a hide and a show"
    summon
    expect_corner "$placed" "after a summon"
    dismiss
    xsession_monitors "$LEFT" "$RIGHT*"
    expect_corner "$placed" "after the primary changed"
    xsession_monitors "$LEFT*" "$RIGHT"
    expect_corner "$placed" "after the primary changed back"
    import -window root "$E2E_DIR/placed-on-right.png"

    xsession_monitors "-RIGHT"
    expect_corner "$((right - 1440)) $top" "with its monitor unplugged"
    xsession_monitors "$RIGHT"
    expect_corner "$placed" "with its monitor back"
    e2e_expect_place RIGHT 2880
}

whole_on_right() { # <width>x<height>: sets x, y and size
    read -r x y size < <(e2e_strip_geometry | awk '{ print $1, $2, $3 "x" $4 }')
    [ "$x" -ge 1440 ] && [ "$size" = "$1" ]
}

# The right monitor at twice the scale: the strip dragged there takes twice the pixels for the
# same content, input row included, also after a hide and a show.
scenario_monitors_scale() {
    e2e_start_desktop
    xsession_monitors "$LEFT*" "$RIGHT"
    export QT_SCREEN_SCALE_FACTORS="LEFT=1;RIGHT=2"
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    local x y w h summoned size
    read -r x y w h < <(e2e_strip_geometry)
    summon
    summoned=$(e2e_strip_geometry | awk '{ print 2 * $3 "x" 2 * $4 }')
    dismiss
    e2e_keys at:$((x + w / 2)),$((y + 9)) down:1 by:20,5,40 sleep:300 up:1
    e2e_wait 5 whole_on_right $((2 * w))x$((2 * h)) ||
        e2e_fail "dragged onto the 2x monitor, the strip is $size at $x,$y, not $((2 * w))x$((2 * h))"
    summon
    e2e_wait 5 whole_on_right "$summoned" || e2e_fail "summoned on the 2x monitor, the strip is $size"
    import -window root -crop "${size}+$x+$y" +repage "$E2E_DIR/strip-at-2x.png"
    dismiss
    toggle_twice
    e2e_wait 5 whole_on_right $((2 * w))x$((2 * h)) || e2e_fail "after a hide and a show, the strip is $size"
}

"scenario_$1"
