#!/usr/bin/env bash
# Start-up of the tool against a minimal Qt program with a main window, a child-window area and menus: each is
# started RUNS times (default 21), alternately, offscreen with an empty settings folder, and timed from the
# process's start to the first paint of its main window (the process ends there), and from main() to that
# paint. Prints the medians and the ratios. Expects bench_startup_tool and bench_startup_minimal built (bench/run.sh builds them).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
runs="${RUNS:-21}"
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" XDG_CONFIG_HOME="$config"

# One run: wall time in microseconds from the start of the process to its end at the first paint, and the
# program's own time from main() to that paint (ms), separated by a blank.
run_once() {
    local start end inside
    start=$(date +%s%N)
    inside=$("$1" 2>/dev/null)
    end=$(date +%s%N)
    echo "$(((end - start) / 1000)) ${inside:-0}"
}

median() { sort -n | awk '{v[NR] = $1} END {printf "%.1f", v[int((NR + 1) / 2)]}'; }

tool_runs=()
minimal_runs=()
# One unmeasured run each, so that both start from a warm file cache.
run_once "$build/bin/bench_startup_tool" >/dev/null
run_once "$build/bin/bench_startup_minimal" >/dev/null
for _ in $(seq "$runs"); do
    tool_runs+=("$(run_once "$build/bin/bench_startup_tool")")
    minimal_runs+=("$(run_once "$build/bin/bench_startup_minimal")")
done
wall() { printf '%s\n' "$@" | awk '{print $1 / 1000}' | median; }
inside() { printf '%s\n' "$@" | awk '{print $2}' | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
tool_wall=$(wall "${tool_runs[@]}")
minimal_wall=$(wall "${minimal_runs[@]}")
tool_inside=$(inside "${tool_runs[@]}")
minimal_inside=$(inside "${minimal_runs[@]}")
echo "startup (medians of $runs): process start to first paint: tool ${tool_wall} ms, minimal Qt program" \
    "${minimal_wall} ms, ratio $(ratio "$tool_wall" "$minimal_wall");" \
    "main() to first paint: tool ${tool_inside} ms, minimal ${minimal_inside} ms, ratio" \
    "$(ratio "$tool_inside" "$minimal_inside")"
