#!/usr/bin/env bash
# End-to-end scenarios on KDE Plasma and GNOME Shell (X11 sessions): desktops.sh <name>
# Each stack runs on its own Xvfb with GLX and its own session bus; every process is stopped by
# its PID, including those the bus started on demand.
source "$(dirname "$0")/harness.sh"

CTRL_ALT_T=$((0x0C000054)) # Qt::CTRL | Qt::ALT | Qt::Key_T, as kglobalaccel stores keys
REBOUND=$((0x0E000054)) # Ctrl+Alt+Shift+T
APP_ID=io.github.pinstrip.pinstrip
ACTION="['$APP_ID', 'summon', 'Pinstrip', 'Summon Pinstrip']"
export QT_LOGGING_RULES="pinstrip.summon.info=true"

# What a bus started on demand (kglobalaccel, dconf...) belongs to init: stop every client of our
# buses by its PID while they still answer.
stacks_stop_bus_clients() {
    local bus name pid
    for bus in ${BUSES:-}; do
        for name in $(dbus-send --bus="$bus" --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.ListNames | sed -n 's/^ *string "\(:.*\)"$/\1/p'); do
            pid=$(dbus-send --bus="$bus" --print-reply --dest=org.freedesktop.DBus / \
                org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name") || continue
            kill "${pid##* }" || true
        done
    done
}
trap 'stacks_stop_bus_clients 2>/dev/null; e2e_stop_pinstrip; xsession_stop' EXIT

stacks_start_display() {
    : >"$E2E_DIR/display"
    xsession_spawn Xvfb -displayfd 3 -screen 0 1440x900x24 +extension GLX -nolisten tcp \
        3>"$E2E_DIR/display"
    e2e_wait 20 test -s "$E2E_DIR/display" || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
    e2e_wait 10 xdpyinfo || e2e_fail "display $DISPLAY does not answer"
}

stacks_session_bus() {
    eval "$(dbus-launch --sh-syntax)"
    XSESSION_PIDS+=("$DBUS_SESSION_BUS_PID")
    BUSES="${BUSES:-} $DBUS_SESSION_BUS_ADDRESS"
}

stacks_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }

stacks_target() {
    : >"$TYPED"
    xsession_spawn "$XTOOL" target "$TYPED"
    e2e_wait 10 xdotool search --name '^pinstrip-e2e-target$' || e2e_fail "no target window"
    TARGET=$(xdotool search --name '^pinstrip-e2e-target$' | head -n1)
    e2e_focus_target
}

kglobalaccel() { # <method> <arguments...>
    gdbus call --session --dest org.kde.kglobalaccel --object-path /kglobalaccel \
        --method "org.kde.KGlobalAccel.$1" "${@:2}"
}

kde_focus_level() { # <0..4>: KWin's focus-stealing prevention, applied at once
    printf '[Windows]\nFocusStealingPreventionLevel=%s\n' "$1" >"$XDG_CONFIG_HOME/kwinrc"
    dbus-send --session --type=method_call --dest=org.kde.KWin /KWin org.kde.KWin.reconfigure
}

kded_tray_watcher() { # loads only when a Plasma session asks for it
    gdbus call --session --dest org.kde.kded5 --object-path /kded \
        --method org.kde.kded5.loadModule statusnotifierwatcher | grep -q true
}

# kwin_x11 compositing with OpenGL, kglobalaccel as Plasma runs it, and Plasma's own tray: kded5
# watches for StatusNotifierItems, plasmawindowed shows the applet in a window.
kde_start() {
    stacks_start_display
    stacks_session_bus
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=x11 KDE_FULL_SESSION=true
    kde_focus_level 1
    xsession_spawn kwin_x11 --replace
    e2e_wait 30 stacks_wm_ready || e2e_fail "kwin_x11 did not start"
    # KWin has the bus start kglobalaccel5: a second copy would quit at once, and KWin would log
    # an X error for the window that copy left.
    e2e_wait 20 kglobalaccel allMainComponents || e2e_fail "kglobalaccel did not start"
    xsession_spawn kded5
    e2e_wait 20 kded_tray_watcher || e2e_fail "kded5 did not load its StatusNotifierWatcher"
    xsession_spawn plasmawindowed org.kde.plasma.systemtray
    e2e_wait 30 xsession_sni_host || e2e_fail "Plasma's tray did not register as a host"
    stacks_target
}

