#!/usr/bin/env bash
# End-to-end scenarios on KDE Plasma and GNOME Shell (X11): desktops.sh <name>
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"

CTRL_ALT_T=$((0x0C000054)) # Qt::CTRL | Qt::ALT | Qt::Key_T, as kglobalaccel stores keys
REBOUND=$((0x0E000054)) # Ctrl+Alt+Shift+T
APP_ID=io.github.pinstrip.pinstrip
ACTION="['$APP_ID', 'summon', 'Pinstrip', 'Summon Pinstrip']"
export QT_LOGGING_RULES="pinstrip.summon.info=true"

call() { gdbus call --session --dest "$1" --object-path "$2" --method "$3" "${@:4}"; }
bus() { dbus-send --bus="$1" --print-reply --dest=org.freedesktop.DBus / "org.freedesktop.DBus.$2" "${@:3}"; }
# What a bus started on demand belongs to init: every client of our buses is stopped by its PID.
stacks_stop_bus_clients() {
    local bus name pid
    for bus in ${BUSES:-}; do
        for name in $(bus "$bus" ListNames | sed -n 's/^ *string "\(:.*\)"$/\1/p'); do
            pid=$(bus "$bus" GetConnectionUnixProcessID "string:$name") && kill "${pid##* }" || true
        done
    done
}
trap 'stacks_stop_bus_clients 2>/dev/null; e2e_stop_pinstrip; xsession_stop' EXIT

stacks_bus() { # [display]: a private session bus, on a display of our own when asked
    [ -z "${1:-}" ] || xsession_start_display || e2e_fail "no display of our own"
    eval "$(dbus-launch --sh-syntax)"
    XSESSION_PIDS+=("$DBUS_SESSION_BUS_PID")
    BUSES=$DBUS_SESSION_BUS_ADDRESS
}
# GNOME Shell exits without a system bus: a second private one stands in. No welcome tour.
gnome_system_bus() {
    local system=$E2E_DIR/system-bus
    xsession_spawn dbus-daemon --session --nofork --address="unix:path=$system"
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$system"
    BUSES="$BUSES $DBUS_SYSTEM_BUS_ADDRESS"
    xsession_wait 10 test -S "$system" || e2e_fail "no system bus"
    gsettings set org.gnome.shell welcome-dialog-last-shown-version "'99.0'"
}
GSD_MEDIA_KEYS=$(dpkg -L gnome-settings-daemon | grep '/gsd-media-keys$')
stacks_wm() { # <command...>
    xsession_spawn "$@"
    xsession_wait 60 xsession_wm_running "$XSESSION_SPAWNED" || e2e_fail "$1 did not start"
}

kglobalaccel() { call org.kde.kglobalaccel /kglobalaccel "org.kde.KGlobalAccel.$1" "${@:2}"; }
kded_tray_watcher() { call org.kde.kded5 /kded org.kde.kded5.loadModule statusnotifierwatcher | grep -q true; }
kde_focus_level() { # <0..4>: KWin's focus-stealing prevention, applied at once
    printf '[Windows]\nFocusStealingPreventionLevel=%s\n' "$1" >"$XDG_CONFIG_HOME/kwinrc"
    dbus-send --session --type=method_call --dest=org.kde.KWin /KWin org.kde.KWin.reconfigure
}

# kwin_x11, kglobalaccel, and Plasma's tray applet in a window with kded5's StatusNotifierWatcher.
kde_start() {
    stacks_bus display
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=x11 KDE_FULL_SESSION=true
    kde_focus_level 1
    stacks_wm kwin_x11 --replace
    # KWin has the bus start kglobalaccel5: a copy of ours would quit, leaving KWin an X error.
    xsession_wait 20 kglobalaccel allMainComponents || e2e_fail "kglobalaccel did not start"
    xsession_spawn kded5
    xsession_wait 20 kded_tray_watcher || e2e_fail "kded5 did not load its StatusNotifierWatcher"
    xsession_spawn plasmawindowed org.kde.plasma.systemtray
    xsession_wait 30 xsession_sni_host || e2e_fail "Plasma's tray did not register as a host"
    e2e_start_target
}

gnome_overview_closed() {
    local get="org.gnome.Shell /org/gnome/Shell org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive"
    call ${get/Get/Set} '<false>' && sleep 1.5 && call $get | grep -q false
}

# GNOME Shell with the AppIndicator extension; media keys bind Ctrl+Alt+T as Ubuntu's terminal.
gnome_start() {
    local keys=org.gnome.settings-daemon.plugins.media-keys
    local binding=$keys.custom-keybinding:/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/terminal/
    stacks_bus display
    gnome_system_bus
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11
    gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
    gsettings set $keys custom-keybindings "['${binding#*:}']"
    gsettings set "$binding" name "'Terminal'"
    gsettings set "$binding" command "'touch $E2E_DIR/terminal-ran'"
    gsettings set "$binding" binding "'<Primary><Alt>t'"
    stacks_wm gnome-shell --x11 --replace
    xsession_spawn "$GSD_MEDIA_KEYS"
    # The shell opens its overview at the end of its start-up animation: close it after that.
    xsession_wait 30 gnome_overview_closed || e2e_fail "the shell's overview did not close"
    e2e_start_target
}

