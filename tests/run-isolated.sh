#!/usr/bin/env bash
# Runs one test command with a private, throw-away home and XDG folders, and no display: a test
# that needs one starts its own.
set -euo pipefail
root=$(mktemp -d "${TMPDIR:-/tmp}/pinstrip-test.XXXXXX")
trap 'chmod -R u+rwx "$root" 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/data" "$root/config" "$root/cache" "$root/runtime"
chmod 700 "$root/runtime"
export HOME="$root/home" XDG_DATA_HOME="$root/data" XDG_CONFIG_HOME="$root/config" \
    XDG_CACHE_HOME="$root/cache" XDG_RUNTIME_DIR="$root/runtime" PINSTRIP_TEST_ROOT="$root" \
    DBUS_SESSION_BUS_ADDRESS="disabled:"
unset DISPLAY WAYLAND_DISPLAY
"$@"