gnome_overview_closed() { # closed, and still closed a moment later
    local shell="gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell"
    local property="org.freedesktop.DBus.Properties"
    $shell --method $property.Set org.gnome.Shell OverviewActive '<false>'
    sleep 1.5
    $shell --method $property.Get org.gnome.Shell OverviewActive | grep -q false
}

# GNOME Shell on X11 with the AppIndicator extension and the settings daemon's media keys, with
# Ctrl+Alt+T bound to a command as Ubuntu binds it to the terminal.
gnome_start() {
    stacks_start_display
    stacks_session_bus
    local system=$E2E_DIR/system-bus
    xsession_spawn dbus-daemon --session --nofork --address="unix:path=$system"
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$system"
    BUSES="$BUSES $DBUS_SYSTEM_BUS_ADDRESS"
    e2e_wait 10 test -S "$system" || e2e_fail "no system bus"
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11
    local keys=org.gnome.settings-daemon.plugins.media-keys
    local path=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/terminal/
    gsettings set org.gnome.shell welcome-dialog-last-shown-version "'99.0'"
    gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com']"
    gsettings set $keys custom-keybindings "['$path']"
    gsettings set $keys.custom-keybinding:$path name "'Terminal'"
    gsettings set $keys.custom-keybinding:$path command "'touch $E2E_DIR/terminal-ran'"
    gsettings set $keys.custom-keybinding:$path binding "'<Primary><Alt>t'"
    xsession_spawn gnome-shell --x11 --replace
    e2e_wait 60 stacks_wm_ready || e2e_fail "gnome-shell did not start"
    xsession_spawn /usr/libexec/gsd-media-keys
    # The shell opens its overview at the end of its start-up animation: close it after that.
    e2e_wait 30 gnome_overview_closed || e2e_fail "the shell's overview did not close"
    stacks_target
}

# Pinstrip on a tray that speaks D-Bus: ready once it shows the strip, which asks for nothing.
stacks_start_pinstrip() {
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    e2e_wait 20 e2e_strip_shown || e2e_fail "the strip is not shown"
    ! xprop -id "$STRIP" _NET_WM_STATE | grep DEMANDS_ATTENTION || e2e_fail "the strip demands attention"
}

# The tray item as a host reads it: the icon's name in themes, and pixmaps for HiDPI panels.
expect_tray_icon() {
    SNI=$(xsession_sni_service "$PINSTRIP_PID") || e2e_fail "no StatusNotifierItem registered"
    local get="gdbus call --session --dest $SNI --object-path /StatusNotifierItem
        --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem" sides
    [ "$($get IconName)" = "(<'$APP_ID'>,)" ] || e2e_fail "the item's IconName is $($get IconName)"
    sides=$($get IconPixmap | grep -o '([0-9]*, [0-9]*,' | tr -d '(,' | tr ' ' x | paste -sd' ')
    [ "$sides" = "16x16 22x22 24x24 32x32 48x48 64x64" ] || e2e_fail "the item's pixmaps: $sides"
}

strip_has_focus() { e2e_find strip && e2e_focus_is "$STRIP"; }
second_launch() { "$PINSTRIP" >>"$APP_LOG" 2>&1 || e2e_fail "a second launch exited with $?"; }
summoned_by() { # <title to type> <command...>: run from another window, it summons
    e2e_focus_target
    "${@:2}"
    e2e_wait 5 strip_has_focus || e2e_fail "$1: ${*:2} did not give the strip the keyboard"
    xdotool type "$1"
    e2e_keys Return Escape
    e2e_wait 5 e2e_focus_is "$TARGET" || e2e_fail "Escape did not hand the keyboard back"
    e2e_wait 5 grep -q "\"title\": *\"$1\"" "$TODO" || e2e_fail "'$1' typed into the strip was lost"
    ! grep -q "$1" "$TYPED" || e2e_fail "'$1' went into the other window"
}
CONTROL_ALT_T=(+Control_L +Alt_L t -Alt_L -Control_L)
DOUBLE_ALT=(+Alt_L sleep:60 -Alt_L sleep:120 +Alt_L sleep:60 -Alt_L)

expect_clean_stderr() { # anything but our own enabled log lines is a fault, so is an X error
    ! grep -v '^pinstrip.summon: ' "$APP_LOG" || e2e_fail "pinstrip wrote the lines above"
    ! grep 'XCB error' "$XSESSION_LOG" || e2e_fail "the desktop met the X error above"
}

