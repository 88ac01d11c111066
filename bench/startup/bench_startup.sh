#!/usr/bin/env bash
# Runs the start-up probe inside a throw-away X session with a window manager and a tray host.
set -euo pipefail
xsession=$1; shift
# shellcheck source=/dev/null
source "$xsession"
trap xsession_stop EXIT
xsession_start --tray
"$@"
