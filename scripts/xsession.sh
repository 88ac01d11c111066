#!/usr/bin/env bash
# A throw-away X11 desktop for the end-to-end tests, the screenshots and the benchmarks: Xvfb on
# a free display with one of two desktops.
#   openbox  openbox, optionally tint2 (an XEmbed tray) and xcompmgr (a compositor)
#   xfce     a private session bus, xfconfd, xfwm4 with its compositor on and xfce4-panel with
#            its status tray (StatusNotifierItems over the bus, XEmbed icons too)
# Use:  source scripts/xsession.sh
#       xsession_start [--desktop openbox|xfce] [--tray] [--compositor]; ...; xsession_stop
# The Xfce settings live under $XDG_CONFIG_HOME, so give the caller private XDG folders
# (tests/run-isolated.sh). Helpers write to $XSESSION_LOG. Every process started here, also
# through xsession_spawn, is recorded and stopped by its PID, newest first.

XSESSION_PIDS=()
XSESSION_LOG=${XSESSION_LOG:-/dev/null}
XSESSION_WIDTH=${XSESSION_WIDTH:-1440}
XSESSION_HEIGHT=${XSESSION_HEIGHT:-900}
XSESSION_XVFB_OPTIONS=${XSESSION_XVFB_OPTIONS:-} # more options for Xvfb, "-noreset" say

xsession_wait() { # <seconds> <command...>: polls until the command succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

xsession_focus_is() { [ "$(xdotool getwindowfocus -f)" -eq $(($1)) ]; } # <window>

# Exact input: +Key press, -Key release, Key tap (a keysym name), sleep:MS, click:BUTTON,
# mousedown:BUTTON, mouseup:BUTTON, at:X,Y, by:DX,DY,N (N pointer steps of DX,DY, 10 ms apart).
xsession_keys() {
    local action actions=() dx dy steps
    for action; do
        case $action in
        +*) actions+=(keydown "${action#+}") ;;
        -*) actions+=(keyup "${action#-}") ;;
        sleep:*) actions+=(sleep "$(printf '0.%03d' "${action#sleep:}")") ;;
        click:* | mouse*:*) actions+=("${action%:*}" "${action#*:}") ;;
        at:*) actions+=(mousemove ${action//[a-z:,]/ }) ;;
        by:*)
            IFS=, read -r dx dy steps <<<"${action#by:}"
            for ((; steps > 0; steps--)); do actions+=(mousemove_relative -- "$dx" "$dy" sleep 0.01); done
            ;;
        *) actions+=(key "$action") ;;
        esac
    done
    xdotool "${actions[@]}"
}

xsession_pinstrip_windows() { xdotool search --onlyvisible --classname '^pinstrip$' 2>/dev/null; }

xsession_strip() { # sets STRIP to the strip, Pinstrip's utility window, while it is shown
    local w
    for w in $(xsession_pinstrip_windows); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q UTILITY && { STRIP=$w; return 0; }
    done
    return 1
}

