#!/usr/bin/env bash
# Summon benchmarks on a private X desktop: the per-event cost of the raw-event path, then the
# summon latency of the real program. Run through tests/run-isolated.sh (scripts/bench.sh does).
# Expects PINSTRIP, TARGET_APP, SUMMON_EVENTS and SUMMON_LATENCY (paths to the executables).
source "$(dirname "$0")/../../tests/e2e/harness.sh"

e2e_start_desktop
"$SUMMON_EVENTS"
e2e_start_pinstrip
xsession_wait 10 xsession_strip || e2e_fail "the strip is not shown"
eval "$(xdotool getwindowgeometry --shell "$TRAY")"
"$SUMMON_LATENCY" "$STRIP" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$TARGET" "${SUMMON_TRIES:-20}"
