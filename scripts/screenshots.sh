#!/usr/bin/env bash
# Renders the strip and the archive window on a throw-away Xfce desktop (xfwm4's compositor,
# the panel's status tray) into screenshots/*.png, starting pinstrip against prepared lists in a
# throw-away home.
# Use: scripts/screenshots.sh <path to the pinstrip executable>
set -euo pipefail
pinstrip=$(realpath "${1:?usage: scripts/screenshots.sh <pinstrip executable>}")
repo=$(cd "$(dirname "$0")/.." && pwd)
out=$repo/screenshots
mkdir -p "$out"

# shellcheck source=scripts/xsession.sh
source "$repo/scripts/xsession.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/pinstrip-shots.XXXXXX")
app_pid=""
stop_app() {
    if [ -n "$app_pid" ]; then
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
        app_pid=""
    fi
}
trap 'stop_app; xsession_stop; rm -rf "$work"' EXIT
mkdir -p "$work/session/config" "$work/session/runtime"
chmod 700 "$work/session/runtime"
XDG_CONFIG_HOME=$work/session/config XDG_RUNTIME_DIR=$work/session/runtime xsession_start --desktop xfce
xsession_backdrop '#6d8fb3'

item() { # id-suffix title status
    printf '        {\n          "id": "5B1E3C0A-7F2D-4E61-9A8B-0C1D2E3F4A%s",\n          "title": "%s",\n          "status": "%s"\n        }' "$1" "$2" "$3"
}
state() { # items-json archive-json
    printf '{\n  "archive": [%s],\n  "items": [\n%s\n  ]\n}' "$2" "$1"
}

list_items="$(item 01 'Draft the quarterly report' inProgress),
$(item 02 'Ring the dentist about Thursday' open),
$(item 03 'Water the plants' done)"
done_items="$(item 11 'Post the letter' done),
$(item 12 'Book train tickets' done)"
day() { # date items
    printf '\n    {\n      "date": "%s",\n      "items": [\n%s\n      ]\n    }' "$1" "$2"
}
archive="$(day '2026-12-05 18:12' "$(item 21 'Send the invoice' done),
$(item 22 'Fix the bike light' open)"),$(day '2026-12-04 17:40' "$(item 31 'Buy coffee beans' done),
$(item 32 'Read chapter 4' done),
$(item 33 'Call mum' inProgress)")"

start_app() { # todo.json content (may be empty)
    local home=$work/home
    rm -rf "$home"
    mkdir -p "$home/data/Pinstrip" "$home/config" "$home/runtime"
    chmod 700 "$home/runtime"
    if [ -n "$1" ]; then printf '%s' "$1" >"$home/data/Pinstrip/todo.json"; fi
    HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime \
        "$pinstrip" >/dev/null 2>&1 &
    app_pid=$!
    xsession_wait 10 xdotool search --onlyvisible --name '^Pinstrip$'
    strip=$(xdotool search --onlyvisible --name '^Pinstrip$' | head -1)
    sleep 1.2 # let the rows finish their entrance animation
}

strip_geometry() { # sets X Y WIDTH HEIGHT of the strip
    eval "$(xdotool getwindowgeometry --shell "$strip")"
}

shoot_strip() { # file
    local margin=24
    strip_geometry
    import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$((X - margin))+$((Y - margin))" \
        +repage "$out/$1"
    echo "screenshots/$1"
}

start_app ""
shoot_strip empty.png
stop_app

start_app "$(state "$list_items" "")"
shoot_strip strip.png
# The chevron that collapses the strip is the header's last button, top right.
strip_geometry
xdotool mousemove $((X + WIDTH - 22)) $((Y + 20)) click 1
sleep 0.8
xdotool mousemove 10 400
sleep 0.4
shoot_strip collapsed.png
stop_app

start_app "$(state "$done_items" "")"
shoot_strip all-done.png
stop_app

start_app "$(state "" "$archive")"
xsession_wait 10 xsession_sni_service "$app_pid"
xsession_dbusmenu_click "$(xsession_sni_service "$app_pid")" "Archive…" ||
    { echo "screenshots: the tray menu has no \"Archive…\"" >&2; exit 1; }
xsession_wait 10 xdotool search --onlyvisible --name 'Pinstrip — Archive'
sleep 1
history=$(xdotool search --onlyvisible --name 'Pinstrip — Archive' | head -1)
import -window "$history" -frame "$out/history.png"
echo "screenshots/history.png"
stop_app
