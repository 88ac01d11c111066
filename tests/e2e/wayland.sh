#!/usr/bin/env bash
# End-to-end scenarios in headless Wayland sessions with Xwayland, a native Wayland window
# holding the keyboard: wayland.sh <kwin_wayland|gnome_wayland>
source "$(dirname "${BASH_SOURCE[0]}")/desktops.sh"

wayland_xwayland() { # <compositor's PID>: DISPLAY and XAUTHORITY of the Xwayland it started
    local line auth
    xsession_wait 20 pgrep -P "$1" Xwayland || e2e_fail "no Xwayland"
    line=$(pgrep -a -P "$1" Xwayland)
    read -r _ _ DISPLAY _ <<<"$line" && export DISPLAY
    auth=${line#* -auth }
    [ "$auth" = "$line" ] || export XAUTHORITY=${auth%% *}
    unset QT_QPA_PLATFORM # Pinstrip picks Xwayland itself
}
wayland_strip_above() { xsession_wait 5 "${WL}_strip_above" || e2e_fail "the strip is not above the maximised window ($*)"; }
wayland_summons() { # <title> <keys...>: the strip takes the keyboard, then the typing; Escape returns it
    "$WLKEYS" "${@:2}"
    xsession_wait 5 "${WL}_has_keyboard" S || e2e_fail "${*:2} did not give the strip the keyboard"
    "$WLKEYS" "type:$1" Return Escape
    xsession_wait 5 grep -q "\"title\": *\"$1\"" "$TODO" || e2e_fail "'$1' typed into the strip was lost"
    xsession_wait 5 "${WL}_has_keyboard" T || e2e_fail "Escape did not hand the keyboard back"
    wayland_strip_above "after the hand-back, $1"
    "$WLKEYS" "type:$1"
    xsession_wait 5 grep -q "$1\$" "$TYPED" || e2e_fail "the Wayland window got $(cat "$TYPED"), not $1"
}

# Headless KWin on Wayland with Xwayland (kglobalaccel runs inside it) and a native Wayland
# window with the keyboard. The packaged binary carries a file capability a container refuses;
# a copy runs.
kwin_wayland_start() {
    stacks_bus
    WL=kwin
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wl-pinstrip
    export KWIN_COMPOSE=Q KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 # the latter offers fake input
    cp /usr/bin/kwin_wayland "$E2E_DIR/kwin_wayland"
    # "Legacy X11 App Support" at modifier keys: a double tap reaches Xwayland programs.
    printf '[Xwayland]\nXwaylandEavesdrops=Modifiers\n' >"$XDG_CONFIG_HOME/kwinrc"
    xsession_spawn "$E2E_DIR/kwin_wayland" --virtual --xwayland --socket "$WAYLAND_DISPLAY" \
        --width 1440 --height 900 --no-lockscreen
    wayland_xwayland "$XSESSION_SPAWNED"
    # kded5's configuration update waits 30 s for nothing here; the tray host speaks D-Bus either way.
    printf '[General]\nCheckUpdates=false\n' >"$XDG_CONFIG_HOME/kded5rc"
    QT_QPA_PLATFORM=xcb xsession_spawn kded5
    # Asked too early, the bus would start a copy of its own, without a display.
    xsession_wait 20 eval 'bus "$BUSES" NameHasOwner string:org.kde.kded5 | grep -q true'
    xsession_wait 60 kded_tray_watcher || e2e_fail "kded5 did not load its StatusNotifierWatcher"
    QT_QPA_PLATFORM=xcb xsession_spawn plasmawindowed org.kde.plasma.systemtray
    xsession_wait 30 xsession_sni_host || e2e_fail "Plasma's tray did not register as a host"
    QT_QPA_PLATFORM=wayland xsession_spawn "$TARGET_APP" "$TYPED"
    xsession_wait 10 kwin_eval T.caption || e2e_fail "no Wayland window"
    kwin_eval 'workspace.activeClient = T' >/dev/null # as a click into it would
    xsession_wait 10 kwin_is A T || e2e_fail "the Wayland window did not get the keyboard"
}
kwin_eval() { # <JavaScript expression>: its value, as KWin's scripting prints it
    local id=$RANDOM$RANDOM script=$E2E_DIR/query.js
    printf '%s\nprint("Q%s " + (%s));\n' "const S = workspace.clientList().find(c => c.caption == \"Pinstrip\"),
        T = workspace.clientList().find(c => c.caption == \"pinstrip-e2e-target\"),
        A = workspace.activeClient;" "$id" "$1" >"$script"
    call org.kde.KWin /Scripting org.kde.kwin.Scripting.unloadScript q >/dev/null
    call org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript "$script" q >/dev/null
    call org.kde.KWin /Scripting org.kde.kwin.Scripting.start >/dev/null
    xsession_wait 5 grep -q "^js: Q$id " "$XSESSION_LOG" && sed -n "s/^js: Q$id //p" "$XSESSION_LOG"
}
kwin_is() { [ "$(kwin_eval "!!$1 && $1 == $2")" = true ]; }
kwin_has_keyboard() { kwin_is A "$1"; } # <S|T>: the strip or the target
kwin_strip_above() { [ "$(kwin_eval 'S.keepAbove && !T.keepAbove && T.width == 1440')" = true ]; }

# Through Xwayland the strip sits at the top-right above a maximised Wayland window;
# Control+Alt+T (kglobalaccel) takes the keyboard from that window, Escape gives it back, and
# after Quit the key is that window's again.
scenario_kwin_wayland() {
    kwin_wayland_start
    kwin_eval 'T.setMaximize(true, true)' >/dev/null
    # Natively it starts too, and stores no place from positions Wayland never reports.
    QT_QPA_PLATFORM=wayland "$PINSTRIP" >>"$E2E_DIR/native.log" 2>&1 &
    PINSTRIP_PID=$!
    xsession_wait 20 kwin_eval S.caption || e2e_fail "no strip without Xwayland"
    e2e_stop_pinstrip
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    xsession_wait 20 eval '[ "$(kwin_eval "(S.x + S.width) + \" \" + S.y")" = "1424 54" ]' ||
        e2e_fail "the strip is not at the top-right: $(kwin_eval 'JSON.stringify(S.frameGeometry)')"
    wayland_strip_above "at the start"
    xsession_wait 10 grep -qx 'pinstrip.summon: Ctrl+Alt+T summons Pinstrip.' "$APP_LOG" ||
        e2e_fail "no registration reported"
    wayland_summons wayland +Control_L +Alt_L t -Alt_L -Control_L
    wayland_summons tap +Alt_L sleep:60 -Alt_L sleep:120 +Alt_L sleep:60 -Alt_L
    # The tray icon on a Wayland panel: a left click toggles, the host reads and clicks the menu.
    expect_tray_item
    call "$SNI" /StatusNotifierItem org.kde.StatusNotifierItem.Activate 0 0 >/dev/null
    xsession_wait 5 kwin_is !S true || e2e_fail "a left click on the tray icon did not hide the strip"
    xsession_dbusmenu_click "$SNI" "Show Strip"
    xsession_wait 5 kwin_is S.keepAbove true || e2e_fail "\"Show Strip\" did not bring the strip back"
    e2e_stop_pinstrip
    "$WLKEYS" +Control_L +Alt_L t -Alt_L -Control_L
    xsession_wait 5 grep -q '\[Ctrl+Alt+T\]' "$TYPED" || e2e_fail "after Quit Ctrl+Alt+T is still taken"
    # On a desktop without KDE's own service the key comes through the desktop portal, here
    # with KDE's backend, which the bus starts for the desktop it was told of.
    # KDE keeps a key for a program that is gone: drop ours, as after an uninstall.
    dbus-update-activation-environment XDG_CURRENT_DESKTOP=KDE WAYLAND_DISPLAY DISPLAY XAUTHORITY
    kglobalaccel unregister "$APP_ID" summon >/dev/null
    XDG_CURRENT_DESKTOP=Hyprland "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    xsession_wait 20 grep -qx 'pinstrip.summon: Ctrl+Alt+T summons Pinstrip (the desktop portal).' "$APP_LOG" ||
        e2e_fail "the desktop portal bound no key"
    wayland_summons portal +Control_L +Alt_L t -Alt_L -Control_L
    e2e_clean_stderr
}


# The target as GNOME Shell lists it to the screenshot portal, whose bus name we borrow.
gnome_target() { # "<has the keyboard: True|False> <width>"
    /usr/bin/python3 - <<'PYTHON'
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
              GLib.Variant("(su)", ("org.freedesktop.impl.portal.desktop.gtk", 4)), None, 0, -1)
windows, = bus.call_sync("org.gnome.Shell", "/org/gnome/Shell/Introspect", "org.gnome.Shell.Introspect",
                         "GetWindows", None, None, 0, -1).unpack()
print(*[f"{w['has-focus']} {w['width']}" for w in windows.values() if w.get("title") == "pinstrip-e2e-target"])
PYTHON
}
gnome_has_keyboard() { if [ "$1" = S ]; then e2e_strip_has_focus; else gnome_target | grep -q True; fi; } # <S|T>
gnome_strip_above() { # the maximised target is as wide as the screen
    xsession_strip && xprop -id "$STRIP" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && gnome_target | grep -q ' 1440$'
}
GNOME_KEYS=org.gnome.settings-daemon.plugins.media-keys
GNOME_CUSTOM=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings

gnome_wayland_start() {
    stacks_bus
    gnome_system_bus
    WL=gnome
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wl-pinstrip
    gsettings set $GNOME_KEYS custom-keybindings "['$GNOME_CUSTOM/files/']" # the user's own
    xsession_spawn gnome-shell --headless --wayland --virtual-monitor 1440x900 --wayland-display "$WAYLAND_DISPLAY"
    wayland_xwayland "$XSESSION_SPAWNED"
    xsession_spawn "$GSD_MEDIA_KEYS"
    xsession_wait 30 gnome_overview_closed || e2e_fail "the shell's overview did not close"
    QT_QPA_PLATFORM=wayland xsession_spawn "$TARGET_APP" "$TYPED"
    xsession_wait 10 gnome_has_keyboard T || e2e_fail "the Wayland window did not get the keyboard"
    "$WLKEYS" +Super_L Up -Super_L
    xsession_wait 5 eval 'gnome_target | grep -q " 1440$"' || e2e_fail "the Wayland window is not maximised"
}

gnome_question() { # a window of ours titled "Pinstrip" besides the strip
    xsession_strip || STRIP=none
    xdotool search --onlyvisible --name '^Pinstrip$' | grep -qvx "$STRIP"
}

# Through Xwayland the strip sits at the top-right of the work area, below the top bar, above a
# maximised Wayland window. Pinstrip offers once to bind Control+Alt+T to its summon command in
# the media keys; with the yes, the key takes the keyboard from that window, Escape gives it back.
scenario_gnome_wayland() {
    gnome_wayland_start
    e2e_start_pinstrip
    local get="gsettings get $GNOME_KEYS custom-keybindings" written
    local both="['$GNOME_CUSTOM/files/', '$GNOME_CUSTOM/pinstrip/']"
    xsession_wait 10 gnome_question || e2e_fail "no offer of Ctrl+Alt+T"
    [ "$($get)" = "['$GNOME_CUSTOM/files/']" ] || e2e_fail "the settings changed before the yes: $($get)"
    "$WLKEYS" Return
    xsession_wait 5 eval '[ "$($get)" = "$both" ]' ||
        e2e_fail "the custom shortcuts after the yes: $($get)"
    written=$(gsettings list-recursively "$GNOME_KEYS.custom-keybinding:$GNOME_CUSTOM/pinstrip/" | cut -d' ' -f2- | sort | paste -sd' ')
    [ "$written" = "binding '<Control><Alt>t' command '$PINSTRIP --summon' name 'Summon Pinstrip'" ] ||
        e2e_fail "the shortcut written: $written"
    e2e_expect_corner "1424 $(($(xprop -root _NET_WORKAREA | awk -F'[=,] *' '{ print $3 }') + 54))" "below the top bar"
    wayland_strip_above "at the start"
    e2e_stop_pinstrip
    e2e_start_pinstrip
    wayland_summons gnome +Control_L +Alt_L t -Alt_L -Control_L
    ! gnome_question || e2e_fail "the second start asked again"
    e2e_clean_stderr
}

[ "${BASH_SOURCE[0]}" != "$0" ] || "scenario_$1"
