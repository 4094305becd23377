#!/usr/bin/env bash
# Builds and runs the benchmarks; prints one line per benchmark (time per iteration, and instructions under
# callgrind when CALLGRIND=1).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" --target bench_core
"$build/bin/bench_core" "$@"
if [ "${CALLGRIND:-0}" = "1" ] && command -v valgrind >/dev/null; then
    "$build/bin/bench_core" -callgrind "$@"
fi
