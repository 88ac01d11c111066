#!/usr/bin/env bash
# End-to-end scenarios against the real executable: scenarios.sh <name>
source "$(dirname "$0")/harness.sh"

expect_not_summoned() { # <case>
    sleep 0.9 # past every double-tap limit
    ! e2e_strip_has_focus || e2e_fail "summoned by: $1"
    xsession_focus_is "$TARGET" || e2e_fail "the target window lost the keyboard after: $1"
}

# The strip floats on every workspace, out of taskbars and pagers, after every map. A window
# manager that has no sticky state (openbox) keeps only _NET_WM_DESKTOP for it.
strip_has_hints() {
    xsession_strip && HINTS="$(xprop -id "$STRIP" _NET_WM_STATE _NET_WM_DESKTOP)" || return 1
    for hint in _SKIP_TASKBAR _SKIP_PAGER _ABOVE $(xprop -root _NET_SUPPORTED | grep -o _STICKY); do
        grep -q "_NET_WM_STATE$hint" <<<"$HINTS" || return 1
    done
    grep -q '_NET_WM_DESKTOP(CARDINAL) = 4294967295$' <<<"$HINTS"
}

on_workspace() { # <number from 0>
    xdotool set_desktop "$1" &&
        xprop -root _NET_CURRENT_DESKTOP | grep -q "= $1\$" && xsession_strip
}

expect_on_every_workspace() { # <after what>
    xsession_wait 5 strip_has_hints || e2e_fail "the strip's hints $1 are: ${HINTS:-none, not shown}"
    local workspace
    for workspace in 2 1 0; do
        xsession_wait 5 on_workspace $workspace || e2e_fail "the strip is not on workspace $workspace $1"
    done
    e2e_focus_target
}

# First start, the tray icon's clicks, summoning from another application by
# double tap and by hot key, and a second launch that summons the running copy.
scenario_summon() {
    e2e_start_desktop
    [ ! -e "$SETTINGS" ] || e2e_fail "preferences exist before the first start"
    e2e_start_pinstrip
    local wx wy ww
    read -r wx wy ww _ < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g')
    e2e_expect_corner "$((wx + ww - 16)) $((wy + 54))" "at the first start"
    e2e_expect_setting pinstrip.visible true
    xsession_focus_is "$TARGET" || e2e_fail "showing the strip at launch took the keyboard"
    e2e_clean_stderr
    e2e_click_tray 3
    xsession_wait 5 e2e_find menu || e2e_fail "right click opened no menu"
    xsession_keys Escape
    e2e_click_tray 1
    xsession_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    e2e_expect_setting pinstrip.visible false
    e2e_click_tray 1
    e2e_expect_setting pinstrip.visible true
    expect_on_every_workspace "after a hide and a show"

    e2e_summons "buy milk" e2e_double_alt
    xdotool type after
    xsession_wait 5 grep -q after "$TYPED" || e2e_fail "typing after Escape did not reach the target"

    # Keys and clicks between the taps are seen system-wide, not only Alt.
    xsession_keys +Alt_L sleep:40 e sleep:40 -Alt_L sleep:100 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt+e, then an Alt tap"
    xsession_keys +Alt_L sleep:60 -Alt_L sleep:60 click:1 sleep:60 +Alt_L sleep:60 -Alt_L
    expect_not_summoned "Alt tap, click, Alt tap"

    e2e_double_alt
    e2e_summoned "Alt, Alt"
    e2e_summons "call the bank" e2e_control_alt_t
    for lock in Num_Lock Caps_Lock; do
        xsession_keys $lock
        e2e_control_alt_t
        e2e_summoned "Control-Alt-T with $lock on"
        e2e_dismiss
        xsession_keys $lock
    done

    # However a chord's keys are let go (xdotool lets go of the modifiers first), the double
    # tap still works afterwards.
    local order key
    for order in "Control_L Alt_L t" "Control_L t Alt_L" "Alt_L Control_L t" "Alt_L t Control_L" \
        "t Control_L Alt_L" "t Alt_L Control_L" "Control_L Alt_L x"; do
        key=t && [ "${order: -1}" != x ] || key=x
        # shellcheck disable=SC2086
        xsession_keys +Control_L +Alt_L +$key $(printf -- '-%s ' $order)
        [ "$key" = x ] || { e2e_summoned "Control-Alt-T let go as $order" && e2e_dismiss; }
        e2e_double_alt
        e2e_summoned "Alt, Alt after Control-Alt-$key let go as $order"
        e2e_dismiss
    done

    local before
    before=$(md5sum "$SETTINGS" "$TODO"; e2e_strip_corner)
    timeout 5 "$PINSTRIP" >>"$APP_LOG" 2>&1 || e2e_fail "a second launch did not leave with 0 at once"
    e2e_summoned "a second launch"
    kill -0 "$PINSTRIP_PID" || e2e_fail "the first copy died"
    [ "$(md5sum "$SETTINGS" "$TODO"; e2e_strip_corner)" = "$before" ] ||
        e2e_fail "the second launch changed the files or moved the strip"
}

