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

summon() { e2e_control_alt_t && e2e_summoned Ctrl+Alt+T; }

toggle_twice() {
    "$PINSTRIP" --toggle
    xsession_wait 5 e2e_strip_hidden || e2e_fail "--toggle did not hide the strip"
    "$PINSTRIP" --toggle
}

# A strip at the default corner follows the primary. Dragged onto the other monitor after a
# summon, it stays there through a restart, a hide and a show, a summon and a changed primary;
# with that monitor unplugged it shows on the primary and goes back when the monitor does.
scenario_monitors_place() {
    e2e_start_desktop
    xsession_monitors "$LEFT" "$RIGHT*"
    e2e_start_pinstrip
    e2e_expect_corner "$(default_corner 1440)" "first start with the right monitor primary"
    xsession_monitors "$LEFT*" "$RIGHT"
    e2e_expect_corner "$(default_corner 0)" "the default corner after the primary changed"
    ! grep -q '^pinstrip.place' "$SETTINGS" || e2e_fail "a place was stored without a move"

    summon
    e2e_drag_strip 700 200
    e2e_dismiss
    local placed right top
    read -r right top < <(e2e_strip_corner)
    placed="$right $top"
    e2e_expect_place RIGHT 2880
    e2e_stop_pinstrip
    e2e_start_pinstrip
    e2e_expect_corner "$placed" "after a restart"
    toggle_twice
    e2e_expect_corner "$placed" "after a hide and a show"
    summon
    e2e_expect_corner "$placed" "after a summon"
    e2e_dismiss
    xsession_monitors "-RIGHT"
    e2e_expect_corner "$((right - 1440)) $top" "with its monitor unplugged"
    xsession_monitors "$RIGHT"
    e2e_expect_corner "$placed" "with its monitor back"
    xsession_monitors "$LEFT" "$RIGHT*"
    e2e_expect_corner "$placed" "after the primary changed"
    e2e_expect_place RIGHT 2880
}

whole_on_right() { # <width>x<height>: sets x, y and size
    read -r x y size < <(xsession_strip_geometry | awk '{ print $1, $2, $3 "x" $4 }')
    [ "$x" -ge 1440 ] && [ "$size" = "$1" ]
}

# The right monitor at twice the scale: the strip dragged there takes twice the pixels for the
# same content, input row included, also after a hide and a show.
scenario_monitors_scale() {
    e2e_start_desktop
    xsession_monitors "$LEFT*" "$RIGHT"
    export QT_SCREEN_SCALE_FACTORS="LEFT=1;RIGHT=2"
    e2e_start_pinstrip
    xsession_wait 10 xsession_strip || e2e_fail "the strip is not shown"
    local x y w h summoned size
    read -r x y w h < <(xsession_strip_geometry)
    summon
    summoned=$(xsession_strip_geometry | awk '{ print 2 * $3 "x" 2 * $4 }')
    e2e_dismiss
    xsession_keys at:$((x + w / 2)),$((y + 9)) mousedown:1 by:20,5,40 sleep:300 mouseup:1
    xsession_wait 5 whole_on_right $((2 * w))x$((2 * h)) ||
        e2e_fail "dragged onto the 2x monitor, the strip is $size at $x,$y, not $((2 * w))x$((2 * h))"
    summon
    xsession_wait 5 whole_on_right "$summoned" || e2e_fail "summoned on the 2x monitor, the strip is $size"
    e2e_dismiss
    toggle_twice
    xsession_wait 5 whole_on_right $((2 * w))x$((2 * h)) || e2e_fail "after a hide and a show, the strip is $size"
}

"scenario_$1"
