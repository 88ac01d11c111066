#!/usr/bin/env bash
# Runs every benchmark in a build folder and prints its figures.
set -euo pipefail
build=${1:-build/release}
for b in "$build"/bench/*/bench_*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    tests/run-isolated.sh "$b"
done
