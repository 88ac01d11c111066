#!/usr/bin/env bash
# Runs one test command on a private X display with openbox, stopped by PID afterwards.
source "$(dirname "$0")/../../e2e/harness.sh"
xsession_start || e2e_fail "openbox did not start"
"$@"
