#!/usr/bin/env bash
# End-to-end scenarios against the real executable: scenarios.sh <name>
source "$(dirname "$0")/harness.sh"

expect_default_corner() {
    local wx wy ww wh right top
    read -r wx wy ww wh < <(e2e_workarea)
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    read -r right top < <(e2e_strip_corner)
    [ "$right" -eq $((wx + ww - 16)) ] && [ "$top" -eq $((wy + 8)) ] ||
        e2e_fail "strip corner at $right,$top; expected $((wx + ww - 16)),$((wy + 8))"
}

expect_summoned() { # <what summoned it>
    e2e_wait 5 e2e_strip_has_focus || e2e_fail "$1 did not give the strip the keyboard"
}

expect_not_summoned() { # <case>
    e2e_settle
    ! e2e_strip_has_focus || e2e_fail "summoned by: $1"
    e2e_focus_is "$TARGET" || e2e_fail "the target window lost the keyboard after: $1"
}

# Escape closes the input row and the keyboard goes back to the target window.
dismiss() {
    e2e_keys Escape
    e2e_wait 5 e2e_focus_is "$TARGET" || e2e_fail "Escape did not hand the keyboard back"
}

expect_typed_into_target() { # <text>
    e2e_keys "type:$1"
    e2e_wait 5 grep -q "$1" "$TYPED" || e2e_fail "'$1' did not reach the target window"
}

open_menu_and_pick() { # <keys that select the entry...>
    e2e_click_tray 3
    e2e_wait 5 e2e_find_menu || e2e_fail "right click opened no menu"
    e2e_keys "$@" Return
    e2e_wait 5 sh -c '! xwininfo -id '"$MENU"' | grep -q IsViewable' || e2e_fail "menu stayed open"
}

# Menu rows while double tap is available: Show/Hide, Add Item, Archive All, Archive…,
# Reset Position, Summon on Double-⌥, Launch at Login, Check for Updates, About, Quit.
pick_reset_position() { open_menu_and_pick Down Down Down Down Down; }
pick_double_tap_switch() { open_menu_and_pick Down Down Down Down Down Down; }
pick_quit() { open_menu_and_pick Up; }

scenario_first_start() {
    e2e_start_desktop
    [ ! -e "$SETTINGS" ] || e2e_fail "preferences exist before the first start"
    e2e_start_pinstrip
    expect_default_corner
    e2e_expect_setting pinstrip.visible true
    e2e_focus_is "$TARGET" || e2e_fail "showing the strip at launch took the keyboard"
}

scenario_double_tap() {
    e2e_start_desktop
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_focus_target
    e2e_double_tap
    expect_summoned "Alt, Alt"
    e2e_keys "type:buy milk" Return
    e2e_wait 5 e2e_todo_has "buy milk" || e2e_fail "the new entry was not saved"
    dismiss
    expect_typed_into_target "after"
    ! grep -q "buy" "$TYPED" || e2e_fail "the title leaked into the target window"
}

scenario_no_summon() {
    e2e_start_desktop
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_focus_target
    e2e_pointer_to_target
    e2e_settle
    e2e_keys +Alt_L sleep:40 e sleep:40 -Alt_L sleep:100 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt+e, then an Alt tap"
    e2e_keys +Alt_L sleep:40 +Shift_L -Shift_L sleep:40 -Alt_L sleep:100 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt held with Shift, then an Alt tap"
    e2e_keys +Alt_L sleep:60 -Alt_L sleep:100 +Shift_L +Alt_L sleep:60 -Alt_L -Shift_L
    expect_not_summoned "an Alt tap, then Shift+Alt"
    e2e_keys +Alt_L sleep:60 -Alt_L sleep:60 click:1 sleep:60 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt tap, click, Alt tap"
    e2e_keys +Alt_L sleep:60 -Alt_L sleep:700 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "taps 0.7 s apart"
    e2e_keys +Alt_L sleep:600 -Alt_L sleep:100 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "a first press held 0.6 s"
    e2e_keys +Alt_L sleep:60 -Alt_L sleep:100 +Alt_L sleep:600 -Alt_L
    expect_not_summoned "a second press held 0.6 s"
    # The monitor was listening all along: a clean double tap, right Alt then left, still works.
    e2e_keys +Alt_R sleep:60 -Alt_R sleep:120 +Alt_L sleep:60 -Alt_L
    expect_summoned "right Alt, left Alt after the refused sequences"
}

scenario_hotkey() {
    e2e_start_desktop
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_focus_target
    e2e_keys +Control_L +Alt_L t -Alt_L -Control_L
    expect_summoned "Control-Alt-T"
    e2e_keys "type:from hotkey" Return
    e2e_wait 5 e2e_todo_has "from hotkey" || e2e_fail "the entry typed after the hot key was lost"
    dismiss
    e2e_keys Num_Lock +Control_L +Alt_L t -Alt_L -Control_L
    expect_summoned "Control-Alt-T with Num Lock on"
    dismiss
    e2e_keys Num_Lock Caps_Lock +Control_L +Alt_L t -Alt_L -Control_L
    expect_summoned "Control-Alt-T with Caps Lock on"
    dismiss
    e2e_keys Caps_Lock
}

