#!/usr/bin/env bash
# Headless sway with Xwayland: sway.sh sway. sway refuses to run as root, so the session, and
# pinstrip in it, run as an unprivileged user made for the test.
source "$(dirname "$0")/harness.sh"

SWAY_USER=pinstrip-e2e
id -u "$SWAY_USER" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$SWAY_USER" ||
    e2e_fail "sway needs an unprivileged user and this machine cannot create one (useradd needs root)"
chown -R "$SWAY_USER:" "$E2E_DIR"
export SWAYSOCK=$XDG_RUNTIME_DIR/sway.sock QT_LOGGING_RULES="pinstrip.summon.info=true"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# What sway runs is no child of this shell: wait until each process stopped is gone.
trap 'pids=("${XSESSION_PIDS[@]}"); xsession_stop; for p in "${pids[@]}"; do xsession_wait 10 eval "! kill -0 $p"; done' EXIT
as_user() { # <command...>: as the test's user, with the session's environment only; AS_USER=exec
    ${AS_USER:-} setpriv --reuid="$SWAY_USER" --regid="$SWAY_USER" --init-groups env -i PATH="$PATH" HOME="$HOME" \
        XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_DATA_HOME="$XDG_DATA_HOME" \
        XDG_CACHE_HOME="$XDG_CACHE_HOME" DBUS_SESSION_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS" SWAYSOCK="$SWAYSOCK" ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY} \
        QT_LOGGING_RULES="$QT_LOGGING_RULES" LSAN_OPTIONS="${LSAN_OPTIONS:-}" "$@"
}
msg() { as_user swaymsg "$@"; }
# The first node of sway's tree for which <python expression> about n holds, as JSON.
node() { msg -t get_tree | python3 -c 'import json, sys
def walk(n):
    yield n
    for c in n["nodes"] + n["floating_nodes"]: yield from walk(c)
print(next(json.dumps(n) for n in walk(json.load(sys.stdin)) if eval(sys.argv[1])))' "$1"; }
strip() { node 'n["name"] == "Pinstrip"'; }
focus_is() { node 'n["focused"]' | grep -q "\"name\": \"$1\""; } # <title>
# Runs <command> inside the session, as sway's bindings do; its PID is stopped with the session.
in_sway() { # <name> <command>: sway reads "$$" as "$"
    msg exec "echo \$\$\$\$ >$E2E_DIR/$1.pid && exec $2 >>$E2E_DIR/$1.log 2>&1" >/dev/null
    xsession_wait 10 test -s "$E2E_DIR/$1.pid" || e2e_fail "sway did not run $1"
    XSESSION_PIDS+=("$(cat "$E2E_DIR/$1.pid")")
}
keys() { as_user wtype -s 120 -M shift -m shift "$@"; } # wtype may lose its first key
strip_pinned() { # <when> [right edge]: at the default top-right corner, floating, sticky, borderless
    local right=${2:-1424}
    xsession_wait 5 eval 'strip | python3 -c "import json, sys; n = json.load(sys.stdin); r = n[\"rect\"]
sys.exit((r[\"x\"] + r[\"width\"], r[\"y\"], n[\"type\"], n[\"sticky\"], n[\"border\"]) != ($right, 54, \"floating_con\", True, \"none\"))"' ||
        e2e_fail "$1: the strip is not pinned at the top-right: $(strip)"
}
summons() { # <title> <keys...>: the strip takes the keyboard, then the typing; Escape returns it
    keys "${@:2}"
    xsession_wait 5 focus_is Pinstrip || e2e_fail "${*:2} did not give the strip the keyboard"
    keys "$1" -k Return
    xsession_wait 5 grep -q "\"title\": *\"$1\"" "$TODO" || e2e_fail "'$1' typed into the strip was lost"
    keys -k Escape
    xsession_wait 5 focus_is pinstrip-e2e-target || e2e_fail "Escape did not hand the keyboard back"
}

# A native Wayland window has the keyboard; the strip comes through Xwayland, is pinned over
# IPC, stays pinned as it grows, and sway's bindings of Ctrl+Alt+T and of Alt's release summon.
scenario_sway() {
    mkdir -p "$XDG_CONFIG_HOME/sway" && echo 'xwayland force' >"$XDG_CONFIG_HOME/sway/config"
    chown -R "$SWAY_USER:" "$XDG_CONFIG_HOME"
    AS_USER=exec xsession_spawn as_user WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=1 WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman sway
    xsession_wait 10 msg 'output HEADLESS-1 mode 1440x900' || e2e_fail "sway did not start"
    # sway names its Xwayland display to the programs it runs a moment after it answers.
    xsession_wait 10 eval 'msg exec "echo \$DISPLAY >$E2E_DIR/display" >/dev/null; sleep 0.1; grep -q : "$E2E_DIR/display"' ||
        e2e_fail "sway gives its programs no Xwayland display"
    local xwayland="pgrep -u $SWAY_USER -f ^Xwayland.$(cat "$E2E_DIR/display")."
    xsession_wait 10 $xwayland || e2e_fail "sway started no Xwayland"
    XSESSION_PIDS=("$($xwayland)" "${XSESSION_PIDS[@]}") # stopped after sway
    export WAYLAND_DISPLAY
    WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-? | head -n1)
    in_sway target "env QT_QPA_PLATFORM=wayland $TARGET_APP $TYPED"
    xsession_wait 10 focus_is pinstrip-e2e-target || e2e_fail "the Wayland window did not get the keyboard"
    in_sway pinstrip "$PINSTRIP"
    # The first start offers Ctrl+Alt+T for this session; Return takes it, and the keyboard goes
    # back to the window that had it.
    xsession_wait 20 focus_is Pinstrip || e2e_fail "no offer of Ctrl+Alt+T"
    keys -k Return
    xsession_wait 5 focus_is pinstrip-e2e-target || e2e_fail "the keyboard stayed with Pinstrip"
    strip_pinned "at the start"
    summons sway -M ctrl -M alt t -m alt -m ctrl
    strip_pinned "grown by a row"
    as_user "$PINSTRIP" --toggle
    xsession_wait 5 eval '! strip' || e2e_fail "--toggle did not hide the strip"
    summons hidden -M ctrl -M alt t -m alt -m ctrl # sway maps it anew: no_focus holds then
    strip_pinned "shown by a summon"
    msg "bindsym --release Alt_L exec $PINSTRIP --tap" >/dev/null
    keys -P Alt_L -p Alt_L
    ! xsession_wait 2 focus_is Pinstrip || e2e_fail "a single tap of Alt summoned"
    summons tapped -P Alt_L -p Alt_L -s 100 -P Alt_L -p Alt_L
    msg 'output HEADLESS-1 mode 1280x720' >/dev/null
    strip_pinned "on a smaller screen" 1264
    as_user grim "$E2E_DIR/sway.png"
    e2e_clean_stderr
}

"scenario_$1"