# Pinstrip on a tray that speaks D-Bus: ready once it shows the strip, which asks for nothing.
E2E_READY=strip
stacks_start_pinstrip() {
    e2e_start_pinstrip
    ! xprop -id "$STRIP" _NET_WM_STATE | grep DEMANDS_ATTENTION || e2e_fail "the strip demands attention"
}

# The tray item as a host reads it: the icon's name in themes, pixmaps for HiDPI panels, and the
# tooltip's second line, which names who holds Ctrl+Alt+T when it is not ours.
expect_tray_item() { # <second line of the tooltip, or nothing>
    SNI=$(xsession_sni_service "$PINSTRIP_PID") || e2e_fail "no StatusNotifierItem registered"
    local get="$SNI /StatusNotifierItem org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem" sides
    [ "$(call $get IconName)" = "(<'$APP_ID'>,)" ] || e2e_fail "the item's IconName: $(call $get IconName)"
    sides=$(call $get IconPixmap | grep -o '([0-9]*, [0-9]*,' | tr -d '(,' | tr ' ' x | paste -sd' ')
    [ "$sides" = "16x16 22x22 24x24 32x32 48x48 64x64" ] || e2e_fail "the item's pixmaps: $sides"
    call $get ToolTip | grep -qF "summon.${1:+\\n$1}\"" || e2e_fail "the tooltip: $(call $get ToolTip)"
}

second_launch() { "$PINSTRIP" >>"$APP_LOG" 2>&1 || e2e_fail "a second launch exited with $?"; }

# The hot key through kglobalaccel, under the application id, summons at focus levels up to High
# like the double tap and a second launch; KDE's rebinding survives a restart. Reset Position
# from Plasma's tray moves the strip and leaves the keyboard alone.
scenario_kde_shortcut() {
    kde_start
    stacks_start_pinstrip
    xsession_wait 10 grep -qx 'pinstrip.summon: Ctrl+Alt+T summons Pinstrip.' "$APP_LOG" ||
        e2e_fail "no registration reported"
    [ "$(kglobalaccel shortcut "$ACTION")" = "([$CTRL_ALT_T],)" ] ||
        e2e_fail "kglobalaccel holds $(kglobalaccel shortcut "$ACTION") for the summon"
    # kglobalaccel5 grabs the key a moment after it answers the registration.
    for try in 1 2 3 4 5; do e2e_control_alt_t && xsession_wait 2 e2e_strip_has_focus && break; done
    e2e_strip_has_focus || e2e_fail "Ctrl+Alt+T never reached the strip through kglobalaccel"
    e2e_drag_strip -300 140 # KWin moves it while it has the keyboard
    xsession_keys Escape
    for level in 1 2 3; do
        kde_focus_level $level
        e2e_summons "hotkey$level" e2e_control_alt_t
        e2e_summons "tap$level" e2e_double_alt
        e2e_summons "launch$level" second_launch
    done
    expect_tray_item
    xdotool windowmove "$STRIP" 200 300 # as a drag would
    xsession_wait 5 grep -q '^pinstrip.place=' "$SETTINGS" || e2e_fail "the move stored no place"
    xsession_dbusmenu_click "$SNI" "Reset Position"
    e2e_expect_corner "1424 54" "after Reset Position"
    xdotool type reset
    xsession_wait 5 grep -q reset "$TYPED" || e2e_fail "after Reset Position the typing went elsewhere"
    e2e_clean_stderr
    e2e_stop_pinstrip
    kglobalaccel setForeignShortcut "$ACTION" "[$REBOUND]" >/dev/null # as System Settings does
    stacks_start_pinstrip
    xsession_wait 10 grep -q 'summons Pinstrip (KDE: rebound to Ctrl+Alt+Shift+T)' "$APP_LOG" ||
        e2e_fail "the rebinding was not reported"
    [ "$(kglobalaccel shortcut "$ACTION")" = "([$REBOUND],)" ] ||
        e2e_fail "the restart replaced the user's binding: $(kglobalaccel shortcut "$ACTION")"
}

# The desktop binds Ctrl+Alt+T: its command still runs, pinstrip says so, the others summon.
scenario_gnome_binding() {
    gnome_start
    stacks_start_pinstrip
    local said='pinstrip.summon: Ctrl+Alt+T belongs to the desktop (GNOME: Terminal); double-tap Alt instead.'
    xsession_wait 10 grep -qxF "$said" "$APP_LOG" || e2e_fail "the desktop's binding was not reported"
    xsession_wait 10 gnome_overview_closed || e2e_fail "the overview came back"
    e2e_summons "tapped" e2e_double_alt
    e2e_summons "launched" second_launch
    expect_tray_item "Ctrl+Alt+T belongs to the desktop (GNOME: Terminal); double-tap Alt instead."
    e2e_control_alt_t
    xsession_wait 5 test -e "$E2E_DIR/terminal-ran" || e2e_fail "the desktop's Ctrl+Alt+T did not run"
    ! e2e_strip_has_focus || e2e_fail "Ctrl+Alt+T summoned the strip"
    e2e_clean_stderr
}

[ "${BASH_SOURCE[0]}" != "$0" ] || "scenario_$1" # wayland.sh and the benchmarks borrow the helpers
