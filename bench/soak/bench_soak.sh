#!/usr/bin/env bash
# Endurance run of pinstrip: Xvfb and openbox from scripts/xsession.sh, a private session bus on
# which soak_driver is the tray host, and a target window that logs any key reaching it. Run
# through tests/run-isolated.sh. Expects PINSTRIP, TARGET_APP and SOAK_DRIVER; the length comes from
# SOAK_ROUNDS, SOAK_ARCHIVE_EVERY and SOAK_HISTORY_EVERY (a short run by default). Every process
# started here is stopped by its PID.
set -euo pipefail
source "$(dirname "$0")/../../scripts/xsession.sh"

rounds=${SOAK_ROUNDS:-300}
archive_every=${SOAK_ARCHIVE_EVERY:-100}
history_every=${SOAK_HISTORY_EVERY:-60}
typed=$PINSTRIP_TEST_ROOT/typed.txt
bus_pid=
target_pid=

stop() {
    [ -z "$target_pid" ] || { kill "$target_pid" && wait "$target_pid"; } 2>/dev/null || true
    [ -z "$bus_pid" ] || kill "$bus_pid" 2>/dev/null || true
    xsession_stop
}
trap stop EXIT

xsession_start
# A bus of our own: Qt exports the tray icon over it once our host is there.
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --session --fork \
    --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS

: >"$typed"
"$TARGET_APP" "$typed" &
target_pid=$!
xsession_wait 10 xdotool search --name '^pinstrip-e2e-target$' || { echo "no target window" >&2; exit 1; }
target=$(xdotool search --name '^pinstrip-e2e-target$' | head -n1)

echo "soak: $rounds rounds, archive every $archive_every, history every $history_every"
"$SOAK_DRIVER" "$PINSTRIP" "$target" "$typed" "$rounds" "$archive_every" "$history_every"
