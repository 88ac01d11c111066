#!/usr/bin/env bash
# Summon latency under a headless Wayland compositor (kwin or gnome), median of 20: from the
# injected Control+Alt+T to the strip holding the keyboard, the strip hidden and a native Wayland
# window holding the keyboard before each try. KWin delivers the key through kglobalaccel; GNOME
# runs `pinstrip --summon` from a custom shortcut. The key tool stamps the moment it sends the T.
# Figures only. Run through tests/run-isolated.sh: bench_wayland_summon.sh <kwin|gnome>
# Expects PINSTRIP, TARGET_APP, WLKEYS and FOCUS_LATENCY (paths to the executables).
source "$(dirname "$0")/../../tests/e2e/wayland.sh"

tries() { # <what> <target median> <key command...>: the strip is shown in STRIP
    local i figures=()
    for ((i = 0; i < ${SUMMON_TRIES:-20}; i++)); do
        "$PINSTRIP" --toggle
        xsession_wait 5 e2e_strip_hidden || e2e_fail "the strip did not hide"
        focus_target
        sleep 0.5 # past every double-tap limit
        figures+=("$("$FOCUS_LATENCY" "$STRIP" "${@:3}" || echo failed)")
        "$WLKEYS" Escape
    done
    local summon
    summon=$(printf '%s\n' "${figures[@]}" | grep -v failed | sort -n)
    [ -n "$summon" ] || { echo "$1: no successful try"; return; }
    printf '%s: median %s ms, worst %s ms over %d tries (target median <= %s ms), %d failed\n' \
        "$1" "$(awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }' <<<"$summon")" \
        "$(tail -1 <<<"$summon")" "$(wc -l <<<"$summon")" "$2" \
        $((${#figures[@]} - $(wc -l <<<"$summon")))
}

start() { # the strip shown, with the key its own
    "$PINSTRIP" >>"$APP_LOG" 2>&1 &
    PINSTRIP_PID=$!
    xsession_wait 20 xsession_strip || e2e_fail "the strip is not shown"
    xsession_wait 10 grep -q '^pinstrip.summon: Ctrl+Alt+T summons Pinstrip' "$APP_LOG" ||
        e2e_fail "no registration reported"
}

if [ "$1" = kwin ]; then
    focus_target() { kwin_eval 'workspace.activeClient = T' >/dev/null; }
    kwin_wayland_start
    start
    tries "KWin, Control-Alt-T (kglobalaccel)" 50 "$WLKEYS" +Control_L +Alt_L stamp t -Alt_L -Control_L
else
    focus_target() { xsession_wait 5 gnome_has_keyboard T || e2e_fail "the keyboard did not come back"; }
    gnome_wayland_start
    ours=$GNOME_KEYS.custom-keybinding:$GNOME_CUSTOM/pinstrip/
    gsettings set "$ours" command "$PINSTRIP --summon"
    gsettings set "$ours" binding '<Control><Alt>t'
    gsettings set $GNOME_KEYS custom-keybindings "['$GNOME_CUSTOM/pinstrip/']"
    start
    tries "GNOME, Control-Alt-T (a custom shortcut running pinstrip --summon)" 150 \
        "$WLKEYS" +Control_L +Alt_L stamp t -Alt_L -Control_L
fi