xsession_strip_geometry() { # "x y width height" of the strip on screen
    xsession_strip || return 1
    xwininfo -id "$STRIP" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

xsession_spawn() { # <command...>: in the background, PID in XSESSION_SPAWNED
    "$@" >>"$XSESSION_LOG" 2>&1 &
    XSESSION_SPAWNED=$!
    XSESSION_PIDS+=("$XSESSION_SPAWNED")
}

xsession_stop_one() { # <pid> of a process started by xsession_spawn
    local i
    for i in "${!XSESSION_PIDS[@]}"; do
        [ "${XSESSION_PIDS[$i]}" = "$1" ] || continue
        kill "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
        unset "XSESSION_PIDS[$i]"
    done
    XSESSION_PIDS=("${XSESSION_PIDS[@]}")
}

xsession_stop() {
    local i
    for ((i = ${#XSESSION_PIDS[@]} - 1; i >= 0; i--)); do
        # Under set -e a failed kill or the non-zero status wait reports would end the loop early.
        kill "${XSESSION_PIDS[$i]}" 2>/dev/null || true
        wait "${XSESSION_PIDS[$i]}" 2>/dev/null || true
    done
    XSESSION_PIDS=()
}

xsession_fail() {
    echo "xsession: $*" >&2
    return 1
}

xsession_wm_running() { # <pid>
    kill -0 "$1" && xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'
}

xsession_compositing() { [ "$(xsession_selection_owner _NET_WM_CM_S0)" != 0 ]; }

xsession_selection_owner() { # <selection>: the owner's window id, 0 when none
    /usr/bin/python3 - "$1" <<'EOF' 2>/dev/null || echo 0
import ctypes, ctypes.util, sys
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
d = x.XOpenDisplay(None)
print(x.XGetSelectionOwner(d, x.XInternAtom(d, sys.argv[1].encode(), 0)) if d else 0)
EOF
}

# A desktop window of one colour under every other window, as a desktop's background would be
# (with a compositor the root window's own background is not shown). Stop it by its PID.
xsession_backdrop() { # <colour>: PID in XSESSION_SPAWNED
    local script
    script=$(cat <<'EOF'
import ctypes, ctypes.util, signal, sys
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
vp, ul = ctypes.c_void_p, ctypes.c_ulong
x.XOpenDisplay.restype = vp
for name, args, result in [("XDefaultScreen", [vp], ctypes.c_int),
                           ("XRootWindow", [vp, ctypes.c_int], ul),
                           ("XDefaultColormap", [vp, ctypes.c_int], ul),
                           ("XDisplayWidth", [vp, ctypes.c_int], ctypes.c_int),
                           ("XDisplayHeight", [vp, ctypes.c_int], ctypes.c_int),
                           ("XInternAtom", [vp, ctypes.c_char_p, ctypes.c_int], ul),
                           ("XCreateSimpleWindow", [vp, ul, ctypes.c_int, ctypes.c_int,
                            ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ul, ul], ul)]:
    getattr(x, name).argtypes, getattr(x, name).restype = args, result
class XColor(ctypes.Structure):
    _fields_ = [("pixel", ul), ("red", ctypes.c_ushort), ("green", ctypes.c_ushort),
                ("blue", ctypes.c_ushort), ("flags", ctypes.c_char), ("pad", ctypes.c_char)]
d = x.XOpenDisplay(None)
screen = x.XDefaultScreen(d)
colour = XColor()
if not (x.XParseColor(vp(d), ul(x.XDefaultColormap(d, screen)), sys.argv[1].encode(), ctypes.byref(colour))
        and x.XAllocColor(vp(d), ul(x.XDefaultColormap(d, screen)), ctypes.byref(colour))):
    sys.exit("xsession: unknown colour " + sys.argv[1])
w = x.XCreateSimpleWindow(d, x.XRootWindow(d, screen), 0, 0, x.XDisplayWidth(d, screen),
                          x.XDisplayHeight(d, screen), 0, 0, colour.pixel)
desktop = ul(x.XInternAtom(d, b"_NET_WM_WINDOW_TYPE_DESKTOP", 0))
x.XChangeProperty(vp(d), ul(w), ul(x.XInternAtom(d, b"_NET_WM_WINDOW_TYPE", 0)), ul(4), 32, 0,
                  ctypes.byref(desktop), 1)
x.XMapWindow(vp(d), ul(w))
x.XFlush(vp(d))
signal.pause()
EOF
    )
    xsession_spawn /usr/bin/python3 -c "$script" "$1"
}

# Xvfb picks a free display itself and writes its number to fd 3: runs side by side never share
# one. Should a stranger's window manager still turn up on it, the caller starts another.
xsession_start_display() {
    local numfile xvfb
    numfile=$(mktemp)
    # shellcheck disable=SC2086
    xsession_spawn Xvfb -displayfd 3 -screen 0 "${XSESSION_WIDTH}x${XSESSION_HEIGHT}x24" -nolisten tcp \
        $XSESSION_XVFB_OPTIONS 3>"$numfile"
    xvfb=$XSESSION_SPAWNED
    xsession_wait 20 test -s "$numfile" || { rm -f "$numfile"; xsession_fail "Xvfb did not start"; return 1; }
    export DISPLAY=":$(head -n1 "$numfile")"
    rm -f "$numfile"
    # An Xvfb that lost the race for this number to another one has exited: then the display
    # that answers is not ours.
    xsession_wait 10 xdpyinfo && kill -0 "$xvfb" 2>/dev/null ||
        xsession_fail "display $DISPLAY is not ours"
}

xsession_start_openbox() { # <tray 0|1> <compositor 0|1>
    xsession_spawn openbox
    xsession_wait 10 xsession_wm_running "$XSESSION_SPAWNED" || return 1
    if [ "$2" -eq 1 ]; then
        xsession_spawn xcompmgr
        xsession_wait 10 xsession_compositing || xsession_fail "xcompmgr did not start" || return 2
    fi
    if [ "$1" -eq 1 ]; then
        xsession_spawn tint2
        xsession_wait 10 sh -c "xprop -root _NET_WORKAREA | grep -qv '0, 0, $XSESSION_WIDTH, $XSESSION_HEIGHT'" ||
            xsession_fail "tint2 did not start" || return 2
    fi
}

# A top panel that holds only the status tray, so nothing depends on the distribution's default
# layout or on plugins that are not installed, and the tray is the only thing drawn on it.
xsession_xfce_panel_config() {
    local dir=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
    mkdir -p "$dir"
    cat >"$dir/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
EOF
}

xsession_start_xfce() {
    local bus=${XDG_RUNTIME_DIR:?private XDG folders needed}/xsession-bus.$$ xfconfd
    rm -f "$bus"
    xsession_spawn dbus-daemon --session --nofork --address="unix:path=$bus"
    xsession_wait 10 test -S "$bus" || xsession_fail "the session bus did not start" || return 2
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$bus"
    # GTK would have the bus start the accessibility bus, processes not ours to stop.
    export NO_AT_BRIDGE=1 XDG_CURRENT_DESKTOP=XFCE
    xsession_xfce_panel_config
    # Started here rather than by bus activation, so that it is stopped by its PID too.
    xfconfd=$(dpkg -L xfconf 2>/dev/null | grep '/xfconfd$' | head -n1)
    [ -x "$xfconfd" ] || xsession_fail "xfconfd not found (scripts/deps.sh)" || return 2
    xsession_spawn "$xfconfd"
    xsession_wait 10 dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetNameOwner string:org.xfce.Xfconf || xsession_fail "xfconfd did not start" || return 2
    xsession_spawn xfwm4 --compositor=on --sm-client-disable
    xsession_wait 20 xsession_wm_running "$XSESSION_SPAWNED" || return 1
    xsession_wait 10 xsession_compositing || xsession_fail "xfwm4 does not composite" || return 2
    xsession_spawn xfce4-panel --disable-wm-check
    xsession_wait 20 sh -c "xprop -root _NET_WORKAREA | grep -qv '0, 0, $XSESSION_WIDTH, $XSESSION_HEIGHT'" ||
        xsession_fail "xfce4-panel did not start" || return 2
    # The status tray announces itself as the StatusNotifierItem host once it is placed.
    xsession_wait 20 xsession_sni_host ||
        xsession_fail "the status tray registered no StatusNotifierItem host" || return 2
}

xsession_sni_host() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:IsStatusNotifierHostRegistered 2>/dev/null | grep -q 'boolean true'
}

xsession_start() {
    local desktop=openbox tray=0 compositor=0 attempt status
    while [ $# -gt 0 ]; do
        case $1 in
        --desktop) desktop=$2; shift ;;
        --tray) tray=1 ;;
        --compositor) compositor=1 ;;
        *) xsession_fail "unknown option $1"; return 1 ;;
        esac
        shift
    done
    # Xfce always comes with its panel's tray and xfwm4's compositor.
    for attempt in 1 2; do
        status=0
        xsession_start_display || status=1
        [ $status -ne 0 ] || case $desktop in
        openbox) xsession_start_openbox "$tray" "$compositor" || status=$? ;;
        xfce) xsession_start_xfce || status=$? ;;
        *) xsession_fail "unknown desktop $desktop"; return 1 ;;
        esac
        [ $status -eq 0 ] && return 0
        xsession_stop
        [ $status -eq 1 ] || return 1 # only a display or window manager that failed is tried again
    done
    xsession_fail "no display with $desktop's window manager"
}

