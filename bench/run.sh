#!/usr/bin/env bash
# Builds and runs the benchmarks; prints one line per benchmark (time per iteration, and instructions under
# callgrind when CALLGRIND=1), then the start-up comparison of bench/startup.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" --target bench_core bench_startup_tool bench_startup_minimal bench_download bench_coalesce bench_cli bench_soak bench_plot
"$build/bin/bench_core" "$@"
if [ "${CALLGRIND:-0}" = "1" ] && command -v valgrind >/dev/null; then
    "$build/bin/bench_core" -callgrind "$@"
fi
"$root/bench/startup.sh"
# Half a minute: the plot of a day of readings, offscreen.
QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" "$build/bin/bench_plot"
# About two minutes: slider values held on a key against the simulated monitor at 9600 baud.
"$build/bin/bench_coalesce"
# About a minute: the command line reading a 2.10 monitor at 9600 baud, five times.
"$build/bin/bench_cli"
# Several minutes: a 64 KiB firmware image at the pace of a 9600 baud line, and the memory of a 1 MiB one.
"$build/bin/bench_download"
# Five minutes: the session against the simulated monitor at 2 % noise.
"$build/bin/bench_soak"