scenario_hotkey_taken() {
    e2e_start_desktop
    e2e_spawn "$XTOOL" grab
    e2e_wait 5 grep -q grabbed "$E2E_DIR/helpers.log" || e2e_fail "the other client could not grab"
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_focus_target
    e2e_keys +Control_L +Alt_L t -Alt_L -Control_L
    expect_not_summoned "Control-Alt-T owned by another client"
    kill -0 "$PINSTRIP_PID" || e2e_fail "pinstrip did not survive the refused grab"
    e2e_double_tap
    expect_summoned "Alt, Alt while the hot key belongs to another client"
}

scenario_tray() {
    e2e_start_desktop
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    e2e_expect_setting pinstrip.visible false
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_shown || e2e_fail "left click did not show the strip"
    e2e_expect_setting pinstrip.visible true
    pick_quit
    e2e_wait_pinstrip_exit 10 || e2e_fail "Quit Pinstrip did not quit"
}

# Drags the strip by its background: <dx> <dy>
drag_strip() {
    local x y w h
    read -r x y w h < <(e2e_strip_geometry)
    xdotool mousemove $((x + 6)) $((y + h / 2)) mousedown 1
    sleep 0.2
    xdotool mousemove_relative -- $(($1 / 2)) $(($2 / 2))
    sleep 0.1
    xdotool mousemove_relative -- $(($1 / 2)) $(($2 / 2))
    sleep 0.2
    xdotool mouseup 1
}

scenario_single_instance() {
    e2e_start_desktop
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    e2e_focus_target
    e2e_double_tap
    expect_summoned "Alt, Alt"
    e2e_keys "type:kept entry" Return Escape
    e2e_wait 5 e2e_todo_has "kept entry" || e2e_fail "the entry was not saved"
    drag_strip -300 120
    local corner
    e2e_wait 5 sh -c "grep -q '^pinstrip.topRightAnchor=' '$SETTINGS'" || e2e_fail "no anchor stored"
    corner=$(e2e_strip_corner)

    local started=$SECONDS second
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    second=$!
    e2e_wait 10 sh -c "! kill -0 $second" || { kill "$second"; e2e_fail "a second copy kept running"; }
    wait "$second" || true
    [ $((SECONDS - started)) -le 5 ] || e2e_fail "the second copy took too long to leave"
    kill -0 "$PINSTRIP_PID" || e2e_fail "the first copy died"
    [ "$(e2e_strip_corner)" = "$corner" ] || e2e_fail "the second copy moved the strip"

    e2e_click_tray 1
    e2e_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    e2e_restart_pinstrip
    sleep 1
    e2e_strip_hidden || e2e_fail "a restart showed the strip that was hidden"
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_shown || e2e_fail "left click did not show the strip"
    [ "$(e2e_strip_corner)" = "$corner" ] ||
        e2e_fail "restart placed the strip at $(e2e_strip_corner), not $corner"
    e2e_todo_has "kept entry" || e2e_fail "the list was lost over the restart"
}

scenario_drag_and_reset() {
    e2e_start_desktop
    e2e_start_pinstrip
    expect_default_corner
    local before after right top
    before=$(e2e_strip_corner)
    drag_strip -400 200
    e2e_wait 5 sh -c "grep -q '^pinstrip.topRightAnchor=' '$SETTINGS'" ||
        e2e_fail "dragging stored no anchor"
    after=$(e2e_strip_corner)
    [ "$after" != "$before" ] || e2e_fail "the drag did not move the strip"
    read -r right top <<<"$after"
    # Stored in bottom-left-origin coordinates: "{right, screen height - top}".
    e2e_expect_setting pinstrip.topRightAnchor "\"{$right, $((900 - top))}\""
    pick_reset_position
    expect_default_corner
    read -r right top < <(e2e_strip_corner)
    e2e_expect_setting pinstrip.topRightAnchor "\"{$right, $((900 - top))}\""
}

scenario_double_tap_switch() {
    e2e_start_desktop
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown"
    pick_double_tap_switch
    e2e_expect_setting pinstrip.doubleTapOption false
    e2e_focus_target
    e2e_double_tap
    expect_not_summoned "Alt, Alt with double tap switched off"
    e2e_restart_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown after the restart"
    e2e_focus_target
    e2e_double_tap
    expect_not_summoned "Alt, Alt after a restart with double tap switched off"
    pick_double_tap_switch
    e2e_expect_setting pinstrip.doubleTapOption true
    e2e_focus_target
    e2e_double_tap
    expect_summoned "Alt, Alt after switching double tap back on"
}

# Without X11 (a Wayland session, say) nothing system-wide can be watched or grabbed; the
# program must still start and stay up for the tray menu.
scenario_without_x11() {
    (
        unset DISPLAY
        export QT_QPA_PLATFORM=offscreen
        exec "$PINSTRIP"
    ) >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    e2e_expect_setting pinstrip.visible true
    sleep 1
    kill -0 "$PINSTRIP_PID" || e2e_fail "pinstrip did not keep running without X11"
}

"scenario_$1"
