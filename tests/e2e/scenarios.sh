#!/usr/bin/env bash
# End-to-end scenarios against the real executable: scenarios.sh <name>
source "$(dirname "$0")/harness.sh"

expect_default_corner() {
    local wx wy ww wh right top
    read -r wx wy ww wh < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    read -r right top < <(e2e_strip_corner)
    [ "$right $top" = "$((wx + ww - 16)) $((wy + 54))" ] ||
        e2e_fail "strip corner at $right,$top; expected $((wx + ww - 16)),$((wy + 54))"
}

# The stored anchor is the strip's top-right corner with the origin at the screen's bottom left.
expect_anchor_at_strip() {
    local right top
    read -r right top < <(e2e_strip_corner)
    e2e_expect_setting pinstrip.topRightAnchor "\"{$right, $((900 - top))}\""
}

strip_has_focus() { e2e_find strip && e2e_focus_is "$STRIP"; }

expect_summoned() { # <what summoned it>
    e2e_wait 5 strip_has_focus || e2e_fail "$1 did not give the strip the keyboard"
}

expect_not_summoned() { # <case>
    sleep 0.9 # past every double-tap limit
    ! strip_has_focus || e2e_fail "summoned by: $1"
    e2e_focus_is "$TARGET" || e2e_fail "the target window lost the keyboard after: $1"
}

# Escape closes the input row and the keyboard goes back to the target window.
dismiss() {
    e2e_keys Escape
    e2e_wait 5 e2e_focus_is "$TARGET" || e2e_fail "Escape did not hand the keyboard back"
}

double_tap() { e2e_keys +Alt_L sleep:60 -Alt_L sleep:120 +Alt_L sleep:60 -Alt_L; }
control_alt_t() { e2e_keys +Control_L +Alt_L t -Alt_L -Control_L; }
todo_has() { grep -q "\"title\": *\"$1\"" "$TODO"; }

# Menu rows with double tap available: Show/Hide, Add Item, Archive All, Archive…, Reset
# Position, Summon on Double-⌥, Launch at Login, Check for Updates, About, Quit.
pick_from_menu() { # <keys that select the entry...>
    e2e_click_tray 3
    e2e_wait 5 e2e_find menu || e2e_fail "right click opened no menu"
    e2e_keys "$@" Return
    e2e_wait 5 sh -c "! xwininfo -id $MENU | grep -q IsViewable" || e2e_fail "the menu stayed open"
}

drag_strip() { # <dx> <dy>, by the strip's background
    local x y w h
    read -r x y w h < <(e2e_strip_geometry)
    xdotool mousemove $((x + 6)) $((y + h / 2)) mousedown 1 sleep 0.2 \
        mousemove_relative -- $(($1 / 2)) $(($2 / 2)) sleep 0.1 \
        mousemove_relative -- $(($1 / 2)) $(($2 / 2)) sleep 0.2 mouseup 1
}

# First start, summoning from another application by double tap and by hot key, and a second
# launch that summons the running copy.
scenario_summon() {
    e2e_start_desktop
    [ ! -e "$SETTINGS" ] || e2e_fail "preferences exist before the first start"
    e2e_start_pinstrip
    expect_default_corner
    e2e_expect_setting pinstrip.visible true
    e2e_focus_is "$TARGET" || e2e_fail "showing the strip at launch took the keyboard"

    double_tap
    expect_summoned "Alt, Alt"
    xdotool type "buy milk"
    e2e_keys Return
    e2e_wait 5 todo_has "buy milk" || e2e_fail "the new entry was not saved"
    dismiss
    xdotool type after
    e2e_wait 5 grep -q after "$TYPED" || e2e_fail "typing after Escape did not reach the target"
    ! grep -q buy "$TYPED" || e2e_fail "the title leaked into the target window"

    # Keys and clicks between the taps are seen system-wide, not only Alt.
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$TARGET")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    e2e_keys +Alt_L sleep:40 e sleep:40 -Alt_L sleep:100 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt+e, then an Alt tap"
    e2e_keys +Alt_L sleep:60 -Alt_L sleep:60 click:1 sleep:60 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt tap, click, Alt tap"

    control_alt_t
    expect_summoned "Control-Alt-T"
    dismiss
    for lock in Num_Lock Caps_Lock; do
        e2e_keys $lock
        control_alt_t
        expect_summoned "Control-Alt-T with $lock on"
        dismiss
        e2e_keys $lock
    done

    local before
    before=$(md5sum "$SETTINGS" "$TODO"; e2e_strip_corner)
    timeout 5 "$PINSTRIP" >>"$APP_LOG" 2>&1 || e2e_fail "a second launch did not leave with 0 at once"
    expect_summoned "a second launch"
    kill -0 "$PINSTRIP_PID" || e2e_fail "the first copy died"
    [ "$(md5sum "$SETTINGS" "$TODO"; e2e_strip_corner)" = "$before" ] ||
        e2e_fail "the second launch changed the files or moved the strip"
    dismiss
}

# Another client owns Control-Alt-T: pinstrip keeps running and the double tap still works.
scenario_hotkey_taken() {
    e2e_start_desktop
    e2e_spawn "$XTOOL" grab
    e2e_wait 5 grep -q grabbed "$E2E_DIR/helpers.log" || e2e_fail "the other client could not grab"
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_focus_target
    control_alt_t
    expect_not_summoned "Control-Alt-T owned by another client"
    kill -0 "$PINSTRIP_PID" || e2e_fail "pinstrip did not survive the refused grab"
    double_tap
    expect_summoned "Alt, Alt while the hot key belongs to another client"
}

# The tray icon's clicks, dragging, the stored anchor over a restart, and the menu.
scenario_tray_and_drag() {
    e2e_start_desktop
    e2e_start_pinstrip
    expect_default_corner
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    e2e_expect_setting pinstrip.visible false
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_shown || e2e_fail "left click did not show the strip"
    e2e_expect_setting pinstrip.visible true

    local before moved
    before=$(e2e_strip_corner)
    drag_strip -400 200
    e2e_wait 5 grep -q '^pinstrip.topRightAnchor=' "$SETTINGS" ||
        e2e_fail "dragging stored no anchor"
    moved=$(e2e_strip_corner)
    [ "$moved" != "$before" ] || e2e_fail "the drag did not move the strip"
    expect_anchor_at_strip
    { kill "$PINSTRIP_PID" && wait "$PINSTRIP_PID"; } 2>/dev/null || true
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown after a restart"
    [ "$(e2e_strip_corner)" = "$moved" ] ||
        e2e_fail "restart placed the strip at $(e2e_strip_corner), not $moved"

    pick_from_menu Down Down Down Down Down # Reset Position
    expect_default_corner
    expect_anchor_at_strip
    pick_from_menu Up # Quit Pinstrip
    e2e_wait 10 sh -c "! kill -0 $PINSTRIP_PID" || e2e_fail "Quit Pinstrip did not quit"
    wait "$PINSTRIP_PID" || e2e_fail "Quit Pinstrip did not exit with 0"
    PINSTRIP_PID=
}

# Without X11 (a Wayland session, say) nothing system-wide can be watched or grabbed; the
# program must still start and stay up for the tray menu.
scenario_without_x11() {
    (unset DISPLAY; QT_QPA_PLATFORM=offscreen exec "$PINSTRIP") >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    e2e_expect_setting pinstrip.visible true
    sleep 1
    kill -0 "$PINSTRIP_PID" || e2e_fail "pinstrip did not keep running without X11"
}

"scenario_$1"
