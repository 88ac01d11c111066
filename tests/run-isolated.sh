#!/usr/bin/env bash
# Runs one test command with a private, throw-away home and XDG folders.
set -euo pipefail
root=$(mktemp -d "${TMPDIR:-/tmp}/pinstrip-test.XXXXXX")
trap 'chmod -R u+rwx "$root" 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/data" "$root/config" "$root/cache" "$root/runtime"
chmod 700 "$root/runtime"
export HOME="$root/home"
export XDG_DATA_HOME="$root/data"
export XDG_CONFIG_HOME="$root/config"
export XDG_CACHE_HOME="$root/cache"
export XDG_RUNTIME_DIR="$root/runtime"
export DBUS_SESSION_BUS_ADDRESS="disabled:"
export PINSTRIP_TEST_ROOT="$root"
"$@"