# The hot key through kglobalaccel: listed under the application id, summons at every focus
# level up to High, and a rebinding made in KDE survives a restart.
scenario_kde_shortcut() {
    kde_start
    stacks_start_pinstrip
    e2e_wait 10 grep -qx 'pinstrip.summon: Ctrl+Alt+T summons Pinstrip.' "$APP_LOG" ||
        e2e_fail "no registration reported"
    [ "$(kglobalaccel shortcut "$ACTION")" = "([$CTRL_ALT_T],)" ] ||
        e2e_fail "kglobalaccel holds $(kglobalaccel shortcut "$ACTION") for the summon"
    # kglobalaccel5 grabs the key in its own process a moment after it answers the registration.
    e2e_focus_target
    local try
    for try in 1 2 3 4 5; do
        e2e_keys "${CONTROL_ALT_T[@]}"
        e2e_wait 2 strip_has_focus && break
    done
    strip_has_focus || e2e_fail "Ctrl+Alt+T never reached the strip through kglobalaccel"
    e2e_keys Escape
    for level in 1 2 3; do
        kde_focus_level $level
        summoned_by "hotkey$level" e2e_keys "${CONTROL_ALT_T[@]}"
        summoned_by "tap$level" e2e_keys "${DOUBLE_ALT[@]}"
        summoned_by "launch$level" second_launch
    done
    expect_tray_icon
    # Moved away as a drag would, then put back from the menu: the typing stays where it was.
    xdotool windowmove "$STRIP" 200 300
    e2e_wait 5 grep -q '^pinstrip.topRightAnchor=' "$SETTINGS" || e2e_fail "the move stored no corner"
    xsession_dbusmenu_click "$SNI" "Reset Position"
    e2e_wait 5 eval '[ "$(e2e_strip_corner)" = "$((1440 - 16)) 54" ]' || e2e_fail "Reset Position did not move the strip"
    xdotool type reset
    e2e_wait 5 grep -q reset "$TYPED" || e2e_fail "after Reset Position the typing went elsewhere"
    expect_clean_stderr
    { kill "$PINSTRIP_PID" && wait "$PINSTRIP_PID"; } 2>/dev/null || true

    kglobalaccel setForeignShortcut "$ACTION" "[$REBOUND]" >/dev/null # as System Settings does
    stacks_start_pinstrip
    e2e_wait 10 grep -q 'summons Pinstrip (KDE: rebound to Ctrl+Alt+Shift+T)' "$APP_LOG" ||
        e2e_fail "the rebinding was not reported"
    [ "$(kglobalaccel shortcut "$ACTION")" = "([$REBOUND],)" ] ||
        e2e_fail "the restart replaced the user's binding: $(kglobalaccel shortcut "$ACTION")"
}

# The desktop binds Ctrl+Alt+T: its command still runs, pinstrip says so, the double tap works.
scenario_gnome_binding() {
    gnome_start
    stacks_start_pinstrip
    local said='pinstrip.summon: Ctrl+Alt+T belongs to the desktop (GNOME: Terminal); double-tap Alt instead.'
    e2e_wait 10 grep -qxF "$said" "$APP_LOG" || e2e_fail "the desktop's binding was not reported"
    e2e_wait 10 gnome_overview_closed || e2e_fail "the overview came back"
    summoned_by "tapped" e2e_keys "${DOUBLE_ALT[@]}"
    summoned_by "launched" second_launch
    expect_tray_icon
    e2e_focus_target
    e2e_keys "${CONTROL_ALT_T[@]}"
    e2e_wait 5 test -e "$E2E_DIR/terminal-ran" || e2e_fail "the desktop's Ctrl+Alt+T did not run"
    ! strip_has_focus || e2e_fail "Ctrl+Alt+T summoned the strip"
    expect_clean_stderr
}

# openbox with an XEmbed tray and a compositor, and Xfce with its status tray: a start logs nothing.
scenario_quiet_starts() {
    local desktop
    for desktop in --compositor xfce; do
        e2e_start_desktop $desktop
        BUSES=${DBUS_SESSION_BUS_ADDRESS#disabled:}
        e2e_start_pinstrip
        e2e_wait 10 e2e_strip_shown || e2e_fail "the strip is not shown ($desktop)"
        expect_clean_stderr
        stacks_stop_bus_clients 2>/dev/null
        e2e_stop_pinstrip
        xsession_stop
    done
}

"scenario_$1"