# Another client owns Control-Alt-T: pinstrip keeps running and the double tap still works.
scenario_hotkey_taken() {
    e2e_start_desktop
    xsession_spawn "$XTOOL" grab
    xsession_wait 5 grep -q grabbed "$E2E_DIR/helpers.log" || e2e_fail "the other client could not grab"
    e2e_start_pinstrip
    xsession_wait 10 xsession_strip || e2e_fail "the strip is not shown"
    e2e_focus_target
    e2e_control_alt_t
    expect_not_summoned "Control-Alt-T owned by another client"
    e2e_double_alt
    e2e_summoned "Alt, Alt while the hot key belongs to another client"
}

# The tray menu as a StatusNotifierItem host reads it, without asking for an update first.
menu_reads() { MENU_READ=$(xsession_dbusmenu "$SNI" | cut -d' ' -f2-) && [ "$MENU_READ" = "$1" ]; }
expect_menu() { # <when> <entries, one a line>
    xsession_wait 5 menu_reads "$2" || e2e_fail "the tray menu $1 differs:" "$(diff <(echo "$2") - <<<"$MENU_READ")"
}

# Xfce binds Ctrl+Alt+T to its terminal: the entry says so, and Pinstrip leaves the key alone.
ADD_ITEM="Add Item (Ctrl+Alt+T belongs to Xfce: exo-open --launch TerminalEmulator)"

menu_of() { # <Show|Hide> <x|space: double tap> <x|space: launch at login>
    printf '%s\n' "$1 Strip" "$ADD_ITEM" "Archive All & Start Fresh" "Archive…" - \
        "Reset Position" "[$2] Summon on Double-Alt" "[$3] Launch at Login" - \
        "Check for Updates…" "About Pinstrip" "Quit Pinstrip"
}

pick() { # <title>
    xsession_dbusmenu_click "$SNI" "$1" || e2e_fail "the tray menu has no entry \"$1\""
}

backdrop_is() { [ "$(import -window root -crop 1x1+700+800 -format '%[fx:mean]' info:)" = "$1" ]; }

expect_translucent() { # under a compositor: the strip's mean brightness over black and white
    local x y w h colour mean=()
    for colour in black white; do
        xsession_backdrop $colour
        xsession_wait 5 backdrop_is ${#mean[@]} || e2e_fail "no $colour backdrop"
        read -r x y w h < <(xsession_strip_geometry)
        mean+=("$(import -window root -crop "${w}x${h}+$x+$y" +repage -colorspace gray -format '%[fx:mean]' info:)")
        xsession_stop_one "$XSESSION_SPAWNED"
    done
    awk -v a="${mean[0]}" -v b="${mean[1]}" 'BEGIN { exit !(b - a > 0.02) }' ||
        e2e_fail "the strip is opaque: mean brightness ${mean[0]} over black, ${mean[1]} over white"
}

# Xfce: a quiet start on the current workspace, translucent under xfwm4's compositor; the menu
# is complete for a host that never announces it opens it, and stays current; entries are picked
# by title (Ctrl+Alt+T is the terminal's there).
scenario_xfce() {
    e2e_start_desktop xfce
    e2e_start_pinstrip
    e2e_clean_stderr
    expect_on_every_workspace "at the first start"
    expect_translucent
    expect_menu "at the first start" "$(menu_of Hide x ' ')"

    # A drag while the strip has the keyboard ends on the release too.
    local first
    first=$(e2e_strip_corner)
    e2e_double_alt
    e2e_summoned "Alt, Alt"
    e2e_drag_strip -300 140
    e2e_dismiss
    e2e_expect_place screen "$(xprop -root _NET_WORKAREA | awk -F'[=,] *' '{ print $2 + $4 }')"
    pick "Reset Position"
    e2e_expect_corner "$first" "after \"Reset Position\""

    e2e_click_tray 1
    xsession_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    expect_menu "with the strip hidden" "$(menu_of Show x ' ')"
    e2e_click_tray 1
    pick "Hide Strip"
    xsession_wait 5 e2e_strip_hidden || e2e_fail "\"Hide Strip\" did not hide the strip"
    e2e_summons "call the bank" e2e_double_alt
    expect_on_every_workspace "after a hide and a summon"
    e2e_summons "buy milk" pick "$ADD_ITEM"
    pick "Summon on Double-Alt"
    expect_menu "with the double tap off" "$(menu_of Hide ' ' ' ')"
    e2e_expect_setting pinstrip.doubleTapOption false

    pick "Quit Pinstrip"
    xsession_wait 10 sh -c "! kill -0 $PINSTRIP_PID" || e2e_fail "\"Quit Pinstrip\" did not quit"
    wait "$PINSTRIP_PID" || e2e_fail "\"Quit Pinstrip\" did not exit with 0"
    PINSTRIP_PID=
}

"scenario_$1"
