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

expect_place_at_strip() { # on the one monitor Xvfb calls "screen"
    e2e_expect_place screen "$(xprop -root _NET_WORKAREA | awk -F'[=,] *' '{ print $2 + $4 }')"
}

strip_has_focus() { e2e_find strip && e2e_focus_is "$STRIP"; }
expect_summoned() { e2e_wait 5 strip_has_focus || e2e_fail "$1 did not give the strip the keyboard"; }

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

# The strip floats on every workspace, out of taskbars and pagers, after every map. A window
# manager that has no sticky state (openbox) keeps only _NET_WM_DESKTOP for it.
strip_has_hints() {
    e2e_find strip || return 1
    HINTS="$(xprop -id "$STRIP" _NET_WM_STATE _NET_WM_DESKTOP)"
    local hint hints="SKIP_TASKBAR SKIP_PAGER ABOVE"
    xprop -root _NET_SUPPORTED | grep -q _NET_WM_STATE_STICKY && hints+=" STICKY"
    for hint in $hints; do
        grep -q "_NET_WM_STATE_$hint" <<<"$HINTS" || return 1
    done
    grep -q '_NET_WM_DESKTOP(CARDINAL) = 4294967295$' <<<"$HINTS"
}

on_workspace() { # <number from 0>
    xdotool set_desktop "$1" &&
        xprop -root _NET_CURRENT_DESKTOP | grep -q "= $1\$" && e2e_strip_shown
}

expect_on_every_workspace() { # <after what>
    e2e_wait 5 strip_has_hints || e2e_fail "the strip's hints $1 are: ${HINTS:-none, not shown}"
    local workspace
    for workspace in 2 1 0; do
        e2e_wait 5 on_workspace $workspace || e2e_fail "the strip is not on workspace $workspace $1"
    done
    e2e_focus_target
}