# StatusNotifierItem hosts (the Xfce status tray) read an application's tray menu as DBusMenu.
# These helpers read and click it by title, as such a host does.
xsession_sni_service() { # <pid>: the bus name of the item that process registered
    local entry name pid
    for entry in $(dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems 2>/dev/null |
        sed -n 's/^ *string "\(.*\)"$/\1/p'); do
        name=${entry%%/*}
        name=${name%@} # GNOME's AppIndicator extension lists ":1.23@/StatusNotifierItem"
        pid=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name" 2>/dev/null |
            awk '/uint32/ {print $2}')
        [ "$pid" = "$1" ] && { echo "$name"; return 0; }
    done
    return 1
}

xsession_sni_menu_path() { # <service>: the object path of the item's DBusMenu
    dbus-send --session --print-reply --dest="$1" /StatusNotifierItem \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:Menu |
        sed -n 's/.*object path "\(.*\)"$/\1/p'
}

# The menu's entries as the host gets them, one a line: id, then "title", "[x] title" or
# "[ ] title" for check entries, "-" for a separator. Hidden entries are left out; DBusMenu's
# mnemonic marks are dropped ("__" is a literal underscore).
xsession_dbusmenu() { # <service>
    local path
    path=$(xsession_sni_menu_path "$1") || return 1
    dbus-send --session --print-reply --dest="$1" "$path" com.canonical.dbusmenu.GetLayout \
        int32:0 int32:-1 array:string: | awk '
        /struct \{/ { expectId = 1; next }
        expectId && /int32/ { id = $2; expectId = 0; ids[++n] = id; next }
        /^ *string "(label|toggle-type|toggle-state|type|visible)"$/ {
            key = $2; gsub(/"/, "", key); next }
        key != "" && /variant/ {
            value = $0; sub(/^ *variant +[a-z0-9]+ /, "", value); gsub(/^"|"$/, "", value)
            prop[id, key] = value; key = ""; next }
        { key = "" }
        END {
            for (i = 1; i <= n; i++) {
                id = ids[i]
                if (id == 0 || prop[id, "visible"] == "false") continue
                if (prop[id, "type"] == "separator") { print id, "-"; continue }
                label = prop[id, "label"]
                gsub(/__/, "\001", label); gsub(/_/, "", label); gsub(/\001/, "_", label)
                mark = ""
                if (prop[id, "toggle-type"] == "checkmark")
                    mark = prop[id, "toggle-state"] == "1" ? "[x] " : "[ ] "
                print id, mark label
            }
        }'
}

# Clicks the entry with this title (check mark aside); fails when there is none.
xsession_dbusmenu_click() { # <service> <title>
    local path id
    path=$(xsession_sni_menu_path "$1") || return 1
    id=$(xsession_dbusmenu "$1" | sed 's/^\([0-9]*\) \(\[.\] \)\{0,1\}/\1 /' |
        awk -v title="$2" '{ id = $1; sub(/^[0-9]+ /, "") } $0 == title { print id; exit }')
    [ -n "$id" ] || return 1
    dbus-send --session --print-reply --dest="$1" "$path" com.canonical.dbusmenu.Event \
        "int32:$id" string:clicked variant:int32:0 uint32:0 >/dev/null
}

# RandR monitors on the one Xvfb screen, as several monitors appear to clients. Each argument
# "NAME WxH+X+Y[*]" replaces the monitor of that name ("*": the primary); "-NAME" deletes it.
# The monitor at +0+0 takes the screen's output. Start Xvfb with -noreset (XSESSION_XVFB_OPTIONS)
# so that the monitors outlive this client.
xsession_monitors() {
    /usr/bin/python3 - "$@" <<'PYTHON'
import ctypes, ctypes.util, re, sys
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
xr = ctypes.cdll.LoadLibrary(ctypes.util.find_library("Xrandr"))
vp, ul, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
class Monitor(ctypes.Structure):
    _fields_ = [("name", ul), ("primary", i), ("automatic", i), ("noutput", i), ("x", i), ("y", i),
                ("width", i), ("height", i), ("mwidth", i), ("mheight", i),
                ("outputs", ctypes.POINTER(ul))]
class Resources(ctypes.Structure):
    _fields_ = [("timestamp", ul), ("configTimestamp", ul), ("ncrtc", i), ("crtcs", vp),
                ("noutput", i), ("outputs", ctypes.POINTER(ul))]
x.XOpenDisplay.restype = vp
x.XDefaultRootWindow.argtypes, x.XDefaultRootWindow.restype = [vp], ul
x.XInternAtom.argtypes, x.XInternAtom.restype = [vp, ctypes.c_char_p, i], ul
x.XSync.argtypes = [vp, i]
xr.XRRGetScreenResources.argtypes = [vp, ul]
xr.XRRGetScreenResources.restype = ctypes.POINTER(Resources)
xr.XRRAllocateMonitor.argtypes, xr.XRRAllocateMonitor.restype = [vp, i], ctypes.POINTER(Monitor)
xr.XRRSetMonitor.argtypes = [vp, ul, ctypes.POINTER(Monitor)]
xr.XRRDeleteMonitor.argtypes = [vp, ul, ul]
d = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(d)
output = xr.XRRGetScreenResources(d, root).contents.outputs[0]
ignore = ctypes.CFUNCTYPE(i, vp, vp)(lambda display, error: 0) # deleting what is not there
x.XSetErrorHandler(ignore)

for wanted in sys.argv[1:]:
    xr.XRRDeleteMonitor(d, root, x.XInternAtom(d, wanted.lstrip("-").split()[0].encode(), 0))
    x.XSync(d, 0)
    if wanted.startswith("-"):
        continue
    name, w, h, left, top, star = re.fullmatch(r"(\S+) (\d+)x(\d+)\+(\d+)\+(\d+)(\*?)", wanted).groups()
    first = left == "0" and top == "0"
    m = xr.XRRAllocateMonitor(d, 1 if first else 0)
    m.contents.name = x.XInternAtom(d, name.encode(), 0)
    m.contents.primary = star == "*"
    m.contents.x, m.contents.y, m.contents.width, m.contents.height = int(left), int(top), int(w), int(h)
    m.contents.mwidth, m.contents.mheight = int(w) * 254 // 960, int(h) * 254 // 960 # 96 dpi
    if first:
        m.contents.outputs[0] = output

    xr.XRRSetMonitor(d, root, m)
x.XSync(d, 0)
PYTHON
}