# Whatever held the keyboard last, a summon ends with the strip's field taking the typing.
expect_summon_after_click_elsewhere() { # <how to summon> <what that is>
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$TARGET")"
    $1
    expect_summoned "$2"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
    e2e_wait 5 e2e_focus_is "$TARGET" || e2e_fail "a click did not give the target window the keyboard"
    $1
    expect_summoned "$2 after a click into another window"
    xdotool type "call the bank $2"
    e2e_keys Return
    e2e_wait 5 todo_has "call the bank $2" || e2e_fail "typing after $2 did not reach the list"
    ! grep -q bank "$TYPED" || e2e_fail "typing after $2 went to the other window"
    dismiss
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
    expect_on_every_workspace "at the first start"

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

    # However a chord's keys are let go (xdotool lets go of the modifiers first), the double
    # tap still works afterwards.
    local order
    for order in "Control_L Alt_L t" "Control_L t Alt_L" "Alt_L Control_L t" "Alt_L t Control_L" \
        "t Control_L Alt_L" "t Alt_L Control_L"; do
        # shellcheck disable=SC2086
        e2e_keys +Control_L +Alt_L +t $(printf -- '-%s ' $order)
        expect_summoned "Control-Alt-T let go as $order"
        dismiss
        double_tap
        expect_summoned "Alt, Alt after Control-Alt-T let go as $order"
        dismiss
    done
    e2e_keys +Control_L +Alt_L +x -Control_L -Alt_L -x
    double_tap
    expect_summoned "Alt, Alt after Control-Alt-X let go modifiers first"
    dismiss
    expect_summon_after_click_elsewhere control_alt_t Control-Alt-T
    expect_summon_after_click_elsewhere double_tap "Alt, Alt"

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
    xsession_spawn "$XTOOL" grab
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

# Under xcompmgr with tint2's XEmbed tray: translucency, the tray icon's clicks, the strip's
# nature after a hide and a show, and the menu opening.
scenario_tray() {
    e2e_start_desktop --compositor
    e2e_start_pinstrip
    expect_default_corner
    expect_translucent
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    e2e_expect_setting pinstrip.visible false
    e2e_click_tray 1
    e2e_wait 5 e2e_strip_shown || e2e_fail "left click did not show the strip"
    e2e_expect_setting pinstrip.visible true
    expect_on_every_workspace "after a hide and a show"

    e2e_click_tray 3
    e2e_wait 5 e2e_find menu || e2e_fail "right click opened no menu"
    e2e_keys Escape
    e2e_wait 5 sh -c "! xwininfo -id $MENU | grep -q IsViewable" || e2e_fail "the menu stayed open"
}

# The tray menu as a StatusNotifierItem host reads it, without asking for an update first.
menu_reads() { MENU_READ=$(xsession_dbusmenu "$SNI" | cut -d' ' -f2-) && [ "$MENU_READ" = "$1" ]; }
expect_menu() { # <when> <entries, one a line>
    e2e_wait 5 menu_reads "$2" || e2e_fail "the tray menu $1 reads:
${MENU_READ:-(nothing)}
expected:
$2"
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

# The panel draws the menu itself: what changed on screen must be tall enough for every entry.
panel_menu_shown() {
    import -window root "$E2E_DIR/menu.png" &&
        /usr/bin/convert "$E2E_DIR/before-menu.png" "$E2E_DIR/menu.png" -compose difference \
            -composite -threshold 10% -format '%@' info: 2>/dev/null | awk -F'[x+]' '{ exit !($2 > 200) }'
}

corner_is() { [ "$(e2e_strip_corner)" = "$1" ]; }
pick_add_item() { pick "$ADD_ITEM"; }

backdrop_is() { [ "$(import -window root -crop 1x1+700+800 -format '%[fx:mean]' info:)" = "$1" ]; }

expect_translucent() { # under a compositor: the strip's mean brightness over black and white
    local x y w h colour mean=()
    for colour in black white; do
        xsession_backdrop $colour
        e2e_wait 5 backdrop_is ${#mean[@]} || e2e_fail "no $colour backdrop"
        read -r x y w h < <(e2e_strip_geometry)
        mean+=("$(import -window root -crop "${w}x${h}+$x+$y" +repage -colorspace gray -format '%[fx:mean]' info:)")
        xsession_stop_one "$XSESSION_SPAWNED"
    done
    awk -v a="${mean[0]}" -v b="${mean[1]}" 'BEGIN { exit !(b - a > 0.02) }' ||
        e2e_fail "the strip is opaque: mean brightness ${mean[0]} over black, ${mean[1]} over white"
}

# Xfce: the strip shows on the current workspace with its tray icon and lets xfwm4's compositor
# shine through; the menu is complete for a host that never announces it opens it, and stays
# current; hiding and showing keeps the window's nature; entries are picked by title; a summon
# after a click elsewhere takes the typing (Ctrl+Alt+T is the terminal's there).
scenario_xfce() {
    e2e_start_desktop xfce
    e2e_start_pinstrip
    e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown at the first start"
    expect_on_every_workspace "at the first start"
    expect_translucent
    expect_menu "at the first start" "$(menu_of Hide x ' ')"

    import -window root "$E2E_DIR/before-menu.png"
    e2e_click_tray 3
    e2e_wait 5 panel_menu_shown ||
        e2e_fail "the panel's menu is not shown with all its entries (see $E2E_DIR/menu.png)"
    e2e_keys Escape

    # A drag while the strip has the keyboard ends on the release too.
    local first
    first=$(e2e_strip_corner)
    double_tap
    expect_summoned "Alt, Alt"
    e2e_drag_strip -300 140
    dismiss
    expect_place_at_strip
    pick "Reset Position"
    e2e_wait 5 corner_is "$first" ||
        e2e_fail "\"Reset Position\" put the strip at $(e2e_strip_corner), not $first (preferences: $(tr "\n" " " <"$SETTINGS"))"

    e2e_click_tray 1
    e2e_wait 5 e2e_strip_hidden || e2e_fail "left click did not hide the strip"
    expect_menu "with the strip hidden" "$(menu_of Show x ' ')"
    e2e_click_tray 1
    expect_on_every_workspace "after a hide and a show"
    pick "Hide Strip"
    e2e_wait 5 e2e_strip_hidden || e2e_fail "\"Hide Strip\" did not hide the strip"
    double_tap
    expect_summoned "Alt, Alt while hidden"
    expect_on_every_workspace "after a hide and a summon"
    dismiss
    expect_summon_after_click_elsewhere double_tap "Alt, Alt"
    expect_summon_after_click_elsewhere pick_add_item "Add Item"

    pick "Summon on Double-Alt"
    expect_menu "with the double tap off" "$(menu_of Hide ' ' ' ')"
    e2e_expect_setting pinstrip.doubleTapOption false

    pick "Quit Pinstrip"
    e2e_wait 10 sh -c "! kill -0 $PINSTRIP_PID" || e2e_fail "\"Quit Pinstrip\" did not quit"
    wait "$PINSTRIP_PID" || e2e_fail "\"Quit Pinstrip\" did not exit with 0"
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
